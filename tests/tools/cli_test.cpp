#include "cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "test_util.h"
#include "tool_run.h"

using namespace kotopa::tool;
using testutil::Sj;

namespace {

// Arguments are UTF-8, as the program's entry makes them on every system.
std::string Arg(const std::filesystem::path& p) {
    return kotopa::PathToUtf8(p);
}

const char* kSource = "# test table\nあ a\nい i\nぬ nu\nね ne\nこ ko\n<sp> <sp>\n";
const char* kAct =
    "Act\n\n\nheader 4\nheader 5\n犬 猫\nいぬ ねこ\n犬\nいぬ\n猫\nねこ\n犬\nいぬ\n猫\nねこ\n";

}  // namespace

TEST(Cli, EveryCommandHasHelp) {
    for (const auto& command : {"check", "import", "export", "keys", "try"}) {
        const ToolRun r = Tool({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find(std::string("kotopa-tool ") + command), std::string::npos) << command;
    }
    EXPECT_EQ(Tool({"--help"}).status, 0);
    EXPECT_EQ(Tool({}).status, 2);
    EXPECT_EQ(Tool({"frobnicate"}).status, 2);
    EXPECT_EQ(Tool({"check", "--bogus", "a.ktp"}).status, 2);
}

TEST(Cli, BadInputFilesAreUnusableWithAClearMessage) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "empty.ktp", "");
    testutil::WriteBytes(dir / "act.txt", kAct);
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::string missing = Arg(dir / "missing.ktp");
    const Case cases[] = {
        {{"check", missing}, "no such file\nthe program refuses it: ファイルが存在しません。"},
        {{"check", Arg(dir / "act.txt")}, "wrong extension"},
        {{"export", Arg(dir / "empty.ktp"), "-o", Arg(dir / "x.txt")}, "the file is empty"},
        {{"import", Arg(dir / "act.txt"), "-o", Arg(dir / "x.txt")}, "wrong extension"},
        {{"keys", "dump", missing}, "wrong extension"},
        {{"try", "--keys", Arg(dir / "none.key"), "あ", "a"}, "no such file"},
    };
    for (const auto& c : cases) {
        const ToolRun r = Tool(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args[1];
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST(Cli, ImportCheckExportRoundTrip) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "keys.txt", kSource);
    testutil::WriteBytes(dir / "act.txt", kAct);
    const std::string key = Arg(dir / "mykey.key");
    const std::string ktp = Arg(dir / "練習01.ktp");
    ASSERT_EQ(Tool({"keys", "build", Arg(dir / "keys.txt"), "-o", key}).status, 0);
    ASSERT_EQ(Tool({"import", Arg(dir / "act.txt"), "-o", ktp}).status, 0);
    EXPECT_EQ(testutil::ReadBytes(dir / "練習01.ktp").substr(0, 5), "Act\r\n");

    const ToolRun check = Tool({"check", ktp, "--keys", key});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("練習01.ktp: clean, 5 pairs"), std::string::npos) << check.out;

    ASSERT_EQ(Tool({"export", ktp, "-o", Arg(dir / "back.txt")}).status, 0);
    EXPECT_EQ(testutil::ReadBytes(dir / "back.txt"), kAct);
}

TEST(Cli, CheckFindsTheKeyTableBesideTheAct) {
    testutil::TempDir dir;
    std::filesystem::create_directories(dir / "key");
    std::filesystem::create_directories(dir / "ktp");
    testutil::WriteBytes(dir / "keys.txt", "あ a\n");
    testutil::WriteBytes(dir / "act.txt", kAct);
    ASSERT_EQ(
        Tool({"keys", "build", Arg(dir / "keys.txt"), "-o", Arg(dir / "key" / "mykey.key")}).status,
        0);
    ASSERT_EQ(Tool({"import", Arg(dir / "act.txt"), "-o", Arg(dir / "ktp" / "Act01.ktp")}).status,
              0);
    const ToolRun r = Tool({"check", Arg(dir / "ktp" / "Act01.ktp")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Act01.ktp:7:1: the key table cannot type \"い\""), std::string::npos)
        << r.out;
}

TEST(Cli, RefusedImportLeavesTheOldFile) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "act.txt", std::string(kAct) + "ゔ\n");
    testutil::WriteBytes(dir / "Act01.ktp", "old");
    const ToolRun r = Tool({"import", Arg(dir / "act.txt"), "-o", Arg(dir / "Act01.ktp")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("act.txt:16:1: \"ゔ\" (U+3094) cannot be held in Shift_JIS"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos);
    EXPECT_EQ(testutil::ReadBytes(dir / "Act01.ktp"), "old");
}

TEST(Cli, KeysBuildRefusesABadSourceAndDumpShowsAKeyFile) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "bad.txt", "あ a\nん n nn\n");
    const ToolRun bad = Tool({"keys", "build", Arg(dir / "bad.txt"), "-o", Arg(dir / "k.key")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.txt:2: "), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "k.key"));

    testutil::WriteBytes(dir / "good.txt", kSource);
    ASSERT_EQ(Tool({"keys", "build", Arg(dir / "good.txt"), "-o", Arg(dir / "k.key")}).status, 0);
    const ToolRun dump = Tool({"keys", "dump", Arg(dir / "k.key")});
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, "# 6 rows\nあ\ta\nい\ti\nぬ\tnu\nね\tne\nこ\tko\n<sp>\t<sp>\n");
}

TEST(Cli, TryPrintsTheCountersAndTheFirstMistype) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "keys.txt", kSource);
    const std::string key = Arg(dir / "k.key");
    ASSERT_EQ(Tool({"keys", "build", Arg(dir / "keys.txt"), "-o", key}).status, 0);
    const ToolRun ok = Tool({"try", "--keys", key, "いぬ ねこ", "inu neko"});
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(
        ok.out.find("KeyCount  8\nCharCount 5\nMissCount 0\ncompleted yes\nfirst mistype: none\n"),
        std::string::npos)
        << ok.out;
    const ToolRun miss = Tool({"try", "--keys", key, "いぬ", "ixnu"});
    EXPECT_EQ(miss.status, 1);
    EXPECT_NE(miss.out.find("first mistype: key 2 'x', at character 2 of the reading (ぬ)"),
              std::string::npos)
        << miss.out;
    EXPECT_EQ(Tool({"try", "--keys", key, "ゔ", "vu"}).status, 2);
    EXPECT_EQ(Tool({"try", "--keys", key, "--", "ー", "-a"}).status, 1);  // keys may begin with -
    EXPECT_EQ(Tool({"try", "--keys", key, "ー", "-a"}).status, 2);
}

// The program refuses an empty Act, an Act of one line and one of binary bytes alike: check
// answers all three with the same status, and names the refusal.
TEST(Cli, CheckGivesOneStatusForWhatTheProgramRefuses) {
    testutil::TempDir dir;
    using namespace std::string_literals;
    const std::pair<const char*, std::string> acts[] = {
        {"empty.ktp", ""}, {"one.ktp", "one line\r\n"}, {"binary.ktp", "\x7F\xFF\x00\x01\xFE"s}};
    for (const auto& [name, bytes] : acts) {
        testutil::WriteBytes(dir / name, bytes);
        const ToolRun r = Tool({"check", Arg(dir / name)});
        EXPECT_EQ(r.status, 1) << name << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find("the program refuses this Act: "), std::string::npos) << name;
    }
}

TEST(Cli, KeysBuildReportsANulWithItsPlaceAndWritesNothing) {
    testutil::TempDir dir;
    using namespace std::string_literals;
    testutil::WriteBytes(dir / "keys.txt", "あ a\nい i\0 x\nう u\n"s);
    const ToolRun r = Tool({"keys", "build", Arg(dir / "keys.txt"), "-o", Arg(dir / "k.key")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("keys.txt:2:4: a NUL character"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "k.key"));
}
