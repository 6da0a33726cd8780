// kotopa-tool make on MeCab with the IPA dictionary: known sentences with their phrases and
// readings, what is left out and reported, the box width, and the twelve delivered Acts
// made again from their written forms against their reviewed readings.
#include "actmake.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <regex>
#include <set>

#include "act.h"
#include "actcheck.h"
#include "alloc_count.h"
#include "delivered_keys.h"
#include "printers.h"
#include "test_util.h"
#include "textfile.h"
#include "tool_run.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;
using testutil::U8;
using testutil::Words;

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KOTOPA_SOURCE_DIR;

Analyzer& Mecab() {
    static std::unique_ptr<Analyzer> mecab = [] {
        std::string error;
        auto a = OpenMecab(DefaultDictionary(), error);
        if (!a) ADD_FAILURE() << error;
        return a;
    }();
    return *mecab;
}

std::string Places(const std::vector<Finding>& fs) {
    std::string s;
    for (const auto& f : fs)
        s += std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.message + "\n";
    return s;
}

// The pairs made of text, as "written / reading" lines in UTF-8.
std::string Pairs(const MadeAct& act) {
    std::string s;
    for (const auto& p : act.pairs) s += U8(p.written) + " / " + U8(p.reading) + "\n";
    return s;
}

MadeAct Make(const std::string& text) {
    return MakeAct(text, Mecab(), DeliveredKeys(), {"title", "comment"});
}

}  // namespace

TEST(MakeAct, KnownSentencesGiveTheirPhrasesAndReadings) {
    struct Case {
        const char* text;
        const char* pairs;
    };
    const Case cases[] = {
        {"今日は良い天気です。", "今日は 良い 天気です。 / きょうは よい てんきです。\n"},
        // Digits and Latin letters are typed as they are written; a counter takes its reading.
        {"2024年にＡＢＣ社ができた。",
         "2024年に ＡＢＣ社が できた。 / 2024ねんに ＡＢＣしゃが できた。\n"},
        {"コーヒーを飲んだ。", "コーヒーを 飲んだ。 / こーひーを のんだ。\n"},
        // Compound nouns, a verbal noun with する, and an auxiliary verb after て.
        {"門に「立入禁止」と書いてある。",
         "門に 「立入禁止」と 書いて ある。 / もんに 「たちいりきんし」と かいて ある。\n"},
        {"毎日勉強する。", "毎日 勉強する。 / まいにち べんきょうする。\n"},
        // Readings given in the text, for the kanji before the bracket or from the bar.
        {"一人[ひとり]の少年が|入り口[イリグチ]に立つ。",
         "一人の 少年が 入り口に 立つ。 / ひとりの しょうねんが いりぐちに たつ。\n"},
        // Half-width katakana become full-width; a word with ヴ keeps its katakana.
        {"ｶﾞｲﾄﾞとヴァイオリン。", "ガイドと ヴァイオリン。 / がいどと ヴァイオリン。\n"},
        // A blank in the text parts phrases and is not kept.
        {"New York　へ行く。", "New York へ 行く。 / New York へ いく。\n"},
    };
    for (const auto& c : cases) {
        const MadeAct act = Make(c.text);
        EXPECT_EQ(Pairs(act), c.pairs) << c.text << "\n" << Places(act.findings);
        EXPECT_TRUE(act.findings.empty()) << c.text << "\n" << Places(act.findings);
    }
}

TEST(MakeAct, LongSentencesAreCutToTheBoxAtACommaOrBetweenPhrases) {
    // 。！？ and line ends cut sentences, but not inside brackets; a closing bracket after a
    // sentence end cuts when another bracket or a blank follows.
    EXPECT_EQ(Pairs(Make("「行こう。」と彼は言った。本当？\nはい「うん。」「よし！」")),
              "「行こう。」と 彼は 言った。 / 「いこう。」と かれは いった。\n"
              "本当？ / ほんとう？\n"
              "はい 「うん。」 / はい 「うん。」\n"
              "「よし！」 / 「よし！」\n");
    // Wider than the box with its marker: cut at the last 、 that fits, then into lines of
    // about even width.
    const MadeAct comma = Make("雨が降っていたので、私たちは出かけるのをやめて家にいた。");
    EXPECT_EQ(Pairs(comma),
              "雨が 降って いたので、 / あめが ふって いたので、\n"
              "私たちは 出かけるのを / わたしたちは でかけるのを\n"
              "やめて 家に いた。 / やめて いえに いた。\n");
    // No comma: between phrases, and every line fits the box with the line-end marker.
    const MadeAct phrases =
        Make("どこで生れたかとんと見当がつかぬ薄暗い所でニャーニャー泣いていた。");
    ASSERT_GE(phrases.pairs.size(), 2u) << Pairs(phrases);
    for (const auto& p : phrases.pairs) {
        EXPECT_LE(p.written.size() + 2, 2u * kKanjiBoxChars) << U8(p.written);
        EXPECT_EQ(std::count(p.written.begin(), p.written.end(), ' '),
                  std::count(p.reading.begin(), p.reading.end(), ' '))
            << U8(p.written);
    }
}

TEST(MakeAct, ALongLineWithoutPunctuationCostsWhatItsLengthCosts) {
    // A run of letters or kanji MeCab does not know cost it the square of the run: a 64 KiB
    // line of letters took 3 GB. Sentences are made in parts of at most 256 characters.
    const std::vector<std::pair<const char*, std::string>> lines = {
        {"letters", std::string(65536, 'a')},
        {"kanji",
         [] {
             std::string k;
             while (k.size() < 65536) k += "漢";
             return k;
         }()},
        {"words",
         [] {
             std::string k;
             while (k.size() < 65536) k += "日本語の文章を書いて";
             return k;
         }()},
    };
    for (const auto& [name, line] : lines) {
        const std::size_t before = testutil::AllocatedBytes();
        const MadeAct act = Make(line + "\n");
        const std::size_t used = testutil::AllocatedBytes() - before;
        EXPECT_TRUE(act.ok()) << name << ": " << act.refusal;
        EXPECT_LT(used, 100u << 20) << name << ": " << used << " bytes allocated";
        std::size_t written = 0;
        for (const auto& p : act.pairs) {
            EXPECT_LE(p.written.size() + 2, 2u * kKanjiBoxChars) << name << ": " << U8(p.written);
            written += p.written.size() - static_cast<std::size_t>(
                                              std::count(p.written.begin(), p.written.end(), ' '));
        }
        // Nothing of the line is lost at the cuts (a kanji is two bytes in Shift_JIS).
        EXPECT_EQ(written, name == std::string("letters") ? line.size() : line.size() / 3 * 2)
            << name;
    }
}

TEST(ReadSentences, ASentenceLongerThanAPartIsCutAtACommaAndKeepsItsReadings) {
    // 300 characters in one sentence: cut after the last 、 of the first 256, never inside
    // the reading given in brackets.
    std::string text;
    for (int i = 0; i < 25; ++i) text += "あいうえおかきくけ";  // 225
    text += "、";                                               // 226
    for (int i = 0; i < 29; ++i) text += "さ";                  // 255
    text += "|東京[とうきょう]";                                // 257 with its two kanji
    for (int i = 0; i < 43; ++i) text += "た";
    std::vector<Finding> findings;
    const std::vector<Sentence> s = ReadSentences(text, findings);
    ASSERT_EQ(s.size(), 2u) << Places(findings);
    EXPECT_EQ(s[0].chars.size(), 226u);
    EXPECT_EQ(s[0].chars.back().c, U'、');
    EXPECT_EQ(s[1].chars.front().column, 227);
    ASSERT_EQ(s[1].readings.size(), 1u);
    EXPECT_EQ(s[1].readings[0].begin, 29u);
    EXPECT_EQ(s[1].readings[0].end, 31u);
    EXPECT_EQ(s[1].readings[0].reading, U"とうきょう");
    // Without a comma or blank a part ends where kana and kanji meet, never inside a reading.
    std::string plain;
    for (int i = 0; i < 255; ++i) plain += "か";
    plain += "|東京[とうきょう]です";
    const std::vector<Sentence> p = ReadSentences(plain, findings);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].chars.size(), 255u);
    ASSERT_EQ(p[1].readings.size(), 1u);
    EXPECT_EQ(p[1].readings[0].begin, 0u);
}

TEST(MakeAct, WhatCannotBeWrittenIsReportedWithItsPlace) {
    const MadeAct act = Make(
        "猫が来た。\n"
        "羃犇が来た。\n"          // a kanji word MeCab does not know: left out
        "花😀が咲いた。\n"         // an emoji Shift_JIS lacks: dropped, the sentence kept
        "※注意して。\n"           // a sign the key table does not type: shown, not typed
        "雨[あめ が降る。\n"      // an unclosed reading
        "あめ[雨]が降る。|x\n");  // a reading that is not kana, a bar without a reading
    EXPECT_EQ(Places(act.findings),
              "2:1 \"羃犇\": no reading is known; give it in the text as 羃犇[よみ]; the sentence "
              "is left out\n"
              "3:2 \"😀\" (U+1F600) cannot be held in Shift_JIS: it is left out\n"
              "4:1 \"※\" (U+203B) is not typed with this key table: it is shown in the written "
              "form only\n"
              "5:2 \"[\" without \"]\": a reading in brackets ends on its line; the sentence is "
              "left out\n"
              "6:3 the reading in brackets holds \"雨\" (U+96E8): write it in kana; the sentence "
              "is left out\n"
              "6:10 \"|\" without a reading in brackets is ignored\n");
    EXPECT_EQ(Pairs(act),
              "猫が 来た。 / ねこが きた。\n"
              "花が 咲いた。 / はなが さいた。\n"
              "※注意して。 / ちゅういして。\n"
              "x / x\n");
    EXPECT_FALSE(act.ok()) << "four lines are too few for an Act";
    EXPECT_EQ(act.refusal, "the text gives 4 lines to type; an Act needs at least 5");
    EXPECT_EQ(act.Refusal(Language::Japanese),
              "打つ行が 4 行しかありません。Act には 5 行以上が要ります");
    EXPECT_TRUE(act.bytes.empty());
}

TEST(MakeAct, AReadingTheKeyTableCannotTypeLeavesItsSentenceOut) {
    KeyTable keys = DeliveredKeys();
    std::vector<KeyRow> rows = keys.Rows();
    std::erase_if(rows, [](const KeyRow& r) { return r.item.starts_with(Sj("ぬ")); });
    keys.SetRows(std::move(rows));
    const MadeAct act = MakeAct("猫が鳴く。犬が鳴く。", Mecab(), keys, {"t", ""});
    EXPECT_EQ(Pairs(act), "猫が 鳴く。 / ねこが なく。\n");
    EXPECT_EQ(Places(act.findings),
              "1:6 the key table cannot type \"ぬ\" of the reading \"いぬが なく。\"; the "
              "sentence is left out\n");
}

TEST(MakeAct, TheActPassesItsCheckAndHasTheHeaderGiven) {
    const MadeAct act = Make("犬が走る。猫が寝る。鳥が飛ぶ。魚が泳ぐ。馬が食べる。");
    ASSERT_TRUE(act.ok()) << act.refusal;
    const ActCheck check = CheckAct(act.bytes, &DeliveredKeys());
    EXPECT_TRUE(check.findings.empty()) << Places(check.findings);
    EXPECT_EQ(check.pairs, 5u);
    ASSERT_EQ(SplitLines(act.bytes).size(), 20u);
    EXPECT_EQ(SplitLines(act.bytes)[0], "title");
    EXPECT_EQ(SplitLines(act.bytes)[4], "comment");
    // Text that is not UTF-8 gives nothing, with the place.
    const MadeAct bad = Make("犬\n\xFF猫\n");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(Places(bad.findings), "2:1 bytes that are not UTF-8\n");
}

// ---- the delivered Acts made again ------------------------------------------------------

namespace {

// Readings compared as typed: without blanks and punctuation.
std::string Comparable(std::string text) {
    for (const std::string sign : {" ", "、", "。", "「", "」", "『", "』", "！", "？", "・"}) {
        for (std::size_t at; (at = text.find(sign)) != std::string::npos;)
            text.erase(at, sign.size());
    }
    return text;
}

std::string NoBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

std::size_t Chars(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Where the words of a written form end, in characters.
std::vector<std::size_t> Ends(const std::vector<std::string>& words) {
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    for (const auto& w : words) ends.push_back(at += Chars(w));
    return ends;
}

struct Agreement {
    std::size_t words = 0, agreed = 0;       // delivered words, and those whose reading agrees
    std::size_t boundaries = 0, shared = 0;  // delivered blanks, and those make also puts
};

// Compares one delivered pair with what make made of its written form. Over each stretch
// between the places where both put a blank the readings must be the same; every delivered
// word of a stretch that agrees counts as agreeing.
void Compare(const std::string& written, const std::string& reading, const std::string& madeWritten,
             const std::string& madeReading, Agreement& a) {
    const auto ours = Words(written), oursRead = Words(reading);
    const auto made = Words(madeWritten), madeRead = Words(madeReading);
    const auto ourEnds = Ends(ours), madeEnds = Ends(made);
    const std::set<std::size_t> madeSet(madeEnds.begin(), madeEnds.end());
    a.words += ours.size();
    a.boundaries += ours.size() - 1;
    for (std::size_t k = 0; k + 1 < ours.size(); ++k) a.shared += madeSet.count(ourEnds[k]);
    std::size_t o = 0, m = 0;
    while (o < ours.size()) {
        std::string ourText, madeText;
        std::size_t count = 0;
        do {
            ourText += oursRead[o++];
            ++count;
        } while (o < ours.size() && !madeSet.count(ourEnds[o - 1]));
        while (m < made.size() && madeEnds[m] <= ourEnds[o - 1]) madeText += madeRead[m++];
        if (Comparable(ourText) == Comparable(madeText)) a.agreed += count;
    }
}

}  // namespace

TEST(MakeAct, TheDeliveredActsMadeAgainAgreeWithTheirReviewedReadings) {
    const std::regex actFile("Act[0-9]+\\.txt");
    std::vector<fs::path> sources;
    for (const auto& e : fs::directory_iterator(kRoot / "data-src" / "ktp"))
        if (std::regex_match(e.path().filename().string(), actFile)) sources.push_back(e.path());
    std::sort(sources.begin(), sources.end());
    ASSERT_EQ(sources.size(), 12u);

    Agreement total;
    for (const auto& path : sources) {
        std::string bytes;
        ASSERT_EQ(ReadFileBytes(path, bytes, kActFileLimit), ReadStatus::Ok);
        // The pairs: the non-empty lines after the header, written form first. The text made
        // of them: each written form without its blanks, one a line.
        std::vector<std::string> body;
        int number = 0;
        ForEachLine(bytes, [&](std::string_view l) {
            if (++number > 5 && !l.empty()) body.emplace_back(l);
        });
        std::string text;
        for (std::size_t i = 0; i < body.size(); i += 2) text += NoBlanks(body[i]) + "\n";
        const MadeAct act = MakeAct(text, Mecab(), DeliveredKeys(), {path.stem().string(), ""});
        ASSERT_TRUE(act.ok()) << path.filename() << ": " << act.refusal << "\n"
                              << Places(act.findings);
        EXPECT_TRUE(act.findings.empty()) << path.filename() << "\n" << Places(act.findings);
        const ActCheck check = CheckAct(act.bytes, &DeliveredKeys());
        EXPECT_TRUE(check.findings.empty()) << path.filename() << "\n" << Places(check.findings);

        for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
            std::string madeWritten, madeReading;  // of the lines made of this written form
            for (const auto& p : act.pairs) {
                if (p.line != static_cast<int>(i / 2) + 1) continue;
                madeWritten += (madeWritten.empty() ? "" : " ") + U8(p.written);
                madeReading += (madeReading.empty() ? "" : " ") + U8(p.reading);
            }
            EXPECT_EQ(NoBlanks(madeWritten), NoBlanks(body[i])) << "make changed the written form";
            const std::size_t agreed = total.agreed;
            Compare(body[i], body[i + 1], madeWritten, madeReading, total);
            if (total.agreed - agreed < Words(body[i]).size())
                std::cout << path.stem().string() << ": " << body[i + 1] << "  <->  " << madeReading
                          << "\n";
        }
    }
    const double readings =
        100.0 * static_cast<double>(total.agreed) / static_cast<double>(total.words);
    const double blanks =
        100.0 * static_cast<double>(total.shared) / static_cast<double>(total.boundaries);
    std::printf(
        "delivered Acts made again: readings agree for %zu of %zu words (%.1f %%); "
        "%zu of %zu blanks in the same places (%.1f %%)\n",
        total.agreed, total.words, readings, total.shared, total.boundaries, blanks);
    EXPECT_GE(readings, 95.0);
}

// ---- the command ------------------------------------------------------------------------

namespace {

// A program folder: key/mykey.key (the delivered table) and ktp/.
struct Folder {
    testutil::TempDir dir;
    Folder() {
        fs::create_directories(dir / "key");
        fs::create_directories(dir / "ktp");
        fs::copy_file(kRoot / "data" / "key" / "mykey.key", dir / "key" / "mykey.key");
    }
    // The argument that names a file of the folder (UTF-8, as the tool takes its arguments).
    std::string Path(const std::string& name) const { return PathToUtf8(dir / name); }
};

const char* kFive = "犬が走る。猫が寝る。\n鳥が飛ぶ。魚が泳ぐ。馬が食べる。\n";

}  // namespace

TEST(MakeCommand, WritesACheckedActBesideTheKeyTableAndSaysSo) {
    Folder f;
    testutil::WriteBytes(f.dir / "ktp/動物.txt", kFive);
    const ToolRun r = Tool(
        {"make", f.Path("ktp/動物.txt"), "-o", f.Path("ktp/動物.ktp"), "--comment", "どうぶつ"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("動物.ktp: 5 lines"), std::string::npos) << r.out;
    const std::string act = testutil::ReadBytes(f.dir / "ktp/動物.ktp");
    const std::string header = Sj("動物\r\nどうぶつ\r\n\r\n動物\r\nどうぶつ\r\n");
    EXPECT_EQ(act.substr(0, header.size()), header);
    const ToolRun check = Tool({"check", f.Path("ktp/動物.ktp")});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(Tool({"make", "--help"}).status, 0);
}

TEST(MakeCommand, StatusOneWithFindingsTwoWhenNothingIsWritten) {
    Folder f;
    testutil::WriteBytes(f.dir / "ktp/a.txt", std::string(kFive) + "羃犇が来た。\n");
    const ToolRun findings = Tool({"make", f.Path("ktp/a.txt"), "-o", f.Path("ktp/a.ktp")});
    EXPECT_EQ(findings.status, 1);
    EXPECT_NE(findings.out.find("a.txt:3:1: \"羃犇\": no reading is known"), std::string::npos)
        << findings.out;
    EXPECT_TRUE(fs::exists(f.dir / "ktp/a.ktp"));

    // Too few lines for an Act: the old file stays as it was.
    testutil::WriteBytes(f.dir / "ktp/b.txt", "犬が走る。\n");
    testutil::WriteBytes(f.dir / "ktp/b.ktp", "old");
    const ToolRun few = Tool({"make", f.Path("ktp/b.txt"), "-o", f.Path("ktp/b.ktp")});
    EXPECT_EQ(few.status, 2);
    EXPECT_NE(few.err.find("an Act needs at least 5; nothing was written"), std::string::npos)
        << few.err;
    EXPECT_EQ(testutil::ReadBytes(f.dir / "ktp/b.ktp"), "old");

    // No key table to check the readings against.
    testutil::WriteBytes(f.dir / "c.txt", kFive);
    const ToolRun nokeys = Tool({"make", f.Path("c.txt"), "-o", f.Path("c.ktp")});
    EXPECT_EQ(nokeys.status, 2);
    EXPECT_NE(nokeys.err.find("give --keys KEYFILE"), std::string::npos) << nokeys.err;
    EXPECT_FALSE(fs::exists(f.dir / "c.ktp"));

    // A dictionary that is not there.
    const ToolRun nodic = Tool({"make", f.Path("c.txt"), "-o", f.Path("c.ktp"), "--keys",
                                f.Path("key/mykey.key"), "--dic", f.Path("none")});
    EXPECT_EQ(nodic.status, 2);
    EXPECT_NE(nodic.err.find("cannot open the dictionary"), std::string::npos) << nodic.err;
}

// The dictionary where a user's folder may be (C:\\Program Files, a Japanese name), and no
// mecabrc where MeCab would look for one (Windows has none; MECABRC names a file not there).
TEST(MakeCommand, ReadsADictionaryFolderWithABlankInItsNameAndNeedsNoMecabrc) {
    Folder f;
    const fs::path dic = f.dir / "辞書 フォルダ";
    fs::create_directories(dic);
    for (const char* name : {"dicrc", "sys.dic", "unk.dic", "matrix.bin", "char.bin"}) {
        const fs::path from = PathFromUtf8(DefaultDictionary()) / name;
        std::error_code ec;
        fs::create_hard_link(from, dic / name, ec);
        if (ec) fs::copy_file(from, dic / name);
    }
#ifdef _WIN32
    _putenv_s("MECABRC", "no-such-mecabrc");
#else
    setenv("MECABRC", "no-such-mecabrc", 1);
#endif
    std::string error;
    auto mecab = OpenMecab(PathToUtf8(dic), error);
    ASSERT_TRUE(mecab) << error;
    const std::vector<Morpheme> words = mecab->Analyze("猫が来た", {});
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].reading, "ネコ");

    testutil::WriteBytes(f.dir / "ktp/c.txt", kFive);
    const ToolRun made =
        Tool({"make", f.Path("ktp/c.txt"), "-o", f.Path("ktp/c.ktp"), "--dic", PathToUtf8(dic)});
#ifdef _WIN32
    _putenv_s("MECABRC", "");
#else
    unsetenv("MECABRC");
#endif
    EXPECT_EQ(made.status, 0) << made.out << made.err;
    EXPECT_TRUE(fs::exists(f.dir / "ktp/c.ktp"));
}

TEST(DecodeText, UnicodeWithABomAndShiftJisAreRecognised) {
    const std::string text = "猫が来た。";  // UTF-8
    std::string why;
    std::u16string u16 = u"猫が来た。";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const char16_t c : u16) {
        le += static_cast<char>(c & 0xFF);
        le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"UTF-8", text},         {"UTF-8 with its BOM", "\xEF\xBB\xBF" + text},
        {"UTF-16 LE", le},       {"UTF-16 BE", be},
        {"Shift_JIS", Sj(text)}, {"Shift_JIS after ASCII", "abc " + Sj(text)},
    };
    for (const auto& [name, bytes] : cases) {
        const auto decoded = DecodeText(bytes, why);
        ASSERT_TRUE(decoded) << name << ": " << why;
        EXPECT_EQ(*decoded, name == std::string("Shift_JIS after ASCII") ? "abc " + text : text)
            << name;
    }
    // UTF-8 with one broken byte stays UTF-8, so that making says where; bytes that are
    // neither are refused with the reason.
    const std::string broken = text + "\xFF" + text;
    EXPECT_EQ(DecodeText(broken, why), broken);
    why.clear();
    EXPECT_FALSE(DecodeText("ab\x81\xFF", why));
    EXPECT_NE(why.find("Shift_JIS"), std::string::npos);
}

TEST(CheckMadePair, AnEditedReadingIsCheckedOnItsOwnLine) {
    const KeyTable& keys = DeliveredKeys();
    EXPECT_TRUE(CheckMadePair({1, Sj("猫が 来た。"), Sj("ねこが きた。")}, keys).empty());
    // Out of step: two words written, one read.
    const auto step = CheckMadePair({1, Sj("猫が 来た。"), Sj("ねこがきた。")}, keys);
    ASSERT_EQ(step.size(), 1u);
    EXPECT_EQ(step[0].message, "the words are out of step: the written form has 2, the reading 1");
    EXPECT_EQ(step[0].Text(Language::Japanese), "語の数が合いません: 漢字は 2 語、読みは 1 語です");
    // A character the table does not type (a kanji in the reading).
    const auto kanji = CheckMadePair({1, Sj("猫が 来た。"), Sj("猫が きた。")}, keys);
    ASSERT_FALSE(kanji.empty());
    EXPECT_EQ(kanji[0].message, "the key table cannot type \"猫\"");
    EXPECT_EQ(kanji[0].Text(Language::Japanese), "このキー定義では「猫」を打てません");
    EXPECT_FALSE(CheckMadePair({1, Sj("猫"), ""}, keys).empty());
}

TEST(MakeAct, CancellingGivesBackNothing) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "猫が来た。\n";
    std::size_t calls = 0, lastTotal = 0;
    const MadeAct act = MakeAct(text, Mecab(), DeliveredKeys(), {"t", "c"},
                                [&](std::size_t done, std::size_t total) {
                                    ++calls;
                                    lastTotal = total;
                                    return done < 40;
                                });
    EXPECT_FALSE(act.ok());
    EXPECT_EQ(act.refusal, "cancelled");
    EXPECT_TRUE(act.bytes.empty());
    EXPECT_TRUE(act.pairs.empty());
    EXPECT_EQ(lastTotal, 100u);
    EXPECT_EQ(calls, 4u);  // at 0, 16, 32 and 48 sentences
    // Made through, the progress ends at the total.
    std::size_t last = 0;
    const MadeAct whole =
        MakeAct(text, Mecab(), DeliveredKeys(), {"t", "c"}, [&](std::size_t done, std::size_t) {
            last = done;
            return true;
        });
    EXPECT_TRUE(whole.ok()) << whole.refusal;
    EXPECT_EQ(last, 100u);
    // The pairs written again give the same Act; an edit the table cannot type is refused.
    std::string why;
    EXPECT_EQ(WriteMadeAct(whole.pairs, {"t", "c"}, DeliveredKeys(), why), whole.bytes) << why;
    std::vector<MadePair> edited = whole.pairs;
    edited[3].reading = Sj("猫が きた。");
    EXPECT_EQ(WriteMadeAct(edited, {"t", "c"}, DeliveredKeys(), why), "");
    EXPECT_NE(why.find("line"), std::string::npos) << why;
}
