#include "text.h"

#include <QString>

#include "sjis.h"
#include "sjistext.h"

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

std::size_t FirstInvalidUtf8(std::string_view text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        uint32_t cp = 0;
        uint32_t min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2, cp = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, cp = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, cp = b & 0x07, min = 0x10000;
        } else {
            return i;
        }
        if (i + len > n) return i;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += len;
    }
    return std::string_view::npos;
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

std::string SjisToUtf8(std::string_view sjis) {
    return FromSjis(sjis).toStdString();
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8, int* badColumn) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    SjisEncoding e = EncodeSjis(text);
    if (e.ok()) return std::move(e.bytes);
    if (badColumn) {
        // Code points before the bad one: a surrogate pair is one character.
        int column = 1;
        for (qsizetype i = 0; i < e.badIndex; ++i) {
            if (!text[i].isLowSurrogate()) ++column;
        }
        *badColumn = column;
    }
    return std::nullopt;
}

bool HasExtension(const std::filesystem::path& path, std::string_view ext) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string_view have = std::string_view(name).substr(dot);
    if (have.size() != ext.size()) return false;
    for (std::size_t i = 0; i < have.size(); ++i) {
        if (FoldAscii(have[i]) != FoldAscii(ext[i])) return false;
    }
    return true;
}

std::string ShowPath(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace kotopa::tool
