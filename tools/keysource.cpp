#include "keysource.h"

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <system_error>
#include <tuple>

#include "inifile.h"
#include "keytable.h"
#include "sjis.h"
#include "text.h"
#include "textfile.h"

namespace kotopa::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kIdeographicSpaceUtf8 = "\xE3\x80\x80";

struct Escape {
    std::string_view token;
    std::string_view utf8;
};
constexpr Escape kEscapes[] = {{"<sp>", " "}, {"<idsp>", kIdeographicSpaceUtf8}, {"<hash>", "#"}};

std::string Unescape(std::string_view token) {
    for (const auto& e : kEscapes) {
        if (token == e.token) return std::string(e.utf8);
    }
    return std::string(token);
}

// The token that shows utf8 in the notation, or nothing when it cannot be shown.
std::optional<std::string> EscapeToken(const std::string& utf8, bool isItem) {
    for (const auto& e : kEscapes) {
        if (utf8 == e.utf8) return std::string(e.token);
        if (utf8 == e.token) return std::nullopt;  // would read back as the escaped character
    }
    if (utf8.empty()) return std::nullopt;
    if (utf8.find_first_of(" \t\r\n") != std::string::npos) return std::nullopt;
    if (utf8.find(kIdeographicSpaceUtf8) != std::string::npos) return std::nullopt;
    if (isItem && utf8.front() == '#') return std::nullopt;  // would read as a comment
    return utf8;
}

std::string Quote(std::string_view utf8) {
    return "\"" + std::string(utf8) + "\"";
}
std::string QuoteSjis(std::string_view sjis) {
    return Quote(SjisToUtf8(sjis));
}

// The row as a key file gives it back: encoded, stored, read and decoded as the program does.
// The rules are the whole table's: a row alone would not show that the table is case-sensitive.
std::vector<KeyRow> ThroughKeyFile(const std::vector<KeyRow>& rows, const KeyRules& rules) {
    KeyTable t;
    t.SetRows(rows, rules);
    t.EncodeSignRows();
    IniFile ini;
    ini.WriteInteger("MOZI", "KAZU", static_cast<int32_t>(t.Rows().size()));
    for (std::size_t i = 0; i < t.Rows().size(); ++i) {
        ini.WriteString("MOZI", std::to_string(i), BuildStoredValue(t.Rows()[i]));
    }
    KeyTable back;
    back.LoadKeyBytes(ini.Bytes(), rules);
    return back.Rows();
}

// Why a row does not survive a key file, in words.
std::string WhyNotStorable(const KeyRow& row, const KeyRules& rules) {
    {
        KeyTable t;
        t.SetRows({KeyRow{row.item, {"x"}}}, rules);
        t.DecodeSignRows();
        if (t.Rows()[0].item != row.item) {
            return "the item " + QuoteSjis(row.item) +
                   " is the mark a key file keeps for the sign " + QuoteSjis(t.Rows()[0].item) +
                   " and would load as that sign";
        }
    }
    const std::vector<KeyRow> back = ThroughKeyFile({row}, rules);
    if (rules.IsSignItem(row.item) && !back.empty() && back[0].item == row.item &&
        !back[0].candidates.empty() && !row.candidates.empty() &&
        back[0].candidates.front() != row.candidates.front()) {
        return "the first candidate of the sign row " + QuoteSjis(row.item) + " is always " +
               Quote(back[0].candidates.front());
    }
    for (std::size_t i = 0; i < row.candidates.size(); ++i) {
        const std::string& c = row.candidates[i];
        const bool fixedKey = i == 0 && (rules.IsSignItem(row.item) || rules.IsCommaKanaRow(row));
        if (!fixedKey && (c.find_first_of(" ,") != std::string::npos || c.front() == '"')) {
            return "the candidate " + Quote(c) +
                   " cannot be kept in a key file: a blank or a comma splits it and a leading "
                   "double quote opens a quoted field";
        }
    }
    if (row.item.find_first_of(" ,\"") != std::string::npos && !rules.IsSignItem(row.item)) {
        return "the item " + QuoteSjis(row.item) +
               " cannot be kept in a key file: a blank, a comma or a double quote in it splits "
               "or quotes the stored row";
    }
    return "the row does not read back the same from a key file";
}

// Where the text first stops being UTF-8, as an error on its line; nothing when it is UTF-8.
std::optional<SourceError> InvalidUtf8Error(std::string_view text) {
    const std::size_t bad = FirstInvalidUtf8(text);
    if (bad == std::string_view::npos) return std::nullopt;
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < bad; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && !(i + 1 < bad && text[i + 1] == '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    return SourceError{
        line, "column " + std::to_string(Utf8Column(text.substr(lineStart), bad - lineStart)) +
                  ": the text is not UTF-8"};
}

// The fields of a line, split at blanks and tabs.
std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        fields.emplace_back(line.substr(i, j - i));
        i = j;
    }
    return fields;
}

// The candidates of a row from their fields; a field that is not all keys is reported and left
// out.
std::vector<std::string> ParseCandidates(const std::vector<std::string>& fields, int lineNo,
                                         std::vector<SourceError>& errors) {
    std::vector<std::string> candidates;
    for (std::size_t t = 1; t < fields.size(); ++t) {
        std::string c = Unescape(fields[t]);
        bool ascii = true;
        for (const char ch : c) ascii = ascii && KeyRules::KeyByte(ch);
        if (!ascii) {
            errors.push_back({lineNo, "the candidate " + Quote(c) +
                                          " holds a character that is not a key: candidates "
                                          "are ASCII letters, digits and signs"});
            continue;
        }
        candidates.push_back(std::move(c));
    }
    return candidates;
}

// The row on one line of the source; nothing for a comment, an empty line or a line in error
// (reported).
std::optional<KeyRow> ParseSourceLine(std::string_view line, int lineNo,
                                      std::vector<SourceError>& errors) {
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
        errors.push_back(
            {lineNo, "a NUL character: a key table source is text", Utf8Column(line, nul)});
        return std::nullopt;
    }
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.empty() || fields.front().front() == '#') return std::nullopt;
    if (line.find(kIdeographicSpaceUtf8) != std::string_view::npos) {
        errors.push_back({lineNo,
                          "an ideographic space cannot be told from a blank here; "
                          "write it as <idsp>"});
        return std::nullopt;
    }
    int column = 0;
    const std::string item = Unescape(fields.front());
    const auto sjis = Utf8ToSjis(item, &column);
    if (!sjis) {
        errors.push_back({lineNo, Quote(item) + ": character " + std::to_string(column) +
                                      " cannot be held in Shift_JIS"});
        return std::nullopt;
    }
    return KeyRow{*sjis, ParseCandidates(fields, lineNo, errors)};
}

void CheckRows(const KeySource& src, std::vector<SourceError>& errors) {
    const KeyRules& rules = src.table.Rules();
    std::map<std::string, int> firstLine;  // item -> line of its ordinary row
    for (std::size_t r = 0; r < src.table.Rows().size(); ++r) {
        const KeyRow& row = src.table.Rows()[r];
        const int line = src.lines[r];
        const std::string item = QuoteSjis(row.item);
        if (row.candidates.empty()) {
            errors.push_back({line, item + " has no candidates: it could never be typed"});
            continue;
        }
        if (!IsLeadByte(row.item.front()) && row.item.size() > 1) {
            errors.push_back({line, item + " never matches: a reading that starts with a one-byte "
                                           "character is looked up by that byte alone"});
        } else if (row.item.size() > 6) {
            errors.push_back(
                {line, item + " never matches: the matcher looks at most three characters ahead"});
        }
        for (std::size_t i = 0; i < row.candidates.size(); ++i) {
            for (std::size_t j = 0; j < row.candidates.size(); ++j) {
                if (i == j) continue;
                const std::string& a = row.candidates[i];
                const std::string& b = row.candidates[j];
                if (a.size() == b.size() && i < j && rules.StartsWith(b, a)) {
                    errors.push_back({line, item + " lists the candidate " + Quote(b) + " twice"});
                } else if (a.size() < b.size() && rules.StartsWith(b, a)) {
                    errors.push_back({line, item + ": the candidate " + Quote(b) +
                                                " can never be typed, " + Quote(a) +
                                                " is complete first"});
                }
            }
        }
        if (!SurvivesKeyFile(row, rules)) errors.push_back({line, WhyNotStorable(row, rules)});
        if (rules.IsCommaKanaRow(row))
            continue;  // the sign row of ね stands beside the ordinary one
        const auto [it, inserted] = firstLine.emplace(row.item, line);
        if (!inserted) {
            errors.push_back({line, item + " is already on line " + std::to_string(it->second) +
                                        ": both rows would be offered"});
        }
    }
}

}  // namespace

bool SurvivesKeyFile(const KeyRow& row, const KeyRules& rules) {
    const std::vector<KeyRow> back = ThroughKeyFile({row}, rules);
    return back.size() == 1 && back[0] == row;
}

KeySource ParseKeySource(std::string_view text, std::vector<SourceError>& errors) {
    KeySource src;
    const auto firstError = static_cast<std::ptrdiff_t>(errors.size());
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    if (const auto notUtf8 = InvalidUtf8Error(text)) {
        errors.push_back(*notUtf8);
        return src;
    }
    int lineNo = 0;
    std::vector<KeyRow> rows;
    for (const std::string_view line : SplitLinesKeepingNul(text)) {
        ++lineNo;
        if (auto row = ParseSourceLine(line, lineNo, errors)) {
            rows.push_back(std::move(*row));
            src.lines.push_back(lineNo);
        }
    }
    src.table.SetRows(std::move(rows));  // the rules come from the whole table
    CheckRows(src, errors);
    std::stable_sort(errors.begin() + firstError, errors.end(),
                     [](const SourceError& a, const SourceError& b) {
                         return std::tie(a.line, a.column) < std::tie(b.line, b.column);
                     });
    return src;
}

std::string FormatKeySource(const KeyTable& table, std::vector<SourceError>& errors) {
    std::string out;
    for (std::size_t r = 0; r < table.Rows().size(); ++r) {
        const KeyRow& row = table.Rows()[r];
        std::vector<std::string> fields{row.item};
        fields.insert(fields.end(), row.candidates.begin(), row.candidates.end());
        std::string line;
        bool ok = true;
        for (std::size_t f = 0; f < fields.size() && ok; ++f) {
            std::optional<std::string> token;
            if (FirstInvalidSjis(fields[f]) < 0) token = EscapeToken(SjisToUtf8(fields[f]), f == 0);
            ok = token.has_value();
            if (ok) line += (f == 0 ? "" : f == 1 ? "\t" : " ") + *token;
        }
        if (ok) {
            out += line + "\n";
        } else {
            errors.push_back({0, "row " + std::to_string(r) +
                                     " cannot be written in the source notation (bytes that are "
                                     "not Shift_JIS, or a blank inside a field)"});
            out += "# row " + std::to_string(r) + " cannot be shown\n";
        }
    }
    return out;
}

bool BuildKeyFile(const KeyTable& table, const fs::path& path, std::string& error) {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "the folder " + ShowPath(folder) + " does not exist";
        return false;
    }
    // A fresh file, so that nothing of an earlier key file is kept in it.
    std::random_device rd;
    fs::path temp;
    do {
        fs::path name = path.filename();
        name += ".new-" + std::to_string(rd());
        temp = folder / name;
    } while (fs::exists(temp, ec));

    KeyTable written = table;
    if (!written.StoreKeyTable(temp)) {
        fs::remove(temp, ec);
        error = ShowPath(path) + " cannot be written";
        return false;
    }
    KeyTable back;
    back.LoadKeyFile(temp);
    if (back.Rows() != table.Rows()) {
        fs::remove(temp, ec);
        std::size_t r = 0;
        while (r < back.Rows().size() && r < table.Rows().size() &&
               back.Rows()[r] == table.Rows()[r])
            ++r;
        error = "the key file does not read back as the table (row " + std::to_string(r) +
                "); nothing was written";
        return false;
    }
    // The checked bytes replace the old file as every file of the program is replaced.
    std::string bytes;
    const bool replaced =
        ReadFileBytes(temp, bytes, kKeyFileLimit) == ReadStatus::Ok && WriteFileAtomic(path, bytes);
    fs::remove(temp, ec);
    if (!replaced) {
        error = ShowPath(path) + " cannot be written (nothing was changed)";
        return false;
    }
    return true;
}

}  // namespace kotopa::tool
