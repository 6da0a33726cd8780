#include "actfiles.h"

#include <gtest/gtest.h>

#include "actcheck.h"

using namespace std::string_literals;
#include "test_util.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;

namespace {

const std::string kHeader = "h1\nh2\nh3\nh4\nh5\n";

std::string Places(const std::vector<Finding>& fs) {
    std::string s;
    for (const auto& f : fs)
        s += std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.message + "\n";
    return s;
}

KeyTable Kana() {
    KeyTable t;
    t.SetRows({{Sj("い"), {"i"}},
               {Sj("ぬ"), {"nu"}},
               {Sj("ね"), {"ne"}},
               {Sj("こ"), {"ko"}},
               {Sj("と"), {"to"}},
               {Sj("り"), {"ri"}},
               {" ", {" "}},
               {Sj("　"), {" "}}});
    return t;
}

}  // namespace

TEST(ActImport, WritesShiftJisWithCrLfAndMapsTheWaveDash) {
    const Converted c = ActTextToSjis(
        "\xEF\xBB\xBF"
        "一行目\nA〜B\r\n\nend");
    ASSERT_TRUE(c.ok()) << Places(c.problems);
    EXPECT_EQ(c.bytes, Sj("一行目") +
                           "\r\nA\x81\x60"
                           "B\r\n\r\nend\r\n");
}

TEST(ActImport, NamesEveryCharacterShiftJisCannotHoldAndGivesNoBytes) {
    const Converted c = ActTextToSjis("あいう\nかゔき😀く\n\xE3\x81\nx\0y"s);
    ASSERT_FALSE(c.ok());
    EXPECT_TRUE(c.bytes.empty());
    ASSERT_EQ(c.problems.size(), 4u) << Places(c.problems);
    EXPECT_EQ(c.problems[0].line, 2);
    EXPECT_EQ(c.problems[0].column, 2);  // ゔ
    EXPECT_EQ(c.problems[1].line, 2);
    EXPECT_EQ(c.problems[1].column, 4);  // the emoji counts as one character
    EXPECT_NE(c.problems[1].message.find("U+1F600"), std::string::npos);
    EXPECT_EQ(c.problems[2].line, 3);  // a cut UTF-8 sequence
    EXPECT_EQ(c.problems[2].column, 1);
    EXPECT_EQ(c.problems[3].line, 4);  // NUL would end the Act for the program
    EXPECT_EQ(c.problems[3].column, 2);
}

TEST(ActExport, GivesUtf8AndReadsBackUnchanged) {
    const std::string text = "ヘッダー\n\n今日は いい 天気。\nきょうは いい てんき。\n";
    const Converted sjis = ActTextToSjis(text);
    ASSERT_TRUE(sjis.ok());
    const Converted back = ActSjisToText(sjis.bytes);
    ASSERT_TRUE(back.ok()) << Places(back.problems);
    EXPECT_EQ(back.bytes, text);
}

TEST(ActExport, NamesBytesThatAreNotShiftJis) {
    // A lead byte followed by a blank: the blank is a character of its own.
    const Converted c = ActSjisToText(Sj("あ") + "\n" + Sj("い") + "\x82 x\x85\x40\n\xFF");
    ASSERT_FALSE(c.ok());
    EXPECT_TRUE(c.bytes.empty());
    ASSERT_EQ(c.problems.size(), 3u) << Places(c.problems);
    EXPECT_EQ(c.problems[0].line, 2);
    EXPECT_EQ(c.problems[0].column, 2);
    EXPECT_EQ(c.problems[1].line, 2);
    EXPECT_EQ(c.problems[1].column, 5);  // い, 82, blank, x, then the unassigned 85 40
    EXPECT_EQ(c.problems[2].line, 3);
}

TEST(ActCheck, ACleanActHasNoFindings) {
    const KeyTable keys = Kana();
    const std::string act =
        Sj(kHeader + "犬 猫\nいぬ ねこ\n鳥\nとり\n犬\nいぬ\n猫\nねこ\n鳥\nとり\n");
    const ActCheck check = CheckAct(act, &keys);
    EXPECT_TRUE(check.findings.empty()) << Places(check.findings);
    EXPECT_EQ(check.pairs, 5u);
}

TEST(ActCheck, ReportsRefusalsSpacesAndUntypableCharacters) {
    const KeyTable keys = Kana();
    // Line 7: one space too few; line 9: a kanji and ゃ the table lacks; a written form
    // without reading at line 10, so the program refuses the pairing.
    const std::string act = Sj(kHeader + "犬 猫\nいぬねこ\n鳥\nと鳥りゃ\n犬\n");
    const ActCheck check = CheckAct(act, &keys);
    const std::string all = Places(check.findings);
    EXPECT_NE(
        all.find("0:0 the program refuses this Act: 【漢字】の数と【読み】の数が合っていません。"),
        std::string::npos)
        << all;
    EXPECT_NE(all.find("7:0 the reading has 0 spaces and its written form (line 6) has 1"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("9:2 the key table cannot type \"鳥\""), std::string::npos) << all;
    EXPECT_NE(all.find("9:4 the key table cannot type \"ゃ\""), std::string::npos) << all;
    EXPECT_NE(all.find("10:0 a written form without a reading"), std::string::npos) << all;
}

TEST(ActCheck, FullWidthAndHalfWidthSpacesBothCount) {
    const KeyTable keys = Kana();
    const std::string act =
        Sj(kHeader + "犬　猫\nいぬ ねこ\n") + Sj("a\nい\nb\nい\nc\nい\nd\nい\n");
    const ActCheck check = CheckAct(act, &keys);
    EXPECT_TRUE(check.findings.empty()) << Places(check.findings);
}

TEST(ActCheck, SaysWhenTheFileIsUtf8) {
    const std::string act =
        kHeader + "犬\nいぬ\n犬\nいぬ\n犬\nいぬ\n犬\nいぬ\n犬\nいぬ\n";  // UTF-8
    const ActCheck check = CheckAct(act, nullptr);
    EXPECT_NE(Places(check.findings).find("the file is valid UTF-8"), std::string::npos);
}

// The program stops reading at a NUL byte: the NUL is reported, nothing behind it is.
TEST(ActCheck, ReportsTheNulAndNothingAfterIt) {
    const KeyTable keys = Kana();
    const std::string act = Sj(kHeader + "犬\nいぬ\n鳥\nとり\n犬\nいぬ\n猫\nねこ\n鳥\nと") + "\0"s +
                            "\xFF\x85\x40\n" + Sj("猫\nね鳥\n");
    const ActCheck check = CheckAct(act, &keys);
    // Line 15 reads "と" for the program, five pairs in all.
    EXPECT_EQ(Places(check.findings), "15:2 a NUL character: the program reads nothing after it\n");
}

TEST(ActCheck, FindingsComeInLineAndColumnOrder) {
    const KeyTable keys = Kana();
    // A byte that is not Shift_JIS on line 12, an untypable kanji on line 7 and a space
    // missing on line 9: listed by line, whole-file findings first.
    const std::string act = Sj(kHeader + "犬\nい犬ぬ\n鳥 猫\nとりねこ\n犬\nいぬ\nx") + "\x85\x40" +
                            Sj("\nねこ\n鳥\nとり\n犬\n");
    std::vector<std::pair<int, int>> places;
    for (const auto& f : CheckAct(act, &keys).findings) places.emplace_back(f.line, f.column);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {7, 2}, {9, 0}, {12, 2}, {16, 0}};
    EXPECT_EQ(places, expected) << Places(CheckAct(act, &keys).findings);
}

TEST(ActExport, StopsAtANulAsTheProgramDoes) {
    const Converted c = ActSjisToText(Sj("あ\nい") + "\0\xFF\n\xFF"s);
    ASSERT_EQ(c.problems.size(), 1u) << Places(c.problems);
    EXPECT_EQ(c.problems[0].line, 2);
    EXPECT_EQ(c.problems[0].column, 2);
}

TEST(ActExport, ColumnsOfManyBadBytesInOneLine) {
    // Each bad byte is counted from the last one, not from the start of the line.
    const Converted c = ActSjisToText(Sj("あ") + "\xFF" + Sj("いう") + "\xFF\xFF" + "x\xFF");
    std::vector<int> columns;
    for (const auto& p : c.problems) columns.push_back(p.column);
    EXPECT_EQ(columns, (std::vector<int>{2, 5, 6, 8}));
}
