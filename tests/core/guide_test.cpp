#include "guide.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "act.h"
#include "sjis.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using testutil::U8;

namespace {

KeyTable LoadDelivered(const char* name) {
    KeyTable t;
    t.LoadKeyFile(std::filesystem::path(KOTOPA_SOURCE_DIR) / "data" / "key" / name);
    return t;
}

// The romaji table.
const KeyTable& DeliveredTable() {
    static const KeyTable table = LoadDelivered("mykey.key");
    return table;
}

// The kana keyboard's table, where letter case tells keys apart.
const KeyTable& KanaTable() {
    static const KeyTable table = LoadDelivered("mykana.key");
    return table;
}

int CharsOf(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

// Types keys, each judged and followed by the guide, as the play does.
void Type(Matcher& m, RomajiGuide& g, std::string_view keys) {
    for (char k : keys) {
        char key = k;
        m.JudgeKey(key);
        g.AfterKey(m);
    }
}

struct Known {
    const char* reading;  // UTF-8
    const char* typed;    // keys typed before the guide is read
    const char* guideTyped;
    const char* guideRest;
};

// With the delivered table.
const Known kKnown[] = {
    {"しか", "", "", "sika"},
    {"しか", "s", "s", "ika"},  // し after "s": the spelling goes on as typed
    {"しか", "sh", "sh", "ika"},
    {"しか", "c", "c", "ika"},
    {"しか", "si", "", "ka"},
    {"っか", "", "", "kka"},  // っ before か: one unit, the doubled key
    {"っか", "x", "x", "tuka"},
    {"っか", "lts", "lts", "uka"},
    {"んあ", "", "", "nna"},  // ん before a vowel: nn, never a lone n
    {"んか", "", "", "nka"},
    {"んか", "nn", "", "ka"},
    {"か、か", "", "", "ka,ka"},  // the sign rows: 、 and both spaces
    {"か　か か", "", "", "ka ka ka"},
    {"”か”", "", "", "\"ka\""},
    {"っきゃく", "", "", "kkyaku"},  // a three-kana item
    {"っきゃく", "kk", "kk", "yaku"},
    {"っきゃく", "kki", "", "xyaku"},
    {"きゃく", "ki", "", "xyaku"},
    {"ぎゅうにゅう", "", "", "gyuunyuu"},
};

TEST(RomajiGuide, KnownGuidesWithTheDeliveredTable) {
    ASSERT_FALSE(DeliveredTable().Rows().empty());
    for (const Known& k : kKnown) {
        SCOPED_TRACE(std::string(k.reading) + " after \"" + k.typed + "\"");
        Matcher m(DeliveredTable());
        m.StartLine({}, Sj(k.reading));
        RomajiGuide g;
        g.StartLine(m);
        Type(m, g, k.typed);
        EXPECT_EQ(m.Counts().MissCount, 0);
        EXPECT_EQ(g.Typed(), k.guideTyped);
        EXPECT_EQ(g.Rest(), k.guideRest);
    }
}

KeyTable Table(std::vector<std::pair<const char*, std::vector<std::string>>> rows) {
    std::vector<KeyRow> out;
    for (auto& [item, candidates] : rows) out.push_back({Sj(item), std::move(candidates)});
    return KeyTable(std::move(out));
}

struct Chosen {
    const char* reading;
    const char* guide;
};

TEST(RomajiGuide, PassesOverSpellingsJudgedOtherwiseThere) {
    // "nn" comes first, but the lone "n" completes ん at the first key: the guide shows n.
    const KeyTable lone = Table({{"ん", {"nn", "n"}}, {"あ", {"a"}}, {"か", {"ka"}}});
    // あい is typed first by preference, but no key types the う after it.
    const KeyTable deadEnd = Table({{"あい", {"q"}}, {"あ", {"a"}}, {"いう", {"yu"}}});
    // The group's spelling begins with the kana's: the kana is taken first.
    const KeyTable prefix = Table({{"き", {"k"}}, {"きゃ", {"kya"}}, {"ゃ", {"ya"}}});
    // Letter case tells keys apart here (ぃ is Shift with い's key): "e" is no prefix of "Eu".
    const KeyTable shifted = Table({{"い", {"e"}}, {"ぃ", {"E"}}, {"いう", {"Eu"}}, {"う", {"u"}}});
    ASSERT_TRUE(shifted.Rules().IsCaseSensitive());
    const std::pair<const KeyTable*, Chosen> cases[] = {
        {&shifted, {"いう", "Eu"}},  {&shifted, {"いぃう", "eEu"}}, {&lone, {"んあ", "na"}},
        {&lone, {"んかん", "nkan"}}, {&deadEnd, {"あいう", "ayu"}}, {&deadEnd, {"あい", "q"}},
        {&prefix, {"きゃ", "kya"}},  {&lone, {"んう", ""}},
    };
    for (const auto& [table, c] : cases) {
        SCOPED_TRACE(c.reading);
        Matcher m(*table);
        m.StartLine({}, Sj(c.reading));
        RomajiGuide g;
        g.StartLine(m);
        EXPECT_EQ(g.Rest(), c.guide);
        // What the guide shows is what the matcher takes.
        Type(m, g, c.guide);
        EXPECT_EQ(m.ed_Yomi() == marker::kLineEnd, *c.guide != 0);
        EXPECT_EQ(m.Counts().MissCount, 0);
    }
}

TEST(RomajiGuide, ShowsNothingOnceTheLineIsTypedOrCleared) {
    Matcher m(DeliveredTable());
    m.StartLine({}, Sj("か"));
    RomajiGuide g;
    g.StartLine(m);
    Type(m, g, "k");
    EXPECT_EQ(g.Typed(), "k");
    Type(m, g, "a");
    EXPECT_EQ(g.Typed(), "");
    EXPECT_EQ(g.Rest(), "");
    g.StartLine(m);  // a line typed to its end
    EXPECT_EQ(g.Rest(), "");
    m.StartLine({}, Sj("かか"));
    g.StartLine(m);
    EXPECT_EQ(g.Rest(), "kaka");
    g.Clear();
    EXPECT_EQ(g.Rest(), "");
}

// Types the line that m has started by the guide alone, key by key, after it was already
// started with other keys; fails at the first key that the guide would not lead on. A
// guide followed stays as it was, less the key typed.
::testing::AssertionResult FollowsToTheEnd(Matcher& m, RomajiGuide& g, std::string_view reading,
                                           int charsBefore) {
    for (std::size_t step = 0; step < 4 * reading.size() + 16; ++step) {
        if (g.Rest().empty()) {
            return ::testing::AssertionFailure()
                   << "no guide at \"" << U8(m.ed_Yomi()) << "\" after \"" << g.Typed() << "\"";
        }
        const std::string rest = g.Rest(), typed = g.Typed();
        char key = rest.front();
        const JudgeResult r = m.JudgeKey(key);
        g.AfterKey(m);
        if (r == JudgeResult::Mistype) {
            return ::testing::AssertionFailure()
                   << "mistype of '" << rest.front() << "' at \"" << U8(m.ed_Yomi()) << "\"";
        }
        if (g.Rest() != rest.substr(1) && r != JudgeResult::LineComplete) {
            return ::testing::AssertionFailure() << "guide \"" << rest << "\" became \"" << g.Rest()
                                                 << "\" at \"" << U8(m.ed_Yomi()) << "\"";
        }
        if (r == JudgeResult::KeyShown && g.Typed() != typed + rest.front()) {
            return ::testing::AssertionFailure() << "typed part \"" << g.Typed() << "\"";
        }
        if (r == JudgeResult::LineComplete) {
            if (m.Counts().MissCount != 0 || m.Counts().CharCount != charsBefore + CharsOf(reading))
                return ::testing::AssertionFailure() << "counted wrong";
            if (!g.Rest().empty()) return ::testing::AssertionFailure() << "guide left at end";
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << "the line did not end";
}

// Keys that the lists accept, drawn at random: the first key of a live entry.
char AcceptedKey(const Matcher& m, std::mt19937& rng) {
    std::vector<char> keys;
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        for (const auto& e : *list) {
            if (!e.empty() && e != marker::kRuledOut && e.front() >= 0x20 && e.front() <= 0x7E)
                keys.push_back(e.front());
        }
    }
    return keys.empty() ? 0 : keys[rng() % keys.size()];
}

struct PropertyCounts {
    int lines = 0;
    int startingPoints = 0;
};

// From the start of the line, and from starting points reached by typing other accepted
// spellings at random.
void CheckLine(const KeyTable& table, std::string_view reading, std::mt19937& rng, int restarts,
               PropertyCounts& counts) {
    SCOPED_TRACE(U8(reading));
    ++counts.lines;
    for (int run = 0; run <= restarts; ++run) {
        Matcher m(table);
        m.StartLine({}, reading);
        RomajiGuide g;
        g.StartLine(m);
        const std::size_t keysBefore =
            run == 0 ? 0 : 1 + rng() % std::max<std::size_t>(1, g.Rest().size());
        bool ended = false;
        for (std::size_t i = 0; i < keysBefore && !ended; ++i) {
            char key = AcceptedKey(m, rng);
            ASSERT_NE(key, 0) << "nothing accepted at " << U8(m.ed_Yomi());
            const JudgeResult r = m.JudgeKey(key);
            ASSERT_NE(r, JudgeResult::Mistype);
            g.AfterKey(m);
            ended = r == JudgeResult::LineComplete;
        }
        if (ended) continue;
        ++counts.startingPoints;
        // The matcher counts characters from the line's start.
        const int typedChars = m.Counts().CharCount;
        const std::string left(m.ed_Yomi().substr(0, m.ed_Yomi().size() - 2));
        ASSERT_TRUE(FollowsToTheEnd(m, g, left, typedChars)) << "after " << keysBefore << " keys";
    }
}

TEST(RomajiGuide, TypingTheGuideFinishesEveryDeliveredLine) {
    ASSERT_TRUE(KanaTable().Rules().IsCaseSensitive());
    std::mt19937 rng(20);
    PropertyCounts counts, kana;
    int acts = 0;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n) + ".ktp";
        const ActLoad load =
            ReadAct(std::filesystem::path(KOTOPA_SOURCE_DIR) / "data" / "ktp" / name);
        ASSERT_EQ(load.refusal, ActRefusal::None) << name;
        ++acts;
        for (std::size_t i = 0; i < load.script.PairCount(); ++i) {
            CheckLine(DeliveredTable(), load.script.Yomi(i), rng, 8, counts);
            CheckLine(KanaTable(), load.script.Yomi(i), rng, 8, kana);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(acts, 12);
    EXPECT_GT(counts.lines, 250);
    std::printf("delivered lines: %d, starting points: %d (kana table: %d)\n", counts.lines,
                counts.startingPoints, kana.startingPoints);
}

TEST(RomajiGuide, TypingTheGuideFinishesRandomReadingsOverTheWholeTable) {
    for (const KeyTable* table : {&DeliveredTable(), &KanaTable()}) {
        const auto& rows = table->Rows();
        ASSERT_FALSE(rows.empty());
        std::mt19937 rng(2020);
        PropertyCounts counts;
        for (int n = 0; n < 3000; ++n) {
            std::string reading;
            const int units = 1 + static_cast<int>(rng() % 12);
            for (int u = 0; u < units; ++u) reading += rows[rng() % rows.size()].item;
            CheckLine(*table, reading, rng, 2, counts);
            if (HasFatalFailure()) return;
        }
        std::printf("random readings over %zu rows: %d, starting points: %d\n", rows.size(),
                    counts.lines, counts.startingPoints);
    }
}

}  // namespace
