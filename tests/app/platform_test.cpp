// The platform layer: the pool of voices behind the mistype sound, the single-instance
// guard and the program folder's lock across processes and users, what the only copy tidies
// at start-up, the built-in wave, the text of message dialogs, the open dialog and the random
// source of the problem order.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLibrary>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "app.h"
#include "fakes.h"
#include "instanceguard.h"
#include "qtplatform.h"
#include "sjistext.h"
#include "soundoutput.h"
#include "test_util.h"
#include "wavelist.h"

using kotopa::platform::FakeDialogs;
using kotopa::platform::FakeSoundDevice;
using kotopa::platform::FolderLock;
using kotopa::platform::InstanceGuard;
using kotopa::platform::LockState;
using kotopa::platform::WaveList;

namespace {

std::string BuiltInWaveBytes() {
    QFile f(QStringLiteral(":/sounds/miss.wav"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll().toStdString();
}

}  // namespace

TEST(WaveList, WavesAreConvertedOnceAndEveryPlayStartsAVoiceOfThatCopy) {
    FakeSoundDevice device;
    WaveList list(device);
    EXPECT_TRUE(list.Add("Miss", BuiltInWaveBytes()));
    ASSERT_EQ(device.kept.size(), 1u) << "converted when added";
    EXPECT_EQ(device.kept[0]->Frames(), 3022u) << "694 frames at 11 025 Hz, at 48 000 Hz";
    list.Play("miss");
    list.Play("MISS");
    list.Play("Miss");
    EXPECT_EQ(device.plays, std::vector<const kotopa::MixWave*>(3, device.kept[0].get()));
    EXPECT_EQ(device.kept.size(), 1u) << "plays copy nothing";

    EXPECT_TRUE(list.Remove("miss"));
    EXPECT_FALSE(list.Remove("miss"));
    list.Play("miss");  // no such wave: nothing
    EXPECT_FALSE(list.Add("miss", "RIFF, but not really"));
    EXPECT_FALSE(list.Add("miss", ""));  // no usable wave: silent
    list.Play("miss");
    EXPECT_EQ(device.Starts(), 3);
    EXPECT_TRUE(list.Contains("Miss"));
    EXPECT_EQ(list.Wave("miss"), nullptr);

    FakeSoundDevice none(false);  // no sound output
    WaveList silent(none);
    silent.Add("Miss", BuiltInWaveBytes());
    silent.Play("miss");
    EXPECT_TRUE(none.plays.empty());
}

TEST(SoundModule, TheStagedModuleLoadsAndWithoutAServerThePlaysAreSilentAndNeverWait) {
    const std::filesystem::path module =
        std::filesystem::path(KOTOPA_STAGE_DIR) / kotopa::platform::kSoundModuleName;
    QLibrary library(QString::fromStdString(module.string()));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    EXPECT_NE(library.resolve(kotopa::platform::kSoundModuleEntry), nullptr);

    // A server address where none listens: the output is tried in the background only.
    const std::filesystem::path run = std::filesystem::temp_directory_path() / "kotopa-no-pulse";
    setenv("PULSE_SERVER", ("unix:" + (run / "native").string()).c_str(), 1);
    const auto begin = std::chrono::steady_clock::now();
    {
        kotopa::platform::SoundOutput output(module);
        WaveList list(output);
        list.Add("miss", BuiltInWaveBytes());
        output.Open();
        EXPECT_TRUE(output.Running());
        for (int i = 0; i < 5000; ++i) list.Play("miss");
        QTest::qWait(700);  // a retry included
        EXPECT_FALSE(output.IsOpen());
        EXPECT_EQ(output.VoicesStarted(), 0u);
    }
    unsetenv("PULSE_SERVER");
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3))
        << "closing does not wait for a server";

    kotopa::platform::SoundOutput missing(module.parent_path() / "no_such_module");
    missing.Open();
    EXPECT_FALSE(missing.Running());
    EXPECT_FALSE(missing.IsOpen());
}

TEST(BuiltInWave, IsAShortPcmWaveOfTheRequiredShape) {
    QFile f(QStringLiteral(":/sounds/miss.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 1432);
    auto u16 = [&](int at) {
        return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
    };
    auto u32 = [&](int at) {
        return static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2)) << 16;
    };
    EXPECT_EQ(b.mid(0, 4), "RIFF");
    EXPECT_EQ(u32(4), 1424u);
    EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1);  // PCM
    EXPECT_EQ(u16(22), 2);  // stereo
    EXPECT_EQ(u32(24), 11025u);
    EXPECT_EQ(u32(28), 22050u);
    EXPECT_EQ(u16(32), 2);  // block align
    EXPECT_EQ(u16(34), 8);  // bits
    EXPECT_EQ(b.mid(36, 4), "data");
    EXPECT_EQ(u32(40), 1388u);  // 694 frames
    // A sound, not silence, that ends at the centre line so that it does not click.
    int loudest = 0;
    for (int i = 44; i < b.size(); ++i)
        loudest = std::max(loudest, std::abs(static_cast<uint8_t>(b[i]) - 128));
    EXPECT_GT(loudest, 40);
    EXPECT_LE(std::abs(static_cast<uint8_t>(b[b.size() - 1]) - 128), 1);
}

namespace {

// A guard name of this test's own: the real one may be held by a running program.
std::string GuardName() {
    static int count = 0;
    return "kotopa-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}

// Runs f in a child process and gives back what it returned (0 to 255), or -1.
template <typename F>
int InChild(F&& f) {
    const pid_t child = fork();
    if (child == 0) _exit(f());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StateOfGuard(const std::string& name) {
    return static_cast<int>(InstanceGuard(name).state());
}

}  // namespace

TEST(InstanceGuard, SecondCopyIsRefusedWithTheInformationDialog) {
    const std::string name = GuardName();
    InstanceGuard first(name);
    ASSERT_EQ(first.state(), InstanceGuard::State::Held);
    FakeDialogs dialogs;
    EXPECT_TRUE(kotopa::MayRun(first.state(), dialogs));

    InstanceGuard second(name);
    EXPECT_EQ(second.state(), InstanceGuard::State::Taken);
    EXPECT_FALSE(kotopa::MayRun(second.state(), dialogs));
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, FakeDialogs::Kind::Information);
    EXPECT_EQ(messages[0].buttons, "OK");
    EXPECT_EQ(messages[0].text, testutil::Sj("二重起動はできません."));
}

// Two copies of one user with different runtime folders, temporary folders or homes would
// each rewrite the records from their own memory; another user's copy has folders of its own.
TEST(InstanceGuard, HoldsForTheUserWhateverTheEnvironmentAndLeavesOtherUsersAlone) {
    const std::string name = GuardName();
    const InstanceGuard first(name);
    ASSERT_EQ(first.state(), InstanceGuard::State::Held);
    testutil::TempDir other;
    const int taken = static_cast<int>(InstanceGuard::State::Taken);
    EXPECT_EQ(InChild([&] {
                  setenv("XDG_RUNTIME_DIR", other.path().c_str(), 1);
                  setenv("TMPDIR", other.path().c_str(), 1);
                  setenv("HOME", other.path().c_str(), 1);
                  return StateOfGuard(name);
              }),
              taken);
    EXPECT_EQ(InChild([&] {
                  unsetenv("XDG_RUNTIME_DIR");
                  unsetenv("TMPDIR");
                  return StateOfGuard(name);
              }),
              taken);
    if (geteuid() != 0) GTEST_SKIP() << "another user needs root to be played";
    EXPECT_EQ(InChild([&] {
                  if (setgid(65534) != 0 || setuid(65534) != 0) return 99;
                  return StateOfGuard(name);
              }),
              static_cast<int>(InstanceGuard::State::Held));
}

// A copy refused by the guard leaves nothing behind in the holder: five thousand refusals later
// the guard still tells the holder's user apart.
TEST(InstanceGuard, RefusalsWearNothingOut) {
    const std::string name = GuardName();
    const InstanceGuard first(name);
    ASSERT_EQ(first.state(), LockState::Held);
    for (int i = 0; i < 5000; ++i) {
        if (InstanceGuard(name).state() != LockState::Taken) {
            FAIL() << "refusal " << i;
            break;
        }
    }
}

TEST(InstanceGuard, IsReleasedWhenTheHolderEndsEvenByACrash) {
    const std::string name = GuardName();
    int held[2], seen[2];  // the child holds the guard; the parent has seen it taken
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(seen), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const InstanceGuard guard(name);
        char c = guard.state() == InstanceGuard::State::Held ? 1 : 0;
        if (write(held[1], &c, 1) != 1 || read(seen[0], &c, 1) != 1) _exit(4);
        abort();
    }
    char c = 0;
    ASSERT_EQ(read(held[0], &c, 1), 1);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(InstanceGuard(name).state(), InstanceGuard::State::Taken);
    ASSERT_EQ(write(seen[1], &c, 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {held[0], held[1], seen[0], seen[1]}) close(fd);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(InstanceGuard(name).state(), InstanceGuard::State::Held);
}

TEST(FolderLock, OneProcessAtATimeHoldsAFolder) {
    testutil::TempDir dir;
    {
        const FolderLock first(dir.path());
        ASSERT_EQ(first.state(), LockState::Held);
        EXPECT_EQ(FolderLock(dir.path()).state(), LockState::Taken);
        EXPECT_EQ(InChild([&] { return static_cast<int>(FolderLock(dir.path()).state()); }),
                  static_cast<int>(LockState::Taken));
    }
    EXPECT_EQ(FolderLock(dir.path()).state(), LockState::Held) << "released with its holder";
    // A folder that is not there cannot be locked; the program runs all the same.
    const FolderLock missing(dir.path() / "missing");
    EXPECT_EQ(missing.state(), LockState::Unavailable);
    FakeDialogs dialogs;
    EXPECT_TRUE(kotopa::MayRun(missing.state(), dialogs));
    EXPECT_TRUE(dialogs.asked.empty());
}

namespace {

// A program folder with what interrupted writes left: temporary files in save/ and key/, and
// a recording cut short after its commit, its Act list still waiting beside it.
struct LeftBehind {
    testutil::TempDir dir;
    std::filesystem::path save = dir.path() / "save";
    std::filesystem::path key = dir.path() / "key";
    LeftBehind() {
        std::filesystem::create_directories(save);
        std::filesystem::create_directories(key);
        testutil::WriteBytes(save / "record.lst", "1 2 3\r\n");
        testutil::WriteBytes(save / "playlog.log.kotopa~tmp12-0", std::string(1000, 'x'));
        testutil::WriteBytes(key / "mykey.key.kotopa~tmp13-0", "x");
        // A user's own file that only looks like an earlier version's temporary file.
        testutil::WriteBytes(key / "notes.txt.tmp2024-1", "mine");
        testutil::WriteBytes(key / "mykey.key", "[MOZI]\r\n");
        testutil::WriteBytes(save / "Act01.lst", "old\r\n");
        testutil::WriteBytes(save / "Act01.lst.kotopa~tmp14-2", "1 2 3\r\n");
        testutil::WriteBytes(save / "recording.journal",
                             "KotoPA file group 1\nAct01.lst" + std::string(1, '\0') +
                                 "Act01.lst.kotopa~tmp14-2" + std::string(1, '\0'));
    }
    std::vector<std::string> Names(const std::filesystem::path& folder) const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

// Another user who takes this user's guard name first, listening on it or not, keeps no copy
// from starting: the guard is out of reach and the folder lock alone decides.
TEST(InstanceGuard, ANameTakenByAnotherUserStopsNoCopy) {
    if (geteuid() != 0) GTEST_SKIP() << "another user needs root to be played";
    for (const bool listens : {false, true}) {
        SCOPED_TRACE(listens ? "listening" : "bound");
        const std::string name = GuardName();
        const std::string scoped = name + "-" + std::to_string(geteuid());
        int bound[2], done[2];
        ASSERT_EQ(pipe(bound), 0);
        ASSERT_EQ(pipe(done), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, scoped.data(), scoped.size());
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            const auto length =
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + scoped.size());
            char c = bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                             (!listens || listen(fd, 4) == 0)
                         ? 1
                         : 0;
            if (write(bound[1], &c, 1) != 1 || read(done[0], &c, 1) != 1) _exit(4);
            _exit(0);
        }
        char c = 0;
        ASSERT_EQ(read(bound[0], &c, 1), 1);
        EXPECT_EQ(c, 1) << "the other user holds the name";
        const InstanceGuard guard(name);
        EXPECT_EQ(guard.state(), LockState::Unavailable);
        LeftBehind folder;
        FakeDialogs dialogs;
        const auto locks = kotopa::ClaimProgram(name, folder.dir.path(), dialogs);
        EXPECT_TRUE(locks);
        EXPECT_TRUE(dialogs.asked.empty());
        if (locks) {
            EXPECT_EQ(locks->save->state(), LockState::Held);
        }
        ASSERT_EQ(write(done[1], &c, 1), 1);
        waitpid(child, nullptr, 0);
        for (int fd : {bound[0], bound[1], done[0], done[1]}) close(fd);
    }
}

TEST(ClaimProgram, TheOnlyCopyFinishesTheRecordingAndClearsWhatWritesLeft) {
    LeftBehind folder;
    const auto ktp = folder.dir.path() / "ktp";
    std::filesystem::create_directories(ktp);
    testutil::WriteBytes(ktp / "Act01.ktp", "act");
    testutil::WriteBytes(ktp / "Act02.ktp.kotopa~tmp15-0", "an Act cut short");
    FakeDialogs dialogs;
    const auto locks = kotopa::ClaimProgram(GuardName(), folder.dir.path(), dialogs);
    ASSERT_TRUE(locks);
    EXPECT_EQ(locks->instance.state(), LockState::Held);
    EXPECT_EQ(locks->save->state(), LockState::Held);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(testutil::ReadBytes(folder.save / "Act01.lst"), "1 2 3\r\n");
    EXPECT_EQ(folder.Names(folder.save),
              (std::vector<std::string>{"Act01.lst", "kotopa.lock", "record.lst"}));
    EXPECT_EQ(folder.Names(folder.key),
              (std::vector<std::string>{"mykey.key", "notes.txt.tmp2024-1"}));
    EXPECT_EQ(folder.Names(ktp), std::vector<std::string>{"Act01.ktp"});
}

TEST(ClaimProgram, ACopyBesideAnotherTouchesNothing) {
    LeftBehind folder;
    const FolderLock other(folder.save);  // another copy of this folder, on another machine
    const auto before = folder.Names(folder.save);
    FakeDialogs dialogs;
    EXPECT_FALSE(kotopa::ClaimProgram(GuardName(), folder.dir.path(), dialogs));
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, testutil::Sj("二重起動はできません."));
    EXPECT_EQ(folder.Names(folder.save), before);
    EXPECT_EQ(
        folder.Names(folder.key),
        (std::vector<std::string>{"mykey.key", "mykey.key.kotopa~tmp13-0", "notes.txt.tmp2024-1"}));

    // Refused by the machine's guard, the copy does not even create save/.
    const std::string name = GuardName();
    const InstanceGuard running(name);
    testutil::TempDir fresh;
    EXPECT_FALSE(kotopa::ClaimProgram(name, fresh.path(), dialogs));
    EXPECT_FALSE(std::filesystem::exists(fresh.path() / "save"));
}

namespace {

// Every file and folder under root with its bytes and its time of change: a file created
// and removed again still changes its folder's time.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        const std::string time =
            std::to_string(e.last_write_time().time_since_epoch().count()) + " ";
        out[e.path().lexically_relative(root).generic_string()] =
            time + (e.is_regular_file() ? testutil::ReadBytes(e.path()) : "/");
    }
    out["."] = std::to_string(std::filesystem::last_write_time(root).time_since_epoch().count());
    return out;
}

}  // namespace

// A copy refused beside a running one creates, copies and changes nothing: it does not fill
// the user's folder again (an Act the user deleted stays deleted) and does not probe the
// program folder, whether the machine's guard or a folder's lock refuses it.
TEST(ClaimProgram, ARefusedCopyTouchesNoFile) {
    namespace fs = std::filesystem;
    testutil::TempDir dir;
    const fs::path installed = dir.path() / "installed";
    const fs::path portable = dir.path() / "portable";
    const fs::path user = dir.path() / "user";
    for (const fs::path& program : {installed, portable}) {
        fs::create_directories(program / "ktp");
        fs::create_directories(program / "key");
        testutil::WriteBytes(program / "ktp" / "Act01.ktp", "act one");
        testutil::WriteBytes(program / "ktp" / "Act02.ktp", "act two");
        testutil::WriteBytes(program / "key" / "mykey.key", "[MOZI]\r\n");
    }
    testutil::WriteBytes(installed / kotopa::kInstalledMarker, "");
    FakeDialogs dialogs;
    const std::string name = GuardName();
    const auto running = kotopa::ClaimProgram(name, installed, dialogs, user);
    ASSERT_TRUE(running);
    ASSERT_EQ(running->folders.baseDir, user);
    ASSERT_EQ(running->save->state(), LockState::Held);
    ASSERT_TRUE(fs::remove(user / "ktp" / "Act02.ktp"));
    const auto portableRunning = kotopa::ClaimProgram(GuardName(), portable, dialogs);
    ASSERT_TRUE(portableRunning);
    ASSERT_EQ(portableRunning->save->state(), LockState::Held);
    ASSERT_TRUE(dialogs.asked.empty());

    const auto before = Snapshot(dir.path());
    struct Case {
        const char* what;
        std::string guard;
        fs::path program;
    };
    const Case cases[] = {
        {"the guard, installed", name, installed},
        {"the guard, portable", name, portable},
        // Copies on another machine that shares the folders: only the locks see them.
        {"the user folder's lock", GuardName(), installed},
        {"the program folder's lock", GuardName(), portable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.Clear();
        int probes = 0;
        EXPECT_FALSE(kotopa::ClaimProgram(c.guard, c.program, dialogs, user,
                                          [&](const fs::path&) { return ++probes, true; }));
        EXPECT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_EQ(probes, 0);
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
}

TEST(ClaimProgram, ARecordingThatCannotBeFinishedIsToldAndKeptForItsNextTry) {
    LeftBehind folder;
    std::filesystem::remove(folder.save / "Act01.lst");
    std::filesystem::create_directories(folder.save / "Act01.lst" / "in the way");
    FakeDialogs dialogs;
    ASSERT_TRUE(kotopa::ClaimProgram(GuardName(), folder.dir.path(), dialogs));
    auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, FakeDialogs::Kind::Warning);
    EXPECT_EQ(
        messages[0].text,
        kotopa::PathToSjis(folder.save / "Act01.lst") + "\n\r" +
            testutil::Sj(
                "ファイルを書き込めません。前回中断されたプレイの記録を完了できませんでした。"));
    EXPECT_TRUE(std::filesystem::exists(folder.save / "Act01.lst.kotopa~tmp14-2"));
    EXPECT_TRUE(std::filesystem::exists(folder.save / "recording.journal"));
    EXPECT_FALSE(std::filesystem::exists(folder.key / "mykey.key.kotopa~tmp13-0"));

    // A journal the program did not write is set aside, and said so; nothing is renamed.
    LeftBehind garbled;
    testutil::WriteBytes(garbled.save / "recording.journal", "garbage");
    dialogs.Clear();
    ASSERT_TRUE(kotopa::ClaimProgram(GuardName(), garbled.dir.path(), dialogs));
    messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0].text,
        kotopa::PathToSjis(garbled.save / "recording.journal.damaged") + "\n\r" +
            testutil::Sj("ファイルを読み取れません。前回中断されたプレイは記録されていません。"));
    EXPECT_EQ(testutil::ReadBytes(garbled.save / "Act01.lst"), "old\r\n");
    EXPECT_EQ(garbled.Names(garbled.save),
              (std::vector<std::string>{"Act01.lst", "kotopa.lock", "record.lst",
                                        "recording.journal.damaged"}));
}

// A journal that names the lock renames nothing over it: the lock on the disk stays the one
// this copy holds, so a copy that the machine's guard cannot see is still kept out.
TEST(ClaimProgram, AJournalNamingTheLockLeavesTheLockHeld) {
    LeftBehind folder;
    testutil::WriteBytes(folder.save / "kotopa.lock.tmp14-3", "");
    testutil::WriteBytes(folder.save / "recording.journal",
                         "KotoPA file group 1\nkotopa.lock" + std::string(1, '\0') +
                             "kotopa.lock.tmp14-3" + std::string(1, '\0'));
    FakeDialogs dialogs;
    const auto locks = kotopa::ClaimProgram(GuardName(), folder.dir.path(), dialogs);
    ASSERT_TRUE(locks);
    ASSERT_EQ(locks->save->state(), LockState::Held);
    EXPECT_EQ(InChild([&] { return static_cast<int>(FolderLock(folder.save).state()); }),
              static_cast<int>(LockState::Taken));
    EXPECT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(folder.save / "recording.journal.damaged"));
}

TEST(MessageText, LineFeedCarriageReturnBreaksALine) {
    EXPECT_EQ(kotopa::platform::MessageText(testutil::Sj("/a/b.ktp\n\rファイルが存在しません。"))
                  .toStdString(),
              "/a/b.ktp\nファイルが存在しません。");
}

TEST(QtDialogs, TheOpenDialogTakesANameThatDoesNotExist) {
    testutil::TempDir dir;
    const std::filesystem::path missing = dir.path() / "none.key";
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(kotopa::PathToQString(missing));
        QMetaObject::invokeMethod(dialog, "accept");
        // A dialog that refuses the name is closed rather than left waiting.
        QTimer::singleShot(2000, dialog, [dialog] { dialog->reject(); });
    });
    kotopa::platform::QtDialogs dialogs;
    EXPECT_EQ(dialogs.OpenFile(dir.path(), QStringLiteral("*.key")), missing);
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
