// Short sounds played without waiting: a list of named waves over a sound device. Each
// wave keeps a pool of voices; a play takes the first idle voice or adds a new one, so
// quick repeats overlap instead of cutting each other short, and steady use creates no
// new voices. Without a sound device nothing is prepared and every play is silent. A
// device may open late (see Open): the waves added before are prepared then.
#pragma once

#include <QUrl>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kotopa::platform {

// One playback of a wave.
class Voice {
public:
    virtual ~Voice() = default;
    // Started and not yet finished (a start still waiting for the wave to load counts).
    virtual bool IsPlaying() const = 0;
    // Stops, rewinds and starts again, once, not looped.
    virtual void Restart() = 0;
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    // A sound output is open.
    virtual bool IsOpen() const = 0;
    // Opens the output if that has not been tried yet; IsOpen() afterwards. A device that
    // is open (or cannot be) from the start needs nothing more.
    virtual bool Open() { return IsOpen(); }
    // A voice for the RIFF WAVE at the address (a file or a resource).
    virtual std::unique_ptr<Voice> CreateVoice(const QUrl& wave) = 0;
};

class WaveList {
public:
    explicit WaveList(SoundDevice& device) : device_(&device) {}

    // Adds a wave under name (letter case is ignored), replacing one of the same name. An
    // empty address adds the name without a usable wave: its plays are silent. With an
    // open device the wave is prepared at once, so its first play does not wait for loading.
    void Add(std::string_view name, const QUrl& wave);
    // Opens the device and prepares every wave added so far. A play opens it too, so a
    // list that is never opened still sounds; opening first only spares the wait.
    void Open();
    // Removes the wave and its voices; false when there is none of that name.
    bool Remove(std::string_view name);
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

    // Starts the wave and returns at once.
    void Play(std::string_view name);

    // Voices that the wave holds (for tests and measurements).
    std::size_t VoiceCount(std::string_view name) const;

private:
    struct Item {
        std::string name;
        QUrl wave;
        bool prepared = false;
        std::vector<std::unique_ptr<Voice>> voices;
    };
    Item* Find(std::string_view name);
    const Item* Find(std::string_view name) const;
    void Prepare(Item& item);

    SoundDevice* device_;
    bool opened_ = false;
    std::vector<Item> items_;
};

}  // namespace kotopa::platform
