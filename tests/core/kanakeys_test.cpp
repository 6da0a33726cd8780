#include "kanakeys.h"

#include <gtest/gtest.h>

#include <set>

#include "test_util.h"

using namespace kotopa;
using testutil::Sj;

TEST(KanaKeys, AKeyIsItsPositionWithOrWithoutShift) {
    struct Case {
        uint32_t scan;
        bool shift;
        char token;
        const char* top;
    };
    const Case cases[] = {
        {0x14, false, 't', "か"},  {0x1A, false, '@', "゛"},  // が is か then ゛
        {0x04, false, '3', "あ"},  {0x04, true, '#', "ぁ"},   // ぁ is Shift with あ's key
        {0x7D, false, '\\', "ー"}, {0x7D, true, '\\', "ー"},  // the ¥ key
        {0x73, false, '_', "ろ"},  {0x73, true, '|', "？"},   // left of the right Shift
        {0x12, true, 'E', "ぃ"},   {0x2C, true, 'Z', "っ"},  {0x0B, true, '~', "を"},
        {0x33, false, ',', "ね"},  {0x33, true, '<', "、"},  {0x34, true, '>', "。"},
        {0x1B, true, '{', "「"},   {0x2B, true, '}', "」"},  {0x35, true, '?', "・"},
        {0x03, true, '2', "ふ"},  // Shift gives no other kana there
        {0x39, false, ' ', " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top);
        EXPECT_EQ(KanaKeyToken(c.scan, c.shift), c.token);
        EXPECT_EQ(KanaKeyTops(std::string(1, c.token)), Sj(c.top));
        EXPECT_EQ(KanaKeysOfTops(Sj(c.top)), std::string(1, c.token));
    }
    // Keys of the main block that type no kana, and keys beyond it.
    for (const uint32_t scan : {0x01u, 0x0Eu, 0x1Cu, 0x29u, 0x2Au, 0x36u, 0x3Bu, 0xE048u}) {
        EXPECT_EQ(KanaKeyToken(scan, false), 0) << scan;
    }
    EXPECT_EQ(KanaKeyTops("t@f[x"), Sj("か゛は゜さ"));
    EXPECT_EQ(KanaKeyTops(Sj("☆！t")), Sj("☆！か"));  // ！ is 81 49: its trail byte is no key
    EXPECT_EQ(KanaKeysOfTops(Sj("か゛")), "t@");
    EXPECT_EQ(KanaKeysOfTops(Sj("が")), std::nullopt);  // no key prints が
    EXPECT_EQ(KanaKeysOfTops("A"), std::nullopt);
    // ろ and ー are told apart by the evdev codes X11 gives them, 89 and 124 (plus 8).
    EXPECT_EQ(ScanCodeOfEvdev(89), 0x73u);
    EXPECT_EQ(ScanCodeOfEvdev(124), 0x7Du);
    EXPECT_EQ(ScanCodeOfEvdev(0x14), 0x14u);
}

TEST(KanaKeys, EveryPositionAndTokenIsOneKey) {
    std::set<uint32_t> scans;
    std::set<char> tokens;
    std::set<std::string> tops;
    for (const KanaKey& k : KanaKeys()) {
        EXPECT_TRUE(scans.insert(k.scan).second) << k.scan;
        EXPECT_TRUE(tokens.insert(k.key).second) << k.key;
        EXPECT_TRUE(tops.insert(std::string(k.top)).second);
        if (k.shiftKey != k.key) {
            EXPECT_TRUE(tokens.insert(k.shiftKey).second) << k.shiftKey;
            EXPECT_TRUE(tops.insert(std::string(k.shiftTop)).second);
        } else {
            EXPECT_EQ(k.shiftTop, k.top);
        }
    }
    EXPECT_EQ(scans.size(), 49u);
}
