// The mistype sound's mixer. A wave is converted once to the output's format (16-bit stereo
// at the output's rate) and held once; a voice is only a position into that copy. Voices sum
// with clipping, a voice that has ended is reused, and at most kMaxVoices sound at a time:
// when all are busy the oldest gives way. VoiceQueue hands "start a voice" from the window's
// thread to the audio side without a lock, so the key path never waits for the sound output.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "wave.h"

namespace kotopa {

inline constexpr uint32_t kMixRate = 48000;
inline constexpr unsigned kMixChannels = 2;

// A wave in the mixer's format: interleaved left/right 16-bit samples.
struct MixWave {
    std::vector<int16_t> samples;
    std::size_t Frames() const { return samples.size() / kMixChannels; }
};

// Converts the samples of a checked wave (CheckWave(bytes) ok, format its result): every
// sample to 16 bits, the channels to stereo, the rate to outRate by linear interpolation.
// One channel goes to both sides; of more than two, the first and second are left and
// right, the third (front centre) goes to both, the fourth (low frequency) is left out, and
// the rest go left and right by turns; each side is the mean of what goes to it.
MixWave ConvertWave(std::string_view bytes, const WaveFormat& format, uint32_t outRate = kMixRate);

class Mixer {
public:
    static constexpr std::size_t kMaxVoices = 16;

    // Starts one more voice of wave, delay frames into the next Mix. The wave must outlive
    // the voice.
    void Start(const MixWave* wave, uint32_t delay = 0);
    // Writes frames stereo frames: the sum of the voices, clipped to 16 bits.
    void Mix(int16_t* out, std::size_t frames);
    // Ends every voice (the output went away).
    void Silence();
    std::size_t Playing() const;

private:
    struct Voice {
        const MixWave* wave = nullptr;  // null: idle
        int64_t position = 0;           // next frame; negative while the start is delayed
        uint64_t serial = 0;            // order of starting
    };
    std::array<Voice, kMaxVoices> voices_{};
    uint64_t started_ = 0;
};

// A bounded single-producer, single-consumer queue of "start a voice of this wave". Post is
// wait-free; a post into a full queue is dropped (the mixer would drop most of them anyway).
class VoiceQueue {
public:
    static constexpr uint32_t kCapacity = 64;

    bool Post(const MixWave* wave) noexcept {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) >= kCapacity) return false;
        slots_[head % kCapacity] = wave;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    // Hands every posted wave to take, oldest first; the consumer's side.
    template <class Take>
    void Drain(Take&& take) {
        uint32_t tail = tail_.load(std::memory_order_relaxed);
        const uint32_t head = head_.load(std::memory_order_acquire);
        for (; tail != head; ++tail) take(slots_[tail % kCapacity]);
        tail_.store(tail, std::memory_order_release);
    }

private:
    std::array<const MixWave*, kCapacity> slots_{};
    alignas(64) std::atomic<uint32_t> head_{0};
    alignas(64) std::atomic<uint32_t> tail_{0};
};

}  // namespace kotopa
