#include "wave.h"

#include <algorithm>
#include <utility>

#include "messages.h"
#include "textfile.h"

namespace kotopa {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The GUID of PCM samples in a WAVE_FORMAT_EXTENSIBLE format, as stored (little-endian).
constexpr std::string_view kPcmSubFormat(
    "\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);

uint16_t Le16(std::string_view b, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 (static_cast<unsigned char>(b[at + 1]) << 8));
}

uint32_t Le32(std::string_view b, std::size_t at) {
    return static_cast<uint32_t>(Le16(b, at)) | (static_cast<uint32_t>(Le16(b, at + 2)) << 16);
}

WaveCheck Problem(WaveProblem p) {
    WaveCheck c;
    c.problem = p;
    return c;
}

// Reads and checks a "fmt " chunk whose body is body (its whole declared size).
WaveProblem ReadFormat(std::string_view body, WaveFormat& f) {
    if (body.size() < 16) return WaveProblem::FormatTooShort;
    const uint16_t tag = Le16(body, 0);
    f.channels = Le16(body, 2);
    f.samplesPerSec = Le32(body, 4);
    f.bytesPerSec = Le32(body, 8);
    f.blockAlign = Le16(body, 12);
    f.bitsPerSample = Le16(body, 14);
    bool pcm = tag == kFormatPcm;
    if (tag == kFormatExtensible && body.size() >= 40 && Le16(body, 16) >= 22) {
        pcm = body.substr(24, 16) == kPcmSubFormat;
    }
    if (!pcm) return WaveProblem::NotPcm;
    if (f.channels == 0 || f.channels > 8) return WaveProblem::BadChannels;
    if (f.samplesPerSec < 8000 || f.samplesPerSec > 192000) return WaveProblem::BadRate;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16 && f.bitsPerSample != 24 &&
        f.bitsPerSample != 32) {
        return WaveProblem::BadBits;
    }
    if (f.blockAlign != f.channels * (f.bitsPerSample / 8)) return WaveProblem::BadBlockAlign;
    if (static_cast<uint64_t>(f.bytesPerSec) !=
        static_cast<uint64_t>(f.samplesPerSec) * f.blockAlign) {
        return WaveProblem::BadByteRate;
    }
    return WaveProblem::None;
}

}  // namespace

WaveCheck CheckWave(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF") return Problem(WaveProblem::NotRiff);
    if (bytes.substr(8, 4) != "WAVE") return Problem(WaveProblem::NotWave);
    // The RIFF size bounds the chunks; bytes after it (tags some tools append) are not
    // part of the wave. A size beyond the file is a cut-off file, walked as far as it goes.
    const uint64_t riffEnd = 8 + static_cast<uint64_t>(Le32(bytes, 4));
    const std::size_t end = static_cast<std::size_t>(std::min<uint64_t>(riffEnd, bytes.size()));

    WaveCheck check;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (end >= 8 && pos <= end - 8) {
        const std::string_view id = bytes.substr(pos, 4);
        const uint32_t size = Le32(bytes, pos + 4);
        const std::size_t body = pos + 8;
        const bool fits = size <= end - body;
        if (id == "fmt " && !haveFormat) {
            if (!fits) return Problem(WaveProblem::FormatTooShort);
            const WaveProblem p = ReadFormat(bytes.substr(body, size), check.format);
            if (p != WaveProblem::None) return Problem(p);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return Problem(WaveProblem::DataBeforeFormat);
            if (!fits) return Problem(WaveProblem::DataPastEnd);
            check.format.dataOffset = body;
            check.format.dataSize = size;
            check.format.frames = size / check.format.blockAlign;
            return check;
        }
        if (!fits) break;
        // An odd-sized chunk is followed by a pad byte, which the last chunk may lack.
        pos = body + size + (size & 1u);
    }
    return Problem(haveFormat ? WaveProblem::NoData : WaveProblem::NoFormat);
}

WaveCheck CheckWaveFile(const std::filesystem::path& path, std::string* out) {
    std::string bytes;
    switch (ReadFileBytes(path, bytes, kWaveFileLimit)) {
        case ReadStatus::Missing:
            return Problem(WaveProblem::Missing);
        case ReadStatus::Unreadable:
            return Problem(WaveProblem::Unreadable);
        case ReadStatus::TooLarge:
            return Problem(WaveProblem::TooLarge);
        case ReadStatus::Ok:
            break;
    }
    WaveCheck check = CheckWave(bytes);
    if (out) *out = std::move(bytes);
    return check;
}

std::string_view WaveProblemReason(WaveProblem problem) {
    switch (problem) {
        case WaveProblem::None:
            return "ok";
        case WaveProblem::Missing:
            return "no such file";
        case WaveProblem::Unreadable:
            return "cannot be read";
        case WaveProblem::TooLarge:
            return "larger than 16 MiB";
        case WaveProblem::NotRiff:
            return "not a RIFF file";
        case WaveProblem::NotWave:
            return "RIFF file without WAVE form";
        case WaveProblem::NoFormat:
            return "no fmt chunk";
        case WaveProblem::FormatTooShort:
            return "fmt chunk too short";
        case WaveProblem::NotPcm:
            return "samples are not PCM";
        case WaveProblem::BadChannels:
            return "not 1 to 8 channels";
        case WaveProblem::BadRate:
            return "sample rate not within 8000 to 192000 Hz";
        case WaveProblem::BadBits:
            return "not 8, 16, 24 or 32 bits per sample";
        case WaveProblem::BadBlockAlign:
            return "block align does not match channels and bits";
        case WaveProblem::BadByteRate:
            return "bytes per second do not match rate and block align";
        case WaveProblem::DataBeforeFormat:
            return "data chunk before fmt chunk";
        case WaveProblem::NoData:
            return "no data chunk";
        case WaveProblem::DataPastEnd:
            return "data chunk runs past the end of the file";
    }
    return "unknown";
}

std::string WaveRefusalText(std::string_view sjisPath, WaveProblem problem) {
    std::string s = PathMessage(sjisPath, msg::kBadWave);
    s += " (";
    s += WaveProblemReason(problem);
    s += ")";
    return s;
}

}  // namespace kotopa
