// The platform layer: the pool of voices behind the mistype sound, the single-instance
// guard across processes, the built-in wave, the text of message dialogs and the random
// source of the problem order.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

#include "app.h"
#include "fakes.h"
#include "instanceguard.h"
#include "qtplatform.h"
#include "test_util.h"
#include "wavelist.h"

using kotopa::platform::FakeDialogs;
using kotopa::platform::FakeSoundDevice;
using kotopa::platform::InstanceGuard;
using kotopa::platform::WaveList;

TEST(WaveList, IdleVoicesAreReusedAndBusyOnesOverlap) {
    FakeSoundDevice device;
    WaveList list(device);
    list.Add("Miss", QUrl("qrc:/sounds/miss.wav"));
    EXPECT_EQ(list.VoiceCount("miss"), 1u) << "prepared when added";
    EXPECT_EQ(device.Starts(), 0);

    // Three quick mistypes: three voices sound at once, none cut short.
    list.Play("miss");
    list.Play("MISS");
    list.Play("Miss");
    EXPECT_EQ(list.VoiceCount("miss"), 3u);
    for (const auto& v : device.voices) EXPECT_EQ(v->starts, 1);

    // Once they have finished, steady playing reuses the first voice and adds none.
    device.FinishAll();
    for (int i = 0; i < 5; ++i) {
        list.Play("miss");
        device.FinishAll();
    }
    EXPECT_EQ(list.VoiceCount("miss"), 3u);
    EXPECT_EQ(device.voices[0]->starts, 6);
}

TEST(WaveList, ReplacingRemovingAndSilence) {
    FakeSoundDevice device;
    WaveList list(device);
    list.Add("Miss", QUrl("qrc:/sounds/miss.wav"));
    EXPECT_TRUE(list.Remove("miss"));
    EXPECT_FALSE(list.Remove("miss"));
    list.Play("miss");  // no such wave: nothing
    list.Add("miss", QUrl());  // no usable wave: silent
    list.Play("miss");
    EXPECT_EQ(device.Starts(), 0);
    EXPECT_TRUE(list.Contains("Miss"));

    FakeSoundDevice none(false);  // no sound output
    WaveList silent(none);
    silent.Add("Miss", QUrl("qrc:/sounds/miss.wav"));
    silent.Play("miss");
    EXPECT_TRUE(none.voices.empty());
}

TEST(BuiltInWave, IsAShortPcmWaveOfTheRequiredShape) {
    QFile f(QStringLiteral(":/sounds/miss.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 1432);
    auto u16 = [&](int at) { return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8; };
    auto u32 = [&](int at) { return static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2)) << 16; };
    EXPECT_EQ(b.mid(0, 4), "RIFF");
    EXPECT_EQ(u32(4), 1424u);
    EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1);      // PCM
    EXPECT_EQ(u16(22), 2);      // stereo
    EXPECT_EQ(u32(24), 11025u);
    EXPECT_EQ(u32(28), 22050u);
    EXPECT_EQ(u16(32), 2);      // block align
    EXPECT_EQ(u16(34), 8);      // bits
    EXPECT_EQ(b.mid(36, 4), "data");
    EXPECT_EQ(u32(40), 1388u);  // 694 frames
    // A sound, not silence, that ends at the centre line so that it does not click.
    int loudest = 0;
    for (int i = 44; i < b.size(); ++i) loudest = std::max(loudest, std::abs(static_cast<uint8_t>(b[i]) - 128));
    EXPECT_GT(loudest, 40);
    EXPECT_LE(std::abs(static_cast<uint8_t>(b[b.size() - 1]) - 128), 1);
}

TEST(InstanceGuard, SecondCopyIsRefusedWithTheInformationDialog) {
    testutil::TempDir dir;
    InstanceGuard first(kotopa::kInstanceName, dir.path());
    ASSERT_EQ(first.state(), InstanceGuard::State::Held);
    FakeDialogs dialogs;
    EXPECT_TRUE(kotopa::MayRun(first, dialogs));

    InstanceGuard second(kotopa::kInstanceName, dir.path());
    EXPECT_EQ(second.state(), InstanceGuard::State::Taken);
    EXPECT_FALSE(kotopa::MayRun(second, dialogs));
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, FakeDialogs::Kind::Information);
    EXPECT_EQ(messages[0].buttons, "OK");
    EXPECT_EQ(messages[0].text, testutil::Sj("二重起動はできません."));
}

TEST(InstanceGuard, IsReleasedWhenTheHolderEndsEvenByACrash) {
    testutil::TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceGuard held(kotopa::kInstanceName, dir.path());
        if (held.state() != InstanceGuard::State::Held) _exit(3);
        // Tell the parent, wait until it has seen the guard taken, then crash.
        const std::filesystem::path ready = dir.path() / "ready";
        FILE* f = fopen(ready.c_str(), "w");
        if (f) fclose(f);
        for (int i = 0; i < 500 && std::filesystem::exists(ready); ++i) usleep(10000);
        abort();
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(dir.path() / "ready"); ++i) usleep(10000);
    {
        InstanceGuard whileHeld(kotopa::kInstanceName, dir.path());
        EXPECT_EQ(whileHeld.state(), InstanceGuard::State::Taken);
    }
    std::filesystem::remove(dir.path() / "ready");
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    InstanceGuard after(kotopa::kInstanceName, dir.path());
    EXPECT_EQ(after.state(), InstanceGuard::State::Held);
}

TEST(InstanceGuard, AnUnusableFolderLetsTheProgramRun) {
    InstanceGuard guard(kotopa::kInstanceName, "/nonexistent/folder");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
    FakeDialogs dialogs;
    EXPECT_TRUE(kotopa::MayRun(guard, dialogs));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST(InstanceGuard, RuntimeFolderIsPrivateToTheUser) {
    testutil::TempDir dir;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const std::filesystem::path runtime = dir.path() / "run";
    std::filesystem::create_directories(runtime);
    qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    EXPECT_EQ(InstanceGuard::RuntimeFolder(), runtime);
    // Without it: a folder of the user's own under the temporary folder, closed to others.
    qunsetenv("XDG_RUNTIME_DIR");
    const std::filesystem::path fallback = InstanceGuard::RuntimeFolder();
    ASSERT_FALSE(fallback.empty());
    const auto perms = std::filesystem::status(fallback).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
    if (!saved.isEmpty()) qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(MessageText, LineFeedCarriageReturnBreaksALine) {
    EXPECT_EQ(kotopa::platform::MessageText(testutil::Sj("/a/b.ktp\n\rファイルが存在しません。")).toStdString(),
              "/a/b.ktp\nファイルが存在しません。");
}

TEST(SystemRandom, DrawsEveryPositionBelowTheCountAndNothingElse) {
    kotopa::platform::SystemRandom random;
    random.SeedFromClock();
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t v = random.Below(7);
        ASSERT_LT(v, 7u);
        ++seen[v];
    }
    for (int count : seen) EXPECT_GT(count, 0);
    EXPECT_EQ(random.Below(1), 0u);
}
