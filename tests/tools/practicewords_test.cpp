// The words of the practice Act: a dictionary's common words read from its compiled file,
// and the practice Act of known records made of the delivered Acts against the delivered
// key table.
#include "practicewords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "act.h"
#include "actcheck.h"
#include "delivered_keys.h"
#include "morph.h"
#include "test_util.h"
#include "typing.h"
#include "typist.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;
using testutil::U8;

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KOTOPA_SOURCE_DIR;

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Token {
    int16_t cost;
    const char* feature;  // UTF-8
};

// A compiled dictionary of the tokens: header, a stand-in double array, tokens, features.
std::string SysDic(const std::vector<Token>& tokens, const char* charset = "UTF-8") {
    std::string features, table;
    for (const Token& t : tokens) {
        std::size_t at = features.find(std::string(t.feature) + '\0');
        if (at == std::string::npos) {
            at = features.size();
            features += std::string(t.feature) + '\0';
        }
        Put32(table, 0x00010001u);                                                 // context ids
        Put32(table, static_cast<uint32_t>(static_cast<uint16_t>(t.cost)) << 16);  // pos, cost
        Put32(table, static_cast<uint32_t>(at));
        Put32(table, 0);
    }
    const std::string array(16, '\0');
    const std::size_t size = 72 + array.size() + table.size() + features.size();
    std::string dic;
    Put32(dic, static_cast<uint32_t>(size) ^ 0xEF718F77u);
    for (uint32_t v : {102u, 0u, static_cast<uint32_t>(tokens.size()), 1u, 1u,
                       static_cast<uint32_t>(array.size()), static_cast<uint32_t>(table.size()),
                       static_cast<uint32_t>(features.size()), 0u})
        Put32(dic, v);
    std::string cs(32, '\0');
    cs.replace(0, std::string_view(charset).size(), charset);
    return dic + cs + array + table + features;
}

void WriteDic(const fs::path& folder, const std::string& bytes) {
    std::ofstream(folder / "sys.dic", std::ios::binary) << bytes;
}

const std::vector<Token> kTokens = {
    {3000, "名詞,一般,*,*,*,*,学校,ガッコウ,ガッコー"},  // ガ, not カ
    {1000, "名詞,一般,*,*,*,*,会社,カイシャ,カイシャ"},
    {10, "名詞,固有名詞,人名,姓,*,*,田中,タナカ,タナカ"},  // a proper noun
    {2000, "動詞,自立,*,*,五段・カ行イ音便,基本形,書く,カク,カク"},
    {100, "動詞,自立,*,*,五段・カ行イ音便,連用タ接続,書く,カイ,カイ"},  // inflected
    {5, "名詞,一般,*,*,*,*,ＡＢＣ,エービーシーカ,エービーシーカ"},      // not kanji or kana
    {500, "名詞,一般,*,*,*,*,赤,アカ,アカ"},
    {400, "名詞,一般,*,*,*,*,赤,アカ,アカ"},  // the same word again, commoner
    {300, "名詞,一般,*,*,*,*,歌,ウタ,ウタ"},  // no カ
    {200, "名詞,数,*,*,*,*,九,キュウカ,キュウカ"},
    {250, "名詞,一般,*,*,*,*,蚊,カ,カ"},  // one kana
};

TEST(DictionaryWords, CommonWordsHoldingTheKanaCommonestFirst) {
    testutil::TempDir dir;
    WriteDic(dir.path(), SysDic(kTokens));
    std::string error;
    const auto words = DictionaryWords(dir.path(), {"か"}, 10, error);
    EXPECT_EQ(error, "");
    std::string got;
    for (const PracticeWord& w : words) got += U8(w.written) + " " + U8(w.reading) + ", ";
    EXPECT_EQ(got, "赤 あか, 会社 かいしゃ, 書く かく, ");
    EXPECT_EQ(DictionaryWords(dir.path(), {"か"}, 2, error).size(), 2u);
    // 会社 for シ, 学校 and 歌 for ウ
    EXPECT_EQ(DictionaryWords(dir.path(), {"う", "し"}, 10, error).size(), 3u);
}

TEST(DictionaryWords, WhatIsNoDictionaryIsRefusedWithItsReason) {
    testutil::TempDir dir;
    std::string error;
    EXPECT_TRUE(DictionaryWords(dir.path(), {"か"}, 10, error).empty());
    EXPECT_NE(error, "");
    std::string bytes = SysDic(kTokens);
    for (const std::string& bad : {bytes.substr(0, bytes.size() - 1), "\x01" + bytes.substr(1),
                                   SysDic(kTokens, "EUC-JP"), std::string("short")}) {
        WriteDic(dir.path(), bad);
        error.clear();
        EXPECT_TRUE(DictionaryWords(dir.path(), {"か"}, 10, error).empty());
        EXPECT_NE(error, "");
    }
}

#if KOTOPA_HAVE_MECAB
TEST(DictionaryWords, TheInstalledIpaDictionaryGivesCommonWords) {
    std::string error;
    const auto words = DictionaryWords(DefaultDictionary(), {"か"}, 200, error);
    ASSERT_EQ(words.size(), 200u) << error;
    bool common = false;
    for (const PracticeWord& w : words) {
        EXPECT_NE(w.reading.find(Sj("か")), std::string::npos) << U8(w.reading);
        common = common || w.written == Sj("書く") || w.written == Sj("会社");
    }
    EXPECT_TRUE(common);
}
#endif

Weakness KaWeakest() {
    testutil::Typist t;
    for (int i = 0; i < 12; ++i) {
        t.Unit(Sj("か"), "ka", 2).Unit(Sj("き"), "ki", 1).Unit(Sj("う"), "u").LineEnd();
    }
    return AnalyseWeakness({t.Play()});
}

TEST(WeakPracticeAct, TheDeliveredActsGiveTypableLinesThatPassTheCheck) {
    const PracticeAct act =
        MakeWeakPracticeAct(KaWeakest(), kRoot / "data" / "ktp", {}, DeliveredKeys());
    ASSERT_TRUE(act.ok()) << U8(act.refusal);
    ASSERT_EQ(act.lines.size(), 24u);
    EXPECT_EQ(act.kana, (std::vector<std::string>{Sj("か"), Sj("き"), Sj("う")}));
    EXPECT_TRUE(CheckAct(act.bytes, &DeliveredKeys()).findings.empty());
    for (const PracticeLine& line : act.lines) {
        EXPECT_TRUE(UntypableCharacters(DeliveredKeys(), line.reading).empty());
        EXPECT_TRUE(HoldsKana(line.reading, line.kana));
    }
    EXPECT_EQ(MakeWeakPracticeAct(KaWeakest(), kRoot / "data" / "ktp", {}, DeliveredKeys()).bytes,
              act.bytes);
}

TEST(WeakPracticeAct, AKanaTheTableCannotTypeGetsNoLines) {
    KeyTable keys = DeliveredKeys();
    std::vector<KeyRow> rows;
    for (const KeyRow& r : keys.Rows()) {
        if (r.item.find(Sj("か")) == std::string::npos) rows.push_back(r);
    }
    keys.SetRows(rows);
    const PracticeAct act = MakeWeakPracticeAct(KaWeakest(), kRoot / "data" / "ktp", {}, keys);
    ASSERT_TRUE(act.ok()) << U8(act.refusal);
    EXPECT_EQ(act.kana, (std::vector<std::string>{Sj("き"), Sj("う")}));
    for (const PracticeLine& line : act.lines) {
        EXPECT_EQ(line.reading.find(Sj("か")), std::string::npos) << U8(line.reading);
    }
}

TEST(WeakPracticeAct, AnEmptyFolderAndNoDictionaryMakeNoAct) {
    testutil::TempDir dir;
    const PracticeAct act = MakeWeakPracticeAct(KaWeakest(), dir.path(), {}, DeliveredKeys());
    EXPECT_FALSE(act.ok());
    EXPECT_TRUE(act.bytes.empty());
    EXPECT_NE(U8(act.refusal).find("(0 語)"), std::string::npos);
}

}  // namespace
