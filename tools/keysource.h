// The key table as its authors keep it: a UTF-8 text file, one row a line, the item and then
// its candidates separated by blanks. Reading checks that every row survives a key file
// unchanged and can be typed; building writes the key file through the program's own
// StoreKeyTable, so the delivered file is exactly what the program itself writes.
//
// Notation: a line whose first character is "#" is a comment; empty lines are skipped.
// The whole fields <sp>, <idsp> and <hash> stand for a blank, an ideographic space and "#".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"

namespace kotopa::tool {

struct SourceError {
    int line = 0;         // 1-based; 0 when the message is about the whole file
    std::string message;  // UTF-8
    int column = 0;       // 1-based, in characters; 0 when the message is about the whole line
};

struct KeySource {
    KeyTable table;
    std::vector<int> lines;  // source line of each row
};

// Reads and checks a key table source. Errors are collected for every line and returned in
// line order; the table is only meaningful when there are none.
KeySource ParseKeySource(std::string_view utf8, std::vector<SourceError>& errors);

// The table in source notation. Rows that the notation cannot show (an item with a blank
// inside, bytes that are not Shift_JIS) are reported and written as comments.
std::string FormatKeySource(const KeyTable& table, std::vector<SourceError>& errors);

// True when the row reads back exactly as it is after a save and a load of a key file of a
// table with those rules.
bool SurvivesKeyFile(const KeyRow& row, const KeyRules& rules = KeyRules::Romaji());

// Writes the table into a fresh file beside path with StoreKeyTable, reads it back, and only
// when it reads back as the table renames it over path. False with a message otherwise;
// nothing is left behind then.
bool BuildKeyFile(const KeyTable& table, const std::filesystem::path& path, std::string& error);

}  // namespace kotopa::tool
