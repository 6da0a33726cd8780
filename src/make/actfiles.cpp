#include "actfiles.h"

#include <cstdio>

#include "sjis.h"

namespace kotopa::tool {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string Hex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (const char c : bytes) {
        std::snprintf(buf, sizeof buf, "%s%02X", out.empty() ? "" : " ",
                      static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += buf;
    }
    return out;
}

void FindNul(std::string_view line, int lineNo, int column, std::vector<Finding>& problems) {
    if (line.find('\0') != std::string_view::npos) {
        problems.push_back({lineNo, column, "a NUL character: the program reads nothing after it"});
    }
}

}  // namespace

Converted ActTextToSjis(std::string_view text) {
    Converted out;
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    int lineNo = 0;
    for (const std::string_view line : SplitLinesKeepingNul(text)) {
        ++lineNo;
        const std::size_t bad = FirstInvalidUtf8(line);
        if (bad != std::string_view::npos) {
            out.problems.push_back(
                {lineNo, Utf8Column(line, bad),
                 "bytes that are not UTF-8 (" + Hex(line.substr(bad, 4)) + " ...)"});
            continue;
        }
        const std::size_t nul = line.find('\0');
        if (nul != std::string_view::npos)
            FindNul(line, lineNo, Utf8Column(line, nul), out.problems);
        if (auto sjis = Utf8ToSjis(line)) {
            out.bytes += *sjis;
            out.bytes += "\r\n";
            continue;
        }
        // Name every character that stops it, not just the first.
        int column = 0;
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t len = Utf8CharBytes(line, i);
            ++column;
            const std::string_view ch = line.substr(i, len);
            if (!SjisFromUtf8(ch).ok()) {
                const std::u16string u = Utf8ToUtf16(ch);
                const unsigned code = u.size() == 2
                                          ? 0x10000 + ((u[0] - 0xD800u) << 10) + (u[1] - 0xDC00u)
                                          : static_cast<unsigned>(u[0]);
                char name[16];
                std::snprintf(name, sizeof name, "U+%04X", code);
                out.problems.push_back(
                    {lineNo, column,
                     "\"" + std::string(ch) + "\" (" + name + ") cannot be held in Shift_JIS"});
            }
            i += len;
        }
    }
    if (!out.ok()) out.bytes.clear();
    return out;
}

Converted ActSjisToText(std::string_view sjis) {
    Converted out;
    int lineNo = 0;
    for (const std::string_view whole : SplitLinesKeepingNul(sjis)) {
        ++lineNo;
        // The program reads nothing after a NUL, so nothing after it is looked at either.
        const std::size_t nul = whole.find('\0');
        const std::string_view line = whole.substr(0, nul);
        bool lineOk = true;
        int column = 1;           // of the character at counted
        std::size_t counted = 0;  // columns are counted on from the last bad character
        for (std::size_t at = 0; at < line.size();) {
            const std::ptrdiff_t bad = FirstInvalidSjis(line.substr(at));
            if (bad < 0) break;
            const std::size_t pos = at + static_cast<std::size_t>(bad);
            const std::size_t len = SjisCharBytes(line, pos);
            column += SjisColumn(line.substr(counted), pos - counted) - 1;
            counted = pos;
            out.problems.push_back(
                {lineNo, column,
                 "bytes that are not Shift_JIS (" + Hex(line.substr(pos, len)) + ")"});
            lineOk = false;
            at = pos + len;
        }
        if (nul != std::string_view::npos) {
            FindNul(whole, lineNo, SjisColumn(whole, nul), out.problems);
            break;
        }
        if (lineOk) {
            out.bytes += SjisToUtf8(line);
            out.bytes += '\n';
        }
    }
    if (!out.ok()) out.bytes.clear();
    return out;
}

}  // namespace kotopa::tool
