#include "keytable.h"

#include <gtest/gtest.h>

#include "inifile.h"
#include "test_util.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;
using List = std::vector<std::string>;

namespace {

KeyTable FromKeyFile(std::string_view utf8) {
    KeyTable t;
    t.LoadKeyBytes(Sj(utf8));
    return t;
}

KeyRow Row(std::string_view itemUtf8, List candidates) { return KeyRow{Sj(itemUtf8), std::move(candidates)}; }

}  // namespace

TEST(KeyTable, StoredValuesSplitIntoFields) {
    EXPECT_EQ(SplitStoredValue("a b c"), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue("  a ,  b,c  "), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue("a,,b"), (List{"a", "", "b"}));
    EXPECT_EQ(SplitStoredValue("\"x y\" \"say \"\"hi\"\"\" z"), (List{"x y", "say \"hi\"", "z"}));
    EXPECT_EQ(SplitStoredValue("\"open to the end"), (List{"open to the end"}));
    EXPECT_EQ(SplitStoredValue("a\tb\x01" "c"), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue(""), List{});
    EXPECT_EQ(SplitStoredValue("   "), List{});
    EXPECT_EQ(SplitStoredValue(Sj("ソ a")), (List{Sj("ソ"), "a"}));  // a double-byte character is whole
    EXPECT_EQ(SplitStoredValue(std::string("a\0b", 3)), List{"a"});
}

TEST(KeyTable, LoadingTakesRowsByNumberUpToKazu) {
    const KeyTable t = FromKeyFile(
        "[MOZI]\r\nKAZU=4\r\n0=\"あ a\"\r\n1=い i yi\r\n3=\"う\"\r\n4=\"え e\"\r\n");
    ASSERT_EQ(t.rows.size(), 4u);
    EXPECT_EQ(t.rows[0], Row("あ", {"a"}));
    EXPECT_EQ(t.rows[1], Row("い", {"i", "yi"}));    // without enclosing quotes it reads the same
    EXPECT_EQ(t.rows[2], Row("☆", {}));              // missing index
    EXPECT_EQ(t.rows[3], Row("う", {}));              // only an item: no candidates
}

TEST(KeyTable, UnusualFilesLoadWithoutStopping) {
    EXPECT_TRUE(FromKeyFile("").rows.empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=0\n0=\"あ a\"\n").rows.empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=-3\n").rows.empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=many\n0=\"あ a\"\n").rows.empty());
    // An empty value keeps its row as a row that types nothing; empty candidates are dropped.
    const KeyTable t = FromKeyFile("[MOZI]\nKAZU=3\n0=\"\"\n1=\"か ka,,ca\"\n01=\"x x\"\n2=\"  \"\n");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], Row("☆", {}));
    EXPECT_EQ(t.rows[1], Row("か", {"ka", "ca"}));
    EXPECT_EQ(t.rows[2], Row("☆", {}));
    // A KAZU far beyond any table loads a bounded number of rows.
    EXPECT_LE(FromKeyFile("[MOZI]\nKAZU=2000000000\n").rows.size(), 100000u);
}

TEST(KeyTable, SignRowsDecodeToTheirSignsAndFixedKeys) {
    const KeyTable t = FromKeyFile(
        "[MOZI]\nKAZU=9\n0=\"□ □\"\n1=\"▽ ▽\"\n2=\"■ ■ x\"\n3=\"▼ ▼\"\n4=\"○ ○\"\n5=\"● ●\"\n"
        "6=\"∴ ∴ ne\"\n7=\"ね ne\"\n8=\"▼\"\n");
    ASSERT_EQ(t.rows.size(), 9u);
    EXPECT_EQ(t.rows[0], (KeyRow{"\"", {"\""}}));
    EXPECT_EQ(t.rows[1], (KeyRow{",", {","}}));
    EXPECT_EQ(t.rows[2], Row("”", {"\"", "x"}));
    EXPECT_EQ(t.rows[3], Row("、", {","}));
    EXPECT_EQ(t.rows[4], (KeyRow{" ", {" "}}));
    EXPECT_EQ(t.rows[5], Row("　", {" "}));
    EXPECT_EQ(t.rows[6], Row("ね", {",", "ne"}));
    EXPECT_EQ(t.rows[7], Row("ね", {"ne"}));
    EXPECT_EQ(t.rows[8], Row("、", {","}));  // a mark without candidates gains its fixed key
}

TEST(KeyTable, SaveAndLoadRoundTripWithSignRowsAndSevenCandidates) {
    TempDir dir;
    KeyTable t;
    t.rows = {Row("あ", {"a"}),
              Row("し", {"si", "shi", "ci", "c1", "c2", "c3", "c4"}),
              Row("、", {"x", "comma"}),  // first candidate is replaced by the comma key on save
              KeyRow{" ", {" "}},
              Row("　", {" ", "zs"}),
              KeyRow{"\"", {}},           // a sign row without candidates gets its key
              Row("ね", {",", "ne"}),
              Row("ね", {"ne", ","}),
              Row("”", {"\""})};
    ASSERT_TRUE(t.StoreKeyTable(dir / "mykey.key"));
    const std::string stored = ReadBytes(dir / "mykey.key");
    const std::string head = "[MOZI]\r\nKAZU=9\r\n0=\"" + Sj("あ") + " a\"\r\n";
    EXPECT_EQ(stored.substr(0, head.size()), head);
    EXPECT_NE(stored.find("1=\"" + Sj("し") + " si shi ci c1 c2 c3 c4\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("2=\"" + Sj("▼ ▼") + " comma\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("6=\"" + Sj("∴ ∴") + " ne\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("7=\"" + Sj("ね") + " ne ,\"\r\n"), std::string::npos);  // stored as it is

    // The table in memory is decoded again after the store.
    EXPECT_EQ(t.rows[2], Row("、", {",", "comma"}));
    EXPECT_EQ(t.rows[5], (KeyRow{"\"", {"\""}}));

    KeyTable back;
    back.LoadKeyFile(dir / "mykey.key");
    ASSERT_EQ(back.rows.size(), t.rows.size());
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        if (i == 7) continue;  // a trailing comma candidate of an ordinary row is a separator
        EXPECT_EQ(back.rows[i], t.rows[i]) << "row " << i;
    }
    EXPECT_EQ(back.rows[7], Row("ね", {"ne"}));
    EXPECT_EQ(back.rows[1].candidates.size(), 7u);
}

TEST(KeyTable, SavingKeepsForeignLinesAndOldHigherRows) {
    TempDir dir;
    const auto path = dir / "k.key";
    WriteBytes(path, "; " + Sj("自作") + "\r\n[MOZI]\r\nKAZU=3\r\n0=\"a a\"\r\n1=\"b b\"\r\n2=\"c c\"\r\n[OTHER]\r\nx=1\r\n");
    KeyTable t;
    t.rows = {Row("か", {"ka"})};
    ASSERT_TRUE(t.StoreKeyTable(path));
    EXPECT_EQ(ReadBytes(path), "; " + Sj("自作") + "\r\n[MOZI]\r\nKAZU=1\r\n0=\"" + Sj("か") +
                                   " ka\"\r\n1=\"b b\"\r\n2=\"c c\"\r\n[OTHER]\r\nx=1\r\n");
    KeyTable back;
    back.LoadKeyFile(path);
    EXPECT_EQ(back.rows, t.rows);  // rows beyond KAZU are never read
}

TEST(KeyTable, AFailedStoreLeavesTheOldFileWholeAndTheTableDecoded) {
    TempDir dir;
    KeyTable t;
    t.rows = {Row("、", {","}), Row("あ", {"a"})};
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "mykey.key"));  // folder "key" is missing
    EXPECT_FALSE(std::filesystem::exists(dir / "key"));
    EXPECT_EQ(t.rows[0], Row("、", {","}));

    std::filesystem::create_directory(dir / "key");
    const auto path = dir / "key" / "mykey.key";
    WriteBytes(path, "[MOZI]\r\nKAZU=1\r\n0=\"x x\"\r\n");
    std::filesystem::create_directory(dir / "key" / "folder.key");
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "folder.key"));
    EXPECT_EQ(t.rows[0], Row("、", {","}));
    EXPECT_EQ(ReadBytes(path), "[MOZI]\r\nKAZU=1\r\n0=\"x x\"\r\n");
}

TEST(KeyTable, AFailedStoreLeavesTheTableExactlyAsItWas) {
    TempDir dir;
    KeyTable t;
    t.rows = {Row("、", {"ten", ","}), KeyRow{"\"", {}}};  // sign rows without their fixed keys
    const KeyTable before = t;
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "mykey.key"));
    EXPECT_EQ(t.rows, before.rows);
    // A store that succeeds gives the sign rows their fixed keys back, as a load would.
    ASSERT_TRUE(t.StoreKeyTable(dir / "mykey.key"));
    EXPECT_EQ(t.rows[0], Row("、", {",", ","}));
    EXPECT_EQ(t.rows[1], (KeyRow{"\"", {"\""}}));
}

TEST(KeyTable, AChosenKeyFileReplacesTheTableOnlyWhenItHoldsRows) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string content;  // empty: no file; "/": a folder in its place
        KeyFileProblem problem;
    };
    const Case cases[] = {
        {"missing.key", "", KeyFileProblem::Missing},
        {"folder.key", "/", KeyFileProblem::Unreadable},
        {"empty.key", "\r\n", KeyFileProblem::NoRows},
        {"zero.key", "[MOZI]\r\nKAZU=0\r\n0=\"a a\"\r\n", KeyFileProblem::NoRows},
        {"other.key", "[OTHER]\r\nKAZU=2\r\n0=\"a a\"\r\n", KeyFileProblem::NoRows},
        {"norows.key", "[MOZI]\r\nKAZU=3\r\n7=\"a a\"\r\n1=\"  \"\r\n", KeyFileProblem::NoRows},
        {"one.key", Sj("[MOZI]\r\nKAZU=2\r\n1=\"▼ ▼\"\r\n"), KeyFileProblem::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / c.name;
        if (c.content == "/") {
            std::filesystem::create_directory(path);
        } else if (!c.content.empty()) {
            WriteBytes(path, c.content);
        }
        KeyTable t;
        t.rows = {Row("あ", {"a"})};
        EXPECT_EQ(t.LoadChosenKeyFile(path), c.problem);
        if (c.problem == KeyFileProblem::None) {
            EXPECT_EQ(t.rows, (std::vector<KeyRow>{Row("☆", {}), Row("、", {","})}));
        } else {
            EXPECT_EQ(t.rows, (std::vector<KeyRow>{Row("あ", {"a"})}));
        }
    }
}

TEST(KeyTable, LookUpsTakeWholeCharacterHeadsInRowOrder) {
    KeyTable t;
    t.rows = {Row("き", {"ki"}), Row("きゃ", {"kya", "kixya"}), Row("ね", {"ne"}), Row("ね", {",", "nE"}),
              Row("a", {"a"}), Row("きゃく", {}), Row("\"", {})};
    List l3, l2, l1;
    const std::string kyaku = Sj("きゃく");
    t.FindCandidates6(kyaku, l3);
    t.FindCandidates4(kyaku, l2);
    t.FindCandidates2(kyaku, l1);
    EXPECT_EQ(l3, List{});  // a row without candidates adds nothing
    EXPECT_EQ(l2, (List{"kya", "kixya"}));
    EXPECT_EQ(l1, List{"ki"});
    // Lists are appended to, never cleared.
    t.FindCandidates2(kyaku, l1);
    EXPECT_EQ(l1, (List{"ki", "ki"}));

    List ne;
    t.FindCandidates2(Sj("ねこ"), ne);
    EXPECT_EQ(ne, (List{"ne", ",", "nE"}));  // both rows, candidates as stored

    List letters;
    t.FindCandidates1("A", letters);  // a to z fold
    EXPECT_EQ(letters, List{"a"});
    List empty;
    t.FindCandidates1("", empty);
    t.FindCandidates6(Sj("か"), empty);
    EXPECT_TRUE(empty.empty());
}

TEST(KeyTable, KatakanaWhoseTrailBytesAreLettersStayApart) {
    KeyTable t;
    t.rows = {Row("ア", {"a"}), Row("ヂ", {"di"}), Row("、", {","}), Row("∥", {"x"})};
    List l;
    t.FindCandidates2(Sj("ヂ"), l);
    EXPECT_EQ(l, List{"di"});
    l.clear();
    t.FindCandidates2(Sj("ア"), l);
    EXPECT_EQ(l, List{"a"});
    l.clear();
    t.FindCandidates2(Sj("、"), l);
    EXPECT_EQ(l, List{","});
}

TEST(KeyTable, AnEmptyTableFindsNothing) {
    KeyTable t;
    t.LoadKeyFile("/nonexistent/key/mykey.key");
    EXPECT_TRUE(t.rows.empty());
    List l;
    t.FindCandidates6(Sj("あいう"), l);
    t.FindCandidates1("a", l);
    EXPECT_TRUE(l.empty());
}

TEST(KeyTable, TheSinglePassLookUpEqualsTheThreeLookUps) {
    KeyTable t;
    t.rows = {Row("き", {"ki"}), Row("きゃ", {"kya"}), Row("きゃく", {"kyaku"}), Row("き", {"ci"}),
              Row("か", {"ka"}), Row("かa", {"qa"}), Row("a", {"a"})};
    for (const std::string& reading :
         {Sj("き"), Sj("きゃ"), Sj("きゃく"), Sj("きゃくa"), Sj("か") + "a", Sj("か") + "ab", std::string("\x82")}) {
        List a3, a2, a1, b3, b2, b1;
        t.FindCandidates6(reading, a3);
        t.FindCandidates4(reading, a2);
        t.FindCandidates2(reading, a1);
        t.FindCandidates642(reading, b3, b2, b1);
        EXPECT_EQ(a3, b3) << testutil::U8(reading);
        EXPECT_EQ(a2, b2);
        EXPECT_EQ(a1, b1);
    }
}

// A key file that leaves no key judgeable is told apart by its cause, so that the user can
// be warned instead of meeting a mistype at every key.
TEST(KeyTable, AKeyFileThatJudgesNoKeyIsDiagnosed) {
    using namespace std::string_literals;
    const std::string good = Sj("[MOZI]\r\nKAZU=2\r\n0=\"あ a\"\r\n1=\"、 ,\"\r\n");
    const std::pair<std::string, KeyFileProblem> cases[] = {
        {good, KeyFileProblem::None},
        {"[MOZI]\r\nKAZU=1\r\n0=\"a a\"\r\n", KeyFileProblem::None},  // ASCII rows only
        // UTF-8: あい as UTF-8 is also a valid run of Shift_JIS bytes.
        {"[MOZI]\r\nKAZU=1\r\n0=\"\xE3\x81\x82\xE3\x81\x84 a\"\r\n", KeyFileProblem::NotShiftJis},
        {"\xFF\xFE[\0M\0O\0Z\0I\0]\0"s, KeyFileProblem::NotShiftJis},  // UTF-16
        {good + "\xFD\r\n", KeyFileProblem::NotShiftJis},  // a byte no Shift_JIS text holds
        {"", KeyFileProblem::NoRows},
        {"[MOZI]\r\nKAZU=0\r\n0=\"a a\"\r\n", KeyFileProblem::NoRows},
        {Sj("[MOZI]\r\nKAZU=2\r\n0=\"あ\"\r\n"), KeyFileProblem::NoKeys},  // no candidates
    };
    for (const auto& [bytes, want] : cases) {
        SCOPED_TRACE(bytes);
        TempDir dir;
        WriteBytes(dir / "mykey.key", bytes);
        KeyTable t;
        EXPECT_EQ(t.LoadKeyFile(dir / "mykey.key"), want);
    }
    TempDir dir;
    KeyTable t;
    EXPECT_EQ(t.LoadKeyFile(dir / "mykey.key"), KeyFileProblem::Missing);
    std::filesystem::create_directory(dir / "mykey.key");
    EXPECT_EQ(t.LoadKeyFile(dir / "mykey.key"), KeyFileProblem::Unreadable);

    EXPECT_EQ(KeyFileWarning("/k/key/mykey.key", KeyFileProblem::NotShiftJis),
              "/k/key/mykey.key\n\r" + Sj("キーファイルが Shift_JIS ではありません。") + "\n\r" +
                  Sj("キーファイルを読み込むまで、どのキーも判定できません。"));
    EXPECT_EQ(KeyFileWarning("/k/key/mykey.key", KeyFileProblem::None), "");
}
