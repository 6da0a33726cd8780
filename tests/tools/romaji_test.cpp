#include "romaji.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_util.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;

namespace {

const char* kRomaji =
    "ka\tか\nki\tき\nku\tく\nkya\tきゃ\nxya\tゃ\nkk\tっ\tk\nxtu\tっ\nn\tん\nnn\tん\nna\tな\n"
    "a\tあ\nu\tう\nxi\tぃ\nwi\tうぃ\nwwi\tっうぃ\n,\t、\nz,\t‥\n";

RomajiTable Romaji() {
    RomajiTable t;
    std::string error;
    EXPECT_TRUE(t.Load(kRomaji, error)) << error;
    return t;
}

KeyTable Keys(std::initializer_list<std::pair<const char*, std::vector<std::string>>> rows) {
    KeyTable t;
    for (const auto& [item, cands] : rows) t.AddRow({Sj(item), cands});
    return t;
}

// A table that serves the small romaji table the way the delivered one serves the real one.
KeyTable Good() {
    return Keys({{"か", {"ka"}},     {"き", {"ki"}},       {"く", {"ku"}},      {"きゃ", {"kya"}},
                 {"ゃ", {"xya"}},    {"っ", {"xtu"}},      {"っか", {"kka"}},   {"っき", {"kki"}},
                 {"っく", {"kku"}},  {"っきゃ", {"kkya"}}, {"ん", {"nn"}},      {"んか", {"nka"}},
                 {"んっ", {"nxtu"}}, {"な", {"na"}},       {"あ", {"a"}},       {"う", {"u"}},
                 {"ぃ", {"xi"}},     {"うぃ", {"wi"}},     {"っうぃ", {"wwi"}}, {"、", {","}},
                 {"キ", {"ki"}},     {"キャ", {"kya"}},    {"ャ", {"xya"}},     {"！", {"!"}}});
}

SpellingCheck Check(const KeyTable& keys, const char* reading) {
    static const RomajiTable romaji = Romaji();
    return CheckSpellings(romaji, keys, Sj(reading));
}

std::string Failures(const SpellingCheck& c) {
    std::string s;
    for (const auto& f : c.failures) s += f + "\n";
    return s;
}

}  // namespace

TEST(RomajiModel, CountsEverySpellingOnce) {
    const KeyTable keys = Good();
    struct Case {
        const char* reading;
        int spellings;
    };
    const Case cases[] = {
        {"っか", 2},    // kka, xtuka
        {"きゃ", 2},    // kya, kixya
        {"っきゃ", 4},  // kkya, kkixya, xtukya, xtukixya
        {"んか", 2},    // nka (the lone n), nnka
        {"んな", 1},    // nnna: a lone n before n is not ん
        {"かん", 1},    // kann: "kan" leaves the n unconverted
        {"キャ", 2},    // katakana is typed with the same keys
        {"！", 1},      // a key that begins no rule enters itself
    };
    for (const auto& c : cases) {
        const SpellingCheck r = Check(keys, c.reading);
        EXPECT_EQ(CountText(r.spellings), std::to_string(c.spellings)) << c.reading;
        EXPECT_TRUE(r.ok()) << c.reading << "\n" << Failures(r);
        EXPECT_EQ(r.accepted, r.spellings) << c.reading;
    }
}

TEST(RomajiModel, AMissingGroupRowFailsWithTheSpellingThatShowsIt) {
    KeyTable keys = Good();
    std::vector<KeyRow> rows = keys.Rows();
    std::erase_if(rows, [](const KeyRow& r) { return r.item == Sj("っか"); });
    keys.SetRows(std::move(rows));
    const SpellingCheck r = Check(keys, "っか");
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(CountText(r.accepted), "1");
    ASSERT_FALSE(r.failures.empty());
    EXPECT_NE(r.failures[0].find("\"kka\", at key 1 ('k'): a mistype"), std::string::npos)
        << Failures(r);
}

TEST(RomajiModel, ACandidateThatIsAPrefixOfASpellingShutsItOut) {
    // With n for ん, "nn" completes ん at its first n and the second n is a mistype.
    KeyTable keys = Good();
    keys.AddRow({Sj("ん"), {"n"}});
    const SpellingCheck r = Check(keys, "んか");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(Failures(r).find("\"nnka\", at key 2 ('n'): a mistype"), std::string::npos)
        << Failures(r);
}

TEST(RomajiModel, ALineCompletedBeforeTheSpellingEndsIsAFailure) {
    const KeyTable keys = Keys({{"か", {"k"}}});
    const SpellingCheck r = Check(keys, "か");
    EXPECT_NE(Failures(r).find("the line is complete before the spelling ends"), std::string::npos)
        << Failures(r);
}

TEST(RomajiModel, ALoneNBeforeACommaIsAnExceptionNotAFailure) {
    const SpellingCheck r = Check(Good(), "ん、");
    EXPECT_TRUE(r.ok()) << Failures(r);
    EXPECT_EQ(CountText(r.spellings), "2");  // nn, and the lone n of "n,"
    EXPECT_EQ(CountText(r.inScope), "1");
    EXPECT_EQ(CountText(r.notStorable), "1");
    EXPECT_EQ(r.notStorableExample, "n,");
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(r.exceptions.begin()->first, "ん、 typed n,");
    EXPECT_EQ(r.exceptions.begin()->second, Exception::NotStorable);
}

TEST(RomajiModel, AChainOfMoreThanThreeCharactersIsAnException) {
    const SpellingCheck r = Check(Good(), "んっうぃ");
    EXPECT_TRUE(r.ok()) << Failures(r);
    EXPECT_EQ(CountText(r.longer), "1");
    EXPECT_EQ(r.longerExample, "nwwi");
    EXPECT_EQ(r.exceptions.count("んっうぃ typed nwwi"), 1u);
    // Everything else is typed: nnwwi, and n or nn, then xtu, then wi or uxi.
    EXPECT_EQ(CountText(r.inScope), "5");
    EXPECT_EQ(CountText(r.spellings), "6");
}

TEST(RomajiModel, AReadingNoSpellingGivesFailsTheCoverage) {
    Coverage c;
    c.Add(Check(Good(), "か漢"));  // nothing types a kanji, so nothing is checked
    EXPECT_FALSE(c.ok());
    ASSERT_EQ(c.failures.size(), 1u);
    EXPECT_EQ(c.failures[0], "か漢: no spelling of the romaji table gives it");
}

TEST(RomajiModel, UnitsKeepBothScriptsAndOnlyRulesWithoutPendingKeys) {
    const RomajiTable romaji = Romaji();
    const std::vector<RomajiUnit> units = romaji.Units();
    auto find = [&](const char* text) {
        return std::find_if(units.begin(), units.end(),
                            [&](const RomajiUnit& u) { return u.text == Sj(text); });
    };
    ASSERT_NE(find("キャ"), units.end());
    EXPECT_TRUE(find("キャ")->katakana);
    EXPECT_FALSE(find("きゃ")->katakana);
    EXPECT_EQ(find("っ")->spellings, std::vector<std::string>{"xtu"});
    EXPECT_EQ(find("ん")->spellings, (std::vector<std::string>{"n", "nn"}));
    EXPECT_FALSE(find("、")->kana);

    const std::vector<std::string> seqs = UnitSequences(romaji, true);
    auto has = [&](const char* s) {
        return std::find(seqs.begin(), seqs.end(), Sj(s)) != seqs.end();
    };
    EXPECT_TRUE(has("きゃ"));
    EXPECT_TRUE(has("かき"));
    EXPECT_TRUE(has("ンか"));  // ン binds across scripts
    EXPECT_TRUE(has("ッき"));
    EXPECT_FALSE(has("かキ"));  // other kana do not
    EXPECT_TRUE(has("ん、"));
    EXPECT_TRUE(has("ん "));
}

TEST(RomajiModel, MalformedTablesAreRefusedWithTheirLine) {
    RomajiTable t;
    std::string error;
    EXPECT_FALSE(t.Load("ka\tか\nki\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(t.Load("ka\tか\tk\tx\n", error));
    EXPECT_FALSE(t.Load("k a\tか\n", error));
    EXPECT_FALSE(t.Load("", error));
}
