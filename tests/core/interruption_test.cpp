// Every step of the program's writes made to fail as an I/O error would, and the process
// killed at every step, through the fault points of the test build (faultpoint.h). Whatever
// happens, a file is old or new and never half-written, a recorded play is in all of its
// files or in none once the next start has run, and no temporary file is left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <map>

#include "faultpoint.h"
#include "filegroup.h"
#include "printers.h"
#include "results.h"
#include "test_util.h"
#include "textfile.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;
namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // name in the folder -> bytes

namespace {

// The step counted down to, and what happens there.
int g_countdown = 0;
bool g_kill = false;

bool Hook(const char*) {
    if (g_countdown <= 0 || --g_countdown > 0) return false;
    if (g_kill) raise(SIGKILL);
    return true;
}

// Arms the hook to act at the nth step reached from now.
void ActAtStep(int n, bool kill) {
    g_countdown = n;
    g_kill = kill;
    faultpoint::SetHook(&Hook);
}
bool StepWasReached() {
    return g_countdown == 0;
}

Files Folder(const fs::path& folder) {
    Files files;
    for (const auto& e : fs::directory_iterator(folder)) {
        files[e.path().filename().string()] = ReadBytes(e.path());
    }
    return files;
}

// A program folder with save/ holding the five files of a recording, a play to record, and
// what the five files hold once it is recorded.
struct Recording {
    TempDir dir;
    RecordFiles files = RecordFiles::For(dir.path(), dir.path() / "ktp" / "Act01.ktp");
    RecordBook book;
    PlayResult result;

    Recording() {
        fs::create_directories(dir.path() / "save");
        WriteBytes(files.totalList, "1 100 1\r\n");
        WriteBytes(files.actList, "2 200 2\r\n");
        WriteBytes(files.settings, "[TOP]\r\nKEY=10\r\nMOZI=20\r\n[PLAY]\r\nCOUNT=3\r\n");
        WriteBytes(files.playLog, "an old block\r\n");
        WriteBytes(files.keyRecord,
                   "KotoPA key record 1\r\nplay 20240101000000 9 1 Act01\r\n"
                   "9 k a\r\nend\r\n");
        book.SetBests(Bests{10, 20, 3});
        book.LoadTotalRecords(files.totalList);
        book.LoadActRecords(files.actList);
        ResultInput in;
        in.play.StartTick = 0;
        in.play.StopTick = 60'000;
        in.play.KeyCount = in.play.TypeCount = 300;
        in.play.CharCount = 150;
        in.actPath = dir.path() / "ktp" / "Act01.ktp";
        in.bests = book.CurrentBests();
        in.findFile = [](const fs::path&) { return fs::path(); };
        result = ComputeResult(in);
    }
    RecordOutcome Record() {
        return RecordPlay(files, book, result, LocalTime{2024, 1, 2, 3, 4, 5},
                          "play 20240102030405 60000 1 Act01\r\n5 k k\r\nend\r\n");
    }
    Files Save() const { return Folder(dir.path() / "save"); }
    // What the next start does before it reads save/.
    void NextStart() {
        EXPECT_NE(FinishInterruptedRecording(SaveFolder(dir.path())).status,
                  FinishStatus::Unfinished);
        EXPECT_TRUE(RemoveStaleTemporaries(dir.path() / "save").empty());
    }
};

Files RecordedFiles() {
    Recording r;
    EXPECT_TRUE(r.Record().recorded);
    Files files = r.Save();
    EXPECT_EQ(files["keyrecord.txt"],
              "KotoPA key record 1\r\nplay 20240101000000 9 1 Act01\r\n9 k a\r\nend\r\n"
              "play 20240102030405 60000 1 Act01\r\n5 k k\r\nend\r\n");
    return files;
}

// Runs f in a child process that is killed at the nth fault point. False when the child
// ended by itself, as it does once n lies beyond its last step.
template <typename F>
bool KilledAtStep(int n, F&& f) {
    const pid_t child = fork();
    if (child == 0) {
        ActAtStep(n, true);
        f();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace

TEST(Interruption, AnAtomicWriteThatFailsAtAnyStepLeavesTheOldFileAndNoLitter) {
    int steps = 0;
    for (int n = 1;; ++n) {
        TempDir dir;
        WriteBytes(dir / "kotopa.ini", "old");
        ActAtStep(n, false);
        const bool written = WriteFileAtomic(dir / "kotopa.ini", "new");
        if (!StepWasReached()) {
            EXPECT_TRUE(written);
            EXPECT_EQ(Folder(dir.path()), (Files{{"kotopa.ini", "new"}}));
            break;
        }
        SCOPED_TRACE(n);
        ++steps;
        // The rename is the write's one moment: failing after it leaves the new file.
        EXPECT_EQ(Folder(dir.path()), (Files{{"kotopa.ini", written ? "new" : "old"}}));
    }
    faultpoint::SetHook(nullptr);
    EXPECT_GE(steps, 4);
}

TEST(Interruption, ARecordingThatFailsAtAnyStepIsInAllItsFilesOrInNone) {
    const Files recorded = RecordedFiles();
    int failures = 0;
    for (int n = 1;; ++n) {
        Recording r;
        const Files before = r.Save();
        const RecordBook bookBefore = r.book;
        ActAtStep(n, false);
        const RecordOutcome o = r.Record();
        faultpoint::SetHook(nullptr);
        if (!StepWasReached()) {
            EXPECT_TRUE(o.recorded && !o.Failed());
            EXPECT_EQ(r.Save(), recorded);
            break;
        }
        SCOPED_TRACE(n);
        if (!o.recorded) {
            ++failures;
            EXPECT_EQ(r.Save(), before) << "nothing changed, nothing left behind";
            EXPECT_EQ(r.book.TotalRecords(), bookBefore.TotalRecords());
            EXPECT_EQ(r.book.CurrentBests(), bookBefore.CurrentBests());
            EXPECT_EQ(ResultViewOf(r.result, o).memo.size(), 5u);
            continue;
        }
        // Committed: the book holds the play, and the files hold it once the next start ran.
        EXPECT_EQ(r.book.CurrentBests().PlayCount, 4);
        if (o.pending) r.NextStart();
        EXPECT_EQ(r.Save(), recorded);
    }
    EXPECT_GE(failures, 10);  // five files staged, the journal written
}

TEST(Interruption, ARecordingKilledAtAnyStepIsFinishedOrUndoneAtTheNextStart) {
    const Files recorded = RecordedFiles();
    int undone = 0;
    int finished = 0;
    for (int n = 1;; ++n) {
        Recording r;
        const Files before = r.Save();
        if (!KilledAtStep(n, [&] { r.Record(); })) {
            EXPECT_EQ(r.Save(), recorded);
            break;
        }
        SCOPED_TRACE(n);
        const bool committed = fs::exists(r.files.journal);
        // The next start may itself be killed at any of its steps; the one after it finishes.
        for (int m = 1; committed; ++m) {
            Recording again;  // the same interruption once more, for this start to be killed in
            ASSERT_TRUE(KilledAtStep(n, [&] { again.Record(); }));
            if (!KilledAtStep(m, [&] { again.NextStart(); })) break;
            again.NextStart();
            EXPECT_EQ(again.Save(), recorded) << "start killed at its step " << m;
        }
        r.NextStart();
        const Files after = r.Save();
        if (after == before) {
            ++undone;
        } else {
            ++finished;
            EXPECT_EQ(after, recorded);
        }
        EXPECT_EQ(committed, after == recorded);
    }
    EXPECT_GE(undone, 8);
    EXPECT_GE(finished, 5);
}
