#include "typing.h"

#include <gtest/gtest.h>

#include "alloc_count.h"
#include "test_util.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;

namespace {

KeyTable Table() {
    KeyTable t;
    t.SetRows({{Sj("き"), {"ki"}},
               {Sj("きゃ"), {"kya"}},
               {Sj("く"), {"ku"}},
               {Sj("か"), {"ka"}},
               {Sj("っか"), {"kka"}},
               {Sj("ちょ"), {"tyo"}},
               {Sj("と"), {"to"}},
               {" ", {" "}}});
    return t;
}

std::string Show(const std::vector<Blocked>& bs) {
    std::string s;
    for (const auto& b : bs)
        s += std::to_string(b.charIndex) + ":" + testutil::U8(b.character) + " ";
    return s;
}

}  // namespace

TEST(Untypable, FindsEveryCharacterNoKeysGetPast) {
    const KeyTable t = Table();
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("きゃく かっか"))), "");
    // ゅ has no row, and きゅ none either; 漢 and the second ゅ are found after it.
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("きゅく漢くゅ"))), "1:ゅ 3:漢 5:ゅ ");
    // ち and ょ have no rows of their own, but ちょ types them together.
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("ちょっと"))), "2:っ ");
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("ち"))), "0:ち ");
    // A line-end marker inside the reading stops the line.
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("か〆か"))), "1:〆 ");
}

TEST(Untypable, FindsThePlacesFarIntoALongReading) {
    // Long readings are played through a moving window; the places must not move with it.
    const KeyTable t = Table();
    std::string run;
    for (int i = 0; i < 40; ++i) run += "きゃく かっか ";  // 8 characters each
    const std::string reading = run + "ちょっと" + run + "漢" + run + "かっか";
    const int runChars = 40 * 8;
    EXPECT_EQ(Show(UntypableCharacters(t, Sj(reading))),
              std::to_string(runChars + 2) + ":っ " + std::to_string(2 * runChars + 4) + ":漢 ");
    EXPECT_EQ(Show(UntypableCharacters(t, Sj(run + run + "かっか"))), "");
    // Units of two and three characters across every place a window may end.
    std::string groups;
    for (int i = 0; i < 50; ++i) groups += i % 3 ? "っかきゃ" : "くきゃっか";
    EXPECT_EQ(Show(UntypableCharacters(t, Sj(groups + "ち"))),
              std::to_string(17 * 5 + 33 * 4) + ":ち ");  // 17 groups of five, 33 of four
}

TEST(Untypable, ItsWorkGrowsWithTheReadingNotWithItsSquare) {
    // Each place is tried with what the places before it left; a step that copied the rest of
    // the reading made a reading four times as long cost sixteen times as much.
    const KeyTable t = Table();
    auto bytesFor = [&](int runs) {
        std::string reading;
        for (int i = 0; i < runs; ++i) reading += "きゃく かっか ";
        const std::string sj = Sj(reading);
        const std::size_t before = testutil::AllocatedBytes();
        EXPECT_EQ(Show(UntypableCharacters(t, sj)), "");
        return testutil::AllocatedBytes() - before;
    };
    const std::size_t shorter = bytesFor(1000);
    const std::size_t longer = bytesFor(4000);
    EXPECT_LT(longer, 6 * shorter) << shorter << " bytes, then " << longer;
}

TEST(Untypable, ACandidateShutOutByAShorterOneCountsAsUntypable) {
    KeyTable t;
    t.SetRows({{Sj("ん"), {"n"}}, {Sj("んあ"), {"nna"}}});  // n completes ん first, always
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("んあ"))), "1:あ ");
}

TEST(Untypable, TheLastCharacterIsLookedUpWithoutTheMarkerAtTheLineStart) {
    // At the start of a line the lists are filled from the bare reading, so a one-character
    // reading finds its item in every list; it still types.
    const KeyTable t = Table();
    EXPECT_EQ(Show(UntypableCharacters(t, Sj("か"))), "");
}

TEST(TryTyping, CountsKeysCharactersAndTheFirstMistype) {
    const KeyTable t = Table();
    const TryResult r = TryTyping(t, Sj("きゃく かっか"), "kyaxku kakkakk");
    EXPECT_EQ(r.KeyCount, 11);
    EXPECT_EQ(r.CharCount, 7);
    EXPECT_EQ(r.MissCount, 1);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.firstMissKey, 3);   // the x
    EXPECT_EQ(r.firstMissChar, 2);  // where く waited
    EXPECT_EQ(r.keysAfterEnd, 2);
    ASSERT_EQ(r.units.size(), 5u);
    EXPECT_EQ(r.units[0].text, Sj("きゃ"));
    EXPECT_EQ(r.units[0].keys, "kya");
    EXPECT_EQ(r.units[4].text, Sj("っか"));
    EXPECT_EQ(r.units[4].keys, "kka");
}

TEST(TryTyping, AnUnfinishedLineIsNotComplete) {
    const KeyTable t = Table();
    const TryResult r = TryTyping(t, Sj("きく"), "kik");
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.CharCount, 1);
    EXPECT_EQ(r.firstMissKey, -1);
}
