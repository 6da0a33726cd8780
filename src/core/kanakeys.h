// The keys of the Japanese kana keyboard (JIS X 6002) by position. In the kana input style
// a key is judged by where it is, not by the character the keyboard layout gives: every
// position, with or without Shift, is one byte of a candidate (a key token), and the window
// shows the kana printed on the key in its place. ゛ and ゜ are keys of their own, typed
// after the kana (か then ゛ is が).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kotopa {

struct KanaKey {
    uint16_t scan;              // the position: the PC keyboard's scan code (set 1)
    char key;                   // its token without Shift
    std::string_view top;       // the kana printed on it (Shift_JIS)
    char shiftKey;              // its token with Shift; key where Shift gives no other kana
    std::string_view shiftTop;  // what it gives with Shift
};

// Every position, the space bar last.
std::span<const KanaKey> KanaKeys();

// The token of the key at a scan code, with Shift held or not; 0 for a key that types no kana.
char KanaKeyToken(uint32_t scan, bool shift);

// The scan code of a Linux input event code (evdev), which X11 reports plus 8: the same
// number for the keys of the main block, other numbers for ろ and ¥.
uint32_t ScanCodeOfEvdev(uint32_t evdev);

// Key tokens as the keys show them (Shift_JIS): every token becomes its kana; another byte
// stays as it is.
std::string KanaKeyTops(std::string_view keys);

// The tokens of key-top text (Shift_JIS), as the key panel's edits hold it; nothing when a
// character is not printed on a key.
std::optional<std::string> KanaKeysOfTops(std::string_view tops);

}  // namespace kotopa
