#include "messagetable.h"

#include <cstdio>
#include <map>
#include <set>

#include "sjis.h"
#include "sjiscodec.h"
#include "textfile.h"

namespace kotopa::tool {

namespace {

constexpr std::size_t kColumnLimit =
    100;  // as .clang-format has it, so the header stays as written

constexpr std::string_view kPreamble =
    "// The program's texts as Shift_JIS constants, written by make_messages from\n"
    "// messages.txt, where they are read and edited (scripts/build-data.sh); not edited here.\n"
    "// Included by messages.h.\n";

bool IsNameChar(char c, bool first) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (!first && c >= '0' && c <= '9');
}

std::size_t NameEnd(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsNameChar(line[i], i == 0)) ++i;
    return i;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The pieces of a C++ string literal for Shift_JIS bytes, each a character or an escape.
// Both bytes of a double-byte character are escaped, so no trail byte shows as a letter. A
// piece after which a hex digit would join its escape ends a literal (split).
struct Piece {
    std::string text;
    bool split = false;
};

std::vector<Piece> LiteralPieces(std::string_view bytes) {
    std::vector<bool> hex(bytes.size());
    bool trail = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        hex[i] = trail || b >= 0x7F || (b < 0x20 && b != '\n' && b != '\r' && b != '\t');
        trail = !trail && IsLeadByte(b);
    }
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        Piece p;
        if (hex[i]) {
            char text[8];
            std::snprintf(text, sizeof text, "\\x%02X", b);
            p.text = text;
            p.split = i + 1 < bytes.size() && !hex[i + 1] && IsHexDigit(bytes[i + 1]);
        } else if (b == '"' || b == '\\') {
            p.text = std::string("\\") + static_cast<char>(b);
        } else if (b == '\n') {
            p.text = "\\n";
        } else if (b == '\r') {
            p.text = "\\r";
        } else if (b == '\t') {
            p.text = "\\t";
        } else {
            p.text = std::string(1, static_cast<char>(b));
        }
        pieces.push_back(std::move(p));
    }
    return pieces;
}

// One constant as clang-format leaves it: on one line when it fits, else the literal on the
// lines after the name, one literal a line, each within the column limit.
std::string Constant(std::string_view name, std::string_view bytes) {
    const std::string head = "inline constexpr std::string_view k" + std::string(name) + " =";
    const std::vector<Piece> pieces = LiteralPieces(bytes);
    std::vector<std::string> literals(1);
    bool split = false;
    constexpr std::size_t kRoom = kColumnLimit - 4 - 3;  // indent, quotes, ";"
    for (const Piece& p : pieces) {
        if (split || literals.back().size() + p.text.size() > kRoom) literals.emplace_back();
        literals.back() += p.text;
        split = p.split;
    }
    if (literals.size() == 1 && head.size() + 4 + literals[0].size() <= kColumnLimit) {
        return head + " \"" + literals[0] + "\";\n";
    }
    std::string out = head;
    for (const std::string& l : literals) out += "\n    \"" + l + "\"";
    return out + ";\n";
}

// The text between the quotes of a constant, unescaped; nothing (and a finding) when the
// quotes or an escape are wrong.
std::optional<std::string> QuotedText(std::string_view line, std::size_t open, int number,
                                      std::vector<Finding>& findings) {
    const auto fail = [&](std::size_t at, std::string message) {
        findings.push_back({number, Utf8Column(line, at), std::move(message)});
        return std::nullopt;
    };
    if (open >= line.size() || line[open] != '"') return fail(open, "a text in double quotes");
    std::string text;
    std::size_t i = open + 1;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
            text += line[i];
            continue;
        }
        if (++i == line.size()) break;
        switch (line[i]) {
            case '"':
            case '\\':
                text += line[i];
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            default:
                return fail(i - 1, "unknown escape (\\\" \\\\ \\n \\r \\t)");
        }
    }
    if (i >= line.size()) return fail(open, "no closing double quote");
    if (line.find_first_not_of(" \t", i + 1) != std::string_view::npos) {
        return fail(i + 1, "something after the closing double quote");
    }
    return text;
}

// The header's text, built one table line at a time.
class HeaderBuilder {
public:
    explicit HeaderBuilder(std::vector<Finding>& findings) : findings_(findings) {}

    void Line(std::string_view line, int number) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line[start] == '#') return;
        if (line.front() == '[') {
            NamespaceLine(line, number);
        } else {
            ConstantLine(line, number);
        }
    }

    // The header, or nothing (with a finding) when the table held no constants.
    std::optional<std::string> Finish() {
        if (space_.empty()) {
            findings_.push_back({0, 0, "no constants"});
            return std::nullopt;
        }
        return std::string(kPreamble) + body_ + "\n}  // namespace kotopa::" + space_ + "\n";
    }

private:
    void NamespaceLine(std::string_view line, int number) {
        const std::string_view name = line.substr(1, line.find(']') - 1);
        if (line.back() != ']' || name.empty() || NameEnd(name) != name.size()) {
            findings_.push_back({number, 1, "a namespace is [name]"});
            return;
        }
        if (names_.count(std::string(name))) {
            findings_.push_back({number, 1, "namespace " + std::string(name) + " again"});
        }
        if (!space_.empty()) body_ += "\n}  // namespace kotopa::" + space_ + "\n";
        space_ = name;
        names_[space_];
        body_ += "\nnamespace kotopa::" + space_ + " {\n";
    }

    void ConstantLine(std::string_view line, int number) {
        const std::size_t nameEnd = NameEnd(line);
        if (nameEnd == 0) {
            findings_.push_back({number, 1, "a constant begins with its name (letters, digits)"});
            return;
        }
        const std::string name(line.substr(0, nameEnd));
        const std::size_t open = line.find_first_not_of(" \t", nameEnd);
        if (open == nameEnd && open < line.size()) {
            findings_.push_back({number, Utf8Column(line, open), "blanks after the name"});
            return;
        }
        const std::optional<std::string> text = QuotedText(line, open, number, findings_);
        if (!text) return;
        if (space_.empty()) {
            findings_.push_back({number, 1, "a constant before the first [namespace]"});
            return;
        }
        if (!names_[space_].insert(name).second) {
            findings_.push_back({number, 1, name + " again in " + space_});
            return;
        }
        const SjisEncoding sjis = SjisFromUtf8(*text);
        if (!sjis.ok()) {
            const auto at = static_cast<std::size_t>(sjis.badIndex);
            findings_.push_back(
                {number, Utf8Column(line, open + 1),
                 "Shift_JIS cannot hold \"" + text->substr(at, Utf8CharBytes(*text, at)) + "\""});
            return;
        }
        body_ +=
            "\n// \"" + std::string(line.substr(open + 1, line.rfind('"') - open - 1)) + "\"\n";
        body_ += Constant(name, sjis.bytes);
    }

    std::vector<Finding>& findings_;
    std::string body_;
    std::string space_;                                   // the namespace being written
    std::map<std::string, std::set<std::string>> names_;  // namespace -> constants
};

}  // namespace

std::optional<std::string> MessagesHeader(std::string_view table, std::vector<Finding>& findings) {
    const std::size_t before = findings.size();
    if (FirstInvalidUtf8(table) != std::string_view::npos) {
        findings.push_back({0, 0, "not UTF-8 text"});
        return std::nullopt;
    }
    HeaderBuilder header(findings);
    int number = 0;
    ForEachLineKeepingNul(table, [&](std::string_view line) { header.Line(line, ++number); });
    if (findings.size() != before) return std::nullopt;
    return header.Finish();
}

}  // namespace kotopa::tool
