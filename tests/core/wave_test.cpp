#include "wave.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;

namespace {

std::string Le16(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string Le32(uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

std::string Chunk(std::string_view id, std::string_view body, bool pad = true) {
    std::string c = std::string(id) + Le32(static_cast<uint32_t>(body.size())) + std::string(body);
    if (pad && body.size() % 2 == 1) c += '\0';
    return c;
}

struct Fmt {
    uint16_t tag = 1, channels = 2;
    uint32_t rate = 11025, byteRate = 22050;
    uint16_t align = 2, bits = 8;
    std::string Body() const {
        return Le16(tag) + Le16(channels) + Le32(rate) + Le32(byteRate) + Le16(align) + Le16(bits);
    }
};

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

// The layout of the program's own mistype sound: 8-bit stereo at 11 025 Hz, 694 frames.
std::string BuiltInLayout() {
    std::string samples;
    for (int i = 0; i < 1388; ++i) samples += static_cast<char>(128 + ((i / 2) % 16) * 4 - 32);
    return Riff(Chunk("fmt ", Fmt{}.Body()) + Chunk("data", samples));
}

WaveProblem ProblemOf(const std::string& bytes) {
    return CheckWave(bytes).problem;
}

}  // namespace

TEST(Wave, TheBuiltInLayoutIsAccepted) {
    const std::string wav = BuiltInLayout();
    ASSERT_EQ(wav.size(), 1432u);
    const WaveCheck c = CheckWave(wav);
    ASSERT_TRUE(c.ok()) << WaveProblemReason(c.problem);
    EXPECT_EQ(c.format.channels, 2);
    EXPECT_EQ(c.format.samplesPerSec, 11025u);
    EXPECT_EQ(c.format.bytesPerSec, 22050u);
    EXPECT_EQ(c.format.blockAlign, 2);
    EXPECT_EQ(c.format.bitsPerSample, 8);
    EXPECT_EQ(c.format.dataOffset, 44u);
    EXPECT_EQ(c.format.dataSize, 1388u);
    EXPECT_EQ(c.format.frames, 694u);
}

TEST(Wave, UnknownAndOddChunksAreSkipped) {
    Fmt mono;
    mono.channels = 1;
    mono.byteRate = 11025;
    mono.align = 1;
    // An odd LIST chunk with its pad byte, a longer fmt (cbSize 0), then an odd data chunk
    // that ends the file without a pad byte.
    std::string fmt18 = mono.Body() + Le16(0);
    const std::string wav = Riff(Chunk("LIST", "abc") + Chunk("fmt ", fmt18) +
                                 Chunk("fact", "1234") + Chunk("data", "xyz", false));
    const WaveCheck c = CheckWave(wav);
    ASSERT_TRUE(c.ok()) << WaveProblemReason(c.problem);
    EXPECT_EQ(c.format.dataSize, 3u);
    EXPECT_EQ(c.format.frames, 3u);
    EXPECT_EQ(wav.substr(c.format.dataOffset, 3), "xyz");
    // A 16-bit sample frame cut in half still leaves the whole frames.
    Fmt s16;
    s16.channels = 1, s16.bits = 16, s16.byteRate = 22050;
    EXPECT_EQ(CheckWave(Riff(Chunk("fmt ", s16.Body()) + Chunk("data", "abcde"))).format.frames,
              2u);
    // Bytes after the RIFF size (a tag some tools append) are not part of the wave.
    EXPECT_TRUE(CheckWave(BuiltInLayout() + "ID3junk").ok());
}

TEST(Wave, HeadersAndChunkOrder) {
    EXPECT_EQ(ProblemOf(""), WaveProblem::NotRiff);
    EXPECT_EQ(ProblemOf(std::string("RIFF\x04\0\0\0WAV", 11)), WaveProblem::NotRiff);
    EXPECT_EQ(ProblemOf("RIFX" + BuiltInLayout().substr(4)), WaveProblem::NotRiff);
    EXPECT_EQ(ProblemOf("RIFF" + Le32(4) + "AVI "), WaveProblem::NotWave);
    EXPECT_EQ(ProblemOf(Riff("")), WaveProblem::NoFormat);
    EXPECT_EQ(ProblemOf(Riff(Chunk("fmt ", Fmt{}.Body()))), WaveProblem::NoData);
    EXPECT_EQ(ProblemOf(Riff(Chunk("data", "ab") + Chunk("fmt ", Fmt{}.Body()))),
              WaveProblem::DataBeforeFormat);
    EXPECT_EQ(ProblemOf(Riff(Chunk("fmt ", Fmt{}.Body().substr(0, 14)) + Chunk("data", "ab"))),
              WaveProblem::FormatTooShort);
    // A RIFF size too small to reach the data hides it.
    std::string small = BuiltInLayout();
    small.replace(4, 4, Le32(4 + 24));
    EXPECT_EQ(ProblemOf(small), WaveProblem::NoData);
}

TEST(Wave, ChunksRunningPastTheEnd) {
    const std::string wav = BuiltInLayout();
    EXPECT_EQ(ProblemOf(wav.substr(0, 1431)), WaveProblem::DataPastEnd);  // one byte missing
    EXPECT_EQ(ProblemOf(wav.substr(0, 30)), WaveProblem::FormatTooShort);
    // A huge unknown chunk ends the walk without overflowing.
    EXPECT_EQ(ProblemOf(Riff(Chunk("fmt ", Fmt{}.Body()) + "junk" + Le32(0xFFFFFFFFu))),
              WaveProblem::NoData);
    std::string huge = Riff(Chunk("fmt ", Fmt{}.Body()) + "data" + Le32(0xFFFFFFFFu) + "ab");
    EXPECT_EQ(ProblemOf(huge), WaveProblem::DataPastEnd);
    huge.replace(4, 4, Le32(0xFFFFFFFFu));  // a streaming writer's RIFF size
    EXPECT_EQ(ProblemOf(huge), WaveProblem::DataPastEnd);
}

TEST(Wave, TheFormatMustBeConsistentPcm) {
    auto with = [](auto change) {
        Fmt f;
        change(f);
        return ProblemOf(Riff(Chunk("fmt ", f.Body()) + Chunk("data", "abcd")));
    };
    EXPECT_EQ(with([](Fmt& f) { f.tag = 3; }), WaveProblem::NotPcm);  // floating point
    EXPECT_EQ(with([](Fmt& f) { f.tag = 2; }), WaveProblem::NotPcm);  // ADPCM
    EXPECT_EQ(with([](Fmt& f) { f.channels = 0; }), WaveProblem::BadChannels);
    EXPECT_EQ(with([](Fmt& f) { f.rate = 0; }), WaveProblem::BadRate);
    EXPECT_EQ(with([](Fmt& f) { f.bits = 12; }), WaveProblem::BadBits);
    EXPECT_EQ(with([](Fmt& f) { f.align = 4; }), WaveProblem::BadBlockAlign);
    EXPECT_EQ(with([](Fmt& f) { f.byteRate = 11025; }), WaveProblem::BadByteRate);
    EXPECT_EQ(with([](Fmt& f) { f.bits = 16, f.align = 4, f.byteRate = 44100; }),
              WaveProblem::None);

    // The extensible format counts as PCM when its sub-format says so.
    auto extensible = [](std::string_view subFormat) {
        Fmt f;
        f.tag = 0xFFFE;
        const std::string body = f.Body() + Le16(22) + Le16(8) + Le32(3) + std::string(subFormat);
        return ProblemOf(Riff(Chunk("fmt ", body) + Chunk("data", "abcd")));
    };
    EXPECT_EQ(extensible(std::string_view(
                  "\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16)),
              WaveProblem::None);
    EXPECT_EQ(extensible(std::string_view(
                  "\x03\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16)),
              WaveProblem::NotPcm);
}

TEST(Wave, FilesAndTheMessage) {
    TempDir dir;
    EXPECT_EQ(CheckWaveFile(dir / "miss.wav").problem, WaveProblem::Missing);
    std::filesystem::create_directory(dir / "dir.wav");
    EXPECT_EQ(CheckWaveFile(dir / "dir.wav").problem, WaveProblem::Unreadable);
    WriteBytes(dir / "miss.wav", BuiltInLayout());
    EXPECT_TRUE(CheckWaveFile(dir / "miss.wav").ok());
    EXPECT_EQ(WaveRefusalText("C:\\k\\system\\miss.wav", WaveProblem::NotPcm),
              "C:\\k\\system\\miss.wav\n\r" + Sj("正しい WAVE ファイルではありません。") +
                  " (samples are not PCM)");
}
