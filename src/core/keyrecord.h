// The key record of a play: every key the matcher judged, with its moment and what it did,
// the kana and the expected keys of every mistype, and the item, spelling and time of every
// completed unit. The play session appends to it on the key path; appending allocates
// nothing while the reserved room lasts and grows by doubling after that.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kotopa {

enum class KeyAction : uint8_t {
    Keystroke,  // a correct key that continues a candidate
    Unit,       // a correct key that completed a unit (or the reading of the line)
    Mistype,    // no live candidate takes the key, or a key other than Enter at a line end
    LineEnd,    // the Enter that closes a line
};

struct KeyEvent {
    uint32_t ms = 0;  // since typing started
    char key = 0;
    KeyAction action = KeyAction::Keystroke;
    uint32_t detail = 0;  // Unit: index into Units(); Mistype: index into Mistypes()
    bool operator==(const KeyEvent&) const = default;
};

// A mistype's place: the character at the head of the reading ("〆" at a line end) and the
// keys that would have been right (the next byte of every live candidate, each byte once,
// in list order).
struct MistypeEntry {
    static constexpr std::size_t kExpectedMax = 16;
    char head[2] = {};
    uint8_t headLen = 0;
    uint8_t expectedLen = 0;
    char expected[kExpectedMax] = {};

    std::string_view Head() const { return {head, headLen}; }
    std::string_view Expected() const { return {expected, expectedLen}; }
};

// A completed unit: the kana it covered (its item), the correct keys typed for it (the
// spelling chosen), when it became the head of the reading, its first key and its last.
struct UnitEntry {
    uint32_t itemOffset = 0, keysOffset = 0;  // into the record's text bytes
    uint8_t itemLen = 0;
    uint16_t keysLen = 0;
    uint32_t headMs = 0;      // the previous unit, the line's start, or the start of typing
    uint32_t firstKeyMs = 0;  // the first key judged while it was the head (a mistype too)
    uint32_t ms = 0;          // its completion
};

class KeyRecord {
public:
    // Room for this many keys without allocating; a cleared record keeps its room.
    void Reserve(std::size_t keys);
    void Clear();

    void Keystroke(uint32_t ms, char key);
    void Unit(uint32_t ms, char key, std::string_view item);
    // The head is cut to its first two bytes, the expected keys to kExpectedMax.
    void Mistype(uint32_t ms, char key, std::string_view head, std::string_view expected);
    void LineEnd(uint32_t ms);

    const std::vector<KeyEvent>& Events() const { return events_; }
    const std::vector<UnitEntry>& Units() const { return units_; }
    const std::vector<MistypeEntry>& Mistypes() const { return mistypes_; }
    std::string_view Item(const UnitEntry& u) const {
        return std::string_view(text_).substr(u.itemOffset, u.itemLen);
    }
    std::string_view Keys(const UnitEntry& u) const {
        return std::string_view(text_).substr(u.keysOffset, u.keysLen);
    }
    std::size_t Capacity() const { return events_.capacity(); }

private:
    void Judged(uint32_t ms);

    std::vector<KeyEvent> events_;
    std::vector<UnitEntry> units_;
    std::vector<MistypeEntry> mistypes_;
    // Item and key bytes of the units, and the keys of the unit at the head so far.
    std::string text_;
    std::size_t headKeys_ = 0;  // where the head unit's keys begin in text_
    uint32_t headMs_ = 0;
    uint32_t firstKeyMs_ = 0;
    bool headTouched_ = false;  // a key was judged since the head unit began
};

}  // namespace kotopa
