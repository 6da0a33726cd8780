#include "practice.h"

#include <gtest/gtest.h>

#include "act.h"
#include "test_util.h"
#include "typist.h"

using namespace kotopa;
using testutil::Sj;
using testutil::Typist;
using testutil::U8;

namespace {

TEST(HoldsKana, AtACharacterBoundaryAndNotInsideAContractedSound) {
    struct Case {
        const char* reading;
        const char* item;
        bool holds;
    } cases[] = {
        {"かさ", "か", true},    {"あか", "か", true},       {"あさ", "か", false},
        {"きゃく", "き", false}, {"きゃく", "きゃ", true},   {"ききゃ", "き", true},
        {"しぇふ", "し", false}, {"ちゅうい", "ちゅ", true}, {"ー", "ー", true},
        {"≠ｩ", "か", false},  // bytes 81 82 A9: "か" (82 A9) across two characters
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HoldsKana(Sj(c.reading), Sj(c.item)), c.holds) << c.reading << " " << c.item;
    }
}

TEST(PairWords, TheWordsOfAPairInStepOrNone) {
    const auto words = PairWords(Sj("朝の 駅で　傘"), Sj("あさの えきで　かさ"));
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0], (PracticeWord{Sj("朝の"), Sj("あさの")}));
    EXPECT_EQ(words[2], (PracticeWord{Sj("傘"), Sj("かさ")}));
    EXPECT_TRUE(PairWords(Sj("朝の駅"), Sj("あさの えき")).empty());  // out of step
    EXPECT_EQ(PairWords(Sj("秋"), Sj("あき")).size(), 1u);
}

// Plays where か is missed most, then し, つ, て and ん; あ and い never.
std::vector<PlayKeys> KnownPlays() {
    Typist t;
    for (int i = 0; i < 12; ++i) {
        t.Unit(Sj("か"), "ka", 3).Unit(Sj("し"), "si", 2).Unit(Sj("つ"), "tu", i % 2 + 1);
        t.Unit(Sj("て"), "te", i % 3 == 0 ? 1 : 0).Unit(Sj("ん"), "nn", i % 4 == 0 ? 1 : 0);
        t.Unit(Sj("あ"), "a").Unit(Sj("い"), "i").LineEnd();
    }
    return {t.Play()};
}

std::vector<PracticeWord> KnownWords() {
    std::vector<PracticeWord> words;
    for (const char* pair :
         {"傘 かさ",     "赤 あか",       "朝 あさ", "足 あし", "月 つき", "手 て",   "本 ほん",
          "机 つくえ",   "紙 かみ",       "鹿 しか", "塩 しお", "夏 なつ", "店 みせ", "天気 てんき",
          "検査 けんさ", "会社 かいしゃ", "井 ゐ",   "貝 かゐ", "青 あお", "家 いえ", "上 うえ"}) {
        const std::string s = Sj(pair);
        const std::size_t blank = s.find(' ');
        words.push_back({s.substr(0, blank), s.substr(blank + 1)});
    }
    return words;
}

// A table that cannot type ゐ.
bool Typable(std::string_view reading) {
    return reading.find(Sj("ゐ")) == std::string_view::npos;
}

TEST(PracticeAct, LinesOfKnownRecordsHoldTheWeakKanaAreTypableAndRepeat) {
    const Weakness w = AnalyseWeakness(KnownPlays());
    const std::vector<std::string> weak = w.Weakest(5);
    ASSERT_EQ(weak, (std::vector<std::string>{Sj("か"), Sj("し"), Sj("つ"), Sj("て"), Sj("ん")}));
    const uint64_t seed = PracticeSeed(w);
    EXPECT_EQ(seed, PracticeSeed(AnalyseWeakness(KnownPlays())));

    const PracticeAct act = MakePracticeAct(weak, KnownWords(), seed, Typable);
    ASSERT_TRUE(act.ok()) << U8(act.refusal);
    EXPECT_EQ(act.kana, weak);
    ASSERT_EQ(act.lines.size(), 24u);
    for (std::size_t i = 0; i < act.lines.size(); ++i) {
        const PracticeLine& line = act.lines[i];
        SCOPED_TRACE(U8(line.written) + " / " + U8(line.reading));
        EXPECT_EQ(line.kana, weak[i % 5]);  // the kana take their turns, weakest first
        const std::vector<PracticeWord> words = PairWords(line.written, line.reading);
        ASSERT_FALSE(words.empty());
        EXPECT_TRUE(HoldsKana(words[0].reading, line.kana));
        EXPECT_LE(words.size(), 4u);
        for (const PracticeWord& word : words) {
            EXPECT_TRUE(Typable(word.reading));
            bool holds = false;
            for (const std::string& k : weak) holds = holds || HoldsKana(word.reading, k);
            EXPECT_TRUE(holds) << U8(word.reading);  // あお, いえ, うえ, あさ never come
        }
    }
    const PracticeAct again = MakePracticeAct(weak, KnownWords(), seed, Typable);
    EXPECT_EQ(again.bytes, act.bytes);
    EXPECT_NE(MakePracticeAct(weak, KnownWords(), seed + 1, Typable).bytes, act.bytes);

    // The bytes are an Act of the 24 lines, marked as the program's own.
    EXPECT_TRUE(IsPracticeAct(act.bytes));
    ActScript script;
    ASSERT_EQ(script.Parse(act.bytes), ActRefusal::None);
    ASSERT_EQ(script.PairCount(), 24u);
    EXPECT_EQ(script.Kanji(23), act.lines[23].written);
    EXPECT_EQ(script.header[0], Sj("【苦手練習】 か し つ て ん"));
}

TEST(PracticeAct, LinesFitTheBoxesAndABlankTheTableCannotTypeLeavesOneWord) {
    const std::vector<std::string> weak{Sj("か")};
    std::vector<PracticeWord> words;
    for (const char* r : {"かかかかかかかかかか", "あかあかあかあかあか", "かさかさかさかさかさ",
                          "かみかみかみかみかみ", "しかしかしかしかしか", "かおかおかおかおかお",
                          "かいかいかいかいかい", "かえかえかえかえかえ", "かきかきかきかきかき"})
        words.push_back({Sj(r), Sj(r)});
    PracticeOptions narrow;
    narrow.writtenWidth = 42;  // two words of ten kana and a blank
    const auto noBlank = [](std::string_view r) { return r.find(' ') == std::string_view::npos; };
    const struct {
        ReadingCheck typable;
        std::size_t longest;  // words in the longest line
    } tables[] = {{Typable, 2}, {noBlank, 1}};
    for (const auto& table : tables) {
        const PracticeAct act = MakePracticeAct(weak, words, 7, table.typable, narrow);
        ASSERT_TRUE(act.ok());
        std::size_t longest = 0;
        for (const PracticeLine& line : act.lines) {
            EXPECT_LE(line.written.size(), 42u);
            EXPECT_LE(line.reading.size(), 48u);
            EXPECT_TRUE(table.typable(line.reading));
            longest = std::max(longest, PairWords(line.written, line.reading).size());
        }
        EXPECT_EQ(longest, table.longest);
    }
}

TEST(PracticeAct, TooFewWordsOrNoWeakKanaGiveAMessageAndNoAct) {
    const Weakness w = AnalyseWeakness(KnownPlays());
    const std::vector<PracticeWord> known = KnownWords();
    const std::vector<PracticeWord> few(known.begin(), known.begin() + 4);
    const PracticeAct act = MakePracticeAct(w.Weakest(5), few, 1, Typable);
    EXPECT_FALSE(act.ok());
    EXPECT_TRUE(act.bytes.empty());
    EXPECT_TRUE(act.lines.empty());
    // 傘 赤 足 hold weak kana, 朝 none: three usable words.
    EXPECT_NE(U8(act.refusal).find("(3 語)"), std::string::npos) << U8(act.refusal);

    const PracticeAct none = MakePracticeAct({}, KnownWords(), 1, Typable);
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.bytes.empty());
}

TEST(PracticeAct, OnlyTheProgramsOwnActCarriesTheMark) {
    EXPECT_TRUE(IsPracticeAct(Sj("【苦手練習】 か\r\n")));
    EXPECT_FALSE(IsPracticeAct(Sj("苦手練習\r\n")));
    EXPECT_FALSE(IsPracticeAct(Sj("Act01\r\n【苦手練習】\r\n")));
    EXPECT_EQ(U8(PathToSjis(PracticeActFileName())), "苦手練習.ktp");
}

}  // namespace
