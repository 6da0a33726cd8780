#include "sjiscodec.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#endif

namespace kotopa {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::size_t kNone = std::string_view::npos;

bool IsLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
// Single bytes that code page 932 leaves undefined. Windows passes some of them through as
// control or private-use characters and iconv refuses them; both are made to refuse them.
bool IsUndefinedSingle(unsigned char b) {
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

// One character of Shift_JIS text as the lead-byte rule splits it.
struct SjisUnit {
    std::size_t size;
    bool wellFormed;  // a lead byte with a trail byte, or a defined single byte
};

SjisUnit UnitAt(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (IsLead(b)) {
        if (i + 1 < s.size() && IsTrail(static_cast<unsigned char>(s[i + 1]))) return {2, true};
        return {1, false};  // the byte after it is taken as a character of its own
    }
    return {1, !IsUndefinedSingle(b)};
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// UTF-16 units of the character at i: 2 for a surrogate pair, else 1.
std::size_t CharSize(std::u16string_view s, std::size_t i) {
    return IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1]) ? 2 : 1;
}

bool IsLoneSurrogate(std::u16string_view s, std::size_t i) {
    return (IsHighSurrogate(s[i]) || IsLowSurrogate(s[i])) && CharSize(s, i) == 1;
}

char16_t MapLookAlike(char16_t c) {
    switch (c) {
        case u'\u301C':
            return u'\uFF5E';  // wave dash
        case u'\u2212':
            return u'\uFF0D';  // minus sign
        case u'\u2016':
            return u'\u2225';  // double vertical line
        case u'\u00A2':
            return u'\uFFE0';  // cent sign
        case u'\u00A3':
            return u'\uFFE1';  // pound sign
        case u'\u00AC':
            return u'\uFFE2';  // not sign
        case u'\u2014':
            return u'\u2015';  // em dash
        default:
            return c;
    }
}

// ---------------------------------------------------------------------------------------
// The operating system's converter. Each call converts a run of characters; when one of
// them has no counterpart, the output holds the characters before it and the answer is its
// place in the run (bytes when decoding, UTF-16 units when encoding). kNone: all converted.

#ifdef _WIN32

constexpr UINT kCodePage = 932;

bool WinDecode(std::string_view run, std::u16string& out) {
    if (run.empty()) return true;
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, run.data(),
                                      static_cast<int>(run.size()), nullptr, 0);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, run.data(), static_cast<int>(run.size()),
                        reinterpret_cast<wchar_t*>(out.data() + at), n);
    return true;
}

bool WinEncode(std::u16string_view text, std::string& out) {
    if (text.empty()) return true;
    BOOL usedDefault = FALSE;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int len = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, len, nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, len, out.data() + at, n, nullptr,
                        &usedDefault);
    return true;
}

// The whole run in one call; when that fails, character by character to find the place.
std::size_t OsDecode(std::string_view run, std::u16string& out) {
    if (WinDecode(run, out)) return kNone;
    for (std::size_t i = 0; i < run.size();) {
        const std::size_t size = UnitAt(run, i).size;
        if (!WinDecode(run.substr(i, size), out)) return i;
        i += size;
    }
    return kNone;
}

std::size_t OsEncode(std::u16string_view text, std::string& out) {
    if (WinEncode(text, out)) return kNone;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t size = CharSize(text, i);
        if (!WinEncode(text.substr(i, size), out)) return i;
        i += size;
    }
    return kNone;
}

#else

// One conversion descriptor per direction and thread, opened on first use. Each converts
// between code page 932 and the C library's own wide characters (UCS-4) in one step: by way
// of UTF-16 it would take two, with a buffer of 32 kB between them held for good.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("this system's iconv cannot convert code page 932 (CP932)");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts size bytes at in into out (appended). Returns kNone, or the input byte offset
    // at which a character could not be converted.
    template <typename Out>
    std::size_t Convert(const char* in, std::size_t size, Out& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        std::size_t left = size;
        while (left > 0) {
            typename Out::value_type buf[256];
            char* dst = reinterpret_cast<char*>(buf);
            std::size_t room = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.insert(out.end(), buf, buf + (sizeof buf - room) / sizeof buf[0]);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return static_cast<std::size_t>(src - in);
        }
        return kNone;
    }

private:
    iconv_t cd_;
};

static_assert(sizeof(wchar_t) == 4, "iconv's WCHAR_T is UCS-4 here");

std::size_t OsDecode(std::string_view run, std::u16string& out) {
    thread_local Iconv decoder("WCHAR_T", "CP932");
    std::u32string wide;
    const std::size_t bad = decoder.Convert(run.data(), run.size(), wide);
    for (const char32_t c : wide) {
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bad;
}

std::size_t OsEncode(std::u16string_view text, std::string& out) {
    thread_local Iconv encoder("CP932", "WCHAR_T");
    // Each character as one code point, and where in text it began.
    std::u32string wide;
    std::vector<std::size_t> starts;
    wide.reserve(text.size());
    starts.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t size = CharSize(text, i);
        starts.push_back(i);
        wide += size == 2 ? 0x10000 + ((char32_t{text[i]} - 0xD800) << 10) + (text[i + 1] - 0xDC00)
                          : char32_t{text[i]};
        i += size;
    }
    const std::size_t bad = encoder.Convert(reinterpret_cast<const char*>(wide.data()),
                                            wide.size() * sizeof(char32_t), out);
    return bad == kNone ? kNone : starts[bad / sizeof(char32_t)];
}

#endif

// ---------------------------------------------------------------------------------------

bool AllAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

void DecodeInto(std::string_view s, std::u16string& out) {
    if (AllAscii(s)) {  // code page 932 agrees with ASCII on every byte below 80
        out.append(s.begin(), s.end());
        return;
    }
    for (std::size_t i = 0; i < s.size();) {
        // A run of well-formed characters goes to the converter in one call.
        std::size_t end = i;
        while (end < s.size() && UnitAt(s, end).wellFormed) end += UnitAt(s, end).size;
        std::string_view run = s.substr(i, end - i);
        while (!run.empty()) {
            const std::size_t bad = OsDecode(run, out);
            if (bad == kNone) break;
            out += kReplacement;  // an unassigned pair
            run.remove_prefix(bad + UnitAt(run, bad).size);
        }
        i = end;
        if (i < s.size()) {
            out += kReplacement;
            i += UnitAt(s, i).size;
        }
    }
}

// Encodes text into out (appended). Returns kNone, or the UTF-16 index of the first character
// that Shift_JIS cannot hold; out then holds the bytes of the characters before it.
std::size_t EncodeInto(std::u16string_view text, std::string& out) {
    bool ascii = true;
    std::size_t limit = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x80) ascii = false;
        if (IsLoneSurrogate(text, i)) {
            limit = i;
            break;
        }
    }
    if (ascii) {
        out.append(text.begin(), text.end());
        return kNone;
    }
    std::u16string mapped(text.substr(0, limit));
    for (char16_t& c : mapped) c = MapLookAlike(c);
    const std::size_t start = out.size();
    std::size_t bad = OsEncode(mapped, out);
    const std::size_t converted = bad == kNone ? mapped.size() : bad;
    // A character is held only when its bytes read back as that character: the converter
    // may map some (¥ to 5C) one way only.
    std::u16string back;
    DecodeInto(std::string_view(out).substr(start), back);
    if (std::u16string_view(back) != std::u16string_view(mapped).substr(0, converted)) {
        out.resize(start);
        for (std::size_t i = 0; i < converted;) {
            const std::size_t size = CharSize(mapped, i);
            const std::size_t before = out.size();
            const std::u16string_view ch = std::u16string_view(mapped).substr(i, size);
            back.clear();
            if (OsEncode(ch, out) == kNone) DecodeInto(std::string_view(out).substr(before), back);
            if (back != ch) {
                out.resize(before);
                return i;
            }
            i += size;
        }
    }
    if (bad == kNone && limit < text.size()) bad = limit;
    return bad;
}

// UTF-8 decoding of the character at i: its code point and size, or size 0 when malformed
// (overlong forms, surrogates and values above U+10FFFF included).
struct Utf8Char {
    char32_t code = 0;
    std::size_t size = 0;
};

Utf8Char Utf8At(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return {b, 1};
    std::size_t len = 0;
    char32_t cp = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return {};
    }
    if (i + len > s.size()) return {};
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
    return {cp, len};
}

void AppendUtf16(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-8 as UTF-16, with the byte offset where each UTF-16 unit came from (and one past the
// end). Stops at the first malformed sequence and returns its offset, else kNone.
std::size_t Utf8ToUtf16Mapped(std::string_view utf8, std::u16string& out,
                              std::vector<std::size_t>& from) {
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char c = Utf8At(utf8, i);
        if (c.size == 0) {
            from.push_back(i);
            return i;
        }
        const std::size_t before = out.size();
        AppendUtf16(c.code, out);
        from.insert(from.end(), out.size() - before, i);
        i += c.size;
    }
    from.push_back(utf8.size());
    return kNone;
}

}  // namespace

std::u16string SjisToUtf16(std::string_view sjis) {
    std::u16string out;
    out.reserve(sjis.size());
    DecodeInto(sjis, out);
    return out;
}

std::string SjisToUtf8(std::string_view sjis) {
    return Utf16ToUtf8(SjisToUtf16(sjis));
}

SjisEncoding SjisFromUtf16(std::u16string_view text) {
    SjisEncoding e;
    const std::size_t bad = EncodeInto(text, e.bytes);
    if (bad != kNone) {
        e.bytes.clear();
        e.badIndex = static_cast<std::ptrdiff_t>(bad);
    }
    return e;
}

SjisEncoding SjisFromUtf8(std::string_view utf8) {
    std::u16string text;
    std::vector<std::size_t> from;
    const std::size_t malformed = Utf8ToUtf16Mapped(utf8, text, from);
    SjisEncoding e = SjisFromUtf16(text);
    if (!e.ok()) {
        e.badIndex = static_cast<std::ptrdiff_t>(from[static_cast<std::size_t>(e.badIndex)]);
    } else if (malformed != kNone) {
        e.bytes.clear();
        e.badIndex = static_cast<std::ptrdiff_t>(malformed);
    }
    return e;
}

std::string SjisFromUtf16Lossy(std::u16string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t bad = EncodeInto(text, out);
        if (bad == kNone) break;
        out += '?';
        text.remove_prefix(bad + CharSize(text, bad));
    }
    return out;
}

std::string SjisFromUtf8Lossy(std::string_view utf8) {
    return SjisFromUtf16Lossy(Utf8ToUtf16(utf8));
}

std::ptrdiff_t FirstInvalidSjis(std::string_view sjis) {
    for (std::size_t i = 0; i < sjis.size();) {
        const SjisUnit u = UnitAt(sjis, i);
        if (!u.wellFormed) return static_cast<std::ptrdiff_t>(i);
        i += u.size;
    }
    if (AllAscii(sjis)) return -1;
    // Every character is well formed; the converter knows which pairs are assigned.
    std::u16string out;
    const std::size_t bad = OsDecode(sjis, out);
    return bad == kNone ? -1 : static_cast<std::ptrdiff_t>(bad);
}

std::size_t FirstInvalidUtf8(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t size = Utf8At(utf8, i).size;
        if (size == 0) return i;
        i += size;
    }
    return std::string_view::npos;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char c = Utf8At(utf8, i);
        AppendUtf16(c.size ? c.code : kReplacement, out);
        i += c.size ? c.size : 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t size = CharSize(text, i);
        char32_t cp = text[i];
        if (size == 2) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        } else if (IsLoneSurrogate(text, i)) {
            cp = kReplacement;
        }
        AppendUtf8(cp, out);
        i += size;
    }
    return out;
}

std::u32string Utf8ToUtf32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char c = Utf8At(utf8, i);
        out += c.size ? c.code : kReplacement;
        i += c.size ? c.size : 1;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t cp : text) {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
        AppendUtf8(cp, out);
    }
    return out;
}

#ifdef _WIN32

std::u16string PathToUtf16(const std::filesystem::path& path) {
    const std::wstring& w = path.native();
    return std::u16string(w.begin(), w.end());
}

std::filesystem::path PathFromUtf16(std::u16string_view text) {
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return Utf16ToUtf8(PathToUtf16(path));
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return PathFromUtf16(Utf8ToUtf16(utf8));
}

#else

std::u16string PathToUtf16(const std::filesystem::path& path) {
    return Utf8ToUtf16(path.native());
}

std::filesystem::path PathFromUtf16(std::u16string_view text) {
    return std::filesystem::path(Utf16ToUtf8(text));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}

#endif

std::string PathToSjis(const std::filesystem::path& path) {
    return SjisFromUtf16Lossy(PathToUtf16(path));
}

std::filesystem::path PathFromSjis(std::string_view sjis) {
    return PathFromUtf16(SjisToUtf16(sjis));
}

}  // namespace kotopa
