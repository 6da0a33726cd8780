#include "keytable.h"

#include <algorithm>
#include <array>
#include <optional>

#include "inifile.h"
#include "messages.h"
#include "sjis.h"
#include "textfile.h"

namespace kotopa {

namespace {

constexpr std::string_view kSection = "MOZI";
constexpr std::string_view kCountKey = "KAZU";

// A hand-edited KAZU may claim any number of rows; beyond this many the file is not a key
// table anyone typed, and honouring it would only exhaust memory.
constexpr int32_t kMaxRows = 100000;

void SetFirstCandidate(KeyRow& row, std::string_view value) {
    // A sign row always has its fixed key first; one stored without candidates gains it.
    if (row.candidates.empty()) {
        row.candidates.emplace_back(value);
    } else {
        row.candidates.front() = value;
    }
}

// Candidates go to the list as stored; an empty one (possible only in a table built in
// memory) is skipped, since the matcher judges every entry by its first byte.
void AppendRow(const KeyRow& row, std::vector<std::string>& list) {
    for (const auto& c : row.candidates) {
        if (!c.empty()) list.push_back(c);
    }
}

// The name of a key that a load reads as a row: a decimal number without sign or leading zero.
bool IsRowKey(std::string_view name) {
    int32_t index = 0;
    if (name.empty() || name.front() == '+' || name.front() == '-') return false;
    if (name.size() > 1 && name.front() == '0') return false;  // "01" is not the key "1"
    return ParseInt32(name, index);
}

constexpr bool IsFieldBlank(unsigned char c) {
    return c >= 0x01 && c <= 0x20;
}

// False for text that cannot be Shift_JIS (code page 932): a byte that is neither a character
// nor a lead byte followed by a trail byte, or text that is UTF-8 with characters beyond
// ASCII. A Shift_JIS file with kana is never valid UTF-8 (0x82 and 0x83 cannot begin a
// UTF-8 character), while short UTF-8 runs can pass as Shift_JIS pairs.
bool LooksLikeShiftJis(std::string_view text) {
    bool beyondAscii = false;
    bool utf8 = true;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        beyondAscii = true;
        std::size_t len = b >= 0xC2 && b <= 0xDF   ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
        if (len == 0 || i + len > text.size()) {
            utf8 = false;
            break;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) utf8 = false;
        }
        if (!utf8) break;
        i += len;
    }
    if (beyondAscii && utf8) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
        if (!IsLeadByte(b) || i + 1 == text.size()) return false;
        const auto t = static_cast<unsigned char>(text[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitStoredValue(std::string_view value) {
    const std::size_t nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = value.size();
    auto skipBlanks = [&] {
        while (i < n && IsFieldBlank(static_cast<unsigned char>(value[i]))) ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string field;
        if (value[i] == '"') {
            ++i;
            while (i < n) {
                if (value[i] == '"') {
                    if (i + 1 < n && value[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                const std::size_t len = CharLength(value, i);
                field.append(value.substr(i, len));
                i += len;
            }
        } else {
            const std::size_t start = i;
            while (i < n && value[i] != ',' && static_cast<unsigned char>(value[i]) > 0x20) {
                i += CharLength(value, i);
            }
            field.assign(value.substr(start, i - start));
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (i < n && value[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

std::string BuildStoredValue(const KeyRow& row) {
    std::string v = "\"";
    v += row.item;
    for (const auto& c : row.candidates) {
        v += ' ';
        v += c;
    }
    v += '"';
    return v;
}

KeyFileProblem KeyTable::LoadKeyFile(const std::filesystem::path& path) {
    std::string bytes;
    const ReadStatus status = ReadFileBytes(path, bytes, kKeyFileLimit);
    if (status != ReadStatus::Ok) bytes.clear();
    const std::size_t held = LoadKeyBytes(bytes);
    if (status == ReadStatus::Missing) return KeyFileProblem::Missing;
    if (status == ReadStatus::Unreadable) return KeyFileProblem::Unreadable;
    if (status == ReadStatus::TooLarge) return KeyFileProblem::TooLarge;
    if (!LooksLikeShiftJis(bytes)) return KeyFileProblem::NotShiftJis;
    if (held == 0) return KeyFileProblem::NoRows;
    return TypesSomething() ? KeyFileProblem::None : KeyFileProblem::NoKeys;
}

bool KeyTable::TypesSomething() const {
    for (const auto& row : rows_) {
        for (const auto& c : row.candidates) {
            if (!c.empty()) return true;
        }
    }
    return false;
}

KeyFileCause KeyFileCauseOf(KeyFileProblem problem) {
    switch (problem) {
        case KeyFileProblem::None:
            return {};
        case KeyFileProblem::Missing:
            return {msg::kKeyFileMissing, msg::kFileMissing};
        case KeyFileProblem::Unreadable:
            return {msg::kKeyFileUnreadable, msg::kFileUnreadable};
        case KeyFileProblem::NotShiftJis:
            return {msg::kKeyFileNotShiftJis, msg::kKeyFileNotShiftJis};
        case KeyFileProblem::TooLarge:
            return {msg::kKeyFileTooLarge, msg::kFileTooLarge};
        case KeyFileProblem::NoRows:
            return {msg::kKeyFileNoKeys, msg::kKeyFileNoRows};
        case KeyFileProblem::NoKeys:
            return {msg::kKeyFileNoKeys, msg::kKeyFileNoKeys};
    }
    return {};
}

std::string KeyFileWarning(std::string_view sjisPath, KeyFileProblem problem) {
    if (problem == KeyFileProblem::None) return {};
    return PathMessage(PathMessage(sjisPath, KeyFileCauseOf(problem).atStart), msg::kNoKeyJudged);
}

KeyFileProblem KeyTable::LoadChosenKeyFile(const std::filesystem::path& path) {
    std::string bytes;
    switch (ReadFileBytes(path, bytes, kKeyFileLimit)) {
        case ReadStatus::Missing:
            return KeyFileProblem::Missing;
        case ReadStatus::Unreadable:
            return KeyFileProblem::Unreadable;
        case ReadStatus::TooLarge:
            return KeyFileProblem::TooLarge;
        case ReadStatus::Ok:
            break;
    }
    // Text in another encoding would load as rows of mojibake items that no reading holds.
    if (!LooksLikeShiftJis(bytes)) return KeyFileProblem::NotShiftJis;
    KeyTable chosen;
    if (chosen.LoadKeyBytes(bytes) == 0) return KeyFileProblem::NoRows;
    if (!chosen.TypesSomething()) return KeyFileProblem::NoKeys;
    *this = std::move(chosen);
    return KeyFileProblem::None;
}

std::size_t KeyTable::LoadKeyBytes(std::string_view bytes) {
    return LoadRows(bytes, nullptr);
}

std::size_t KeyTable::LoadKeyBytes(std::string_view bytes, const KeyRules& rules) {
    return LoadRows(bytes, &rules);
}

std::size_t KeyTable::LoadRows(std::string_view bytes, const KeyRules* rules) {
    rows_.clear();
    rules_ = KeyRules::Romaji();
    IniFile ini;
    ini.LoadBytes(bytes);
    int32_t count = ini.ReadInteger(kSection, kCountKey, 0);
    if (count <= 0) {
        Reindex();
        return 0;
    }
    if (count > kMaxRows) count = kMaxRows;

    // One pass over the section; the first key of a number wins, as a lookup by name would.
    // The table ends with the last row the file holds, whatever larger number KAZU claims.
    std::vector<std::optional<std::string_view>> stored;
    ini.ForEachKey(kSection, [&](std::string_view name, std::string_view value) {
        int32_t index = 0;
        if (!IsRowKey(name) || !ParseInt32(name, index) || index >= count) return;
        const auto at = static_cast<std::size_t>(index);
        if (at >= stored.size()) stored.resize(at + 1);
        if (!stored[at]) stored[at] = value;
    });

    rows_.reserve(stored.size());
    std::size_t held = 0;
    for (const auto& value : stored) {
        KeyRow row;
        std::vector<std::string> fields;
        if (value) fields = SplitStoredValue(*value);
        if (fields.empty()) {
            // A missing key, or a value with no field at all: a row that types nothing.
            row.item = std::string(keymark::kMissingRow);
        } else {
            ++held;
            row.item = std::move(fields.front());
            for (std::size_t f = 1; f < fields.size(); ++f) {
                // An empty candidate (two commas in a row) could never be typed; drop it.
                if (!fields[f].empty()) row.candidates.push_back(std::move(fields[f]));
            }
        }
        rows_.push_back(std::move(row));
    }
    rules_ = rules ? *rules : KeyRules::Of(rows_);  // before decoding: 、's key depends on them
    DecodeSignRows();                               // indexes the rows
    return held;
}

void KeyTable::WriteKeySection(IniFile& ini) const {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(rows_.size() + 1);
    entries.emplace_back(kCountKey, std::to_string(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        entries.emplace_back(std::to_string(i), BuildStoredValue(rows_[i]));
    }
    // Rows of an earlier, longer table go: the file holds this table's rows and no others.
    ini.WriteSection(kSection, entries, IsRowKey);
}

bool KeyTable::SaveKeyFile(const std::filesystem::path& path) const {
    IniFile ini;
    // The file's other lines are kept; a file that exists but cannot be read is not replaced.
    if (NotRead(ini.Load(path, kKeyFileLimit))) return false;
    WriteKeySection(ini);
    return ini.Save(path);
}

void KeyTable::EncodeSignRows() {
    const auto& signs = rules_.SignRows();
    for (auto& row : rows_) {
        for (std::size_t s = 0; s + 1 < signs.size(); ++s) {
            if (row.item == signs[s].sign) {
                row.item = std::string(signs[s].mark);
                SetFirstCandidate(row, signs[s].mark);
                break;
            }
        }
        if (rules_.IsCommaKanaRow(row)) {
            row.item = std::string(signs.back().mark);
            row.candidates.front() = std::string(signs.back().mark);
        }
    }
    Reindex();
}

void KeyTable::DecodeSignRows() {
    for (auto& row : rows_) {
        for (const auto& s : rules_.SignRows()) {
            if (row.item == s.mark) {
                row.item = std::string(s.sign);
                SetFirstCandidate(row, s.key);
                break;
            }
        }
    }
    Reindex();
}

bool KeyTable::StoreKeyTable(const std::filesystem::path& path) {
    KeyTable stored = *this;
    stored.EncodeSignRows();
    if (!stored.SaveKeyFile(path)) return false;
    stored.DecodeSignRows();
    *this = std::move(stored);
    return true;
}

void KeyTable::SetRows(std::vector<KeyRow> rows) {
    rows_ = std::move(rows);
    rules_ = KeyRules::Of(rows_);
    Reindex();
}

void KeyTable::SetRows(std::vector<KeyRow> rows, const KeyRules& rules) {
    rows_ = std::move(rows);
    rules_ = rules;
    Reindex();
}

void KeyTable::SetRow(std::size_t index, KeyRow row) {
    UnindexRow(index);
    rows_.at(index) = std::move(row);
    IndexRow(index);
}

void KeyTable::AddRow(KeyRow row) {
    rows_.push_back(std::move(row));
    IndexRow(rows_.size() - 1);
}

namespace {

constexpr uint32_t kNoRow = UINT32_MAX;
constexpr std::size_t kPackedBytes = 7;

// A folded form of one to seven bytes as a number that is never 0: its bytes, and its length
// in the top byte. 0 for a form that is empty or too long to be indexed.
uint64_t PackedKey(std::string_view folded) {
    if (folded.empty() || folded.size() > kPackedBytes) return 0;
    uint64_t key = static_cast<uint64_t>(folded.size()) << 56;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        key |= static_cast<uint64_t>(static_cast<unsigned char>(folded[i])) << (8 * i);
    }
    return key;
}

}  // namespace

std::size_t KeyTable::SlotOf(uint64_t key) const {
    const std::size_t mask = slotKeys_.size() - 1;
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
    while (slotKeys_[at] != 0 && slotKeys_[at] != key) at = (at + 1) & mask;
    return at;
}

void KeyTable::Reindex() {
    // Half the slots at most are taken, so that a look-up meets an empty one soon.
    std::size_t slots = 16;
    while (slots < 2 * rows_.size() + 2) slots *= 2;
    slotKeys_.assign(slots, 0);
    slotRows_.assign(slots, kNoRow);
    next_.assign(rows_.size(), kNoRow);
    slotsTaken_ = 0;
    // In table order, each row joins the end of its chain.
    std::vector<uint32_t> last(slots, kNoRow);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const uint64_t key = PackedKey(FoldedForm(rows_[i].item));
        if (key == 0) continue;
        const std::size_t at = SlotOf(key);
        const auto row = static_cast<uint32_t>(i);
        if (slotKeys_[at] == 0) {
            slotKeys_[at] = key;
            ++slotsTaken_;
        }
        if (last[at] == kNoRow) {
            slotRows_[at] = row;
        } else {
            next_[last[at]] = row;
        }
        last[at] = row;
    }
}

// A look-up key is never empty, so a row without an item is never found and not indexed.
void KeyTable::IndexRow(std::size_t index) {
    if (slotKeys_.empty()) {
        Reindex();
        return;
    }
    next_.resize(rows_.size(), kNoRow);
    next_[index] = kNoRow;
    const uint64_t key = PackedKey(FoldedForm(rows_[index].item));
    if (key == 0) return;
    std::size_t at = SlotOf(key);
    if (slotKeys_[at] == 0) {
        if (2 * (slotsTaken_ + 1) > slotKeys_.size()) {
            Reindex();  // takes in this row too
            return;
        }
        slotKeys_[at] = key;
        ++slotsTaken_;
    }
    // Rows join in table order, except one changed in place, which takes its own place.
    const auto row = static_cast<uint32_t>(index);
    uint32_t& first = slotRows_[at];
    if (first == kNoRow || row < first) {
        next_[row] = first;
        first = row;
        return;
    }
    uint32_t before = first;
    while (next_[before] != kNoRow && next_[before] < row) before = next_[before];
    next_[row] = next_[before];
    next_[before] = row;
}

void KeyTable::UnindexRow(std::size_t index) {
    const uint64_t key = PackedKey(FoldedForm(rows_.at(index).item));
    if (key == 0 || slotKeys_.empty()) return;
    const std::size_t at = SlotOf(key);
    if (slotKeys_[at] == 0) return;
    const auto row = static_cast<uint32_t>(index);
    uint32_t& first = slotRows_[at];
    if (first == row) {
        first = next_[row];
    } else {
        uint32_t before = first;
        while (before != kNoRow && next_[before] != row) before = next_[before];
        if (before == kNoRow) return;
        next_[before] = next_[row];
    }
    next_[row] = kNoRow;
}

void KeyTable::AppendCandidates(std::string_view key, std::vector<std::string>& list) const {
    const uint64_t packed = PackedKey(FoldedForm(key));
    if (packed == 0 || slotKeys_.empty()) return;
    const std::size_t at = SlotOf(packed);
    for (uint32_t row = slotRows_[at]; row != kNoRow; row = next_[row]) AppendRow(rows_[row], list);
}

void KeyTable::FindCandidates1(std::string_view reading, std::vector<std::string>& lst_1) const {
    if (!reading.empty()) AppendCandidates(reading.substr(0, 1), lst_1);
}

void KeyTable::FindCandidates2(std::string_view reading, std::vector<std::string>& lst_1) const {
    if (!reading.empty()) AppendCandidates(reading.substr(0, HeadLength(reading, 2)), lst_1);
}

void KeyTable::FindCandidates4(std::string_view reading, std::vector<std::string>& lst_2) const {
    if (!reading.empty()) AppendCandidates(reading.substr(0, HeadLength(reading, 4)), lst_2);
}

void KeyTable::FindCandidates6(std::string_view reading, std::vector<std::string>& lst_3) const {
    if (!reading.empty()) AppendCandidates(reading.substr(0, HeadLength(reading, 6)), lst_3);
}

}  // namespace kotopa
