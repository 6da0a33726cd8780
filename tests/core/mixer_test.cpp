#include "mixer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kotopa;

namespace {

std::string Le16(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string Le32(uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A RIFF WAVE of the given shape around raw sample bytes; extensible writes
// WAVE_FORMAT_EXTENSIBLE with the PCM sub-format.
std::string Wave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& samples,
                 bool extensible = false) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    std::string fmt = Le16(extensible ? 0xFFFE : 1) + Le16(channels) + Le32(rate) +
                      Le32(rate * align) + Le16(align) + Le16(bits);
    if (extensible) {
        fmt += Le16(22) + Le16(bits) + Le32(0) +
               std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    }
    std::string chunks = "fmt " + Le32(static_cast<uint32_t>(fmt.size())) + fmt;
    chunks += "data" + Le32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string S16(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += Le16(static_cast<uint16_t>(v));
    return s;
}

std::vector<int16_t> Converted(const std::string& wav, uint32_t outRate = 48000) {
    const WaveCheck c = CheckWave(wav);
    EXPECT_TRUE(c.ok()) << WaveProblemReason(c.problem);
    if (!c.ok()) return {};
    return ConvertWave(wav, c.format, outRate).samples;
}

// A wave already in the mixer's format: frames of one value on both sides.
MixWave Flat(int16_t value, std::size_t frames) {
    MixWave w;
    w.samples.assign(frames * 2, value);
    return w;
}

std::vector<int16_t> Mixed(Mixer& m, std::size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    m.Mix(out.data(), frames);
    return out;
}

// The left samples of a mix (the tests' waves are the same on both sides).
std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
    std::vector<int16_t> left;
    for (std::size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
    return left;
}

}  // namespace

TEST(ConvertWave, EveryPcmLayoutBecomes16BitStereo) {
    const std::string c24 = std::string("\x56\x34\x12", 3) + std::string("\xBA\xDC\xFE", 3);
    const std::string c32 = Le32(0x7FFF0000u) + Le32(0x80000000u) + Le32(0x00010000u) + Le32(0);
    struct Case {
        const char* what;
        std::string wav;
        std::vector<int16_t> out;
    } cases[] = {
        {"8-bit mono",
         Wave(1, 48000, 8, std::string("\x00\x80\xFF", 3)),
         {-32768, -32768, 0, 0, 32512, 32512}},
        {"16-bit stereo",
         Wave(2, 48000, 16, S16({1000, -1000, 32767, -32768})),
         {1000, -1000, 32767, -32768}},
        {"24-bit mono", Wave(1, 48000, 24, c24), {0x1234, 0x1234, -292, -292}},
        {"32-bit stereo", Wave(2, 48000, 32, c32), {32767, -32768, 1, 0}},
        {"extensible 16-bit stereo", Wave(2, 48000, 16, S16({7, -7}), true), {7, -7}},
        // Front left and right, centre to both, low frequency left out, back left and right.
        {"5.1 down-mixed",
         Wave(6, 48000, 16, S16({600, -600, 300, 30000, 0, 30}), true),
         {300, -90}},
        {"7.1 down-mixed",
         Wave(8, 48000, 16, S16({800, 0, 400, 9999, 0, 0, 0, 400}), true),
         {300, 200}},
        {"3 channels", Wave(3, 48000, 16, S16({100, 200, 400})), {250, 300}},
    };
    for (const auto& c : cases) EXPECT_EQ(Converted(c.wav), c.out) << c.what;
}

TEST(ConvertWave, TheRateIsConvertedOnceByLinearInterpolation) {
    struct Case {
        uint32_t rate;
        std::initializer_list<int> in;
        std::vector<int16_t> left;
    } cases[] = {
        {24000, {0, 1000}, {0, 500, 1000, 1000}},   // up: the last frame holds
        {96000, {0, 10, 20, 30, 40}, {0, 20, 40}},  // down
        {32000, {0, 300, 600}, {0, 200, 400, 600, 600}},
        {48000, {5, -5}, {5, -5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Left(Converted(Wave(1, c.rate, 16, S16(c.in)))), c.left) << c.rate;
    }
    // The delivered wave's shape: 694 frames at 11 025 Hz, about 63 ms at any output rate.
    const std::string builtIn = Wave(2, 11025, 8, std::string(1388, '\x80'));
    EXPECT_EQ(Converted(builtIn).size(), 3022u * 2);
    EXPECT_EQ(Converted(builtIn, 44100).size(), 2776u * 2);
    EXPECT_TRUE(Converted(Wave(2, 11025, 8, "")).empty());
}

TEST(ConvertWave, RatesOutsideTheRangeAreRefused) {
    for (uint32_t rate : {7999u, 192001u, 384000u}) {
        EXPECT_EQ(CheckWave(Wave(1, rate, 16, S16({0}))).problem, WaveProblem::BadRate) << rate;
    }
    for (uint32_t rate : {8000u, 192000u}) EXPECT_TRUE(CheckWave(Wave(1, rate, 16, S16({0}))).ok());
    EXPECT_EQ(CheckWave(Wave(9, 8000, 16, S16({0, 0, 0, 0, 0, 0, 0, 0, 0}))).problem,
              WaveProblem::BadChannels);
}

TEST(Mixer, VoicesSumWithClippingAndEndOnTheirOwn) {
    const MixWave loud = Flat(20000, 4), quiet = Flat(-300, 2), low = Flat(-20000, 4);
    Mixer m;
    EXPECT_EQ(Left(Mixed(m, 2)), (std::vector<int16_t>{0, 0})) << "silence without voices";
    m.Start(&loud);
    m.Start(&quiet);
    EXPECT_EQ(Left(Mixed(m, 3)), (std::vector<int16_t>{19700, 19700, 20000}));
    EXPECT_EQ(m.Playing(), 1u) << "the short voice has ended";
    m.Start(&loud);
    EXPECT_EQ(Left(Mixed(m, 2)), (std::vector<int16_t>{32767, 20000})) << "clipped";
    m.Silence();
    EXPECT_EQ(m.Playing(), 0u);
    EXPECT_EQ(Left(Mixed(m, 1)), (std::vector<int16_t>{0}));
    m.Start(&low);
    m.Start(&low);
    EXPECT_EQ(Left(Mixed(m, 1)), (std::vector<int16_t>{-32768}));
}

TEST(Mixer, AVoiceStartsAtItsOffsetAndRunsAcrossMixes) {
    MixWave ramp;
    for (int16_t v : {1, 2, 3, 4, 5}) ramp.samples.insert(ramp.samples.end(), {v, v});
    Mixer m;
    m.Start(&ramp, 3);
    EXPECT_EQ(Left(Mixed(m, 4)), (std::vector<int16_t>{0, 0, 0, 1}));
    EXPECT_EQ(Left(Mixed(m, 2)), (std::vector<int16_t>{2, 3}));
    m.Start(&ramp);  // a second voice of the same copy, at its own position
    EXPECT_EQ(Left(Mixed(m, 3)), (std::vector<int16_t>{5, 7, 3}));
    EXPECT_EQ(m.Playing(), 1u);
    // Longer than the mixer's inner block.
    const MixWave longer = Flat(1, 1000);
    m.Start(&longer, 10);
    const auto out = Left(Mixed(m, 1200));
    std::vector<int16_t> expected(1200, 0);
    expected[0] = 4, expected[1] = 5;  // the end of the second voice
    std::fill(expected.begin() + 10, expected.begin() + 1010, 1);
    EXPECT_EQ(out, expected);
}

TEST(Mixer, EndedVoicesAreReusedAndTheOldestGivesWay) {
    const MixWave first = Flat(1000, 100), one = Flat(1, 100), blip = Flat(7, 1);
    Mixer m;
    for (int i = 0; i < 100; ++i) {  // steady mistypes: one voice, used again each time
        m.Start(&blip);
        EXPECT_EQ(Left(Mixed(m, 2)), (std::vector<int16_t>{7, 0}));
        EXPECT_EQ(m.Playing(), 0u);
    }
    m.Start(&first);
    for (std::size_t i = 1; i < Mixer::kMaxVoices; ++i) m.Start(&one);
    EXPECT_EQ(Left(Mixed(m, 1))[0], 1000 + 15);
    m.Start(&one);  // the seventeenth: the first voice stops for it
    EXPECT_EQ(m.Playing(), Mixer::kMaxVoices);
    EXPECT_EQ(Left(Mixed(m, 1))[0], 16);
    m.Start(nullptr);  // no wave: nothing
    EXPECT_EQ(Left(Mixed(m, 1))[0], 16);
}

TEST(VoiceQueue, BoundedInOrderAndSafeAcrossThreads) {
    const MixWave a = Flat(1, 1), b = Flat(2, 1);
    VoiceQueue q;
    for (uint32_t i = 0; i < VoiceQueue::kCapacity; ++i) EXPECT_TRUE(q.Post(i % 2 ? &b : &a));
    EXPECT_FALSE(q.Post(&a)) << "full: the play is dropped";
    std::vector<const MixWave*> got;
    q.Drain([&](const MixWave* w) { got.push_back(w); });
    ASSERT_EQ(got.size(), VoiceQueue::kCapacity);
    EXPECT_EQ(got[0], &a);
    EXPECT_EQ(got[1], &b);
    EXPECT_TRUE(q.Post(&b));

    // One thread posts while another drains: every accepted post arrives once, none torn.
    std::atomic<bool> done{false};
    long posted = 1, taken = 0, wrong = 0;
    std::thread consumer([&] {
        auto take = [&](const MixWave* w) {
            ++taken;
            if (w != &b) ++wrong;
        };
        while (!done.load()) q.Drain(take);
        q.Drain(take);
    });
    for (int i = 0; i < 200000; ++i) posted += q.Post(&b) ? 1 : 0;
    done = true;
    consumer.join();
    EXPECT_EQ(taken, posted);
    EXPECT_EQ(wrong, 0);
}
