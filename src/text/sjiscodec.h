// Shift_JIS (code page 932) and Unicode, converted by the operating system's own converter
// (iconv's "CP932" on Linux, MultiByteToWideChar / WideCharToMultiByte with 932 on Windows),
// and native paths turned into text for showing and storing. Both platforms give the same
// answer for every byte sequence and every character; no Qt, no ICU.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kotopa {

// Shift_JIS bytes as Unicode. A byte sequence that is not a character (a lone or unassigned
// lead byte pair, the undefined single bytes 80, A0, FD-FF) becomes U+FFFD, one per
// character as the lead-byte rule splits the text.
std::u16string SjisToUtf16(std::string_view sjis);
std::string SjisToUtf8(std::string_view sjis);

struct SjisEncoding {
    std::string bytes;
    // Where the first character that Shift_JIS cannot hold starts (UTF-16 units for UTF-16
    // text, bytes for UTF-8 text), or -1. The bytes are then incomplete and must not be used.
    std::ptrdiff_t badIndex = -1;
    bool ok() const { return badIndex < 0; }
};

// Unicode as Shift_JIS. Characters that editors and input methods produce in place of the
// ones code page 932 holds are mapped first: the wave dash 〜 (U+301C) to ～ (81 60), the
// minus sign − (U+2212) to － (81 7C), ‖ (U+2016) to ∥, ¢ £ ¬ to their full-width forms,
// and the em dash — (U+2014) to ― (81 5C). A character is held only when its bytes read
// back as the same character, so ¥ and ‾ are not stored as \ and ~. Malformed UTF-8 and
// lone surrogates cannot be held either.
SjisEncoding SjisFromUtf16(std::u16string_view text);
SjisEncoding SjisFromUtf8(std::string_view utf8);

// The same with "?" in place of every character that cannot be held: for messages and
// stored paths, where something must be shown.
std::string SjisFromUtf16Lossy(std::u16string_view text);
std::string SjisFromUtf8Lossy(std::string_view utf8);

// Where the bytes stop being valid Shift_JIS: the byte offset of the first character that
// SjisToUtf16 turns into U+FFFD, or -1.
std::ptrdiff_t FirstInvalidSjis(std::string_view sjis);

// Byte offset of the first byte that does not begin a well-formed UTF-8 character (overlong
// forms, surrogates and values above U+10FFFF included), or npos.
std::size_t FirstInvalidUtf8(std::string_view utf8);

// UTF-8 and UTF-16 into each other; a malformed sequence or a lone surrogate becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// Native paths as text. A path becomes Shift_JIS only where it is shown in a window or stored
// in a file; a stored one is turned back into a native path before it is opened. On Linux a
// native path is UTF-8 bytes, on Windows UTF-16.
std::string PathToSjis(const std::filesystem::path& path);  // lossy: "?" for what cannot be held
std::filesystem::path PathFromSjis(std::string_view sjis);
std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::u16string PathToUtf16(const std::filesystem::path& path);
std::filesystem::path PathFromUtf16(std::u16string_view text);

}  // namespace kotopa
