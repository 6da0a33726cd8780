// Short sounds played without waiting: a list of named waves over a sound device. A wave is
// converted once, when it is added, to the mixer's format and handed to the device, which
// keeps it for its own life; a play only asks the device to start one more voice of it, so
// quick repeats overlap and a play never waits for the sound output. Without an output every
// play is silent.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mixer.h"

namespace kotopa::platform {

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    // The output is open at this moment (it may go away and come back on its own).
    virtual bool IsOpen() const = 0;
    // Starts the output in the background and returns at once; later calls do nothing.
    virtual void Open() = 0;
    // Keeps a wave for as long as the device lives; Play takes what it returns.
    virtual const MixWave* Keep(std::shared_ptr<const MixWave> wave) = 0;
    // Starts one voice of a kept wave. On the key path: never waits and never calls the
    // sound server; while the output is closed it does nothing.
    virtual void Play(const MixWave* wave) noexcept = 0;
};

class WaveList {
public:
    explicit WaveList(SoundDevice& device) : device_(&device) {}

    // Adds a wave under name (letter case is ignored), replacing one of the same name, from
    // the bytes of a RIFF WAVE file; a wave that CheckWave refuses, or empty bytes, adds the
    // name without a usable wave: its plays are silent. False then.
    bool Add(std::string_view name, std::string_view bytes);
    // Opens the device (in the background).
    void Open() { device_->Open(); }
    // Removes the wave; false when there is none of that name.
    bool Remove(std::string_view name);
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

    // Starts the wave and returns at once.
    void Play(std::string_view name);

    // The wave's converted samples, null when it has none (for tests and measurements).
    const MixWave* Wave(std::string_view name) const;

private:
    struct Item {
        std::string name;
        const MixWave* wave = nullptr;  // kept by the device
    };
    const Item* Find(std::string_view name) const;

    SoundDevice* device_;
    std::vector<Item> items_;
};

}  // namespace kotopa::platform
