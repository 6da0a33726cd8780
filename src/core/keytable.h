// The key definition table: rows of an item (one to three kana or a sign) and the romaji
// candidates that type it, the key files (INI, section "MOZI") that hold it, the sign
// rows that a key file cannot store as they are, and the four look-ups of the matcher,
// which go through an index of the items so that a look-up costs the same in any table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keyrules.h"
#include "textfile.h"

namespace kotopa {

class IniFile;

struct KeyRow {
    std::string item;
    std::vector<std::string> candidates;
    bool operator==(const KeyRow&) const = default;
};

// Shift_JIS marks and signs used by the table.
namespace keymark {
inline constexpr std::string_view kMissingRow =
    "\x81\x99";                                          // ☆, item of a row missing from the file
inline constexpr std::string_view kTouten = "\x81\x41";  // 、
inline constexpr std::string_view kZenkakuSpace = "\x81\x40";  // full-width space
inline constexpr std::string_view kNe = "\x82\xCB";            // ね
inline constexpr std::string_view kRightQuote = "\x81\x68";    // ”
}  // namespace keymark

// Splits a stored row value into fields: blanks (0x01-0x20) or one comma with blanks around it
// separate fields; a field starting with a double quote runs to the matching one, "" inside
// standing for one quote; two commas in a row give an empty field.
std::vector<std::string> SplitStoredValue(std::string_view value);

// The stored value of a row: a double quote, the item, " candidate" for each, a double quote.
std::string BuildStoredValue(const KeyRow& row);

// Why a key file leaves no key that can be judged, so that every key would be a mistype, or
// why one the user chose is refused (LoadChosenKeyFile).
enum class KeyFileProblem {
    None,
    Missing,      // no file at the path
    Unreadable,   // it exists but cannot be read
    NoRows,       // it holds no row: KAZU missing or 0, or none of its row keys
    NotShiftJis,  // UTF-8, UTF-16 or bytes that no Shift_JIS text holds
    TooLarge,     // larger than kKeyFileLimit
    NoKeys,       // rows, but none with a candidate
};

// A key file of a few hundred rows is some 10 KB; the most rows a table takes fit in 4 MiB.
inline constexpr std::uintmax_t kKeyFileLimit = 4 * kMiB;

// The cause of a problem as it is told (Shift_JIS): at the start, where the program goes on
// with no key it can judge (KeyFileWarning), and in the key panel, where a chosen file is
// refused (KeyFileRefusalText). Both empty for None.
struct KeyFileCause {
    std::string_view atStart;
    std::string_view refused;
};
KeyFileCause KeyFileCauseOf(KeyFileProblem problem);

// The warning for a problem (Shift_JIS): the path, LF CR, the cause, LF CR, and that no key
// can be judged until a key file is loaded. Empty for None.
std::string KeyFileWarning(std::string_view sjisPath, KeyFileProblem problem);

class KeyTable {
public:
    KeyTable() = default;
    explicit KeyTable(std::vector<KeyRow> rows) { SetRows(std::move(rows)); }

    // The rows in table order; row i is stored under the key i of a key file.
    const std::vector<KeyRow>& Rows() const { return rows_; }
    // How the table's keys are judged and stored (keyrules.h), derived whenever the rows are
    // replaced whole (SetRows, a load); a row changed in place or added keeps them.
    const KeyRules& Rules() const { return rules_; }
    // Every change of the rows goes through these, so that the index follows.
    void SetRows(std::vector<KeyRow> rows);
    // The same with the rules given rather than derived: a part of a table taken on its own.
    void SetRows(std::vector<KeyRow> rows, const KeyRules& rules);
    void SetRow(std::size_t index, KeyRow row);
    void AddRow(KeyRow row);

    // Replaces every row by those of the key file at path and decodes the sign rows.
    // A missing or unreadable file, or a KAZU of 0 or less, gives an empty table; a KAZU
    // larger than the rows held gives a table that ends with the last row the file holds. Says why
    // the table can judge no key, if it cannot; a file that is not Shift_JIS is loaded all
    // the same.
    KeyFileProblem LoadKeyFile(const std::filesystem::path& path);
    // The same from the bytes of a key file. The number of rows that the file holds: rows
    // whose key is missing or empty (they stand in as "☆" rows) are not counted.
    std::size_t LoadKeyBytes(std::string_view bytes);
    // The same, decoding by the rules given rather than those the bytes give.
    std::size_t LoadKeyBytes(std::string_view bytes, const KeyRules& rules);

    // A key file that the user chose to replace the table: the rows of the file at path
    // replace the table as LoadKeyFile does, unless the file is missing, cannot be read, is
    // too large, is not Shift_JIS, holds no row or gives no row a key. Then the table stays
    // as it was and the problem is returned: such a table, once stored as the start-up's
    // key file, would leave no key that can be judged.
    KeyFileProblem LoadChosenKeyFile(const std::filesystem::path& path);

    // Writes KAZU and every row as it stands (marks included) into the key file at path,
    // keeping the file's other lines; the rows of an earlier, longer table are removed.
    // Written whole or not at all; false when it could not be.
    bool SaveKeyFile(const std::filesystem::path& path) const;
    // What SaveKeyFile writes, into the section of an INI file in memory, in one pass.
    void WriteKeySection(IniFile& ini) const;

    void EncodeSignRows();
    void DecodeSignRows();

    // EncodeSignRows, SaveKeyFile, DecodeSignRows: the only way a key file is written.
    // False when the file could not be written; the message for the user is
    // CannotWriteMessage (textfile.h) of the path, and the table stays exactly as it was
    // (a round through the marks would put back the fixed first key of a sign row).
    bool StoreKeyTable(const std::filesystem::path& path);

    // Append the candidates of every row whose item equals the head of reading: its first
    // byte, or its longest whole-character head of at most 2, 4 or 6 bytes. Row order, then
    // candidate order; duplicates kept; the lists are never cleared here. Exactly what a scan
    // of every row would find, at the cost of one look-up of the index.
    void FindCandidates1(std::string_view reading, std::vector<std::string>& lst_1) const;
    void FindCandidates2(std::string_view reading, std::vector<std::string>& lst_1) const;
    void FindCandidates4(std::string_view reading, std::vector<std::string>& lst_2) const;
    void FindCandidates6(std::string_view reading, std::vector<std::string>& lst_3) const;

private:
    // True when some row has a candidate, so that at least one key can be judged.
    bool TypesSomething() const;
    std::size_t LoadRows(std::string_view bytes, const KeyRules* rules);
    void AppendCandidates(std::string_view key, std::vector<std::string>& list) const;
    void Reindex();
    void IndexRow(std::size_t index);
    void UnindexRow(std::size_t index);
    // The slot of the folded form packed as key: the one holding it, or the empty one where
    // it would go.
    std::size_t SlotOf(uint64_t key) const;

    std::vector<KeyRow> rows_;
    KeyRules rules_ = KeyRules::Romaji();
    // The rows by the folded form of their item (FoldedForm, sjis.h): the rows a look-up
    // finds are those whose item folds to the folded form of its key. A key is at most six
    // bytes, so only items of up to seven bytes are indexed, each folded form packed into a
    // number (PackedKey) in an open-addressed table of slots: the form (0 for an empty slot)
    // and the first of its rows; the others follow in table order through next_. A slot
    // whose rows have all gone keeps its form, with no row.
    std::vector<uint64_t> slotKeys_;
    std::vector<uint32_t> slotRows_;
    std::vector<uint32_t> next_;
    std::size_t slotsTaken_ = 0;
};

}  // namespace kotopa
