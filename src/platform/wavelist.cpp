#include "wavelist.h"

#include <algorithm>

#include "wave.h"

namespace kotopa::platform {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

const WaveList::Item* WaveList::Find(std::string_view name) const {
    for (const auto& item : items_) {
        if (SameName(item.name, name)) return &item;
    }
    return nullptr;
}

bool WaveList::Add(std::string_view name, std::string_view bytes) {
    Remove(name);
    Item item;
    item.name.assign(name);
    const WaveCheck check = CheckWave(bytes);
    if (check.ok()) {
        item.wave =
            device_->Keep(std::make_shared<const MixWave>(ConvertWave(bytes, check.format)));
    }
    items_.push_back(std::move(item));
    return items_.back().wave != nullptr;
}

bool WaveList::Remove(std::string_view name) {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const Item& item) { return SameName(item.name, name); });
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
}

void WaveList::Play(std::string_view name) {
    const Item* item = Find(name);
    if (item && item->wave) device_->Play(item->wave);
}

const MixWave* WaveList::Wave(std::string_view name) const {
    const Item* item = Find(name);
    return item ? item->wave : nullptr;
}

}  // namespace kotopa::platform
