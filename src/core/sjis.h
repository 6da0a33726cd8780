// Shift_JIS (code page 932) byte strings: lead bytes, whole-character heads and the
// ASCII-only case folding that items, keys and INI names are compared with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kotopa {

// A lead byte and the byte after it form one character; every other byte stands alone.
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsLeadByte(char c) {
    return IsLeadByte(static_cast<unsigned char>(c));
}

// Bytes taken by the character that starts at pos: 2 for a lead byte with a byte after it,
// otherwise 1. A lead byte that ends the string counts as one byte.
std::size_t CharLength(std::string_view s, std::size_t pos);

// Length in bytes of the longest run of whole characters at the start of s that fits in
// count bytes. A string no longer than count is taken whole; count < 1 gives 0.
std::size_t HeadLength(std::string_view s, int count);

// The head of s of at most count bytes, never splitting a double-byte character.
std::string MbCopy(std::string_view s, int count);

// Removes that head from s and returns the number of bytes removed.
int MbDelete(std::string& s, int count);

// Upper-cases a to z; every other byte is returned as it is.
constexpr char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Byte comparison after a to z become A to Z. Only bytes that are characters by
// themselves are folded: the second byte of a double-byte character is compared
// as it is, so that for example the katakana ヂ (83 61) never equals ア (83 41).
bool FoldedEqual(std::string_view a, std::string_view b);

// s with those same bytes folded: two strings are FoldedEqual exactly when their folded
// forms are equal, so the folded form can key an index.
std::string FoldedForm(std::string_view s);

}  // namespace kotopa
