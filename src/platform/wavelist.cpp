#include "wavelist.h"

#include <algorithm>

namespace kotopa::platform {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

WaveList::Item* WaveList::Find(std::string_view name) {
    for (auto& item : items_) {
        if (SameName(item.name, name)) return &item;
    }
    return nullptr;
}

const WaveList::Item* WaveList::Find(std::string_view name) const {
    return const_cast<WaveList*>(this)->Find(name);
}

void WaveList::Add(std::string_view name, const QUrl& wave) {
    Remove(name);
    Item item;
    item.name.assign(name);
    item.wave = wave;
    if (opened_ || device_->IsOpen()) Prepare(item);
    items_.push_back(std::move(item));
}

void WaveList::Prepare(Item& item) {
    item.prepared = device_->IsOpen() && !item.wave.isEmpty();
    if (item.prepared && item.voices.empty())
        item.voices.push_back(device_->CreateVoice(item.wave));
}

void WaveList::Open() {
    if (opened_) return;
    opened_ = true;
    device_->Open();
    for (auto& item : items_) Prepare(item);
}

bool WaveList::Remove(std::string_view name) {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const Item& item) { return SameName(item.name, name); });
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
}

void WaveList::Play(std::string_view name) {
    if (!opened_) Open();
    Item* item = Find(name);
    if (!item || !item->prepared) return;
    for (auto& voice : item->voices) {
        if (!voice->IsPlaying()) {
            voice->Restart();
            return;
        }
    }
    item->voices.push_back(device_->CreateVoice(item->wave));
    item->voices.back()->Restart();
}

std::size_t WaveList::VoiceCount(std::string_view name) const {
    const Item* item = Find(name);
    return item ? item->voices.size() : 0;
}

}  // namespace kotopa::platform
