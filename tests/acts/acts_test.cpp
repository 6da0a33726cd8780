// The Acts we ship are written as UTF-8 sources (data-src/ktp/ActNN.txt) and turned into
// Shift_JIS .ktp files by kotopa-tool. These tests hold the sources to what the program and
// its users need: the Act layout as the program reads it, characters that Shift_JIS holds,
// readings that contain only what can be typed, written forms and readings split into the
// same words, and readings that agree with MeCab's reading of the written form, or whose
// disagreement has been reviewed and written down in mecab-reviewed.tsv.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "act.h"
#include "sjiscodec.h"
#include "test_util.h"
#include "textfile.h"

namespace fs = std::filesystem;
using kotopa::ActRefusal;
using kotopa::ActScript;

namespace {

const fs::path kSourceDir = KOTOPA_ACT_SOURCES;
const fs::path kReviewedList = kSourceDir / "mecab-reviewed.tsv";

constexpr int kMinActs = 12;           // Act01 to Act12 at least, so "next Act" leads through them
constexpr std::size_t kMinPairs = 20;  // pairs in every Act

// Room on screen, in Shift_JIS bytes (a full-width character takes two). The upcoming-lines
// memo is narrow; the written-form and reading boxes hold about 18 full-width characters;
// the memo cuts a written form longer than 46 bytes and adds " ...".
constexpr std::size_t kMemoHeaderBytes = 40;
constexpr std::size_t kBoxHeaderBytes = 36;
constexpr std::size_t kWrittenBytes = 46;
constexpr std::size_t kReadingBytes = 64;

// ---- text helpers ----------------------------------------------------------------------

using kotopa::Utf32ToUtf8;
using kotopa::Utf8ToUtf32;
using testutil::Words;

// Bytes of UTF-8 text in Shift_JIS, with "?" for what it cannot hold (reported on its own).
std::size_t SjisLength(std::string_view utf8) {
    return kotopa::SjisFromUtf8Lossy(utf8).size();
}

std::string WithoutSpaces(std::string_view line) {
    std::string out;
    for (const char c : line)
        if (c != ' ') out += c;
    return out;
}

bool IsHiragana(char32_t c) {
    return c >= U'ぁ' && c <= U'ん';
}
bool IsKatakana(char32_t c) {
    return c >= U'ァ' && c <= U'ヶ';
}

// Punctuation and blanks that readings keep from the written form but that are not part of
// what MeCab reads.
bool IsSign(char32_t c) {
    static const std::u32string_view signs = U"、。「」『』！？・ 　";
    return signs.find(c) != std::u32string_view::npos;
}

// What a reading types, without punctuation and blanks; katakana become hiragana (ヴ, ヵ
// and ヶ become ゔ, ゕ and ゖ) and the long-vowel mark ー stays as it is.
std::u32string Comparable(std::u32string_view reading) {
    std::u32string out;
    for (char32_t c : reading) {
        if (IsSign(c)) continue;
        if (IsKatakana(c)) c -= 0x60;
        out.push_back(c);
    }
    return out;
}

std::string ShellQuote(std::string_view s) {
    std::string out = "'";
    for (const char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// ---- the Act sources ---------------------------------------------------------------------

struct SourceLine {
    int number = 0;  // from 1, as an editor counts
    std::string text;
};

struct Pair {
    SourceLine written, reading;
};

struct ActSource {
    std::string name;  // Act01
    fs::path path;
    std::string bytes;
    std::vector<SourceLine> lines;  // every line, as the program splits them
    std::vector<SourceLine> body;   // the non-empty lines after the header
    std::vector<Pair> pairs;

    std::string Where(int line) const { return name + ".txt:" + std::to_string(line); }
};

std::vector<ActSource> LoadActs() {
    std::vector<ActSource> acts;
    std::error_code ec;
    const std::regex actFile("Act[0-9]+\\.txt");
    for (const auto& entry : fs::directory_iterator(kSourceDir, ec)) {
        const std::string file = entry.path().filename().string();
        if (!std::regex_match(file, actFile)) continue;
        ActSource act;
        act.name = entry.path().stem().string();
        act.path = entry.path();
        if (kotopa::ReadFileBytes(act.path, act.bytes, kotopa::kActFileLimit) !=
            kotopa::ReadStatus::Ok)
            continue;
        int number = 0;
        kotopa::ForEachLine(act.bytes, [&](std::string_view line) {
            act.lines.push_back({++number, std::string(line)});
        });
        for (std::size_t i = 5; i < act.lines.size(); ++i)
            if (!act.lines[i].text.empty()) act.body.push_back(act.lines[i]);
        for (std::size_t i = 0; i + 1 < act.body.size(); i += 2)
            act.pairs.push_back({act.body[i], act.body[i + 1]});
        acts.push_back(std::move(act));
    }
    std::sort(acts.begin(), acts.end(),
              [](const ActSource& a, const ActSource& b) { return a.name < b.name; });
    return acts;
}

const std::vector<ActSource>& Acts() {
    static const std::vector<ActSource> acts = LoadActs();
    return acts;
}

// ---- MeCab -------------------------------------------------------------------------------

struct Morpheme {
    std::u32string surface, reading;
};

struct MecabRun {
    std::string error;                         // empty when MeCab read every line
    std::vector<std::vector<Morpheme>> lines;  // one entry per input line
};

// Runs MeCab once over all lines (which must not contain line ends) and returns each line's
// morphemes with their readings; words MeCab does not know are read as they are written.
MecabRun RunMecab(const std::vector<std::string>& lines) {
    MecabRun run;
    std::string input;
    for (const auto& line : lines) input += line + "\n";

    std::string tempPath = (fs::temp_directory_path() / "kotopa-acts-XXXXXX").string();
    const int fd = mkstemp(tempPath.data());
    if (fd < 0) {
        run.error = "cannot create a temporary file for MeCab's input";
        return run;
    }
    const bool written =
        write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
    close(fd);
    if (!written) {
        fs::remove(tempPath);
        run.error = "cannot write MeCab's input";
        return run;
    }

    const std::string command = ShellQuote(KOTOPA_MECAB) + " -d " + ShellQuote(KOTOPA_MECAB_DIC) +
                                " -F '%m\\t%f[7]\\n' -U '%m\\t%m\\n' -E 'EOS\\n' < " +
                                ShellQuote(tempPath);
    std::string output;
    int status = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        status = pclose(pipe);
    }
    fs::remove(tempPath);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.error = "MeCab failed (" + command +
                    "); it and its IPA dictionary come from the Debian packages mecab and "
                    "mecab-ipadic-utf8, and KOTOPA_MECAB_DIC names the dictionary folder";
        return run;
    }

    std::vector<Morpheme> current;
    kotopa::ForEachLine(output, [&](std::string_view line) {
        if (line == "EOS") {
            run.lines.push_back(std::move(current));
            current.clear();
            return;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            run.error = "unexpected MeCab output: " + std::string(line);
            return;
        }
        current.push_back({Utf8ToUtf32(line.substr(0, tab)), Utf8ToUtf32(line.substr(tab + 1))});
    });
    if (run.error.empty() && run.lines.size() != lines.size())
        run.error = "MeCab answered " + std::to_string(run.lines.size()) + " lines for " +
                    std::to_string(lines.size());
    for (std::size_t i = 0; run.error.empty() && i < lines.size(); ++i) {
        std::u32string surfaces;
        for (const auto& m : run.lines[i]) surfaces += m.surface;
        if (surfaces != Utf8ToUtf32(lines[i]))
            run.error = "MeCab's words do not make up the line " + lines[i];
    }
    return run;
}

// MeCab's reading of every written form (spaces removed), in the order of Acts() and pairs.
const MecabRun& MecabOfWrittenForms() {
    static const MecabRun run = [] {
        std::vector<std::string> lines;
        for (const auto& act : Acts())
            for (const auto& pair : act.pairs) lines.push_back(WithoutSpaces(pair.written.text));
        return RunMecab(lines);
    }();
    return run;
}

std::u32string ReadingOf(const std::vector<Morpheme>& morphemes) {
    std::u32string reading;
    for (const auto& m : morphemes) reading += m.reading;
    return reading;
}

// A written form whose reading differs from MeCab's: both readings as compared.
struct Mismatch {
    std::string act;
    int line = 0;
    std::string written;
    std::string mecab;
    std::string ours;

    auto Key() const { return std::tie(act, line, written, mecab, ours); }
    bool operator<(const Mismatch& o) const { return Key() < o.Key(); }
    bool operator==(const Mismatch& o) const { return Key() == o.Key(); }
    std::string Row() const {
        return act + "\t" + std::to_string(line) + "\t" + written + "\t" + mecab + "\t" + ours;
    }
};

struct Reviewed {
    Mismatch mismatch;
    std::string reason;
    int listLine = 0;
};

// The reviewed list: a tab-separated file with the columns Act, line, written form, MeCab's
// reading, our reading and the reason. Lines that start with # and empty lines are notes.
std::vector<Reviewed> LoadReviewed() {
    std::vector<Reviewed> list;
    std::string bytes;
    if (kotopa::ReadFileBytes(kReviewedList, bytes, 16 * kotopa::kMiB) != kotopa::ReadStatus::Ok) {
        ADD_FAILURE() << "cannot read " << kReviewedList;
        return list;
    }
    int number = 0;
    kotopa::ForEachLine(bytes, [&](std::string_view line) {
        ++number;
        if (line.empty() || line[0] == '#') return;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.emplace_back(line.substr(start, tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        const std::string where = "mecab-reviewed.tsv:" + std::to_string(number);
        if (fields.size() != 6) {
            ADD_FAILURE() << where << ": " << fields.size() << " fields, not 6 (Act, line, "
                          << "written form, MeCab, ours, reason)";
            return;
        }
        int sourceLine = 0;
        try {
            sourceLine = std::stoi(fields[1]);
        } catch (const std::exception&) {
            ADD_FAILURE() << where << ": the line \"" << fields[1] << "\" is not a number";
            return;
        }
        if (fields[5].empty()) ADD_FAILURE() << where << ": no reason given";
        list.push_back(
            {{fields[0], sourceLine, fields[2], fields[3], fields[4]}, fields[5], number});
    });
    return list;
}

// ---- the sources -------------------------------------------------------------------------

TEST(ActSources, AreNumberedFromAct01WithoutGaps) {
    const auto& acts = Acts();
    ASSERT_GE(acts.size(), static_cast<std::size_t>(kMinActs)) << "in " << kSourceDir;
    for (std::size_t i = 0; i < acts.size(); ++i) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "Act%02zu", i + 1);
        EXPECT_EQ(acts[i].name, expected) << "the result dialog leads from each Act to the "
                                             "next number, so the numbers must not skip";
    }
}

TEST(ActSources, AreUtf8TextThatShiftJisHolds) {
    for (const auto& act : Acts()) {
        EXPECT_FALSE(act.bytes.starts_with("\xEF\xBB\xBF")) << act.name << ": byte-order mark";
        EXPECT_EQ(act.bytes.find('\0'), std::string::npos) << act.name << ": NUL byte";
        for (const auto& line : act.lines) {
            if (kotopa::FirstInvalidUtf8(line.text) != std::string::npos) {
                ADD_FAILURE() << act.Where(line.number) << ": not valid UTF-8";
                continue;
            }
            const std::u32string text = Utf8ToUtf32(line.text);
            for (std::size_t col = 0; col < text.size(); ++col)
                if (text[col] < 0x20 || text[col] == 0x7F)
                    ADD_FAILURE() << act.Where(line.number) << ":" << col + 1
                                  << ": control character " << static_cast<int>(text[col]);
            const kotopa::SjisEncoding sjis = kotopa::SjisFromUtf8(line.text);
            if (!sjis.ok()) {
                const std::string_view before(line.text.data(),
                                              static_cast<std::size_t>(sjis.badIndex));
                const std::size_t col = Utf8ToUtf32(before).size();
                ADD_FAILURE() << act.Where(line.number) << ":" << col + 1 << ": "
                              << Utf32ToUtf8(text.substr(col, 1))
                              << " has no Shift_JIS (CP932) form";
            }
        }
    }
}

// Converted to Shift_JIS, each source must be an Act the program loads, with the header and
// the pairs that the sources' own reading here gives (which the other checks rely on).
TEST(ActSources, LoadAsTheProgramReadsThem) {
    for (const auto& act : Acts()) {
        const kotopa::SjisEncoding sjis = kotopa::SjisFromUtf8(act.bytes);
        if (!sjis.ok()) continue;  // reported with its place above
        ActScript script;
        ASSERT_EQ(script.Parse(sjis.bytes), ActRefusal::None) << act.name;
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(script.header[i], kotopa::SjisFromUtf8Lossy(act.lines[i].text))
                << act.name << " header line " << i + 1;
        ASSERT_EQ(script.PairCount(), act.pairs.size()) << act.name;
        for (std::size_t i = 0; i < act.pairs.size(); ++i) {
            EXPECT_EQ(script.Kanji(i), kotopa::SjisFromUtf8Lossy(act.pairs[i].written.text))
                << act.Where(act.pairs[i].written.number);
            EXPECT_EQ(script.Yomi(i), kotopa::SjisFromUtf8Lossy(act.pairs[i].reading.text))
                << act.Where(act.pairs[i].reading.number);
        }
        EXPECT_GE(act.pairs.size(), kMinPairs) << act.name;
    }
}

TEST(ActSources, HeaderNamesTheActAndFitsWhereItIsShown) {
    for (const auto& act : Acts()) {
        ASSERT_GE(act.lines.size(), 5u) << act.name;
        EXPECT_TRUE(act.lines[0].text.starts_with(act.name + " "))
            << act.Where(1) << ": the first line names the Act (\"" << act.name << " ...\"), not \""
            << act.lines[0].text << "\"";
        for (int i : {0, 1, 3, 4})
            EXPECT_FALSE(act.lines[i].text.empty()) << act.Where(i + 1) << ": empty header line";
        for (int i = 0; i < 5; ++i) {
            const std::size_t limit = i < 3 ? kMemoHeaderBytes : kBoxHeaderBytes;
            EXPECT_LE(SjisLength(act.lines[i].text), limit)
                << act.Where(i + 1) << ": \"" << act.lines[i].text << "\" is too wide";
        }
    }
}

// Each space typed in the reading drops one word of the written form, so both lines must
// have the same number of words, and no word may be empty.
TEST(ActSources, WrittenFormAndReadingSplitIntoTheSameWords) {
    for (const auto& act : Acts()) {
        for (const auto& [written, reading] : act.pairs) {
            const auto kanjiWords = Words(written.text);
            const auto yomiWords = Words(reading.text);
            EXPECT_EQ(kanjiWords.size(), yomiWords.size())
                << act.Where(written.number) << ": \"" << written.text << "\" and \""
                << reading.text << "\" have different numbers of words";
            for (const auto* line : {&written, &reading}) {
                for (const auto& word : Words(line->text))
                    EXPECT_FALSE(word.empty())
                        << act.Where(line->number) << ": leading, trailing or doubled space in \""
                        << line->text << "\"";
                // The program also drops a word at a full-width blank.
                EXPECT_EQ(line->text.find("　"), std::string::npos)
                    << act.Where(line->number) << ": full-width blank in \"" << line->text
                    << "\"; words are split with half-width spaces";
            }
        }
    }
}

TEST(ActSources, ReadingsHoldOnlyWhatIsTyped) {
    static const std::u32string_view signs = U"ー、。「」『』！？・ ";
    for (const auto& act : Acts()) {
        for (const auto& [written, reading] : act.pairs) {
            const std::u32string text = Utf8ToUtf32(reading.text);
            for (std::size_t col = 0; col < text.size(); ++col) {
                const char32_t c = text[col];
                if (IsHiragana(c) || IsKatakana(c) || signs.find(c) != std::u32string_view::npos)
                    continue;
                ADD_FAILURE() << act.Where(reading.number) << ":" << col + 1 << ": "
                              << Utf32ToUtf8(std::u32string(1, c)) << " in the reading \""
                              << reading.text << "\"";
            }
        }
    }
}

TEST(ActSources, LinesFitTheirBoxes) {
    for (const auto& act : Acts()) {
        for (const auto& [written, reading] : act.pairs) {
            EXPECT_LE(SjisLength(written.text), kWrittenBytes)
                << act.Where(written.number) << ": \"" << written.text << "\" is too long";
            EXPECT_LE(SjisLength(reading.text), kReadingBytes)
                << act.Where(reading.number) << ": \"" << reading.text << "\" is too long";
        }
    }
}

TEST(ActSources, NoSentenceIsGivenTwice) {
    std::map<std::string, std::string> seen;  // written form without spaces -> where
    for (const auto& act : Acts()) {
        for (const auto& pair : act.pairs) {
            const std::string key = WithoutSpaces(pair.written.text);
            const std::string where = act.Where(pair.written.number);
            const auto [it, fresh] = seen.emplace(key, where);
            EXPECT_TRUE(fresh) << where << ": \"" << pair.written.text << "\" is also at "
                               << it->second;
        }
    }
}

// ---- the readings against MeCab ----------------------------------------------------------

TEST(MecabReadings, AgreeWithTheActsOrAreReviewed) {
    const MecabRun& mecab = MecabOfWrittenForms();
    ASSERT_EQ(mecab.error, "");

    std::set<Mismatch> found;
    std::size_t index = 0, checked = 0;
    for (const auto& act : Acts()) {
        for (const auto& pair : act.pairs) {
            const std::u32string theirs = Comparable(ReadingOf(mecab.lines[index++]));
            const std::u32string ours = Comparable(Utf8ToUtf32(pair.reading.text));
            ++checked;
            if (theirs != ours)
                found.insert({act.name, pair.written.number, pair.written.text, Utf32ToUtf8(theirs),
                              Utf32ToUtf8(ours)});
        }
    }

    const std::vector<Reviewed> reviewed = LoadReviewed();
    std::set<Mismatch> listed;
    for (const auto& entry : reviewed) {
        EXPECT_TRUE(listed.insert(entry.mismatch).second)
            << "mecab-reviewed.tsv:" << entry.listLine << ": listed twice";
        if (found.count(entry.mismatch)) continue;
        std::string hint;
        for (const auto& m : found)
            if (m.act == entry.mismatch.act && m.written == entry.mismatch.written)
                hint = "; it is now: " + m.Row();
        ADD_FAILURE() << "mecab-reviewed.tsv:" << entry.listLine
                      << ": this mismatch no longer occurs, drop or correct the entry" << hint
                      << "\n  " << entry.mismatch.Row();
    }
    for (const auto& m : found)
        if (!listed.count(m))
            ADD_FAILURE() << m.act << ".txt:" << m.line
                          << ": MeCab reads the written form differently; fix the reading, or "
                             "add this row with a reason to mecab-reviewed.tsv:\n"
                          << m.Row() << "\t";

    std::cout << checked << " readings checked against MeCab, " << found.size() << " differ, "
              << reviewed.size() << " on the reviewed list\n";
}

// Where MeCab's words meet at a space of the written form, the reading's words must meet at
// the same place: otherwise typing a space would drop the wrong part of the written form.
TEST(MecabReadings, SpacesFallBetweenTheSameWords) {
    const MecabRun& mecab = MecabOfWrittenForms();
    ASSERT_EQ(mecab.error, "");

    std::size_t index = 0;
    for (const auto& act : Acts()) {
        for (const auto& pair : act.pairs) {
            const auto& morphemes = mecab.lines[index++];
            const auto kanjiWords = Words(pair.written.text);
            const auto yomiWords = Words(pair.reading.text);
            if (kanjiWords.size() != yomiWords.size()) continue;  // reported by its own test
            if (Comparable(ReadingOf(morphemes)) != Comparable(Utf8ToUtf32(pair.reading.text)))
                continue;  // a mismatch, reviewed by hand

            // Where MeCab's words end, in characters of the written form, and how much of
            // its reading has been read there.
            std::map<std::size_t, std::size_t> readAt;
            std::size_t surface = 0, read = 0;
            for (const auto& m : morphemes) {
                surface += m.surface.size();
                read += Comparable(m.reading).size();
                readAt[surface] = read;
            }
            std::size_t kanjiEnd = 0, yomiEnd = 0;
            for (std::size_t w = 0; w + 1 < kanjiWords.size(); ++w) {
                kanjiEnd += Utf8ToUtf32(kanjiWords[w]).size();
                yomiEnd += Comparable(Utf8ToUtf32(yomiWords[w])).size();
                const auto at = readAt.find(kanjiEnd);
                if (at == readAt.end()) continue;  // the space splits one of MeCab's words
                EXPECT_EQ(at->second, yomiEnd)
                    << act.Where(pair.written.number) << ": space " << w + 1 << " of \""
                    << pair.written.text << "\" comes after \"" << kanjiWords[w] << "\", but in \""
                    << pair.reading.text << "\" after \"" << yomiWords[w] << "\"";
            }
        }
    }
}

}  // namespace
