#include "mixer.h"

#include <algorithm>

namespace kotopa {

namespace {

// One sample at p as a signed value on the 16-bit scale.
int32_t Sample16(const unsigned char* p, unsigned bits) {
    switch (bits) {
        case 8:
            return (static_cast<int32_t>(p[0]) - 128) * 256;
        case 16:
            return static_cast<int16_t>(p[0] | (p[1] << 8));
        case 24:
            return static_cast<int16_t>(p[1] | (p[2] << 8));
        default:
            return static_cast<int16_t>(p[2] | (p[3] << 8));
    }
}

// Where channel c of n goes: 1 left, 2 right, 3 both, 0 nowhere.
unsigned Sides(unsigned c, unsigned n) {
    if (n == 1) return 3;
    if (c == 0) return 1;
    if (c == 1) return 2;
    if (c == 2) return 3;
    if (c == 3) return 0;
    return (c % 2 == 0) ? 1 : 2;
}

}  // namespace

MixWave ConvertWave(std::string_view bytes, const WaveFormat& f, uint32_t outRate) {
    const unsigned n = f.channels, bits = f.bitsPerSample, width = bits / 8;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data()) + f.dataOffset;

    // Stereo at the wave's own rate first.
    unsigned toLeft = 0, toRight = 0;
    for (unsigned c = 0; c < n; ++c) {
        toLeft += (Sides(c, n) & 1) ? 1 : 0;
        toRight += (Sides(c, n) & 2) ? 1 : 0;
    }
    std::vector<int32_t> stereo(static_cast<std::size_t>(f.frames) * 2);
    for (std::size_t i = 0; i < f.frames; ++i) {
        int32_t left = 0, right = 0;
        for (unsigned c = 0; c < n; ++c) {
            const int32_t s = Sample16(data + i * f.blockAlign + c * width, bits);
            if (Sides(c, n) & 1) left += s;
            if (Sides(c, n) & 2) right += s;
        }
        stereo[2 * i] = left / static_cast<int32_t>(toLeft);
        stereo[2 * i + 1] = right / static_cast<int32_t>(toRight);
    }

    // Then the output's rate: output frame i lies at i * in / out frames of the input, and
    // takes the straight line between its two neighbours (the last frame holds).
    MixWave wave;
    const uint64_t in = f.samplesPerSec, out = outRate;
    const std::size_t frames =
        f.frames == 0 ? 0 : static_cast<std::size_t>((uint64_t{f.frames} * out + in - 1) / in);
    wave.samples.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const uint64_t at = i * in;
        const std::size_t k = static_cast<std::size_t>(at / out);
        const int64_t frac = static_cast<int64_t>(at % out);
        const std::size_t k1 = std::min<std::size_t>(k + 1, f.frames - 1);
        for (unsigned side = 0; side < 2; ++side) {
            const int64_t a = stereo[2 * k + side], b = stereo[2 * k1 + side];
            const int64_t v = a + ((b - a) * frac) / static_cast<int64_t>(out);
            wave.samples[2 * i + side] = static_cast<int16_t>(v);
        }
    }
    return wave;
}

void Mixer::Start(const MixWave* wave, uint32_t delay) {
    if (!wave || wave->Frames() == 0) return;
    Voice* slot = &voices_[0];
    for (auto& v : voices_) {
        if (!v.wave) {
            slot = &v;
            break;
        }
        if (v.serial < slot->serial) slot = &v;  // all busy: the oldest gives way
    }
    slot->wave = wave;
    slot->position = -static_cast<int64_t>(delay);
    slot->serial = ++started_;
}

void Mixer::Mix(int16_t* out, std::size_t frames) {
    std::array<int32_t, 2 * 256> sum;
    while (frames > 0) {
        const std::size_t block = std::min<std::size_t>(frames, sum.size() / 2);
        std::fill_n(sum.begin(), 2 * block, 0);
        for (auto& v : voices_) {
            if (!v.wave) continue;
            const int64_t length = static_cast<int64_t>(v.wave->Frames());
            const int16_t* s = v.wave->samples.data();
            for (std::size_t i = 0; i < block; ++i) {
                const int64_t p = v.position + static_cast<int64_t>(i);
                if (p < 0) continue;
                if (p >= length) break;
                sum[2 * i] += s[2 * p];
                sum[2 * i + 1] += s[2 * p + 1];
            }
            v.position += static_cast<int64_t>(block);
            if (v.position >= length) v.wave = nullptr;
        }
        for (std::size_t i = 0; i < 2 * block; ++i) {
            out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum[i], -32768, 32767));
        }
        out += 2 * block;
        frames -= block;
    }
}

void Mixer::Silence() {
    for (auto& v : voices_) v.wave = nullptr;
}

std::size_t Mixer::Playing() const {
    return static_cast<std::size_t>(
        std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.wave; }));
}

}  // namespace kotopa
