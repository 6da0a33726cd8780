#include "sjis.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;

TEST(Sjis, LeadBytesAreTheTwoRanges) {
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0x80)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0x9F)));
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xA0)));  // half-width katakana
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xDF)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0xE0)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0xFC)));
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xFD)));
    EXPECT_FALSE(IsLeadByte('a'));
}

TEST(Sjis, HeadNeverSplitsACharacter) {
    const std::string aiu = Sj("あいう");
    EXPECT_EQ(MbCopy(aiu, 3), Sj("あ"));
    EXPECT_EQ(MbCopy(aiu, 4), Sj("あい"));
    EXPECT_EQ(MbCopy(aiu, 6), aiu);
    EXPECT_EQ(MbCopy(aiu, 100), aiu);
    EXPECT_EQ(MbCopy(aiu, 1), "");
    EXPECT_EQ(MbCopy(aiu, 0), "");
    EXPECT_EQ(MbCopy(aiu, -5), "");
    EXPECT_EQ(MbCopy("", 6), "");
    // Mixed widths: a, あ, b — 4 bytes; a head of 2 bytes takes "a" alone.
    const std::string mixed = "a" + Sj("あ") + "b";
    EXPECT_EQ(MbCopy(mixed, 2), "a");
    EXPECT_EQ(MbCopy(mixed, 3), "a" + Sj("あ"));
    // Half-width katakana are single bytes.
    EXPECT_EQ(MbCopy("\xB1\xB2\xB3", 2), "\xB1\xB2");
}

TEST(Sjis, DeleteRemovesTheSameHeadAndCountsIt) {
    std::string s = Sj("きゃく");
    EXPECT_EQ(MbDelete(s, 4), 4);
    EXPECT_EQ(s, Sj("く"));
    std::string t = Sj("あい");
    EXPECT_EQ(MbDelete(t, 3), 2);
    EXPECT_EQ(t, Sj("い"));
    std::string empty;
    EXPECT_EQ(MbDelete(empty, 6), 0);
}

TEST(Sjis, ATrailingLoneLeadByteIsOneCharacter) {
    const std::string s = "ab\x82";
    EXPECT_EQ(CharLength(s, 2), 1u);
    EXPECT_EQ(MbCopy(s, 2), "ab");
    EXPECT_EQ(MbCopy(s, 3), s);
}

TEST(Sjis, FoldingTouchesOnlySingleByteLetters) {
    EXPECT_TRUE(FoldedEqual("ka", "KA"));
    EXPECT_TRUE(FoldedEqual("a", "A"));
    EXPECT_FALSE(FoldedEqual("a", "b"));
    EXPECT_FALSE(FoldedEqual("a", "ab"));
    EXPECT_FALSE(FoldedEqual("[", "{"));  // only a to z are folded
    // ヂ is 83 61 and ア is 83 41: a trail byte in the letter range must not be folded.
    EXPECT_FALSE(FoldedEqual(Sj("ヂ"), Sj("ア")));
    EXPECT_FALSE(FoldedEqual(Sj("∥"), Sj("、")));
    EXPECT_FALSE(FoldedEqual(Sj("Ｐ"), Sj("０")));
    EXPECT_TRUE(FoldedEqual(Sj("ヂ") + "a", Sj("ヂ") + "A"));
}
