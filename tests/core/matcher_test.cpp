#include "matcher.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using List = std::vector<std::string>;

namespace {

KeyRow Row(std::string_view itemUtf8, List candidates) { return KeyRow{Sj(itemUtf8), std::move(candidates)}; }

KeyTable SmallTable() {
    KeyTable t;
    t.rows = {Row("き", {"ki"}),   Row("きゃ", {"kya"}), Row("ゃ", {"xya", "lya"}), Row("く", {"ku"}),
              Row("し", {"si", "shi", "ci"}), Row("か", {"ka", "ca"}), Row("ん", {"n", "nn"}),
              Row("な", {"na"}),   Row("ね", {"ne"}),     Row("こ", {"ko"}),   Row("ねこ", {"neko"}),
              KeyRow{" ", {" "}},  Row("　", {" "}),      Row("、", {","}),    Row("っか", {"kka"}),
              Row("っ", {"xtu", "ltu"}), Row("a", {"a"})};
    return t;
}

// Sets up a line as the play does: both texts with the line-end marker, lists from the
// reading without it.
void StartLine(Matcher& m, std::string_view kanjiUtf8, std::string_view yomiUtf8) {
    m.ed_Kanji = Sj(kanjiUtf8) + std::string(marker::kLineEnd);
    m.FillCandidateLists(Sj(yomiUtf8));
    m.ed_Yomi = Sj(yomiUtf8) + std::string(marker::kLineEnd);
    m.ed_Nyuuryoku.clear();
}

std::vector<JudgeResult> Type(Matcher& m, std::string_view keys) {
    std::vector<JudgeResult> out;
    for (char k : keys) {
        char key = k;
        out.push_back(m.JudgeKey(key));
    }
    return out;
}

int Count(const std::vector<JudgeResult>& rs, JudgeResult r) {
    return static_cast<int>(std::count(rs.begin(), rs.end(), r));
}

const std::string kLineEnd(marker::kLineEnd);

}  // namespace

TEST(Matcher, KyakuTypesAsAGroupOrKanaByKana) {
    const KeyTable table = SmallTable();
    for (const char* keys : {"kyaku", "kixyaku", "kilyaku", "KYAKU"}) {
        Matcher m(table);
        StartLine(m, "客", "きゃく");
        const auto rs = Type(m, keys);
        EXPECT_EQ(m.MissCount, 0) << keys;
        EXPECT_EQ(m.KeyCount, static_cast<int>(std::string_view(keys).size())) << keys;
        EXPECT_EQ(m.CharCount, 3) << keys;
        EXPECT_EQ(rs.back(), JudgeResult::LineComplete) << keys;
        EXPECT_EQ(m.ed_Yomi, kLineEnd);
    }
}

TEST(Matcher, GroupCompletesTwoCharactersAtOnce) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "客", "きゃく");
    EXPECT_EQ(m.lst_3, List{});
    EXPECT_EQ(m.lst_2, List{"kya"});
    EXPECT_EQ(m.lst_1, List{"ki"});
    Type(m, "ky");
    EXPECT_EQ(m.lst_2, List{"a"});
    EXPECT_EQ(m.lst_1, List{Sj("☆")});
    EXPECT_EQ(m.ed_Nyuuryoku, "ky");
    char key = 'a';
    EXPECT_EQ(m.JudgeKey(key), JudgeResult::UnitCompleted);
    EXPECT_EQ(key, 0);  // the completing key is not shown
    EXPECT_EQ(m.LastUnitChars(), 2);
    EXPECT_EQ(m.CharCount, 2);
    EXPECT_EQ(m.ed_Yomi, Sj("く") + kLineEnd);
    EXPECT_EQ(m.ed_Nyuuryoku, "");
    EXPECT_EQ(m.lst_1, List{"ku"});
}

TEST(Matcher, ShortLinesListTheItemInSeveralListsAndRemoveOnlyItsCharacters) {
    const KeyTable table = SmallTable();
    {
        Matcher m(table);
        StartLine(m, "蚊", "か");
        EXPECT_EQ(m.lst_3, (List{"ka", "ca"}));
        EXPECT_EQ(m.lst_2, (List{"ka", "ca"}));
        EXPECT_EQ(m.lst_1, (List{"ka", "ca"}));
        const auto rs = Type(m, "ka");
        EXPECT_EQ(rs.back(), JudgeResult::LineComplete);
        EXPECT_EQ(m.CharCount, 1);
        EXPECT_EQ(m.ed_Yomi, kLineEnd);
    }
    {
        Matcher m(table);
        StartLine(m, "猫", "ねこ");  // ねこ is an item of its own as well as ね + こ
        EXPECT_EQ(m.lst_3, List{"neko"});
        EXPECT_EQ(m.lst_2, List{"neko"});
        EXPECT_EQ(m.lst_1, List{"ne"});
        auto rs = Type(m, "ne");
        EXPECT_EQ(rs.back(), JudgeResult::UnitCompleted);  // ね alone: the shortest completion wins
        EXPECT_EQ(m.CharCount, 1);
        rs = Type(m, "ko");
        EXPECT_EQ(rs.back(), JudgeResult::LineComplete);
        EXPECT_EQ(m.CharCount, 2);
    }
}

TEST(Matcher, APrefixCandidateShutsOutTheLongerOne) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "本", "んな");
    auto rs = Type(m, "n");
    EXPECT_EQ(rs.back(), JudgeResult::UnitCompleted);  // "n" completes ん before "nn" can
    EXPECT_EQ(m.CharCount, 1);
    rs = Type(m, "n");  // the second n now belongs to な
    EXPECT_EQ(rs.back(), JudgeResult::KeyShown);
    rs = Type(m, "a");
    EXPECT_EQ(rs.back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.MissCount, 0);
}

TEST(Matcher, CandidatesNarrowAndAMistypeChangesNothing) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "詩", "し");
    Type(m, "s");
    EXPECT_EQ(m.lst_1, (List{"i", "hi", Sj("☆")}));
    const List l3 = m.lst_3, l2 = m.lst_2, l1 = m.lst_1;
    char key = 'x';
    EXPECT_EQ(m.JudgeKey(key), JudgeResult::Mistype);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(m.MissCount, 1);
    EXPECT_EQ(m.KeyCount, 1);
    EXPECT_EQ(m.lst_3, l3);
    EXPECT_EQ(m.lst_2, l2);
    EXPECT_EQ(m.lst_1, l1);
    EXPECT_EQ(m.ed_Nyuuryoku, "s");
    for (char control : {'\b', '\r', '\0'}) {
        key = control;
        EXPECT_EQ(m.JudgeKey(key), JudgeResult::Mistype);  // a typed key cannot be taken back
    }
    Type(m, "H");
    EXPECT_EQ(m.lst_1, (List{Sj("☆"), "i", Sj("☆")}));
    EXPECT_EQ(m.ed_Nyuuryoku, "sH");  // shown as typed
    EXPECT_EQ(Type(m, "i").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.lst_3, List{Sj("■ →")});
    EXPECT_EQ(m.lst_2, (List{"Enter!", "^^^^^^"}));
    EXPECT_EQ(m.lst_1, List{Sj("← ■")});
}

TEST(Matcher, ASpaceDropsOneWrittenWord) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "猫　が 好き", "ねこ か き");
    Type(m, "neko");
    EXPECT_EQ(m.ed_Kanji, Sj("猫　が 好き") + kLineEnd);  // only a typed space drops a word
    Type(m, " ");
    EXPECT_EQ(m.ed_Kanji, Sj("が 好き") + kLineEnd);
    Type(m, "ka ");
    EXPECT_EQ(m.ed_Kanji, Sj("好き") + kLineEnd);
    EXPECT_EQ(Type(m, "ki").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.ed_Kanji, Sj("好き") + kLineEnd);  // no space left: the form stays whole

    m.ed_Kanji = Sj("漢字") + kLineEnd;
    m.DropKanjiWord();
    EXPECT_EQ(m.ed_Kanji, Sj("漢字") + kLineEnd);
}

TEST(Matcher, FullWidthSpaceAndPunctuationInTheReading) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "蚊、　蚊", "か、　か");
    const auto rs = Type(m, "ka, ka");
    EXPECT_EQ(rs.back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.CharCount, 4);
    EXPECT_EQ(m.ed_Kanji, Sj("蚊") + kLineEnd);
}

TEST(Matcher, SmallTsuGroupAndSingleByteReading) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "x", "っかa");
    EXPECT_EQ(m.lst_3, List{});
    EXPECT_EQ(m.lst_2, List{"kka"});
    EXPECT_EQ(m.lst_1, (List{"xtu", "ltu"}));
    Type(m, "kka");
    EXPECT_EQ(m.CharCount, 2);
    EXPECT_TRUE(m.lst_3.empty() && m.lst_2.empty());  // a single-byte head uses lst_1 alone
    EXPECT_EQ(m.lst_1, List{"a"});
    EXPECT_EQ(Type(m, "A").back(), JudgeResult::LineComplete);
}

TEST(Matcher, EscStopsAndAnUntypeableCharacterLeavesNoCandidates) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "漢", "漢");
    EXPECT_TRUE(m.lst_3.empty() && m.lst_2.empty() && m.lst_1.empty());
    const auto rs = Type(m, "kan");
    EXPECT_EQ(Count(rs, JudgeResult::Mistype), 3);
    char esc = 27;
    EXPECT_EQ(m.JudgeKey(esc), JudgeResult::Stopped);
    EXPECT_EQ(esc, 0);
    EXPECT_EQ(m.MissCount, 3);
    EXPECT_EQ(m.KeyCount, 0);
}

TEST(Matcher, TheInputBoxShowsAtMostSixKeysOfALongCandidate) {
    KeyTable table;
    table.rows = {Row("あ", {"abcdefgh"})};
    Matcher m(table);
    StartLine(m, "亜", "あ");
    const auto rs = Type(m, "abcdefg");
    EXPECT_EQ(Count(rs, JudgeResult::KeyShown), 7);
    EXPECT_EQ(m.ed_Nyuuryoku, "abcdef");
    EXPECT_EQ(Type(m, "h").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.ed_Nyuuryoku, "");
}
