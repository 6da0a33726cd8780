#include "weakness.h"

#include <gtest/gtest.h>

#include "test_util.h"
#include "typist.h"

using namespace kotopa;
using testutil::Sj;
using testutil::Typist;

namespace {

const KanaStats* Find(const Weakness& w, const std::string& item) {
    for (const KanaStats& k : w.kana) {
        if (k.item == item) return &k;
    }
    return nullptr;
}

}  // namespace

TEST(Weakness, CountsRatesTimesSpellingsAndConfusionsOfKnownPlays) {
    Typist t;
    for (int i = 0; i < 12; ++i) {
        t.Unit(Sj("か"), "ka", 1);               // every か first mistyped with q
        t.Unit(Sj("し"), i < 9 ? "si" : "SHI");  // upper case counts as lower
    }
    t.Unit(Sj("、"), ",", 2).LineEnd(1);  // a sign and a line end: no kana
    std::vector<PlayKeys> plays{t.Play()};
    const Weakness w = AnalyseWeakness(plays);

    EXPECT_EQ(w.plays, 1);
    ASSERT_EQ(w.kana.size(), 2u);  // the sign is not a kana
    EXPECT_EQ(w.ranked, 2u);
    const KanaStats& ka = w.kana[0];
    EXPECT_EQ(ka.item, Sj("か"));
    EXPECT_EQ(ka.count, 12);
    EXPECT_EQ(ka.mistyped, 12);
    EXPECT_EQ(ka.mistypes, 12);
    EXPECT_DOUBLE_EQ(ka.rate, 1.0);
    EXPECT_EQ(ka.medianMs, 300u);  // the mistype, then k, then a
    const KanaStats& si = w.kana[1];
    EXPECT_EQ(si.item, Sj("し"));
    EXPECT_DOUBLE_EQ(si.rate, 0.0);
    ASSERT_EQ(si.spellings.size(), 2u);
    EXPECT_EQ(si.spellings[0].keys, "si");
    EXPECT_EQ(si.spellings[0].count, 9);
    EXPECT_DOUBLE_EQ(si.spellings[0].share, 0.75);
    EXPECT_EQ(si.spellings[1].keys, "shi");
    EXPECT_EQ(w.Weakest(5), (std::vector<std::string>{Sj("か"), Sj("し")}));

    // Keys: k was right 24 times (12 typed, 12 missed); the q typed in its place leads.
    EXPECT_EQ(w.keys['k'].expected, 24);
    EXPECT_EQ(w.keys['k'].mistypes, 12);
    EXPECT_DOUBLE_EQ(w.keys['k'].rate, 0.5);
    EXPECT_EQ(w.keys['h'].expected, 3);
    EXPECT_EQ(w.keys['q'].expected, 0);
    ASSERT_EQ(w.confusions.size(), 3u);
    EXPECT_EQ(w.confusions[0], (Confusion{'k', 'q', 12}));
    EXPECT_EQ(w.confusions[1], (Confusion{',', 'q', 2}));
    EXPECT_EQ(w.confusions[2], (Confusion{'\r', 'x', 1}));

    ASSERT_EQ(w.perPlay.size(), 1u);
    EXPECT_DOUBLE_EQ(w.perPlay[0].mistypeRate, 15.0 / (12 * 3 + 9 * 2 + 3 * 3 + 3 + 2));
}

TEST(Weakness, TheRankingRule) {
    struct Case {
        const char* what;
        int countA, missA;
        uint32_t stepA;
        int countB, missB;
        uint32_t stepB;
        bool aFirst;
        std::size_t ranked;
    };
    // あ is typed countA times with missA of them mistyped once; い likewise; steps set how
    // slow each is. A filler kana fixes the median time of all units.
    const Case cases[] = {
        {"more mistypes ranks first", 10, 5, 100, 10, 4, 100, true, 3},
        {"below the minimum is never ranked", 9, 9, 100, 10, 1, 100, false, 2},
        {"at the minimum it is", 10, 9, 100, 10, 1, 100, true, 3},
        {"slowness counts", 10, 0, 400, 10, 1, 100, true, 3},
        {"but half as much as mistypes", 10, 0, 200, 10, 6, 100, false, 3},
        {"a tie goes to the more typed", 10, 2, 100, 20, 4, 100, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Typist t;
        for (int i = 0; i < 40; ++i) t.Unit(Sj("う"), "u");
        for (int i = 0; i < c.countA; ++i) t.Unit(Sj("あ"), "a", i < c.missA ? 1 : 0, c.stepA);
        for (int i = 0; i < c.countB; ++i) t.Unit(Sj("い"), "i", i < c.missB ? 1 : 0, c.stepB);
        std::vector<PlayKeys> plays{t.Play()};
        const Weakness w = AnalyseWeakness(plays);
        EXPECT_EQ(w.ranked, c.ranked);
        const std::vector<std::string> weakest = w.Weakest(1);
        ASSERT_EQ(weakest.size(), 1u);
        EXPECT_EQ(weakest[0], c.aFirst ? Sj("あ") : Sj("い"));
    }
}

TEST(Weakness, TrendAndTheCurrentActsPlays) {
    Typist t;
    std::vector<PlayKeys> plays;
    // 25 plays of Act01: the first 15 mistype every unit, the last 10 none; two of Act02.
    for (int p = 0; p < 25; ++p) {
        for (int i = 0; i < 10; ++i) t.Unit(Sj("あ"), "a", p < 15 ? 1 : 0);
        plays.push_back(t.Play());
        if (p % 12 == 0 && p) {
            t.Unit(Sj("ん"), "nn", 3);
            plays.push_back(t.Play("Act02"));
        }
    }
    const Weakness all = AnalyseWeakness(plays);
    EXPECT_EQ(all.plays, 27);
    EXPECT_NE(Find(all, Sj("ん")), nullptr);
    const Weakness act = AnalyseWeakness(plays, "Act01");
    EXPECT_EQ(act.plays, 25);
    EXPECT_EQ(Find(act, Sj("ん")), nullptr);
    EXPECT_EQ(act.trend.lastPlays, 10);
    EXPECT_EQ(act.trend.earlierPlays, 10);
    EXPECT_DOUBLE_EQ(act.trend.lastRate, 0.0);
    EXPECT_DOUBLE_EQ(act.trend.earlierRate, 0.5);  // a mistype and a key for every kana
    ASSERT_EQ(act.perPlay.size(), 25u);
    EXPECT_EQ(act.perPlay[24].charsPerMin, 600);  // ten kana in one second

    const Weakness none = AnalyseWeakness({});
    EXPECT_EQ(none.plays, 0);
    EXPECT_TRUE(none.kana.empty());
    EXPECT_EQ(none.trend.lastPlays, 0);
}

TEST(Weakness, TheWindowsLines) {
    KanaStats k;
    k.item = Sj("し");
    k.count = 24;
    k.rate = 0.125;
    k.medianMs = 320;
    k.spellings = {{"shi", 22, 22.0 / 24}, {"si", 2, 2.0 / 24}};
    EXPECT_EQ(KanaLine(k), Sj("し  ミス 12.5 %  320 ms  24 回"));
    EXPECT_EQ(SpellingLine(k), Sj("し  shi 92 % si 8 %"));
    EXPECT_EQ(ConfusionLine({'u', 'i', 7}), Sj("u → i  7 回"));
    EXPECT_EQ(ConfusionLine({'\r', ' ', 1}), Sj("Enter → Space  1 回"));
    Weakness w;
    w.trend = {10, 3, 0.02, 0.1, 150.4, 120};
    EXPECT_EQ(TrendLine(w),
              Sj("最近 10 回: ミス 2.0 %, 150 文字/分   その前の 3 回: ミス 10.0 %, 120 文字/分"));
}
