#include "filegroup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string_view>

#include "printers.h"
#include "results.h"
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

// The files these groups write: every name but the journal's.
bool Member(const fs::path& name) {
    return name != "g.journal";
}

}  // namespace

// The state a crash leaves after the commit: one file already renamed, one still staged.
TEST(FileGroup, ACommittedGroupIsFinishedAndFinishingAgainDoesNothing) {
    TempDir dir;
    WriteBytes(dir / "a.lst", "new a");  // renamed before the crash
    WriteBytes(dir / "b.ini", "old b");
    WriteBytes(dir / "b.ini.tmp7-1", "new b");
    WriteBytes(dir / "g.journal", Journal({{"a.lst", "a.lst.tmp7-0"}, {"b.ini", "b.ini.tmp7-1"}}));
    EXPECT_EQ(FinishFileGroup(dir / "g.journal", Member).status, FinishStatus::Finished);
    EXPECT_EQ(ReadBytes(dir / "a.lst"), "new a");
    EXPECT_EQ(ReadBytes(dir / "b.ini"), "new b");
    EXPECT_EQ(Entries(dir.path()), (Names{"a.lst", "b.ini"}));
    EXPECT_EQ(FinishFileGroup(dir / "g.journal", Member).status, FinishStatus::NoJournal);
}

// The journal is outside input: one that is not exactly what the program writes renames
// nothing, whatever it names, and is set aside so that it cannot block later groups.
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
        const FinishOutcome o = FinishFileGroup(dir / "g.journal", Member);
        EXPECT_EQ(o.status, FinishStatus::Discarded);
        EXPECT_EQ(o.failedPath, dir / "g.journal.damaged");
        EXPECT_EQ(ReadBytes(dir / "a.lst"), "a.lst");
        EXPECT_EQ(ReadBytes(dir / "g.journal.damaged"), journal);
        EXPECT_EQ(Entries(dir.path()), (Names{"a.lst", "a.lst.tmp1-1", "b.lst.tmp1-1", "evil",
                                              "g.journal.damaged", "sub"}));
    }
}

TEST(FileGroup, AnEarlierGroupIsFinishedBeforeTheNextAndBlocksItWhileItCannotBe) {
    TempDir dir;
    WriteBytes(dir / "a.lst", "old a");
    WriteBytes(dir / "a.lst.tmp3-0", "earlier a");
    WriteBytes(dir / "g.journal", Journal({{"a.lst", "a.lst.tmp3-0"}}));
    ASSERT_TRUE(WriteFileGroup(dir / "g.journal", {{dir / "b.ini", "new b"}}, Member).ok);
    EXPECT_EQ(ReadBytes(dir / "a.lst"), "earlier a");
    EXPECT_EQ(Entries(dir.path()), (Names{"a.lst", "b.ini"}));

    // A staged file that cannot be put in place (a folder full of files stands there).
    fs::create_directories(dir / "c.lst" / "x");
    WriteBytes(dir / "c.lst.tmp4-0", "earlier c");
    WriteBytes(dir / "g.journal", Journal({{"c.lst", "c.lst.tmp4-0"}}));
    const FileGroupOutcome o =
        WriteFileGroup(dir / "g.journal", {{dir / "b.ini", "newer b"}}, Member);
    EXPECT_FALSE(o.committed);
    EXPECT_EQ(o.failedPath, dir / "c.lst");
    EXPECT_EQ(ReadBytes(dir / "b.ini"), "new b");
    EXPECT_EQ(FinishFileGroup(dir / "g.journal", Member).status, FinishStatus::Unfinished);
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
                       {{dir / "save" / "a.lst", "new"}, {dir / "save" / "b.ini", "b"}}, Member);
    EXPECT_TRUE(o.ok && o.committed);
    EXPECT_TRUE(fs::is_symlink(dir / "save" / "a.lst"));
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "records.txt"), "new");
    EXPECT_EQ(Entries(dir / "elsewhere"), (Names{"records.txt"}));
    EXPECT_EQ(Entries(dir / "save"), (Names{"a.lst", "b.ini"}));

    // Committed before a crash: the staged file waits beside the link's target.
    WriteBytes(dir / "elsewhere" / "records.txt.tmp5-0", "newer");
    WriteBytes(dir / "save" / "g.journal", Journal({{"a.lst", "records.txt.tmp5-0"}}));
    EXPECT_EQ(FinishFileGroup(dir / "save" / "g.journal", Member).status, FinishStatus::Finished);
    EXPECT_TRUE(fs::is_symlink(dir / "save" / "a.lst"));
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "records.txt"), "newer");
    EXPECT_EQ(Entries(dir / "elsewhere"), (Names{"records.txt"}));
}
#endif

namespace {

// Every file under root by its path, with its bytes (a link by where it points).
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = e.path().lexically_relative(root).generic_string();
        if (e.is_symlink()) {
            tree[name] = "-> " + fs::read_symlink(e.path()).generic_string();
        } else if (e.is_regular_file()) {
            tree[name] = ReadBytes(e.path());
        } else {
            tree[name] = "folder";
        }
    }
    return tree;
}

}  // namespace

// A recording's journal names its own files of save/ and their staged copies, nothing else:
// whatever a crafted journal names, the start renames nothing, the records and the lock stay,
// and the journal is set aside beside itself.
TEST(RecordingJournal, ACraftedJournalChangesNothingAndIsSetAside) {
    const auto staged = [](std::string name) { return name + ".tmp1-1"; };
    struct Case {
        const char* what;
        std::string journal;
    };
    const std::string outside = "../outside.txt";
    const std::vector<Case> cases = {
        {"truncated", Journal({{"record.lst", staged("record.lst")}}).substr(0, 27)},
        {"garbage", "\xff\xfe garbage\0\0\0"s},
        {"a folder above", Journal({{outside, staged(outside)}})},
        {"a folder below", Journal({{"sub/x.lst", staged("sub/x.lst")}})},
        {"the journal itself", Journal({{"recording.journal", staged("recording.journal")}})},
        {"the lock", Journal({{"kotopa.lock", staged("kotopa.lock")}})},
        {"a file no recording writes", Journal({{"notes.txt", staged("notes.txt")}})},
        {"a name twice",
         Journal({{"record.lst", staged("record.lst")}, {"record.lst", "record.lst.tmp1-2"}})},
        {"a staged link", Journal({{"Act02.lst", staged("Act02.lst")}})},
        {"a drive", Journal({{"C:kotopa-victim.txt", staged("C:kotopa-victim.txt")}})},
        {"a drive and a root", Journal({{"C:\\victim.txt", staged("C:\\victim.txt")}})},
        {"a server", Journal({{"\\\\server\\share\\x.lst", staged("\\\\server\\share\\x.lst")}})},
        {"a stream", Journal({{"record.lst:x", staged("record.lst:x")}})},
        {"a device", Journal({{"NUL.lst", staged("NUL.lst")}})},
        {"a trailing point", Journal({{"kotopa.lock.", staged("kotopa.lock.")}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path save = dir / "save";
        fs::create_directories(save / "sub");
        WriteBytes(dir / "outside.txt", "outside");
        WriteBytes(dir / staged("outside.txt"), "staged outside");
        WriteBytes(save / "record.lst", "1 2 3\r\n");
        WriteBytes(save / "kotopa.lock", "");
        WriteBytes(save / "kotopa.ini", "[TOP]\r\n");
        for (const char* name :
             {"record.lst.tmp1-1", "record.lst.tmp1-2", "kotopa.lock.tmp1-1",
              "recording.journal.tmp1-1", "notes.txt", "notes.txt.tmp1-1", "sub/x.lst.tmp1-1"}) {
            WriteBytes(save / name, "staged");
        }
        std::error_code linked;
        fs::create_symlink(dir / "outside.txt", save / staged("Act02.lst"), linked);
        // Windows gives links to privileged users only: without one there is no such case.
        if (linked && std::string_view(c.what) == "a staged link") continue;
#ifdef _WIN32
        // Relative to the current folder of drive C, which a name "C:x" would reach.
        const fs::path victim = "C:kotopa-victim.txt";
        WriteBytes(fs::path("C:kotopa-victim.txt.tmp1-1"), "staged victim");
#endif
        WriteBytes(save / "recording.journal", c.journal);
        auto before = Tree(dir.path());
        before.erase("save/recording.journal");
        before["save/recording.journal.damaged"] = c.journal;

        const FinishOutcome o = FinishInterruptedRecording(SaveFolder(dir.path()));
        EXPECT_EQ(o.status, FinishStatus::Discarded);
        EXPECT_EQ(o.failedPath, save / "recording.journal.damaged");
        EXPECT_EQ(Tree(dir.path()), before);
        // Set aside, it is no longer in the way: the next start finds nothing to finish.
        EXPECT_EQ(FinishInterruptedRecording(SaveFolder(dir.path())).status,
                  FinishStatus::NoJournal);
#ifdef _WIN32
        EXPECT_FALSE(fs::exists(victim));
        EXPECT_TRUE(fs::exists(fs::path("C:kotopa-victim.txt.tmp1-1")));
        std::error_code ec;
        fs::remove(victim, ec);
        fs::remove(fs::path("C:kotopa-victim.txt.tmp1-1"), ec);
#endif
    }
}

// What a recording writes is what its journal may name: the settings, the play log and the
// record lists of save/, and nothing else there.
TEST(RecordingJournal, OnlyTheRecordingsOwnFilesAreMembers) {
    for (const char* name : {"kotopa.ini", "playlog.log", "keyrecord.txt", "record.lst",
                             "record-kana.lst", "Act01.lst", "練習.lst"}) {
        EXPECT_TRUE(IsRecordingFile(kotopa::PathFromUtf8(name))) << name;
    }
    for (const char* name : {"kotopa.lock", "recording.journal", "recording.journal.damaged",
                             "notes.txt", "kotopa.ini.bak", "lst"}) {
        EXPECT_FALSE(IsRecordingFile(name)) << name;
    }
}
