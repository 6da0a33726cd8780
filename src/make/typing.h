// What a key table lets a player type: the characters of a reading that no sequence of keys
// gets past, found by playing the matcher itself over every key that could continue, and a
// typed try of one reading with its counters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"

namespace kotopa::tool {

struct Blocked {
    int charIndex = 0;      // 0-based, in characters of the reading
    std::string character;  // Shift_JIS; empty when the line cannot be finished at its end
};

// Every place of the reading (Shift_JIS, without the line-end marker) where the matcher,
// fed any keys at all, can go no further. After such a character the search starts again
// behind it, so that one reading can show several. Empty when the reading can be typed.
std::vector<Blocked> UntypableCharacters(const KeyTable& table, std::string_view reading);

struct TypedUnit {
    std::string text;  // Shift_JIS, the characters the unit took from the reading
    std::string keys;  // the keys that typed it
};

struct TryResult {
    int32_t KeyCount = 0;
    int32_t CharCount = 0;
    int32_t MissCount = 0;
    bool completed = false;
    int firstMissKey = -1;   // 0-based index into the keys, or -1
    int firstMissChar = -1;  // 0-based character of the reading where it happened
    int keysAfterEnd = 0;    // keys left over when the line was already complete
    std::vector<TypedUnit> units;
};

// Types keys one by one against the reading as a play does: both the reading and the
// written form get the line-end marker, the lists are filled from the bare reading.
TryResult TryTyping(const KeyTable& table, std::string_view reading, std::string_view keys);

}  // namespace kotopa::tool
