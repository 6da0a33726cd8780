// The delivered key table and Acts: each is exactly what kotopa-tool makes of its source,
// and every spelling a common input method gives for every kana, every group, every pair
// of them and every reading of every Act types through the matcher.
#include <gtest/gtest.h>

#include <iostream>
#include <regex>
#include <set>

#include "act.h"
#include "actcheck.h"
#include "actfiles.h"
#include "kanakeys.h"
#include "keysource.h"
#include "printers.h"
#include "romaji.h"
#include "test_util.h"
#include "text.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;
namespace fs = std::filesystem;

namespace {

const fs::path kRoot = PathFromUtf8(KOTOPA_SOURCE_DIR);
const fs::path kKeySource = kRoot / "data-src" / "keys" / "mykey.txt";
const fs::path kKeyFile = kRoot / "data" / "key" / "mykey.key";
const fs::path kKanaSource = kRoot / "data-src" / "keys" / "mykana.txt";
const fs::path kKanaFile = kRoot / "data" / "key" / "mykana.key";

std::string Read(const fs::path& p) {
    if (!fs::exists(p)) ADD_FAILURE() << p << " is missing";
    return testutil::ReadBytes(p);
}

KeyTable LoadedFrom(const fs::path& keyFile) {
    KeyTable t;
    t.LoadKeyFile(keyFile);
    return t;
}

const KeyTable& Shipped() {
    static const KeyTable table = LoadedFrom(kKeyFile);
    return table;
}

const KeyTable& ShippedKana() {
    static const KeyTable table = LoadedFrom(kKanaFile);
    return table;
}

const RomajiTable* Romaji() {
    static RomajiTable table;
    static const bool ok = [] {
        std::string error;
        if (!fs::exists(KOTOPA_ROMAJI_TABLE)) return false;
        return table.Load(testutil::ReadBytes(KOTOPA_ROMAJI_TABLE), error);
    }();
    return ok ? &table : nullptr;
}

#define REQUIRE_ROMAJI()                                                       \
    const RomajiTable* romaji = Romaji();                                      \
    ASSERT_NE(romaji, nullptr) << "no romaji table at " << KOTOPA_ROMAJI_TABLE \
                               << "; configure with -DKOTOPA_ROMAJI_TABLE=path/to/romaji-ime.tsv"

std::set<std::string> Names(const fs::path& dir, const char* ext) {
    std::set<std::string> names;
    if (!fs::is_directory(dir)) return names;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.is_regular_file() && HasExtension(e.path(), ext))
            names.insert(PathToUtf8(e.path().stem()));
    }
    return names;
}

std::vector<std::string> Readings(const std::string& sjisAct) {
    ActScript script;
    EXPECT_EQ(script.Parse(sjisAct), ActRefusal::None);
    std::vector<std::string> readings;
    for (std::size_t i = 0; i < script.PairCount(); ++i) readings.emplace_back(script.Yomi(i));
    return readings;
}

std::string Show(const std::vector<Finding>& fs) {
    std::string s;
    for (const auto& f : fs)
        s += std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.message + "\n";
    return s;
}

// A delivered key file is exactly what its source builds, and the program loads the source's
// rows from it.
void ExpectFreshBuild(const fs::path& source, const fs::path& delivered, const KeyTable& loaded) {
    const std::string sourceName = PathToUtf8(source.filename());
    const std::string deliveredName = PathToUtf8(delivered.filename());
    std::vector<SourceError> errors;
    const KeySource src = ParseKeySource(Read(source), errors);
    for (const auto& e : errors) ADD_FAILURE() << sourceName << ":" << e.line << ": " << e.message;
    ASSERT_TRUE(errors.empty());
    testutil::TempDir dir;
    std::string error;
    ASSERT_TRUE(BuildKeyFile(src.table, dir / deliveredName, error)) << error;
    EXPECT_TRUE(testutil::ReadBytes(dir / deliveredName) == Read(delivered))
        << "data/key/" << deliveredName << " is not what data-src/keys/" << sourceName
        << " builds: run scripts/build-data.sh";
    EXPECT_EQ(loaded.Rows(), src.table.Rows());
}

// Every exception must be one of the kinds data-src/README.md lists, with its reason.
void ExpectOnlyDocumentedExceptions(const Coverage& c) {
    const std::regex documented[] = {
        // A lone n before 、 or a blank: the candidate would hold a comma or a blank.
        std::regex("^(ん|ン)(、| |　) typed n[, ]$"),
        // ‥ is typed z,: its one spelling holds a comma (also after っ and a lone n).
        std::regex("^(っ|ッ|ん|ン)?‥ typed (n|z)?z,$"),
        // A lone n before っう… typed with ww: four characters bound together.
        std::regex("^(ん|ン)(っ|ッ)(う|ウ)(ぁ|ぃ|ぇ|ぉ|ァ|ィ|ェ|ォ) typed nww(h?)(a|i|e|o)$"),
    };
    for (const auto& exception : c.exceptions) {
        const auto& chain = exception.first;
        const bool known =
            std::any_of(std::begin(documented), std::end(documented),
                        [&](const std::regex& r) { return std::regex_match(chain, r); });
        EXPECT_TRUE(known) << "an exception data-src/README.md does not list: " << chain;
    }
}

}  // namespace

TEST(DeliveredKeyTable, IsAFreshBuildOfItsSource) {
    ExpectFreshBuild(kKeySource, kKeyFile, Shipped());
}

TEST(DeliveredKeyTable, HasARowForEveryCharacterAReadingMayHold) {
    std::set<std::string> items;
    for (const auto& row : Shipped().Rows()) {
        if (!row.candidates.empty()) items.insert(row.item);
    }
    std::vector<std::string> wanted;
    auto add = [&](char16_t from, char16_t to) {
        for (char16_t c = from; c <= to; ++c)
            wanted.push_back(*Utf8ToSjis(Utf16ToUtf8(std::u16string(1, c))));
    };
    add(u'ぁ', u'ん');  // every hiragana Shift_JIS holds, small ones, ゐ and ゑ included
    add(u'ァ', u'ヶ');  // every katakana, ヴ ヵ ヶ included
    add(u'０', u'９');
    add(u'Ａ', u'Ｚ');
    add(u'ａ', u'ｚ');
    add(u'0', u'9');
    add(u'a', u'z');  // a row "a" also takes "A"
    for (const char* sign : {"ー", "、", "。", "「", "」", "『", "』", "・", "！", "？", "～", "…",
                             "（", "）", " ", "　", "\"", ",", "”"}) {
        wanted.push_back(Sj(sign));
    }
    for (const auto& w : wanted) EXPECT_TRUE(items.count(w)) << "no row for " << testutil::U8(w);

    // The seven sign rows a key file keeps as marks, each with its fixed key first.
    const std::vector<std::pair<std::string, std::string>> signs = {
        {"\"", "\""}, {",", ","},      {Sj("”"), "\""}, {Sj("、"), ","},
        {" ", " "},   {Sj("　"), " "}, {Sj("ね"), ","}};
    for (const auto& sign : signs) {
        const auto& item = sign.first;
        const auto& key = sign.second;
        const bool found =
            std::any_of(Shipped().Rows().begin(), Shipped().Rows().end(), [&](const KeyRow& r) {
                return r.item == item && !r.candidates.empty() && r.candidates.front() == key;
            });
        EXPECT_TRUE(found) << "no sign row for " << testutil::U8(item);
    }
}

TEST(ReferenceSpellings, EveryKanaAndGroupTypes) {
    REQUIRE_ROMAJI();
    Coverage c;
    for (const auto& seq : UnitSequences(*romaji, false))
        c.Add(CheckSpellings(*romaji, Shipped(), seq));
    std::cout << "key table rows: " << Shipped().Rows().size() << "\nkana and groups:\n"
              << c.Summary();
    EXPECT_TRUE(c.ok()) << c.Summary();
    ExpectOnlyDocumentedExceptions(c);
}

TEST(ReferenceSpellings, EveryPairOfKanaAndGroupsTypes) {
    REQUIRE_ROMAJI();
    Coverage c;
    for (const auto& seq : UnitSequences(*romaji, true))
        c.Add(CheckSpellings(*romaji, Shipped(), seq));
    std::cout << "kana, groups and pairs of them:\n" << c.Summary();
    EXPECT_TRUE(c.ok()) << c.Summary();
    ExpectOnlyDocumentedExceptions(c);
}

TEST(ReferenceSpellings, EveryReadingOfTheSampleActTypes) {
    REQUIRE_ROMAJI();
    const Converted act = ActTextToSjis(Read(kRoot / "tests" / "data" / "sample-act.txt"));
    ASSERT_TRUE(act.ok()) << Show(act.problems);
    const ActCheck check = CheckAct(act.bytes, &Shipped());
    EXPECT_TRUE(check.findings.empty()) << Show(check.findings);
    Coverage c;
    for (const auto& r : Readings(act.bytes)) c.Add(CheckSpellings(*romaji, Shipped(), r));
    EXPECT_TRUE(c.ok()) << c.Summary();
    EXPECT_GT(c.longer + c.notStorable, 0u) << "the sample holds a lone n before a blank";
    ExpectOnlyDocumentedExceptions(c);
}

TEST(DeliveredActs, EachIsTheImportOfItsSource) {
    const std::set<std::string> sources = Names(kRoot / "data-src" / "ktp", ".txt");
    const std::set<std::string> shipped = Names(kRoot / "data" / "ktp", ".ktp");
    if (sources.empty() && shipped.empty())
        GTEST_SKIP() << "no Acts in data-src/ktp or data/ktp yet";
    for (const auto& name : shipped) {
        EXPECT_TRUE(sources.count(name))
            << "data/ktp/" << name << ".ktp has no source data-src/ktp/" << name << ".txt";
    }
    for (const auto& name : sources) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(shipped.count(name))
            << "data-src/ktp/" << name << ".txt is not built: run scripts/build-data.sh";
        const Converted c = ActTextToSjis(Read(kRoot / "data-src" / "ktp" / (name + ".txt")));
        ASSERT_TRUE(c.ok()) << Show(c.problems);
        EXPECT_TRUE(c.bytes == Read(kRoot / "data" / "ktp" / (name + ".ktp")))
            << "data/ktp/" << name << ".ktp differs from its source: run scripts/build-data.sh";
    }
}

TEST(DeliveredActs, EveryReadingTypesWithTheDeliveredKeyTable) {
    REQUIRE_ROMAJI();
    const std::set<std::string> shipped = Names(kRoot / "data" / "ktp", ".ktp");
    if (shipped.empty()) GTEST_SKIP() << "no Acts in data/ktp yet";
    Coverage all;
    for (const auto& name : shipped) {
        SCOPED_TRACE(name);
        const std::string bytes = Read(kRoot / "data" / "ktp" / (name + ".ktp"));
        // What kotopa-tool check reports: refusals, bad bytes, spaces, untypable characters.
        const ActCheck check = CheckAct(bytes, &Shipped());
        EXPECT_TRUE(check.findings.empty()) << Show(check.findings);
        Coverage c;
        for (const auto& r : Readings(bytes)) c.Add(CheckSpellings(*romaji, Shipped(), r));
        EXPECT_TRUE(c.ok()) << c.Summary();
        all.sequences += c.sequences;
        all.spellings = AddCounts(all.spellings, c.spellings);
        all.inScope = AddCounts(all.inScope, c.inScope);
        all.accepted = AddCounts(all.accepted, c.accepted);
        all.longer = AddCounts(all.longer, c.longer);
        all.notStorable = AddCounts(all.notStorable, c.notStorable);
        all.exceptions.insert(c.exceptions.begin(), c.exceptions.end());
    }
    std::cout << "readings of the delivered Acts:\n" << all.Summary();
    ExpectOnlyDocumentedExceptions(all);
}

TEST(DeliveredKanaTable, IsAFreshBuildOfItsSource) {
    ExpectFreshBuild(kKanaSource, kKanaFile, ShippedKana());
}

// Every kana that has a key, typed by key position: each candidate is keys of the kana
// keyboard, and its key tops spell the item (a voiced kana as its kana and ゛ or ゜).
TEST(DeliveredKanaTable, TypesEveryKanaWithTheKeysPrintedOnIt) {
    const KeyTable& kana = ShippedKana();
    ASSERT_TRUE(kana.Rules().IsCaseSensitive());
    std::map<std::string, std::string> first;
    for (const auto& row : kana.Rows()) {
        ASSERT_FALSE(row.candidates.empty()) << testutil::U8(row.item);
        first.emplace(row.item, row.candidates.front());
        for (const char c : row.candidates.front()) {
            const auto keys = KanaKeys();
            EXPECT_TRUE(
                std::any_of(keys.begin(), keys.end(),
                            [&](const KanaKey& k) { return k.key == c || k.shiftKey == c; }))
                << testutil::U8(row.item) << ": not a kana key";
        }
    }
    std::vector<std::string> wanted;
    for (char16_t c = u'ぁ'; c <= u'ん'; ++c) {
        if (c == u'ゎ' || c == u'ゐ' || c == u'ゑ') continue;  // no key gives them
        wanted.push_back(Utf16ToUtf8(std::u16string(1, c)));
    }
    for (const char* sign : {"ヴ", "ー", "、", "。", "「", "」", "・", "！", "？", " ", "　"})
        wanted.emplace_back(sign);
    for (const auto& w : wanted) {
        const auto found = first.find(Sj(w));
        ASSERT_NE(found, first.end()) << "no row for " << w;
        const std::string tops = testutil::U8(KanaKeyTops(found->second));
        // The key tops are the item itself, or the unvoiced kana before ゛ or ゜.
        const std::u16string item = Utf8ToUtf16(w);
        const std::u16string typed = Utf8ToUtf16(tops);
        if (typed.size() == 2 && (typed[1] == u'゛' || typed[1] == u'゜')) {
            const int step = typed[1] == u'゛' ? 1 : 2;
            if (item == u"ヴ") {
                EXPECT_EQ(typed, u"う゛");
            } else {
                EXPECT_EQ(static_cast<int>(item[0]) - static_cast<int>(typed[0]), step) << w;
            }
        } else if (w == "　") {
            EXPECT_EQ(tops, " ");
        } else {
            EXPECT_EQ(tops, w);
        }
    }
}

TEST(DeliveredActs, EveryReadingTypesWithTheDeliveredKanaTable) {
    const std::set<std::string> shipped = Names(kRoot / "data" / "ktp", ".ktp");
    if (shipped.empty()) GTEST_SKIP() << "no Acts in data/ktp yet";
    for (const auto& name : shipped) {
        SCOPED_TRACE(name);
        const ActCheck check =
            CheckAct(Read(kRoot / "data" / "ktp" / (name + ".ktp")), &ShippedKana());
        EXPECT_TRUE(check.findings.empty()) << Show(check.findings);
    }
}
