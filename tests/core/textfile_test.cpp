#include "textfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "printers.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace std::string_literals;

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;
using Lines = std::vector<std::string>;

TEST(TextFile, EveryLineEndGivesTheSameLines) {
    const Lines want{"one", "", Sj("二行目"), "three"};
    EXPECT_EQ(SplitLines("one\r\n\r\n" + Sj("二行目") + "\r\nthree\r\n"), want);
    EXPECT_EQ(SplitLines("one\n\n" + Sj("二行目") + "\nthree\n"), want);
    EXPECT_EQ(SplitLines("one\r\r" + Sj("二行目") + "\rthree\r"), want);
    EXPECT_EQ(SplitLines("one\r\n\n" + Sj("二行目") + "\rthree"), want);  // mixed, no final end
}

TEST(TextFile, LineEndEdgeCases) {
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\r\n"), Lines{""});
    EXPECT_EQ(SplitLines("a\n\r"), (Lines{"a", ""}));  // LF CR: a line end, then an empty line
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines("a\nb\0c\nd"s), (Lines{"a", "b"}));  // NUL ends the text
    EXPECT_EQ(SplitLines("\0abc"s), Lines{});
}

TEST(TextFile, AStringListKeepsNulBytesInsideItsLines) {
    // A list is written back whole, so a NUL byte must not end it as it ends an Act's text.
    TempDir dir;
    WriteBytes(dir / "r.lst", "a\0b\r\n\0\nc"s);
    Lines lines;
    ASSERT_EQ(ReadStringList(dir / "r.lst", lines, kMiB), ReadStatus::Ok);
    EXPECT_EQ(lines, (Lines{"a\0b"s, "\0"s, "c"}));
    ASSERT_TRUE(WriteStringList(dir / "r.lst", lines));
    EXPECT_EQ(ReadBytes(dir / "r.lst"), "a\0b\r\n\0\r\nc\r\n"s);
}

TEST(TextFile, WriteIsWholeWithCrLfAndReadsBack) {
    TempDir dir;
    const Lines lines{"95 212 7", "", Sj("読み")};
    ASSERT_TRUE(WriteStringList(dir / "r.lst", lines));
    EXPECT_EQ(ReadBytes(dir / "r.lst"), "95 212 7\r\n\r\n" + Sj("読み") + "\r\n");
    Lines back;
    EXPECT_EQ(ReadStringList(dir / "r.lst", back, kMiB), ReadStatus::Ok);
    EXPECT_EQ(back, lines);
    // Replacing a longer file leaves nothing of it behind.
    ASSERT_TRUE(WriteStringList(dir / "r.lst", Lines{"x"}));
    EXPECT_EQ(ReadBytes(dir / "r.lst"), "x\r\n");
    ASSERT_TRUE(WriteStringList(dir / "r.lst", Lines{}));
    EXPECT_EQ(ReadBytes(dir / "r.lst"), "");
}

TEST(TextFile, MissingAndUnreadableAreTold) {
    TempDir dir;
    Lines lines{"stale"};
    EXPECT_EQ(ReadStringList(dir / "none.lst", lines, kMiB), ReadStatus::Missing);
    EXPECT_TRUE(lines.empty());
    std::filesystem::create_directory(dir / "folder.lst");
    EXPECT_EQ(ReadStringList(dir / "folder.lst", lines, kMiB), ReadStatus::Unreadable);
}

TEST(TextFile, FailedWriteLeavesTheOldFileWholeAndNoLitter) {
    TempDir dir;
    WriteBytes(dir / "keep.lst", "old\r\n");
    // Missing folder: never created.
    EXPECT_FALSE(WriteStringList(dir / "no" / "such" / "file.lst", Lines{"x"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    // A folder standing where the file should be.
    std::filesystem::create_directory(dir / "taken.lst");
    EXPECT_FALSE(WriteStringList(dir / "taken.lst", Lines{"x"}));
    EXPECT_EQ(ReadBytes(dir / "keep.lst"), "old\r\n");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2u);  // keep.lst and taken.lst: no temporary file left behind
}

// A write cut short by a crash leaves its temporary file, as large as the file it replaces.
// Only names the atomic write makes, with the program's own mark, are taken for such files.
TEST(TextFile, StaleTemporaryFilesAreRemovedAndNothingElse) {
    TempDir dir;
    const std::vector<std::string> stale{"record.lst.kotopa~tmp123456-0",
                                         "playlog.log.kotopa~tmp1000000006-42",
                                         "a.tmp1-2.kotopa~tmp3-4"};
    const std::vector<std::string> kept{
        "record.lst", ".kotopa~tmp1-2", "record.lst.kotopa~tmp", "record.lst.kotopa~tmp12",
        "record.lst.kotopa~tmp12-", "record.lst.kotopa~tmp-3", "record.lst.kotopa~tmpa-3",
        "record.lst.KOTOPA~TMP1-2", "record.lst.kotopa~tmp1-2.bak", "record.lst.kotopa~tmp1_2",
        "notes.txt",
        // A user's names, and those of earlier versions.
        "notes.txt.tmp2024-1", "record.lst.tmp123456-0", "mykey.key.tmp13-0"};
    for (const auto& name : stale) {
        EXPECT_TRUE(IsTemporaryFileName(name)) << name;
        WriteBytes(dir / name, "x");
    }
    for (const auto& name : kept) {
        EXPECT_FALSE(IsTemporaryFileName(name)) << name;
        WriteBytes(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "folder.kotopa~tmp1-1");  // not a file it makes
    EXPECT_TRUE(RemoveStaleTemporaries(dir.path()).empty());
    for (const auto& name : stale) EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    EXPECT_TRUE(std::filesystem::exists(dir / "folder.kotopa~tmp1-1"));

    // A journal names the staged files of either kind.
    EXPECT_TRUE(IsTemporaryFileOf("record.lst.kotopa~tmp5-6", "record.lst"));
    EXPECT_TRUE(IsTemporaryFileOf("record.lst.tmp5-6", "record.lst"));
    EXPECT_FALSE(IsTemporaryFileOf("record.lst.kotopa~tmp5-6", "record.ls"));
    EXPECT_FALSE(IsTemporaryFileOf("record.lst", "record.lst"));
}

TEST(TextFile, AWriteMakesOnlyMarkedTemporaryFiles) {
    TempDir dir;
    const auto path = dir / "a.lst";
    const auto staged = StageFile(path, "new");
    ASSERT_FALSE(staged.empty());
    EXPECT_TRUE(IsTemporaryFileName(staged.filename()));
    EXPECT_TRUE(IsTemporaryFileOf(staged.filename(), "a.lst"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.path()), std::vector<std::filesystem::path>{});
    EXPECT_FALSE(std::filesystem::exists(staged));
}

#ifndef _WIN32
// A folder or a file name that is a link leads elsewhere: nothing is removed through it.
TEST(TextFile, StaleTemporariesAreNeverRemovedThroughALink) {
    TempDir dir;
    std::filesystem::create_directories(dir / "elsewhere");
    std::filesystem::create_directories(dir / "key");
    WriteBytes(dir / "elsewhere" / "mykey.key.kotopa~tmp1-1", "someone's");
    std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "linked");
    std::filesystem::create_symlink(dir / "elsewhere" / "mykey.key.kotopa~tmp1-1",
                                    dir / "key" / "mykey.key.kotopa~tmp2-2");
    EXPECT_TRUE(RemoveStaleTemporaries(dir / "linked").empty());
    EXPECT_TRUE(RemoveStaleTemporaries(dir / "key").empty());
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "mykey.key.kotopa~tmp1-1"), "someone's");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "key" / "mykey.key.kotopa~tmp2-2"));
}
#endif

TEST(TextFile, ReplacedFileKeepsItsPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: permission bits (Windows keeps attributes, tested apart)";
#endif
    TempDir dir;
    const auto p = dir / "settings.ini";
    WriteBytes(p, "a");
    std::filesystem::permissions(
        p, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomic(p, "b"));
    EXPECT_EQ(std::filesystem::status(p).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

namespace {

#ifdef _WIN32
std::size_t Entries(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}
#endif

// The old file as another program (a virus scanner, a backup) holds it: open for reading,
// its deletion and replacement not shared.
class HeldFileTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        GTEST_SKIP() << "Windows only: files held open by another program";
#else
        WriteBytes(path, "old");
        held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
#endif
    }

    TempDir dir;
    const std::filesystem::path path = dir / "記録.lst";
#ifdef _WIN32
    HANDLE held = INVALID_HANDLE_VALUE;
#endif
};

}  // namespace

TEST_F(HeldFileTest, AFileHeldForAMomentIsStillReplaced) {
#ifdef _WIN32
    std::thread release([this] {
        Sleep(300);
        CloseHandle(held);
    });
    EXPECT_TRUE(WriteFileAtomic(path, "new"));
    release.join();
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(Entries(dir.path()), 1u);
#endif
}

TEST_F(HeldFileTest, AFileHeldThroughoutIsLeftWholeAfterABoundedWait) {
#ifdef _WIN32
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WriteFileAtomic(path, "new"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(Entries(dir.path()), 1u);  // no temporary file left behind
#endif
}

TEST(TextFile, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsKept) {
#ifndef _WIN32
    GTEST_SKIP() << "Windows only: file attributes";
#else
    TempDir dir;
    const auto hidden = dir / "kotopa.ini";
    WriteBytes(hidden, "a");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteFileAtomic(hidden, "b"));
    EXPECT_EQ(ReadBytes(hidden), "b");
    EXPECT_NE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    const auto readOnly = dir / "mykey.key";
    WriteBytes(readOnly, "a");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteFileAtomic(readOnly, "b"));
    EXPECT_EQ(ReadBytes(readOnly), "a");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Entries(dir.path()), 2u);
#endif
}

TEST(TextFile, CannotWriteMessageNamesThePath) {
    EXPECT_EQ(CannotWriteMessage("C:\\k\\key\\mykey.key"),
              "C:\\k\\key\\mykey.key" + Sj(" に書き込めません"));
}

#ifndef _WIN32
// A key file linked to a table elsewhere stays a link; the table it leads to is replaced,
// atomically in its own folder, which is left without a temporary file.
TEST(TextFile, AnAtomicWriteThroughALinkReplacesTheFileItLeadsTo) {
    TempDir dir;
    std::filesystem::create_directories(dir / "key");
    std::filesystem::create_directories(dir / "tables");
    WriteBytes(dir / "tables" / "real.key", "old rows");
    std::filesystem::create_symlink("../tables/real.key", dir / "key" / "link.key");
    std::filesystem::create_symlink(dir / "key" / "link.key", dir / "key" / "mykey.key");

    ASSERT_TRUE(WriteFileAtomic(dir / "key" / "mykey.key", "new rows"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "key" / "mykey.key"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "key" / "link.key"));
    EXPECT_EQ(ReadBytes(dir / "tables" / "real.key"), "new rows");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "tables"), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "key"), {}), 2);
}
#endif
