// Every reader of outside input reads no more than its bound: a file larger than memory (a
// sparse file claims any size) is refused with the reader's own answer, and nothing ends
// the program.
#include <gtest/gtest.h>

#include "act.h"
#include "basedir.h"
#include "filegroup.h"
#include "keytable.h"
#include "printers.h"
#include "results.h"
#include "settings.h"
#include "test_util.h"
#include "textfile.h"
#include "wave.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;
namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kGiB = 1024 * kMiB;

}  // namespace

TEST(BoundedRead, AFileUpToItsBoundIsReadAndOneByteMoreIsNot) {
    TempDir dir;
    WriteBytes(dir / "f", std::string(1000, 'x'));
    std::string bytes = "old";
    EXPECT_EQ(ReadFileBytes(dir / "f", bytes, 1000), ReadStatus::Ok);
    EXPECT_EQ(bytes.size(), 1000u);
    EXPECT_EQ(ReadFileBytes(dir / "f", bytes, 999), ReadStatus::TooLarge);
    EXPECT_TRUE(bytes.empty());
    testutil::SparseFile(dir / "huge", 64 * kGiB);
    EXPECT_EQ(ReadFileBytes(dir / "huge", bytes, 64 * kMiB), ReadStatus::TooLarge);
    std::vector<std::string> lines{"old"};
    EXPECT_EQ(ReadStringList(dir / "huge", lines, 64 * kMiB), ReadStatus::TooLarge);
    EXPECT_TRUE(lines.empty());
}

// Each reader with a sparse 64 GiB file where it reads.
TEST(BoundedRead, EveryReaderRefusesAHugeFile) {
    TempDir dir;
    const SaveFolder save(dir.path());
    fs::create_directories(save.Path());

    const std::uintmax_t made = testutil::SparseFile(save.Settings(), 64 * kGiB);
    const SettingsLoad settings = LoadSettings(save.Settings());
    EXPECT_EQ(settings.status, ReadStatus::TooLarge);
    EXPECT_EQ(settings.settings.last, Settings::kNoLastAct) << "defaults";
    // Set aside beside itself, so that the next start is clean and writes its own file.
    const fs::path aside = SetSettingsAside(save.Settings());
    EXPECT_EQ(aside, save.Path() / "kotopa.ini.damaged");
    EXPECT_EQ(fs::file_size(aside), made);
    EXPECT_FALSE(fs::exists(save.Settings()));
    EXPECT_EQ(LoadSettings(save.Settings()).status, ReadStatus::Missing);
    Settings s;
    EXPECT_TRUE(SaveShutdownSettings(save.Settings(), s));

    for (const std::uintmax_t size : {1 * kGiB, 64 * kGiB}) {
        testutil::SparseFile(save.RecordingJournal(), size);
        const FinishOutcome journal = FinishInterruptedRecording(save);
        EXPECT_EQ(journal.status, FinishStatus::Discarded);
        EXPECT_EQ(journal.failedPath, DamagedJournalPath(save.RecordingJournal()));
        EXPECT_EQ(FinishInterruptedRecording(save).status, FinishStatus::NoJournal);
    }

    testutil::SparseFile(save.TotalRecords(), 64 * kGiB);
    RecordBook book;
    EXPECT_EQ(book.LoadTotalRecords(save.TotalRecords()), ReadStatus::TooLarge);
    EXPECT_EQ(book.LoadActRecords(save.TotalRecords()), ReadStatus::TooLarge);

    fs::create_directories(dir / "key");
    testutil::SparseFile(dir / "key" / "huge.key", 64 * kGiB);
    KeyTable table(std::vector<KeyRow>{KeyRow{"a", {"a"}}});
    EXPECT_EQ(table.LoadChosenKeyFile(dir / "key" / "huge.key"), KeyFileProblem::TooLarge);
    EXPECT_EQ(table.Rows().size(), 1u) << "the table stays as it was";
    EXPECT_EQ(table.LoadKeyFile(dir / "key" / "huge.key"), KeyFileProblem::TooLarge);

    testutil::SparseFile(dir / "huge.ktp", 64 * kGiB);
    EXPECT_EQ(ReadAct(dir / "huge.ktp").refusal, ActRefusal::TooLarge);

    testutil::SparseFile(dir / "miss.wav", 64 * kGiB);
    EXPECT_EQ(CheckWaveFile(dir / "miss.wav").problem, WaveProblem::TooLarge);
}
