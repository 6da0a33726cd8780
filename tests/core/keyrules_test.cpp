#include "keyrules.h"

#include <gtest/gtest.h>

#include "keypanel.h"
#include "keytable.h"
#include "matcher.h"
#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using List = std::vector<std::string>;

namespace {

KeyRow Row(std::string_view itemUtf8, List candidates) {
    return KeyRow{Sj(itemUtf8), std::move(candidates)};
}

// Part of a romaji table and part of a kana-position one: い on the E key, ぃ on Shift+E,
// つ on Z, っ on Shift+Z, 、 on Shift+comma, ね on the comma key.
std::vector<KeyRow> RomajiRows() {
    return {Row("い", {"i", "yi"}), Row("ぃ", {"xi", "li"}), Row("か", {"ka", "KA"}),
            Row("、", {","}),       KeyRow{" ", {" "}},      Row("ね", {"ne"})};
}
std::vector<KeyRow> KanaRows() {
    return {Row("い", {"e"}), Row("ぃ", {"E"}),  Row("つ", {"z"}),  Row("っ", {"Z"}),
            Row("か", {"t"}), Row("が", {"t@"}), Row("、", {"<"}),  KeyRow{" ", {" "}},
            Row("ね", {","}), Row("。", {">"}),  Row("ー", {"\\"}), Row("ろ", {"_"})};
}

}  // namespace

TEST(KeyRules, ARomajiTableIsCaseBlindAndAKanaTableIsNot) {
    const KeyRules romaji = KeyRules::Of(RomajiRows());
    EXPECT_FALSE(romaji.IsCaseSensitive());  // KA only spells か once more
    EXPECT_TRUE(romaji.SameKey('a', 'A'));
    EXPECT_EQ(romaji.ShownCandidate("KyA"), "kya");
    EXPECT_TRUE(romaji.StartsWith("KYA", "ky"));
    EXPECT_TRUE(romaji.EditKey('k'));
    EXPECT_FALSE(romaji.EditKey('K'));
    EXPECT_FALSE(romaji.EditKey('<'));

    const KeyRules kana = KeyRules::Of(KanaRows());
    EXPECT_TRUE(kana.IsCaseSensitive());  // e and E, z and Z type different kana
    EXPECT_FALSE(kana.SameKey('e', 'E'));
    EXPECT_TRUE(kana.SameKey('@', '@'));
    EXPECT_EQ(kana.ShownCandidate("Ze"), "Ze");
    EXPECT_FALSE(kana.StartsWith("Ze", "z"));
    for (const char c : std::string("E<>_\\@[{}?~#'")) EXPECT_TRUE(kana.EditKey(c)) << c;
    for (const char c : std::string(" ,\"\x08\x81")) EXPECT_FALSE(kana.EditKey(c)) << c;

    // Letters alone in one case, or no letters at all, leave a table case-blind.
    EXPECT_FALSE(KeyRules::Of({Row("あ", {"A"}), Row("い", {"I"})}).IsCaseSensitive());
    EXPECT_FALSE(KeyRules::Of({Row("あ", {"3"}), Row("ー", {"\\"})}).IsCaseSensitive());
    EXPECT_FALSE(KeyRules::Of({}).IsCaseSensitive());
}

TEST(KeyRules, SignRowsAndTheirFixedKeysFollowTheTable) {
    const KeyRules romaji = KeyRules::Romaji();
    const KeyRules kana = KeyRules::CaseSensitive();
    EXPECT_EQ(romaji.SignRows()[3].key, ",");  // 、
    EXPECT_EQ(kana.SignRows()[3].key, "<");
    for (const auto* rules : {&romaji, &kana}) {
        EXPECT_TRUE(rules->IsSignItem(Sj("、")));
        EXPECT_TRUE(rules->IsSignItem(" "));
        EXPECT_FALSE(rules->IsSignItem(Sj("ね")));
        EXPECT_TRUE(rules->IsCommaKanaRow(Row("ね", {",", "ne"})));
        EXPECT_FALSE(rules->IsCommaKanaRow(Row("ね", {"ne", ","})));
        EXPECT_TRUE(rules->IsSignKey(","));
        EXPECT_TRUE(rules->IsSignKey(Sj("”")));
    }
    EXPECT_FALSE(romaji.IsSignKey("<"));
    EXPECT_TRUE(kana.IsSignKey("<"));
}

TEST(KeyRules, AKanaTableKeepsShiftCommaForTheTouten) {
    TempDir dir;
    KeyTable t;
    t.SetRows(KanaRows());
    ASSERT_TRUE(t.Rules().IsCaseSensitive());
    t.SetRow(6, Row("、", {"x"}));  // a sign row's first key comes back on every store
    ASSERT_TRUE(t.StoreKeyTable(dir / "mykana.key"));
    EXPECT_NE(ReadBytes(dir / "mykana.key").find("6=\"" + Sj("▼ ▼") + "\""), std::string::npos);
    EXPECT_EQ(t.Rows()[6], Row("、", {"<"}));
    KeyTable back;
    back.LoadKeyFile(dir / "mykana.key");
    EXPECT_TRUE(back.Rules().IsCaseSensitive());
    EXPECT_EQ(back.Rows()[6], Row("、", {"<"}));
    EXPECT_EQ(back.Rows()[8], Row("ね", {","}));  // stored under ∴, as in a romaji table
    EXPECT_EQ(back.Rows(), t.Rows());
}

TEST(KeyRules, ACaseSensitiveTableJudgesShiftAsAKeyOfItsOwn) {
    KeyTable t;
    t.SetRows(KanaRows());
    Matcher m(t);
    m.StartLine({}, Sj("っい"));
    char k = 'z';  // つ's key is not っ's
    EXPECT_EQ(m.JudgeKey(k), JudgeResult::Mistype);
    k = 'Z';
    EXPECT_EQ(m.JudgeKey(k), JudgeResult::UnitCompleted);
    k = 'E';  // ぃ, not い
    EXPECT_EQ(m.JudgeKey(k), JudgeResult::Mistype);
    k = 'e';
    EXPECT_EQ(m.JudgeKey(k), JudgeResult::LineComplete);
    EXPECT_EQ(m.Counts().MissCount, 2);

    // The same keys in a romaji table: case does not count.
    KeyTable r;
    r.SetRows({Row("っ", {"xtu"}), Row("い", {"i"})});
    Matcher rm(r);
    rm.StartLine({}, Sj("っい"));
    for (const char c : std::string("XtUI")) {
        char key = c;
        EXPECT_NE(rm.JudgeKey(key), JudgeResult::Mistype) << c;
    }
    EXPECT_EQ(rm.Counts().CharCount, 2);
}

TEST(KeyRules, ThePanelShowsAndTakesKeysByTheTable) {
    KeyTable t;
    t.SetRows(KanaRows());
    EXPECT_EQ(ViewKeyRow(t, 1).kouho[0], "E");  // not lowered into い's key
    EXPECT_TRUE(FilterKouhoKey('Z', t.Rules()));
    EXPECT_FALSE(FilterKouhoKey('Z'));
    EXPECT_EQ(CheckSetRow(t, "4", "<"), SetRowRefusal::SignRow);  // 、's key
    EXPECT_EQ(CheckSetRow(t, "4", "t"), SetRowRefusal::None);
}
