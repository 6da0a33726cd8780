#include "matcher.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using List = std::vector<std::string>;

namespace {

KeyRow Row(std::string_view itemUtf8, List candidates) {
    return KeyRow{Sj(itemUtf8), std::move(candidates)};
}

KeyTable Table(std::vector<KeyRow> rows) {
    KeyTable t;
    t.SetRows(std::move(rows));
    return t;
}

KeyTable SmallTable() {
    return Table({Row("き", {"ki"}), Row("きゃ", {"kya"}), Row("ゃ", {"xya", "lya"}),
                  Row("く", {"ku"}), Row("し", {"si", "shi", "ci"}), Row("か", {"ka", "ca"}),
                  Row("ん", {"n", "nn"}), Row("な", {"na"}), Row("ね", {"ne"}), Row("こ", {"ko"}),
                  Row("ねこ", {"neko"}), KeyRow{" ", {" "}}, Row("　", {" "}), Row("、", {","}),
                  Row("っか", {"kka"}), Row("っ", {"xtu", "ltu"}), Row("a", {"a"})});
}

// Starts a line as the play does, from UTF-8 texts.
void StartLine(Matcher& m, std::string_view kanjiUtf8, std::string_view yomiUtf8) {
    m.StartLine(Sj(kanjiUtf8), Sj(yomiUtf8));
}

std::vector<JudgeResult> Type(Matcher& m, std::string_view keys) {
    std::vector<JudgeResult> out;
    for (char k : keys) {
        char key = k;
        out.push_back(m.JudgeKey(key));
    }
    return out;
}

const std::string kLineEnd(marker::kLineEnd);

// A reading typed with keys, and what the counters say afterwards.
struct TypingCase {
    const char* reading;  // UTF-8
    const char* keys;
    int32_t chars;
    int32_t misses;
    int32_t keystrokes;
    JudgeResult last;
};

// With SmallTable().
const TypingCase kTypingCases[] = {
    // A group item, or its kana one by one, or in capitals.
    {"きゃく", "kyaku", 3, 0, 5, JudgeResult::LineComplete},
    {"きゃく", "kixyaku", 3, 0, 7, JudgeResult::LineComplete},
    {"きゃく", "kilyaku", 3, 0, 7, JudgeResult::LineComplete},
    {"きゃく", "KYAKU", 3, 0, 5, JudgeResult::LineComplete},
    // ねこ is an item of its own, but "ne" completes ね first: the shortest unit wins.
    {"ねこ", "neko", 2, 0, 4, JudgeResult::LineComplete},
    // "n" completes ん before "nn" can; the second n then begins な.
    {"んな", "nna", 2, 0, 3, JudgeResult::LineComplete},
    {"んな", "nnna", 2, 1, 3, JudgeResult::LineComplete},
    // A one-character line lists its item in all three lists and removes only itself.
    {"か", "ka", 1, 0, 2, JudgeResult::LineComplete},
    {"か", "ca", 1, 0, 2, JudgeResult::LineComplete},
    // A two-kana group, then a single-byte reading typed in capitals.
    {"っかa", "kkaA", 3, 0, 4, JudgeResult::LineComplete},
    {"っかa", "ltukaa", 3, 0, 6, JudgeResult::LineComplete},
    // Punctuation and both widths of space.
    {"か、　か", "ka, ka", 4, 0, 6, JudgeResult::LineComplete},
    // Wrong keys, control characters included, are mistypes and change nothing.
    {"し", "sxHi", 1, 1, 3, JudgeResult::LineComplete},
    {"し", "s\b\r\x01i", 1, 3, 2, JudgeResult::LineComplete},
    {"し", "x", 0, 1, 0, JudgeResult::Mistype},
    {"し", "sh", 0, 0, 2, JudgeResult::KeyShown},
    {"きゃく", "kya", 2, 0, 3, JudgeResult::UnitCompleted},
    // A character no row types: every key misses and the line cannot end.
    {"漢", "kan", 0, 3, 0, JudgeResult::Mistype},
    {"か漢", "kak", 1, 1, 2, JudgeResult::Mistype},
};

}  // namespace

TEST(Matcher, TypingCasesCountKeysCharactersAndMistypes) {
    const KeyTable table = SmallTable();
    for (const TypingCase& c : kTypingCases) {
        SCOPED_TRACE(std::string(c.reading) + " typed " + c.keys);
        Matcher m(table);
        StartLine(m, "x", c.reading);
        const auto results = Type(m, c.keys);
        EXPECT_EQ(results.back(), c.last);
        const Counters& n = m.Counts();
        EXPECT_EQ(n.CharCount, c.chars);
        EXPECT_EQ(n.MissCount, c.misses);
        EXPECT_EQ(n.KeyCount, c.keystrokes);
        EXPECT_EQ(n.TypeCount, static_cast<int32_t>(std::string_view(c.keys).size()));
        if (c.last == JudgeResult::LineComplete) {
            EXPECT_EQ(m.ed_Yomi(), kLineEnd);
        }
    }
}

TEST(Matcher, ListsNarrowKeyByKeyAndAMistypeLeavesThemAsTheyWere) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "客", "きゃく");
    EXPECT_EQ(m.lst_3(), List{});
    EXPECT_EQ(m.lst_2(), List{"kya"});
    EXPECT_EQ(m.lst_1(), List{"ki"});
    EXPECT_EQ(Type(m, "ky").back(), JudgeResult::KeyShown);
    EXPECT_EQ(m.lst_2(), List{"a"});
    EXPECT_EQ(m.lst_1(), List{Sj("☆")});
    EXPECT_EQ(m.ed_Nyuuryoku(), "ky");
    char key = 'q';
    EXPECT_EQ(m.JudgeKey(key), JudgeResult::Mistype);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(m.lst_2(), List{"a"});
    EXPECT_EQ(m.lst_1(), List{Sj("☆")});
    EXPECT_EQ(m.ed_Nyuuryoku(), "ky");
    key = 'A';
    EXPECT_EQ(m.JudgeKey(key), JudgeResult::UnitCompleted);
    EXPECT_EQ(key, 0);  // the completing key is not shown
    EXPECT_EQ(m.LastUnitChars(), 2);
    EXPECT_EQ(m.ed_Yomi(), Sj("く") + kLineEnd);
    EXPECT_EQ(m.ed_Nyuuryoku(), "");
    EXPECT_EQ(m.lst_1(), List{"ku"});

    // A candidate that shares no key with the typed ones is ruled out; the box shows the
    // keys as typed.
    StartLine(m, "詩", "し");
    Type(m, "sH");
    EXPECT_EQ(m.lst_1(), (List{Sj("☆"), "i", Sj("☆")}));
    EXPECT_EQ(m.ed_Nyuuryoku(), "sH");
}

TEST(Matcher, TheLineEndShowsThePromptAndOnlyEnterClosesTheLine) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "詩", "し");
    EXPECT_EQ(Type(m, "si").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.lst_3(), List{Sj("■ →")});
    EXPECT_EQ(m.lst_2(), (List{"Enter!", "^^^^^^"}));
    EXPECT_EQ(m.lst_1(), List{Sj("← ■")});
    // Keys that would have typed the line again are mistypes now, Enter included only once.
    EXPECT_EQ(Type(m, "s\b"), (std::vector{JudgeResult::Mistype, JudgeResult::Mistype}));
    char enter = 13;
    EXPECT_EQ(m.JudgeKey(enter), JudgeResult::LineClosed);
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(m.Counts(), (Counters{3, 2, 2, 5}));  // the Enter is a keystroke and a character

    // Enter before the line is typed is judged against the candidates, and misses.
    StartLine(m, "詩", "し");
    EXPECT_EQ(m.JudgeKey(enter = 13), JudgeResult::Mistype);
    m.ResetCounters();
    EXPECT_EQ(m.Counts(), Counters{});
}

TEST(Matcher, EscStopsFromAnyPlaceOfTheLineAndCountsOnlyAsTyped) {
    const KeyTable table = SmallTable();
    for (const char* typed : {"", "k", "kyaku"}) {
        SCOPED_TRACE(typed);
        Matcher m(table);
        StartLine(m, "客", "きゃく");
        Type(m, typed);
        const Counters before = m.Counts();
        char esc = 27;
        EXPECT_EQ(m.JudgeKey(esc), JudgeResult::Stopped);
        EXPECT_EQ(esc, 0);
        Counters after = before;
        ++after.TypeCount;
        EXPECT_EQ(m.Counts(), after);
    }
}

TEST(Matcher, ASpaceDropsOneWrittenWord) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "猫　が 好き", "ねこ か き");
    Type(m, "neko");
    EXPECT_EQ(m.ed_Kanji(), Sj("猫　が 好き") + kLineEnd);  // only a typed space drops a word
    Type(m, " ");
    EXPECT_EQ(m.ed_Kanji(), Sj("が 好き") + kLineEnd);
    Type(m, "ka ");
    EXPECT_EQ(m.ed_Kanji(), Sj("好き") + kLineEnd);
    EXPECT_EQ(Type(m, "ki").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.ed_Kanji(), Sj("好き") + kLineEnd);  // no space left: the form stays whole

    // A written form without spaces stays whole however many spaces the reading holds.
    StartLine(m, "漢字", "か か か");
    EXPECT_EQ(Type(m, "ka ka ka").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.ed_Kanji(), Sj("漢字") + kLineEnd);
}

TEST(Matcher, TheInputBoxShowsAtMostSixKeysOfALongCandidate) {
    const KeyTable table = Table({Row("あ", {"abcdefgh"})});
    Matcher m(table);
    StartLine(m, "亜", "あ");
    const auto rs = Type(m, "abcdefg");
    EXPECT_EQ(std::count(rs.begin(), rs.end(), JudgeResult::KeyShown), 7);
    EXPECT_EQ(m.ed_Nyuuryoku(), "abcdef");
    EXPECT_EQ(Type(m, "h").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.ed_Nyuuryoku(), "");
}

TEST(Matcher, ANewLineClearsTheTypedKeysAndKeepsTheCounters) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    StartLine(m, "客", "きゃく");
    Type(m, "kyxa");
    StartLine(m, "詩", "し");
    EXPECT_EQ(m.ed_Nyuuryoku(), "");
    EXPECT_EQ(m.ed_Yomi(), Sj("し") + kLineEnd);
    EXPECT_EQ(m.ed_Kanji(), Sj("詩") + kLineEnd);
    EXPECT_EQ(m.lst_1(), (List{"si", "shi", "ci"}));
    EXPECT_EQ(m.Counts(), (Counters{3, 2, 1, 4}));
}

TEST(Matcher, ResumingFillsTheListsAsAfterACompletedUnit) {
    const KeyTable table = SmallTable();
    Matcher m(table);
    // At a line's start a short reading lists its item in every list it fits ...
    StartLine(m, "蚊", "か");
    EXPECT_EQ(m.lst_3(), (List{"ka", "ca"}));
    EXPECT_EQ(m.lst_2(), (List{"ka", "ca"}));
    // ... while in the middle of a line the marker follows, and only lst_1 holds it.
    m.ResumeAt(0);
    EXPECT_EQ(m.lst_3(), List{});
    EXPECT_EQ(m.lst_2(), List{});
    EXPECT_EQ(m.lst_1(), (List{"ka", "ca"}));
    // Behind a character no key types, typing goes on with the keys typed so far cleared.
    StartLine(m, "漢蚊", "漢か");
    Type(m, "kx");
    m.ResumeAt(2);
    EXPECT_EQ(m.ed_Yomi(), Sj("か") + kLineEnd);
    EXPECT_EQ(m.ed_Nyuuryoku(), "");
    EXPECT_EQ(Type(m, "ka").back(), JudgeResult::LineComplete);
    EXPECT_EQ(m.Counts().CharCount, 1);
}

TEST(Matcher, CopiesTypeOnIndependently) {
    const KeyTable table = SmallTable();
    Matcher a(table);
    StartLine(a, "客", "きゃく");
    Type(a, "ki");
    Matcher b = a;
    Type(b, "xyaku");
    EXPECT_EQ(b.ed_Yomi(), kLineEnd);
    EXPECT_EQ(a.ed_Yomi(), Sj("ゃく") + kLineEnd);
    EXPECT_EQ(a.lst_1(), (List{"xya", "lya"}));
    EXPECT_EQ(Type(a, "lyaku").back(), JudgeResult::LineComplete);
}

TEST(Matcher, FailureMessagesNameTheResultsAndStates) {
    EXPECT_EQ(::testing::PrintToString(JudgeResult::LineClosed), "LineClosed");
    EXPECT_EQ(::testing::PrintToString(PlayState::LineComplete), "LineComplete (250)");
}

TEST(Matcher, NoUnitTakesTheLineEndMarker) {
    // A hand-made table may hold items that run into a 〆; the one that ends each line is
    // no part of the reading, and a unit that took it would leave a line no key finishes.
    const KeyTable table = Table({Row("か", {"ka"}), Row("か〆", {"kx"}), Row("〆", {"sime"})});
    Matcher m(table);
    StartLine(m, "蚊蚊", "かか");
    EXPECT_EQ(Type(m, "ka").back(), JudgeResult::UnitCompleted);
    EXPECT_EQ(m.lst_2(), List{});
    EXPECT_EQ(Type(m, "kxa"), (std::vector{JudgeResult::KeyShown, JudgeResult::Mistype,
                                           JudgeResult::LineComplete}));
    EXPECT_EQ(m.Counts().CharCount, 2);
    // A 〆 inside the reading is typed like any other character.
    StartLine(m, "締", "か〆か");
    EXPECT_EQ(Type(m, "kasimeka").back(), JudgeResult::LineComplete);
}
