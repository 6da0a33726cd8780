#include "sjistext.h"

#include <QDir>

namespace kotopa {

namespace {

std::u16string_view View(const QString& text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                               static_cast<std::size_t>(text.size()));
}

}  // namespace

QString FromSjis(std::string_view bytes) {
    // Printable ASCII, tab and line ends are themselves in Shift_JIS; such text (romaji,
    // numbers, labels) needs no converter, which keeps a refresh of the play controls cheap.
    bool plain = true;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x7F || (b < 0x20 && b != '\t' && b != '\n' && b != '\r')) {
            plain = false;
            break;
        }
    }
    if (plain) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdU16String(SjisToUtf16(bytes));
}

SjisEncoding EncodeSjis(const QString& text) {
    return SjisFromUtf16(View(text));
}

std::string ToSjisLossy(const QString& text) {
    return SjisFromUtf16Lossy(View(text));
}

QString PathToQString(const std::filesystem::path& path) {
    return QString::fromStdU16String(PathToUtf16(path));
}

std::filesystem::path PathFromQString(const QString& path) {
    // Qt writes "/" on every system; a path the program stores or shows uses the system's own
    // separator throughout.
    return PathFromUtf16(View(QDir::toNativeSeparators(path)));
}

}  // namespace kotopa
