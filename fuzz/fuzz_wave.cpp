// RIFF WAVE check: any bytes are judged without reading outside them, and an accepted wave
// has a consistent PCM format and its samples wholly inside the input, which convert to the
// mixer's format.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "mixer.h"
#include "wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kotopa::WaveCheck c = kotopa::CheckWave(bytes);
    if (c.ok()) {
        const kotopa::WaveFormat& f = c.format;
        FUZZ_CHECK(f.channels >= 1 && f.channels <= 8);
        FUZZ_CHECK(f.blockAlign == f.channels * (f.bitsPerSample / 8));
        FUZZ_CHECK(static_cast<uint64_t>(f.bytesPerSec) ==
                   static_cast<uint64_t>(f.samplesPerSec) * f.blockAlign);
        FUZZ_CHECK(f.dataOffset >= 20 && f.dataOffset <= size);
        FUZZ_CHECK(f.dataSize <= size - f.dataOffset);
        FUZZ_CHECK(static_cast<uint64_t>(f.frames) * f.blockAlign <= f.dataSize);
        FUZZ_CHECK(f.dataSize - static_cast<uint64_t>(f.frames) * f.blockAlign < f.blockAlign);
        FUZZ_CHECK(bytes.substr(f.dataOffset - 8, 4) == "data");
        // Its conversion reads only its own samples and keeps its length at the new rate.
        FUZZ_CHECK(f.samplesPerSec >= 8000 && f.samplesPerSec <= 192000);
        const kotopa::MixWave w = kotopa::ConvertWave(bytes, f);
        const uint64_t scaled = uint64_t{f.frames} * kotopa::kMixRate;
        FUZZ_CHECK(w.Frames() * uint64_t{f.samplesPerSec} >= scaled);
        FUZZ_CHECK(w.Frames() * uint64_t{f.samplesPerSec} < scaled + f.samplesPerSec);
    }
    return 0;
}
