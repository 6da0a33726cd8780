#include "matchersearch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_util.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;

namespace {

Matcher OnLine(const KeyTable& table, const char* reading) {
    Matcher m(table);
    m.StartLine({}, Sj(reading));
    return m;
}

// Plays keys one by one from state from, adding every state reached; the last one reached.
MatcherSearch::Reached Walk(MatcherSearch& search, int from, std::string_view keys, int tag = 0) {
    MatcherSearch::Reached at{from, false};
    for (const char key : keys) {
        MatcherSearch::Move move = search.Play(at.state, key);
        EXPECT_NE(move.result, JudgeResult::Mistype) << keys;
        at = search.Add(std::move(move.matcher), tag, at.state, key);
    }
    return at;
}

}  // namespace

TEST(MatcherSearch, TwoSpellingsOfOneUnitReachOneStateKeptWithTheFirstPath) {
    const KeyTable table({{Sj("し"), {"si", "shi"}}, {Sj("か"), {"ka"}}});
    MatcherSearch search(OnLine(table, "しか"));
    const MatcherSearch::Reached si = Walk(search, 0, "si");
    EXPECT_TRUE(si.added);
    const std::size_t size = search.Size();
    const MatcherSearch::Reached shi = Walk(search, 0, "shi");
    EXPECT_FALSE(shi.added);
    EXPECT_EQ(shi.state, si.state);
    EXPECT_EQ(search.Size(), size + 1);  // only "sh" is new
    EXPECT_EQ(search.PathTo(si.state), "si");
    EXPECT_EQ(search.PathTo(0), "");
    // The same matcher state beside another state of the caller's is a state of its own.
    const MatcherSearch::Reached tagged = Walk(search, 0, "si", 7);
    EXPECT_NE(tagged.state, si.state);
    EXPECT_EQ(search.Tag(tagged.state), 7);
    EXPECT_EQ(search.Tag(si.state), 0);
}

TEST(MatcherSearch, EqualListsFurtherOnTheReadingAreAnotherState) {
    // After ka and after kaka the lists hold ka alone; only the reading left tells them apart.
    const KeyTable table({{Sj("か"), {"ka"}}});
    MatcherSearch search(OnLine(table, "かかかか"));
    const MatcherSearch::Reached once = Walk(search, 0, "ka");
    const MatcherSearch::Reached twice = Walk(search, once.state, "ka");
    EXPECT_TRUE(twice.added);
    EXPECT_NE(twice.state, once.state);
    EXPECT_EQ(search.PathTo(twice.state), "kaka");
}

TEST(MatcherSearch, PlayingAKeyLeavesTheStateAsItWas) {
    const KeyTable table({{Sj("か"), {"ka"}}});
    MatcherSearch search(OnLine(table, "かか"));
    const int k = Walk(search, 0, "k").state;
    const MatcherSearch::Move move = search.Play(k, 'a');
    EXPECT_EQ(move.result, JudgeResult::UnitCompleted);
    EXPECT_EQ(search.MatcherOf(k).ed_Nyuuryoku(), "k");
    const std::string lineEnd(marker::kLineEnd);
    EXPECT_EQ(search.MatcherOf(k).ed_Yomi(), Sj("かか") + lineEnd);
    EXPECT_EQ(move.matcher.ed_Yomi(), Sj("か") + lineEnd);
    EXPECT_EQ(search.Play(k, 'x').result, JudgeResult::Mistype);
}

TEST(MatcherSearch, NextKeysAreTheFirstKeysOfTheCandidatesEachKeyOnce) {
    // Case-blind: ka and KA begin with one key.
    const KeyTable blind({{Sj("か"), {"ka", "KA"}}, {Sj("かき"), {"kaki"}}, {Sj("き"), {"ki"}}});
    const std::string once = MatcherSearch::NextKeys(OnLine(blind, "かき"));
    ASSERT_EQ(once.size(), 1u) << once;
    EXPECT_TRUE(blind.Rules().SameKey(once[0], 'k'));
    // A table whose items differ by case alone tells e from E.
    const KeyTable sensitive({{Sj("い"), {"e"}}, {Sj("ぃ"), {"E"}}, {Sj("いぃ"), {"Ee"}}});
    std::string keys = MatcherSearch::NextKeys(OnLine(sensitive, "いぃ"));
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, "Ee");
}
