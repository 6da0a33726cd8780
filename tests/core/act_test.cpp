#include "act.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;

namespace {

// Five header lines followed by the given body lines, joined with eol.
std::string Script(const std::vector<std::string>& body, const std::string& eol = "\r\n") {
    std::string s;
    for (const char* h : {"h1", "h2", "h3", "h4", "h5"}) s += std::string(h) + eol;
    for (const auto& b : body) s += b + eol;
    return s;
}

std::vector<std::string> Pairs(int n) {
    std::vector<std::string> body;
    for (int i = 0; i < n; ++i) {
        body.push_back(Sj("文") + std::to_string(i));
        body.push_back(Sj("ぶん") + std::to_string(i));
    }
    return body;
}

ActRefusal Parse(const std::string& text) {
    ActScript act;
    return act.Parse(text);
}

}  // namespace

TEST(Act, PairsAreCountedAfterEmptyLinesAreSkipped) {
    ActScript act;
    auto body = Pairs(5);
    body.insert(body.begin(), "");
    body.insert(body.begin() + 2, "");  // between a written form and its reading
    body.insert(body.begin() + 3, "");
    ASSERT_EQ(act.Parse(Script(body)), ActRefusal::None);
    EXPECT_EQ(act.header[0], "h1");
    EXPECT_EQ(act.header[4], "h5");
    ASSERT_EQ(act.PairCount(), 5u);
    EXPECT_EQ(act.Kanji(0), Sj("文") + "0");
    EXPECT_EQ(act.Yomi(0), Sj("ぶん") + "0");
    EXPECT_EQ(act.Yomi(4), Sj("ぶん") + "4");
}

TEST(Act, RefusalsComeInTheirOrder) {
    EXPECT_EQ(Parse(Script(Pairs(5))), ActRefusal::None);
    EXPECT_EQ(Parse(Script(Pairs(4))), ActRefusal::TooFewPairs);
    auto eleven = Pairs(5);
    eleven.push_back("extra");
    EXPECT_EQ(Parse(Script(eleven)), ActRefusal::OddLines);  // parity before count
    auto three = Pairs(1);
    three.push_back("odd");
    EXPECT_EQ(Parse(Script(three)), ActRefusal::OddLines);
    EXPECT_EQ(Parse(Script({})), ActRefusal::TooFewPairs);  // header only
    EXPECT_EQ(Parse("h1\r\nh2\r\nh3\r\nh4\r\n"), ActRefusal::TooShort);
    EXPECT_EQ(Parse(""), ActRefusal::TooShort);
    EXPECT_EQ(Parse("\r\n\r\n\r\n\r\n\r\n"), ActRefusal::TooFewPairs);  // empty header lines count
}

TEST(Act, ALineOfBlanksIsALineAndShiftsThePairing) {
    ActScript act;
    auto body = Pairs(5);
    body.insert(body.begin() + 1, Sj("　"));
    EXPECT_EQ(act.Parse(Script(body)), ActRefusal::OddLines);
    body.push_back(" ");
    ASSERT_EQ(act.Parse(Script(body)), ActRefusal::None);
    EXPECT_EQ(act.Yomi(0), Sj("　"));
    EXPECT_EQ(act.Kanji(1), Sj("ぶん") + "0");
}

TEST(Act, AllLineEndsGiveTheSameAct) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        ActScript act;
        ASSERT_EQ(act.Parse(Script(Pairs(6), eol)), ActRefusal::None);
        EXPECT_EQ(act.PairCount(), 6u);
        EXPECT_EQ(act.Kanji(5), Sj("文") + "5");
    }
    ActScript nul;
    EXPECT_EQ(nul.Parse(Script(Pairs(6)) + std::string("\0more\r\nlines\r\n", 14)),
              ActRefusal::None);
    EXPECT_EQ(nul.PairCount(), 6u);
    std::string noFinal = Script(Pairs(5));
    noFinal.resize(noFinal.size() - 2);
    ActScript last;
    ASSERT_EQ(last.Parse(noFinal), ActRefusal::None);
    EXPECT_EQ(last.Yomi(4), Sj("ぶん") + "4");
}

TEST(Act, ExtensionAndExistenceAreCheckedFirst) {
    TempDir dir;
    WriteBytes(dir / "ACT02.KTP", Script(Pairs(5)));
    WriteBytes(dir / "Act02.txt", Script(Pairs(5)));
    WriteBytes(dir / "Act02.ktp.bak", Script(Pairs(5)));
    WriteBytes(dir / "short.ktp", "h1\r\nh2\r\n");
    WriteBytes(dir / "four.ktp", Script(Pairs(4)));
    std::filesystem::create_directory(dir / "folder.ktp");

    EXPECT_EQ(ReadAct(dir / "ACT02.KTP").refusal, ActRefusal::None);
    EXPECT_EQ(ReadAct(dir / "Act02.txt").refusal, ActRefusal::BadExtension);
    EXPECT_EQ(ReadAct(dir / "Act02.ktp.bak").refusal, ActRefusal::BadExtension);
    EXPECT_EQ(ReadAct(dir / "Act02").refusal, ActRefusal::BadExtension);
    EXPECT_EQ(ReadAct(dir / "gone.txt").refusal,
              ActRefusal::BadExtension);  // extension before existence
    EXPECT_EQ(ReadAct(dir / "gone.ktp").refusal, ActRefusal::Missing);
    EXPECT_EQ(ReadAct(dir / "folder.ktp").refusal, ActRefusal::Unreadable);
    const ActLoad shortLoad = ReadAct(dir / "short.ktp");
    EXPECT_EQ(shortLoad.refusal, ActRefusal::TooShort);
    EXPECT_FALSE(shortLoad.headerRead);
    const ActLoad four = ReadAct(dir / "four.ktp");
    EXPECT_EQ(four.refusal, ActRefusal::TooFewPairs);
    EXPECT_TRUE(four.headerRead);
    EXPECT_EQ(four.script.header[3], "h4");
    EXPECT_EQ(four.script.KanjiCount(), 4u);
}

TEST(Act, RefusalTextsAreThePathThenLfCrThenTheMessage) {
    EXPECT_EQ(RefusalText("C:\\x.txt", ActRefusal::BadExtension),
              "C:\\x.txt\n\r" + Sj("正しい拡張子のファイルではありません。"));
    EXPECT_EQ(RefusalMessage(ActRefusal::Missing), Sj("ファイルが存在しません。"));
    EXPECT_EQ(RefusalMessage(ActRefusal::OddLines),
              Sj("【漢字】の数と【読み】の数が合っていません。"));
    EXPECT_EQ(RefusalMessage(ActRefusal::TooFewPairs), Sj("問題が 5 問以下です。"));
    EXPECT_FALSE(RefusalMessage(ActRefusal::Unreadable).empty());
    EXPECT_FALSE(RefusalMessage(ActRefusal::TooShort).empty());
    EXPECT_TRUE(RefusalMessage(ActRefusal::None).empty());
}

TEST(Act, NamesAndRecordListPaths) {
    EXPECT_EQ(ActName("/games/ktp/Act07.ktp"), "Act07");
    EXPECT_EQ(ActName("a.b.ktp"), "a.b");
    EXPECT_EQ(ActName("noext"), "noext");
    EXPECT_EQ(ActListPath("/opt/kotopa", "/games/ktp/Act07.ktp"),
              std::filesystem::path("/opt/kotopa/save/Act07.lst"));
    EXPECT_EQ(ActListPath("/opt/kotopa", "/elsewhere/Act07.ktp"),
              ActListPath("/opt/kotopa", "/games/ktp/Act07.ktp"));
    EXPECT_TRUE(HasActExtension(".ktp"));
    EXPECT_TRUE(HasActExtension("x.KtP"));
    EXPECT_FALSE(HasActExtension("x.ktpx"));
}

TEST(Act, SwapProblemsKeepsEveryPairTogether) {
    ProblemQueue q{0, 1, 2, 3};
    SwapProblems(q, 1, 1);
    EXPECT_EQ(q, (ProblemQueue{0, 1, 2, 3}));
    SwapProblems(q, 0, 3);
    EXPECT_EQ(q, (ProblemQueue{3, 1, 2, 0}));
}
