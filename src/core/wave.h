// RIFF WAVE files for the mistype sound. CheckWave tells whether bytes are a PCM wave that
// the mixer can take (mixer.h converts it): a RIFF/WAVE header, a "fmt " chunk whose numbers agree
// with each other, then a "data" chunk that lies wholly within the file. Chunks it does not know
// are skipped, odd-sized chunks are followed by their pad byte. Any input is safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "textfile.h"

namespace kotopa {

enum class WaveProblem {
    None,
    Missing,           // no file at the path
    Unreadable,        // it exists but cannot be read
    TooLarge,          // larger than kWaveFileLimit
    NotRiff,           // no "RIFF" header, or too short to hold one
    NotWave,           // a RIFF file of another form
    NoFormat,          // no "fmt " chunk
    FormatTooShort,    // "fmt " is shorter than 16 bytes or cut off by the end of the file
    NotPcm,            // compressed or floating-point samples
    BadChannels,       // 0 or more than 8 channels
    BadRate,           // fewer than 8 000 or more than 192 000 samples per second
    BadBits,           // bits per sample other than 8, 16, 24 or 32
    BadBlockAlign,     // block align is not channels × bytes per sample
    BadByteRate,       // bytes per second is not samples per second × block align
    DataBeforeFormat,  // samples come before their format
    NoData,            // no "data" chunk
    DataPastEnd,       // the "data" chunk runs past the end of the file
};

// No mistype sound is near this size (16 MiB is a minute and a half of CD sound).
inline constexpr std::uintmax_t kWaveFileLimit = 16 * kMiB;

struct WaveFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t bytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::size_t dataOffset = 0;  // first sample byte in the file
    uint32_t dataSize = 0;       // bytes of the "data" chunk
    uint32_t frames = 0;         // whole sample frames in it
};

struct WaveCheck {
    WaveProblem problem = WaveProblem::None;
    WaveFormat format;  // complete only when ok()
    bool ok() const { return problem == WaveProblem::None; }
};

WaveCheck CheckWave(std::string_view bytes);
// The file's check; its bytes go to *bytes when asked for.
WaveCheck CheckWaveFile(const std::filesystem::path& path, std::string* bytes = nullptr);

// A short English description of a problem, for the message and for logs.
std::string_view WaveProblemReason(WaveProblem problem);

// The message for a mistype sound that cannot be used: the path, LF CR,
// "正しい WAVE ファイルではありません。" and the reason in brackets.
std::string WaveRefusalText(std::string_view sjisPath, WaveProblem problem);

}  // namespace kotopa
