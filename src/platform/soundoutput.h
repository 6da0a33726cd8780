// The program's one sound output: a mixer (mixer.h) fed to the system's audio service by a
// back end (audiobackend.h) on a thread of its own, from the time the window shows to the
// end of the run. A play posts "start a voice" to that thread without a lock; everything
// that talks to the sound server happens there. On Linux the back end is a module loaded
// by Open, so that the audio libraries do not delay the start; on Windows it is built in.
// Without the module or an output every play is silent.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "audiobackend.h"
#include "mixer.h"
#include "wavelist.h"

namespace kotopa::platform {

class SoundOutput final : public SoundDevice, private OutputFeed {
public:
    // module: the back end's module without its suffix (QLibrary adds .so); unused where the
    // back end is built in.
    explicit SoundOutput(std::filesystem::path module);
    ~SoundOutput() override;
    bool IsOpen() const override { return open_.load(std::memory_order_acquire); }
    void Open() override;
    const MixWave* Keep(std::shared_ptr<const MixWave> wave) override;
    void Play(const MixWave* wave) noexcept override {
        if (wave && open_.load(std::memory_order_relaxed)) queue_.Post(wave);
    }

    // A back end was found and runs.
    bool Running() const { return backend_ != nullptr; }
    // Voices started and frames written that were not silent, over the run (any thread).
    uint64_t VoicesStarted() const { return voices_.load(std::memory_order_acquire); }
    uint64_t SoundingFrames() const { return sounding_.load(std::memory_order_acquire); }

private:
    void Render(int16_t* out, std::size_t frames) noexcept override;
    void Opened(bool open) noexcept override;

    std::filesystem::path module_;
    bool tried_ = false;
    std::vector<std::shared_ptr<const MixWave>> waves_;
    VoiceQueue queue_;
    Mixer mixer_;  // the output's thread only
    std::atomic<bool> open_{false};
    std::atomic<uint64_t> voices_{0}, sounding_{0};
    std::unique_ptr<AudioBackend> backend_;
    std::thread thread_;
};

// The module's one entry (audiobackend.h) and its file name beside the executable, without
// the suffix.
inline constexpr char kSoundModuleEntry[] = "kotopa_sound_backend";
inline constexpr char kSoundModuleName[] = "kotopa_sound";

}  // namespace kotopa::platform
