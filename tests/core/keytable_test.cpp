#include "keytable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "act.h"
#include "inifile.h"
#include "printers.h"
#include "sjis.h"
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

KeyRow Row(std::string_view itemUtf8, List candidates) {
    return KeyRow{Sj(itemUtf8), std::move(candidates)};
}

// A look-up as a plain scan of every row: what the index must always agree with.
List Scan(const KeyTable& t, std::string_view key) {
    List out;
    for (const KeyRow& row : t.Rows()) {
        if (row.item.size() != key.size() || !FoldedEqual(row.item, key)) continue;
        for (const auto& c : row.candidates) {
            if (!c.empty()) out.push_back(c);
        }
    }
    return out;
}

// Every look-up of the reading's head against the scan.
void ExpectLookUpsScan(const KeyTable& t, std::string_view reading) {
    if (reading.empty()) return;
    const auto head = [&](int bytes) { return reading.substr(0, HeadLength(reading, bytes)); };
    List l1, l2, l4, l6;
    t.FindCandidates1(reading, l1);
    t.FindCandidates2(reading, l2);
    t.FindCandidates4(reading, l4);
    t.FindCandidates6(reading, l6);
    const std::string shown = testing::PrintToString(std::string(reading));
    EXPECT_EQ(l1, Scan(t, reading.substr(0, 1))) << shown;
    EXPECT_EQ(l2, Scan(t, head(2))) << shown;
    EXPECT_EQ(l4, Scan(t, head(4))) << shown;
    EXPECT_EQ(l6, Scan(t, head(6))) << shown;
}

// Bytes that make the comparison interesting: letters of both cases (also as the second
// byte of a double-byte character), their neighbours, lead bytes and a blank.
std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    static const char kBytes[] = {'a',    'A',    'z',    'Z',    '@',    '{',    '`',
                                  ' ',    ',',    '\x81', '\x82', '\x83', '\x9F', '\xE0',
                                  '\xFC', '\x80', '\xA0', '\x40', '\x61', '\x59'};
    std::string s(rng() % (maxLength + 1), ' ');
    for (char& c : s) c = kBytes[rng() % sizeof kBytes];
    return s;
}

KeyRow RandomRow(std::mt19937& rng) {
    KeyRow row{RandomBytes(rng, 6), {}};
    for (std::size_t n = rng() % 4; n > 0; --n) row.candidates.push_back(RandomBytes(rng, 3));
    return row;
}

// A reading that often begins with an item of the table, so that look-ups find rows.
std::string RandomReading(std::mt19937& rng, const KeyTable& t) {
    std::string r;
    if (!t.Rows().empty() && rng() % 4 != 0) r = t.Rows()[rng() % t.Rows().size()].item;
    r += RandomBytes(rng, 8);
    if (r.empty()) r = "a";
    return r;
}

}  // namespace

TEST(KeyTable, StoredValuesSplitIntoFields) {
    EXPECT_EQ(SplitStoredValue("a b c"), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue("  a ,  b,c  "), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue("a,,b"), (List{"a", "", "b"}));
    EXPECT_EQ(SplitStoredValue("\"x y\" \"say \"\"hi\"\"\" z"), (List{"x y", "say \"hi\"", "z"}));
    EXPECT_EQ(SplitStoredValue("\"open to the end"), (List{"open to the end"}));
    EXPECT_EQ(SplitStoredValue("a\tb\x01"
                               "c"),
              (List{"a", "b", "c"}));
    EXPECT_EQ(SplitStoredValue(""), List{});
    EXPECT_EQ(SplitStoredValue("   "), List{});
    EXPECT_EQ(SplitStoredValue(Sj("ソ a")),
              (List{Sj("ソ"), "a"}));  // a double-byte character is whole
    EXPECT_EQ(SplitStoredValue(std::string("a\0b", 3)), List{"a"});
}

TEST(KeyTable, LoadingTakesRowsByNumberUpToKazu) {
    const KeyTable t =
        FromKeyFile("[MOZI]\r\nKAZU=4\r\n0=\"あ a\"\r\n1=い i yi\r\n3=\"う\"\r\n4=\"え e\"\r\n");
    ASSERT_EQ(t.Rows().size(), 4u);
    EXPECT_EQ(t.Rows()[0], Row("あ", {"a"}));
    EXPECT_EQ(t.Rows()[1], Row("い", {"i", "yi"}));  // without enclosing quotes it reads the same
    EXPECT_EQ(t.Rows()[2], Row("☆", {}));            // missing index
    EXPECT_EQ(t.Rows()[3], Row("う", {}));           // only an item: no candidates
}

TEST(KeyTable, UnusualFilesLoadWithoutStopping) {
    EXPECT_TRUE(FromKeyFile("").Rows().empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=0\n0=\"あ a\"\n").Rows().empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=-3\n").Rows().empty());
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=many\n0=\"あ a\"\n").Rows().empty());
    // An empty value keeps its row as a row that types nothing; empty candidates are dropped.
    const KeyTable t =
        FromKeyFile("[MOZI]\nKAZU=3\n0=\"\"\n1=\"か ka,,ca\"\n01=\"x x\"\n2=\"  \"\n");
    ASSERT_EQ(t.Rows().size(), 3u);
    EXPECT_EQ(t.Rows()[0], Row("☆", {}));
    EXPECT_EQ(t.Rows()[1], Row("か", {"ka", "ca"}));
    EXPECT_EQ(t.Rows()[2], Row("☆", {}));
}

TEST(KeyTable, AKazuBeyondTheRowsHeldLoadsOnlyUpToTheLastRowHeld) {
    EXPECT_TRUE(FromKeyFile("[MOZI]\nKAZU=2000000000\n").Rows().empty());
    // Some 35 bytes that once loaded as 100,000 rows.
    const std::string file = "[MOZI]\r\nKAZU=2147483647\r\n0=\"a a\"\r\n";
    EXPECT_EQ(FromKeyFile(file).Rows(), (std::vector<KeyRow>{Row("a", {"a"})}));
    // A missing row before the last one held still keeps the numbering.
    EXPECT_EQ(FromKeyFile("[MOZI]\nKAZU=50\n2=\"a a\"\n1=\"\"\n").Rows(),
              (std::vector<KeyRow>{Row("☆", {}), Row("☆", {}), Row("a", {"a"})}));
    // A row far out is still bounded.
    EXPECT_EQ(FromKeyFile("[MOZI]\nKAZU=2000000000\n1999999999=\"a a\"\n").Rows().size(), 0u);
}

TEST(KeyTable, SignRowsDecodeToTheirSignsAndFixedKeys) {
    const KeyTable t = FromKeyFile(
        "[MOZI]\nKAZU=9\n0=\"□ □\"\n1=\"▽ ▽\"\n2=\"■ ■ x\"\n3=\"▼ ▼\"\n4=\"○ ○\"\n5=\"● ●\"\n"
        "6=\"∴ ∴ ne\"\n7=\"ね ne\"\n8=\"▼\"\n");
    ASSERT_EQ(t.Rows().size(), 9u);
    EXPECT_EQ(t.Rows()[0], (KeyRow{"\"", {"\""}}));
    EXPECT_EQ(t.Rows()[1], (KeyRow{",", {","}}));
    EXPECT_EQ(t.Rows()[2], Row("”", {"\"", "x"}));
    EXPECT_EQ(t.Rows()[3], Row("、", {","}));
    EXPECT_EQ(t.Rows()[4], (KeyRow{" ", {" "}}));
    EXPECT_EQ(t.Rows()[5], Row("　", {" "}));
    EXPECT_EQ(t.Rows()[6], Row("ね", {",", "ne"}));
    EXPECT_EQ(t.Rows()[7], Row("ね", {"ne"}));
    EXPECT_EQ(t.Rows()[8], Row("、", {","}));  // a mark without candidates gains its fixed key
}

TEST(KeyTable, SaveAndLoadRoundTripWithSignRowsAndSevenCandidates) {
    TempDir dir;
    KeyTable t;
    t.SetRows({Row("あ", {"a"}), Row("し", {"si", "shi", "ci", "c1", "c2", "c3", "c4"}),
               Row("、", {"x", "comma"}),  // first candidate is replaced by the comma key on save
               KeyRow{" ", {" "}}, Row("　", {" ", "zs"}),
               KeyRow{"\"", {}},  // a sign row without candidates gets its key
               Row("ね", {",", "ne"}), Row("ね", {"ne", ","}), Row("”", {"\""})});
    ASSERT_TRUE(t.StoreKeyTable(dir / "mykey.key"));
    const std::string stored = ReadBytes(dir / "mykey.key");
    const std::string head = "[MOZI]\r\nKAZU=9\r\n0=\"" + Sj("あ") + " a\"\r\n";
    EXPECT_EQ(stored.substr(0, head.size()), head);
    EXPECT_NE(stored.find("1=\"" + Sj("し") + " si shi ci c1 c2 c3 c4\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("2=\"" + Sj("▼ ▼") + " comma\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("6=\"" + Sj("∴ ∴") + " ne\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("7=\"" + Sj("ね") + " ne ,\"\r\n"),
              std::string::npos);  // stored as it is

    // The table in memory is decoded again after the store.
    EXPECT_EQ(t.Rows()[2], Row("、", {",", "comma"}));
    EXPECT_EQ(t.Rows()[5], (KeyRow{"\"", {"\""}}));

    KeyTable back;
    back.LoadKeyFile(dir / "mykey.key");
    ASSERT_EQ(back.Rows().size(), t.Rows().size());
    for (std::size_t i = 0; i < t.Rows().size(); ++i) {
        if (i == 7) continue;  // a trailing comma candidate of an ordinary row is a separator
        EXPECT_EQ(back.Rows()[i], t.Rows()[i]) << "row " << i;
    }
    EXPECT_EQ(back.Rows()[7], Row("ね", {"ne"}));
    EXPECT_EQ(back.Rows()[1].candidates.size(), 7u);
}

TEST(KeyTable, SavingKeepsForeignLinesButNoRowOfAnOlderLongerTable) {
    TempDir dir;
    const auto path = dir / "k.key";
    WriteBytes(path, "; " + Sj("自作") +
                         "\r\n[MOZI]\r\nKAZU=3\r\n0=\"a a\"\r\n1=\"b b\"\r\nnote=1\r\n01=x\r\n"
                         "2=\"c c\"\r\n1990=\"d d\"\r\n0=\"e e\"\r\n[OTHER]\r\n5=1\r\n");
    KeyTable t;
    t.SetRows({Row("か", {"ka"})});
    ASSERT_TRUE(t.StoreKeyTable(path));
    EXPECT_EQ(ReadBytes(path), "; " + Sj("自作") + "\r\n[MOZI]\r\nKAZU=1\r\n0=\"" + Sj("か") +
                                   " ka\"\r\nnote=1\r\n01=x\r\n[OTHER]\r\n5=1\r\n");
    KeyTable back;
    back.LoadKeyFile(path);
    EXPECT_EQ(back.Rows(), t.Rows());
}

TEST(KeyTable, ALargeTableIsStoredInOnePassOverTheFile) {
    const std::size_t n = 100000;
    std::vector<KeyRow> rows;
    rows.reserve(n);
    const std::string ka = Sj("か");
    for (std::size_t i = 0; i < n; ++i) rows.push_back(KeyRow{ka, {"k" + std::to_string(i)}});
    KeyTable t;
    t.SetRows(std::move(rows));
    for (const bool stored : {false, true}) {  // into a new file, and over the same table
        SCOPED_TRACE(stored);
        IniFile ini;
        if (stored) t.WriteKeySection(ini);
        const std::size_t before = ini.LinesSearched();
        t.WriteKeySection(ini);
        // Row by row, every write would search the section again: some 5e9 lines.
        EXPECT_LE(ini.LinesSearched() - before, 2 * n + 10);
        KeyTable back;
        ASSERT_EQ(back.LoadKeyBytes(ini.Bytes()), n);
        EXPECT_EQ(back.Rows()[n - 1], Row("か", {"k99999"}));
    }
}

TEST(KeyTable, AFailedStoreLeavesTheOldFileWholeAndTheTableDecoded) {
    TempDir dir;
    KeyTable t;
    t.SetRows({Row("、", {","}), Row("あ", {"a"})});
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "mykey.key"));  // folder "key" is missing
    EXPECT_FALSE(std::filesystem::exists(dir / "key"));
    EXPECT_EQ(t.Rows()[0], Row("、", {","}));

    std::filesystem::create_directory(dir / "key");
    const auto path = dir / "key" / "mykey.key";
    WriteBytes(path, "[MOZI]\r\nKAZU=1\r\n0=\"x x\"\r\n");
    std::filesystem::create_directory(dir / "key" / "folder.key");
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "folder.key"));
    EXPECT_EQ(t.Rows()[0], Row("、", {","}));
    EXPECT_EQ(ReadBytes(path), "[MOZI]\r\nKAZU=1\r\n0=\"x x\"\r\n");
}

TEST(KeyTable, AFailedStoreLeavesTheTableExactlyAsItWas) {
    TempDir dir;
    KeyTable t;
    t.SetRows({Row("、", {"ten", ","}), KeyRow{"\"", {}}});  // sign rows without their fixed keys
    const KeyTable before = t;
    EXPECT_FALSE(t.StoreKeyTable(dir / "key" / "mykey.key"));
    EXPECT_EQ(t.Rows(), before.Rows());
    // A store that succeeds gives the sign rows their fixed keys back, as a load would.
    ASSERT_TRUE(t.StoreKeyTable(dir / "mykey.key"));
    EXPECT_EQ(t.Rows()[0], Row("、", {",", ","}));
    EXPECT_EQ(t.Rows()[1], (KeyRow{"\"", {"\""}}));
}

TEST(KeyTable, AChosenKeyFileReplacesTheTableOnlyWhenItTypesSomething) {
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
        // What an editor saves today: あ a, か ka as UTF-8.
        {"utf8.key", "[MOZI]\r\nKAZU=2\r\n0=\"\xE3\x81\x82 a\"\r\n1=\"\xE3\x81\x8B ka\"\r\n",
         KeyFileProblem::NotShiftJis},
        {"nokeys.key", Sj("[MOZI]\r\nKAZU=2\r\n0=\"あ\"\r\n1=\"か ,,\"\r\n"),
         KeyFileProblem::NoKeys},
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
        t.SetRows({Row("あ", {"a"})});
        EXPECT_EQ(t.LoadChosenKeyFile(path), c.problem);
        if (c.problem == KeyFileProblem::None) {
            EXPECT_EQ(t.Rows(), (std::vector<KeyRow>{Row("☆", {}), Row("、", {","})}));
        } else {
            EXPECT_EQ(t.Rows(), (std::vector<KeyRow>{Row("あ", {"a"})}));
        }
    }
}

TEST(KeyTable, LookUpsTakeWholeCharacterHeadsInRowOrder) {
    KeyTable t;
    t.SetRows({Row("き", {"ki"}), Row("きゃ", {"kya", "kixya"}), Row("ね", {"ne"}),
               Row("ね", {",", "nE"}), Row("a", {"a"}), Row("きゃく", {}), Row("\"", {})});
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
    t.SetRows({Row("ア", {"a"}), Row("ヂ", {"di"}), Row("、", {","}), Row("∥", {"x"})});
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
    EXPECT_TRUE(t.Rows().empty());
    List l;
    t.FindCandidates6(Sj("あいう"), l);
    t.FindCandidates1("a", l);
    EXPECT_TRUE(l.empty());
}

TEST(KeyTable, IndexedLookUpsFindWhatAScanOfTheDeliveredTableFinds) {
    const std::filesystem::path data = KOTOPA_SOURCE_DIR "/data";
    if (!std::filesystem::is_directory(data / "ktp")) GTEST_SKIP() << "no delivered data";
    KeyTable t;
    t.LoadKeyFile(data / "key" / "mykey.key");
    ASSERT_FALSE(t.Rows().empty());
    int readings = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data / "ktp")) {
        const ActLoad act = ReadAct(entry.path());
        for (std::size_t i = 0; i < act.script.PairCount(); ++i) {
            // Every head the matcher can meet: each character on, with the line-end marker.
            const std::string reading = std::string(act.script.Yomi(i)) + "\x81\x59";
            for (std::size_t at = 0; at < reading.size(); at += CharLength(reading, at)) {
                ExpectLookUpsScan(t, std::string_view(reading).substr(at));
            }
            ++readings;
        }
    }
    EXPECT_GT(readings, 0);
}

TEST(KeyTable, IndexedLookUpsFindWhatAScanFindsInRandomTablesAsTheyChange) {
    std::mt19937 rng(20240506);
    for (int round = 0; round < 200; ++round) {
        std::vector<KeyRow> rows;
        for (std::size_t n = rng() % 40; n > 0; --n) rows.push_back(RandomRow(rng));
        KeyTable t(std::move(rows));
        for (int change = 0; change < 8; ++change) {
            for (int i = 0; i < 20; ++i) ExpectLookUpsScan(t, RandomReading(rng, t));
            if (::testing::Test::HasFailure()) return;
            switch (rng() % 5) {
                case 0:
                    if (!t.Rows().empty()) t.SetRow(rng() % t.Rows().size(), RandomRow(rng));
                    break;
                case 1:
                    t.AddRow(RandomRow(rng));
                    break;
                case 2:
                    t.EncodeSignRows();
                    break;
                case 3:
                    t.DecodeSignRows();
                    break;
                default: {
                    // Through a key file and back.
                    IniFile ini;
                    ini.WriteInteger("MOZI", "KAZU", static_cast<int32_t>(t.Rows().size()));
                    for (std::size_t i = 0; i < t.Rows().size(); ++i) {
                        ini.WriteString("MOZI", std::to_string(i), BuildStoredValue(t.Rows()[i]));
                    }
                    t.LoadKeyBytes(ini.Bytes());
                }
            }
        }
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

    // At the start the cause of each problem is told about the key file, and a file with no
    // rows is one with no keys.
    const std::pair<KeyFileProblem, const char*> causes[] = {
        {KeyFileProblem::Missing, "キーファイルがありません。"},
        {KeyFileProblem::Unreadable, "キーファイルを読み込めません。"},
        {KeyFileProblem::NotShiftJis, "キーファイルが Shift_JIS ではありません。"},
        {KeyFileProblem::TooLarge, "キーファイルが大きすぎます。"},
        {KeyFileProblem::NoRows, "キーファイルにキーの定義がありません。"},
        {KeyFileProblem::NoKeys, "キーファイルにキーの定義がありません。"},
    };
    for (const auto& [problem, cause] : causes) {
        EXPECT_EQ(KeyFileWarning("/k/key/mykey.key", problem),
                  "/k/key/mykey.key\n\r" + Sj(cause) + "\n\r" +
                      Sj("キーファイルを読み込むまで、どのキーも判定できません。"))
            << cause;
    }
    EXPECT_EQ(KeyFileWarning("/k/key/mykey.key", KeyFileProblem::None), "");
}
