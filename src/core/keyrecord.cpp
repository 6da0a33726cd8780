#include "keyrecord.h"

#include <algorithm>
#include <limits>

namespace kotopa {

void KeyRecord::Reserve(std::size_t keys) {
    events_.reserve(keys);
    // A unit takes a key or more; a mistype is rarer still. Items and spellings take a few
    // bytes per key.
    units_.reserve(keys);
    mistypes_.reserve(keys / 4 + 16);
    text_.reserve(keys * 3);
}

void KeyRecord::Clear() {
    events_.clear();
    units_.clear();
    mistypes_.clear();
    text_.clear();
    headKeys_ = 0;
    headMs_ = 0;
    firstKeyMs_ = 0;
    headTouched_ = false;
}

void KeyRecord::Judged(uint32_t ms) {
    if (headTouched_) return;
    headTouched_ = true;
    firstKeyMs_ = ms;
}

void KeyRecord::Keystroke(uint32_t ms, char key) {
    Judged(ms);
    events_.push_back({ms, key, KeyAction::Keystroke, 0});
    if (text_.size() - headKeys_ < std::numeric_limits<uint16_t>::max()) text_.push_back(key);
}

void KeyRecord::Unit(uint32_t ms, char key, std::string_view item) {
    Judged(ms);
    if (text_.size() - headKeys_ < std::numeric_limits<uint16_t>::max()) text_.push_back(key);
    UnitEntry u;
    u.keysOffset = static_cast<uint32_t>(headKeys_);
    u.keysLen = static_cast<uint16_t>(text_.size() - headKeys_);
    item = item.substr(0, std::numeric_limits<uint8_t>::max());
    u.itemOffset = static_cast<uint32_t>(text_.size());
    u.itemLen = static_cast<uint8_t>(item.size());
    text_.append(item);
    u.headMs = headMs_;
    u.firstKeyMs = firstKeyMs_;
    u.ms = ms;
    events_.push_back({ms, key, KeyAction::Unit, static_cast<uint32_t>(units_.size())});
    units_.push_back(u);
    headKeys_ = text_.size();
    headMs_ = ms;
    headTouched_ = false;
}

void KeyRecord::Mistype(uint32_t ms, char key, std::string_view head, std::string_view expected) {
    Judged(ms);
    MistypeEntry m;
    head = head.substr(0, sizeof m.head);
    std::copy(head.begin(), head.end(), m.head);
    m.headLen = static_cast<uint8_t>(head.size());
    expected = expected.substr(0, MistypeEntry::kExpectedMax);
    std::copy(expected.begin(), expected.end(), m.expected);
    m.expectedLen = static_cast<uint8_t>(expected.size());
    events_.push_back({ms, key, KeyAction::Mistype, static_cast<uint32_t>(mistypes_.size())});
    mistypes_.push_back(m);
}

void KeyRecord::LineEnd(uint32_t ms) {
    events_.push_back({ms, '\r', KeyAction::LineEnd, 0});
    headKeys_ = text_.size();
    headMs_ = ms;
    headTouched_ = false;
}

}  // namespace kotopa
