#include "sjistext.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kotopa {

namespace {

constexpr const char* kCodec = "Shift_JIS";  // ICU's Shift_JIS, which is code page 932

char16_t MapLookAlike(char16_t c) {
    switch (c) {
        case u'\u301C': return u'\uFF5E';  // wave dash
        case u'\u2212': return u'\uFF0D';  // minus sign
        case u'\u2016': return u'\u2225';  // double vertical line
        case u'\u00A2': return u'\uFFE0';  // cent sign
        case u'\u00A3': return u'\uFFE1';  // pound sign
        case u'\u00AC': return u'\uFFE2';  // not sign
        case u'\u2014': return u'\u2015';  // em dash
        default: return c;
    }
}

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

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
    thread_local QStringDecoder dec(kCodec, QStringDecoder::Flag::Stateless);
    return dec.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

SjisEncoding EncodeSjis(const QString& text) {
    SjisEncoding out;
    QStringEncoder enc(kCodec, QStringEncoder::Flag::Stateless);
    // One character (or surrogate pair) at a time, so that a failure has a place.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QString ch = text.mid(i, len);
        if (len == 1) ch[0] = QChar(MapLookAlike(ch[0].unicode()));
        QStringEncoder one(kCodec, QStringEncoder::Flag::Stateless);
        const QByteArray b = one.encode(ch);
        if (one.hasError() || b.isEmpty()) {
            out.badIndex = i;
            return out;
        }
        out.bytes.append(b.constData(), static_cast<std::size_t>(b.size()));
        i += len;
    }
    return out;
}

std::string ToSjisLossy(const QString& text) {
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const SjisEncoding e = EncodeSjis(text.mid(i, len));
        out += e.ok() ? e.bytes : std::string("?");
        i += len;
    }
    return out;
}

qsizetype FirstInvalidSjis(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t len = (IsLead(b) && i + 1 < bytes.size()) ? 2 : 1;
        if (IsLead(b) && len == 1) return static_cast<qsizetype>(i);  // lone lead byte at the end
        if (len == 2) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return static_cast<qsizetype>(i);
        }
        if (len == 1 && (b == 0x80 || b == 0xA0 || b >= 0xFD)) return static_cast<qsizetype>(i);
        if (len == 2) {
            // An assigned pair decodes to one character that is not the replacement.
            QStringDecoder dec(kCodec, QStringDecoder::Flag::Stateless);
            const QString s = dec.decode(QByteArrayView(bytes.data() + i, 2));
            if (dec.hasError() || s.size() != 1 || s[0] == QChar(0xFFFD)) return static_cast<qsizetype>(i);
        }
        i += len;
    }
    return -1;
}

QString PathToQString(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QString::fromStdString(path.string());  // native narrow paths are UTF-8
#endif
}

std::filesystem::path PathFromQString(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(path.toStdString());
#endif
}

std::string PathToSjis(const std::filesystem::path& path) { return ToSjisLossy(PathToQString(path)); }

std::filesystem::path PathFromSjis(std::string_view bytes) { return PathFromQString(FromSjis(bytes)); }

}  // namespace kotopa
