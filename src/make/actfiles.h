// Acts as their authors write them (UTF-8 text) and as the program reads them (Shift_JIS,
// CR LF). Conversion either succeeds whole or names every place that stops it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text.h"

namespace kotopa::tool {

struct Converted {
    std::string bytes;
    std::vector<Finding> problems;  // when not empty, bytes must not be used
    bool ok() const { return problems.empty(); }
};

// UTF-8 text (a byte-order mark is dropped) to Shift_JIS with CR LF after every line.
// Refused: bytes that are not UTF-8, characters Shift_JIS cannot hold, NUL characters.
Converted ActTextToSjis(std::string_view utf8);

// Shift_JIS to UTF-8 with LF after every line. Refused: bytes that are not Shift_JIS and
// NUL bytes (the program would stop reading there, so the text would not be the Act); what
// follows a NUL is not looked at.
Converted ActSjisToText(std::string_view sjis);

}  // namespace kotopa::tool
