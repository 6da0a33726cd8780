#include "filegroup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "printers.h"
#include "test_util.h"
#include "textfile.h"

using namespace std::string_literals;
using namespace kotopa;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

Names Entries(const fs::path& folder) {
    Names names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A journal as WriteFileGroup writes it: its head line, then target and staged names.
std::string Journal(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string j = "KotoPA file group 1\n";
    for (const auto& [target, staged] : entries) j += target + '\0' + staged + '\0';
    return j;
}

}  // namespace

// The state a crash leaves after the commit: one file already renamed, one still staged.
TEST(FileGroup, ACommittedGroupIsFinishedAndFinishingAgainDoesNothing) {
    TempDir dir;
    WriteBytes(dir / "a.lst", "new a");  // renamed before the crash
    WriteBytes(dir / "b.ini", "old b");
    WriteBytes(dir / "b.ini.tmp7-1", "new b");
    WriteBytes(dir / "g.journal", Journal({{"a.lst", "a.lst.tmp7-0"}, {"b.ini", "b.ini.tmp7-1"}}));
    EXPECT_EQ(FinishFileGroup(dir / "g.journal").status, FinishStatus::Finished);
    EXPECT_EQ(ReadBytes(dir / "a.lst"), "new a");
    EXPECT_EQ(ReadBytes(dir / "b.ini"), "new b");
    EXPECT_EQ(Entries(dir.path()), (Names{"a.lst", "b.ini"}));
    EXPECT_EQ(FinishFileGroup(dir / "g.journal").status, FinishStatus::NoJournal);
}

// The journal is outside input: one that is not exactly what the program writes renames
// nothing, whatever it names, and is removed so that it cannot block later groups.
TEST(FileGroup, AJournalThatCannotBeTrustedRenamesNothing) {
    const std::string cases[] = {
        "",
        "not a journal\n"s + "a.lst\0a.lst.tmp1-1\0"s,
        Journal({{"a.lst", "evil"}}),                // not a temporary file of its target
        Journal({{"a.lst", "b.lst.tmp1-1"}}),        // a temporary file of another target
        Journal({{"../a.lst", "../a.lst.tmp1-1"}}),  // outside the folder
        Journal({{"sub/a.lst", "sub/a.lst.tmp1-1"}}),
        Journal({{"a.lst", "a.lst.tmp1-1"}}).substr(0, 30),  // cut short
        Journal({{"a.lst", "a.lst.tmp1-1"}}) + "a.lst"s,     // a name without its pair
    };
    for (const std::string& journal : cases) {
        SCOPED_TRACE(journal);
        TempDir dir;
        fs::create_directory(dir / "sub");
        for (const char* name :
             {"a.lst", "a.lst.tmp1-1", "evil", "b.lst.tmp1-1", "sub/a.lst.tmp1-1"}) {
            WriteBytes(dir / name, name);
        }
        WriteBytes(dir / "g.journal", journal);
        const FinishOutcome o = FinishFileGroup(dir / "g.journal");
        EXPECT_EQ(o.status, FinishStatus::Discarded);
        EXPECT_EQ(o.failedPath, dir / "g.journal");
        EXPECT_EQ(ReadBytes(dir / "a.lst"), "a.lst");
        EXPECT_FALSE(fs::exists(dir / "g.journal"));
        EXPECT_EQ(Entries(dir.path()),
                  (Names{"a.lst", "a.lst.tmp1-1", "b.lst.tmp1-1", "evil", "sub"}));
    }
}

TEST(FileGroup, AnEarlierGroupIsFinishedBeforeTheNextAndBlocksItWhileItCannotBe) {
    TempDir dir;
    WriteBytes(dir / "a.lst", "old a");
    WriteBytes(dir / "a.lst.tmp3-0", "earlier a");
    WriteBytes(dir / "g.journal", Journal({{"a.lst", "a.lst.tmp3-0"}}));
    ASSERT_TRUE(WriteFileGroup(dir / "g.journal", {{dir / "b.ini", "new b"}}).ok);
    EXPECT_EQ(ReadBytes(dir / "a.lst"), "earlier a");
    EXPECT_EQ(Entries(dir.path()), (Names{"a.lst", "b.ini"}));

    // A staged file that cannot be put in place (a folder full of files stands there).
    fs::create_directories(dir / "c.lst" / "x");
    WriteBytes(dir / "c.lst.tmp4-0", "earlier c");
    WriteBytes(dir / "g.journal", Journal({{"c.lst", "c.lst.tmp4-0"}}));
    const FileGroupOutcome o = WriteFileGroup(dir / "g.journal", {{dir / "b.ini", "newer b"}});
    EXPECT_FALSE(o.committed);
    EXPECT_EQ(o.failedPath, dir / "c.lst");
    EXPECT_EQ(ReadBytes(dir / "b.ini"), "new b");
    EXPECT_EQ(FinishFileGroup(dir / "g.journal").status, FinishStatus::Unfinished);
    EXPECT_TRUE(fs::exists(dir / "c.lst.tmp4-0")) << "kept for a later try";
}

#ifndef _WIN32
// A file of the group that links elsewhere stays a link; the group is written, and finished
// after a crash, where the link leads.
TEST(FileGroup, AFileThatIsALinkIsWrittenWhereItLeads) {
    TempDir dir;
    fs::create_directories(dir / "save");
    fs::create_directories(dir / "elsewhere");
    WriteBytes(dir / "elsewhere" / "records.txt", "old");
    fs::create_symlink("../elsewhere/records.txt", dir / "save" / "a.lst");
    const FileGroupOutcome o =
        WriteFileGroup(dir / "save" / "g.journal",
                       {{dir / "save" / "a.lst", "new"}, {dir / "save" / "b.ini", "b"}});
    EXPECT_TRUE(o.ok && o.committed);
    EXPECT_TRUE(fs::is_symlink(dir / "save" / "a.lst"));
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "records.txt"), "new");
    EXPECT_EQ(Entries(dir / "elsewhere"), (Names{"records.txt"}));
    EXPECT_EQ(Entries(dir / "save"), (Names{"a.lst", "b.ini"}));

    // Committed before a crash: the staged file waits beside the link's target.
    WriteBytes(dir / "elsewhere" / "records.txt.tmp5-0", "newer");
    WriteBytes(dir / "save" / "g.journal", Journal({{"a.lst", "records.txt.tmp5-0"}}));
    EXPECT_EQ(FinishFileGroup(dir / "save" / "g.journal").status, FinishStatus::Finished);
    EXPECT_TRUE(fs::is_symlink(dir / "save" / "a.lst"));
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "records.txt"), "newer");
    EXPECT_EQ(Entries(dir / "elsewhere"), (Names{"records.txt"}));
}
#endif
