#include "text.h"

#include "sjis.h"

namespace kotopa::tool {

std::vector<std::string_view> SplitLinesKeepingNul(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::size_t Utf8CharBytes(std::string_view s, std::size_t pos) {
    std::size_t end = pos + 1;
    while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) ++end;
    return end - pos;
}

int Utf8Column(std::string_view line, std::size_t at) {
    int column = 1;
    for (std::size_t i = 0; i < at && i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
    }
    return column;
}

std::size_t SjisCharBytes(std::string_view s, std::size_t pos) {
    if (!IsLeadByte(s[pos]) || pos + 1 >= s.size()) return 1;
    const auto t = static_cast<unsigned char>(s[pos + 1]);
    return t >= 0x40 && t <= 0xFC && t != 0x7F ? 2 : 1;
}

int SjisColumn(std::string_view line, std::size_t at) {
    int column = 1;
    for (std::size_t i = 0; i < at && i < line.size(); i += SjisCharBytes(line, i)) ++column;
    return column;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8, int* badColumn) {
    SjisEncoding e = SjisFromUtf8(utf8);
    if (e.ok()) return std::move(e.bytes);
    if (badColumn) *badColumn = Utf8Column(utf8, static_cast<std::size_t>(e.badIndex));
    return std::nullopt;
}

std::string ShowPath(const std::filesystem::path& path) {
    return PathToUtf8(path);
}

std::filesystem::path ArgPath(std::string_view utf8) {
    return PathFromUtf8(utf8);
}

}  // namespace kotopa::tool
