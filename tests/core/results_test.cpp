#include "results.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using testutil::U8;
using testutil::WriteBytes;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

PlayFacts Facts(uint32_t ms, int32_t keys, int32_t chars, int32_t misses, int32_t typed) {
    PlayFacts f;
    f.StartTick = 1000;
    f.StopTick = 1000 + ms;
    f.KeyCount = keys;
    f.CharCount = chars;
    f.MissCount = misses;
    f.TypeCount = typed;
    f.LineIndex = 30;
    f.LineTotal = 30;
    return f;
}

// A play of 95.4 s: 450 keystrokes (284/min), 336 characters (212/min), 7 mistypes.
ResultInput Input(const PlayFacts& f = Facts(95'400, 450, 336, 7, 457)) {
    ResultInput in;
    in.play = f;
    in.actPath = "/games/ktp/Act01.ktp";
    in.bests = Bests{280, 220, 4};
    in.fileExists = [](const fs::path& p) { return p == fs::path("/games/ktp/Act02.ktp"); };
    return in;
}

// Sj() of every line, for byte-for-byte comparison with readable literals.
Lines SjLines(std::initializer_list<const char*> utf8) {
    Lines out;
    for (const char* l : utf8) out.push_back(Sj(l));
    return out;
}

std::string Printable(const Lines& lines) {
    std::string s;
    for (const auto& l : lines) s += "[" + U8(l) + "]\n";
    return s;
}

}  // namespace

TEST(Results, SummaryAndBestLinesByteForByte) {
    const PlayResult r = ComputeResult(Input());
    const Lines expected = SjLines({
        "■Act         Act01",
        "■経過時間    01:35",
        "■打鍵数 (/分)  284 ■文字数 (/分)  212",
        "■文字数        336 ■タイプ数      450",
        "■ミスタイプ      7 ■正解タイプ率   98.47%",
        "☆ 最高打鍵数を [ 4 ] 更新しました !! ",
        "▽ 最高文字数まで [ 8 ] 足りません。",
    });
    EXPECT_EQ(r.memo, expected) << Printable(r.memo);
    EXPECT_EQ(r.elapsedSeconds, 95u);
    EXPECT_TRUE(r.record);
    EXPECT_EQ(r.bests, (Bests{284, 220, 5}));
    EXPECT_EQ(r.recordLine, "95 212 7");
    EXPECT_TRUE(r.bt_TugiEnabled);
    EXPECT_EQ(r.NextActPath, fs::path("/games/ktp/Act02.ktp"));
    EXPECT_EQ(r.lb_mes, Sj("次のAct [ Act02 ] に進めます。"));
}

TEST(Results, EqualBestAndOneAbove) {
    ResultInput in = Input();
    in.bests = Bests{284, 211, 1};
    const PlayResult r = ComputeResult(in);
    ASSERT_EQ(r.memo.size(), 7u);
    EXPECT_EQ(r.memo[5], Sj("▽ 最高打鍵数と同数でした。"));
    EXPECT_EQ(r.memo[6], Sj("☆ 最高文字数を [ 1 ] 更新しました !! "));
    EXPECT_EQ(r.bests, (Bests{284, 212, 2}));
    in.bests = Bests{285, 212, 1};
    const PlayResult s = ComputeResult(in);
    EXPECT_EQ(s.memo[5], Sj("▽ 最高打鍵数まで [ 1 ] 足りません。"));
    EXPECT_EQ(s.memo[6], Sj("▽ 最高文字数と同数でした。"));
    EXPECT_EQ(s.bests, (Bests{285, 212, 2}));
}

TEST(Results, StoppedOrUnrecordedPlaysShowTheSummaryOnly) {
    ResultInput in = Input();
    in.play.Aborted = true;
    PlayResult r = ComputeResult(in);
    EXPECT_EQ(r.memo.size(), 5u);
    EXPECT_EQ(r.lb_mes, Sj("途中で終了しました。"));
    EXPECT_FALSE(r.record);
    EXPECT_FALSE(r.bt_TugiEnabled);
    EXPECT_EQ(r.bests, in.bests);  // a faster stopped play is not a best
    EXPECT_TRUE(r.NextActPath.empty());

    in.play.Aborted = false;
    in.checkSave = true;
    r = ComputeResult(in);
    EXPECT_EQ(r.memo.size(), 5u);
    EXPECT_EQ(r.lb_mes, Sj("このデータは記録されません。"));
    EXPECT_FALSE(r.record);
    EXPECT_FALSE(r.bt_TugiEnabled);
    EXPECT_EQ(r.bests, in.bests);
}

TEST(Results, RatesUseWholeSecondsAndRoundHalvesToEven) {
    PlayResult r = ComputeResult(Input(Facts(8'999, 3, 1, 0, 3)));
    EXPECT_EQ(r.keysPerMin, 22);  // 22.5
    EXPECT_EQ(r.charsPerMin, 8);  // 7.5
    EXPECT_EQ(r.memo[2], Sj("■打鍵数 (/分)   22 ■文字数 (/分)    8"));
    r = ComputeResult(Input(Facts(59'900, 59, 59, 0, 59)));
    EXPECT_EQ(r.elapsedSeconds, 59u);
    EXPECT_EQ(r.keysPerMin, 60);
    // Under a second: no rates; no keystrokes: accuracy 0.
    r = ComputeResult(Input(Facts(999, 0, 0, 3, 3)));
    EXPECT_EQ(r.memo[2], Sj("■打鍵数 (/分)    0 ■文字数 (/分)    0"));
    EXPECT_EQ(r.memo[4], Sj("■ミスタイプ      3 ■正解タイプ率    0.00%"));
    EXPECT_EQ(r.recordLine, "0 0 3");
    // Across a wrap of the tick counter.
    PlayFacts f = Facts(0, 10, 10, 0, 10);
    f.StartTick = 0xFFFFF000u;
    f.StopTick = 0x00001000u;
    r = ComputeResult(Input(f));
    EXPECT_EQ(r.elapsedSeconds, 8u);
    EXPECT_EQ(r.memo[1], Sj("■経過時間    00:08"));
    // An hour and more: the minutes start again.
    r = ComputeResult(Input(Facts(3'725'000, 1, 1, 0, 1)));
    EXPECT_EQ(r.memo[1], Sj("■経過時間    02:05"));
    EXPECT_EQ(r.recordLine, "3725 0 0");
}

TEST(Results, NextActNames) {
    EXPECT_EQ(NextActName("Act01"), "Act02");
    EXPECT_EQ(NextActName("Act09"), "Act10");
    EXPECT_EQ(NextActName("Act99"), "Act100");
    EXPECT_EQ(NextActName("Lesson"), "Less1000");
    EXPECT_EQ(NextActName("Act9"), "Ac1000");
    EXPECT_EQ(NextActName("abc"), "a1000");
    EXPECT_EQ(NextActName("ab"), "");
    EXPECT_EQ(NextActName(Sj("練習")), Sj("練") + "1000");  // the last two bytes are one character

    std::vector<fs::path> asked;
    ResultInput in = Input();
    in.actPath = "/games/ktp/Lesson.ktp";
    in.fileExists = [&](const fs::path& p) {
        asked.push_back(p);
        return false;
    };
    const PlayResult r = ComputeResult(in);
    EXPECT_EQ(asked, (std::vector<fs::path>{"/games/ktp/Less1000.ktp"}));
    EXPECT_FALSE(r.bt_TugiEnabled);
    EXPECT_TRUE(r.NextActPath.empty());
    EXPECT_EQ(r.lb_mes, Sj("もう一度プレイしますか ?"));
    EXPECT_TRUE(r.record);  // recorded all the same

    in.actPath = "/games/ktp/ab.ktp";
    asked.clear();
    EXPECT_EQ(ComputeResult(in).lb_mes, Sj("もう一度プレイしますか ?"));
    EXPECT_TRUE(asked.empty());
}

TEST(Results, JapaneseNamesAreSplitAsShiftJis) {
    // The program's own conversion: native UTF-8 names, Shift_JIS inside.
    ResultInput in = Input();
    in.pathText.toSjis = [](const fs::path& p) { return Sj(p.string()); };
    in.pathText.fromSjis = [](std::string_view s) { return fs::path(U8(s)); };
    in.actPath = fs::path("/games/ktp") / "練習01.ktp";
    fs::path asked;
    in.fileExists = [&](const fs::path& p) {
        asked = p;
        return true;
    };
    const PlayResult r = ComputeResult(in);
    EXPECT_EQ(asked, fs::path("/games/ktp") / "練習02.ktp");
    EXPECT_EQ(r.memo[0], Sj("■Act         練習01"));
    EXPECT_EQ(r.lb_mes, Sj("次のAct [ 練習02 ] に進めます。"));
}

TEST(Results, TheDialogsKeys) {
    EXPECT_EQ(ResultKeyChoice('n', true), ResultChoice::NextAct);
    EXPECT_EQ(ResultKeyChoice('n', false), std::nullopt);
    EXPECT_EQ(ResultKeyChoice('N', true), std::nullopt);
    EXPECT_EQ(ResultKeyChoice('r', false), ResultChoice::Replay);
    EXPECT_EQ(ResultKeyChoice('c', true), ResultChoice::Cancel);
    EXPECT_EQ(ResultKeyChoice(27, false), ResultChoice::Cancel);
    EXPECT_EQ(ResultKeyChoice('x', true), std::nullopt);
}

TEST(Records, ListsKeepTheNewest150) {
    EXPECT_EQ(RecordLine(95, 212, 7), "95 212 7");
    Lines list;
    for (int i = 0; i < 150; ++i) list.push_back(std::to_string(i) + " 0 0");
    AppendRecord(list, "new");
    ASSERT_EQ(list.size(), 150u);
    EXPECT_EQ(list.front(), "1 0 0");
    EXPECT_EQ(list.back(), "new");
    // A hand-edited list above the limit loses one line per play, not all the excess.
    Lines longList(160, "x");
    AppendRecord(longList, "new");
    EXPECT_EQ(longList.size(), 160u);
}

TEST(Records, AListOf149GainsIts150thAndThenStaysAt150) {
    Lines list;
    for (int i = 0; i < 149; ++i) list.push_back(std::to_string(i) + " 0 0");
    AppendRecord(list, "150th");
    ASSERT_EQ(list.size(), 150u);
    EXPECT_EQ(list.front(), "0 0 0") << "nothing is dropped until the list is over 150";
    AppendRecord(list, "151st");
    ASSERT_EQ(list.size(), 150u);
    EXPECT_EQ(list.front(), "1 0 0");
    EXPECT_EQ(list[148], "150th");
}

TEST(Records, PlayLogBlockLines) {
    const Lines summary = ComputeResult(Input()).memo;
    PlayFacts f = Facts(0, 0, 0, 0, 0);
    f.LineTotal = 30;
    const LocalTime at{2024, 3, 7, 9, 5, 2};
    Lines block = PlayLogBlock(at, f, summary);
    ASSERT_EQ(block.size(), 11u);
    EXPECT_EQ(block[0], "20240307090502 -----");
    EXPECT_EQ(block[1], Sj("■出題 標準"));
    EXPECT_EQ(block[2], Sj("■終了条件 ファイル末尾  30"));
    EXPECT_EQ(Lines(block.begin() + 3, block.begin() + 10), summary);
    EXPECT_EQ(block[10], "");

    f.options.order = ProblemOrder::Random;
    f.options.end = EndCondition::Seconds;
    f.options.value = 90;
    f.LineTotal = 1012;
    block = PlayLogBlock(at, f, summary);
    EXPECT_EQ(block[1], Sj("■出題 ランダム"));
    EXPECT_EQ(block[2], Sj("■終了条件 指定時間      90"));
    f.options.end = EndCondition::Lines;
    f.LineTotal = 12;
    block = PlayLogBlock(at, f, summary);
    EXPECT_EQ(block[2], Sj("■終了条件 指定行        12"));
}

namespace {

class RecordFilesTest : public ::testing::Test {
protected:
    RecordFilesTest() {
        fs::create_directories(dir.path() / "save");
        files = RecordFiles::For(dir.path(), dir.path() / "ktp" / "Act01.ktp");
        book.bests = Bests{280, 220, 4};
    }

    PlayResult Recordable() {
        ResultInput in = Input();
        in.bests = book.bests;
        return ComputeResult(in);
    }

    TempDir dir;
    RecordFiles files;
    RecordBook book;
    const LocalTime at{2024, 12, 31, 23, 59, 58};
};

}  // namespace

TEST_F(RecordFilesTest, ARecordedPlayWritesListsSettingsAndLog) {
    EXPECT_EQ(files.actList, dir.path() / "save" / "Act01.lst");
    WriteBytes(files.settings, "[PLAY]\r\nVALUE=90\r\n");
    WriteBytes(files.totalList, "10 100 1\r\n");
    ASSERT_EQ(book.LoadTotalRecords(files.totalList), ReadStatus::Ok);
    ASSERT_EQ(book.LoadActRecords(files.actList), ReadStatus::Missing);

    PlayResult r = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_TRUE(o.recorded);
    EXPECT_TRUE(o.logged);
    EXPECT_FALSE(o.Failed());
    EXPECT_EQ(RecordFailureText(o, PathText{}), "");
    EXPECT_EQ(ReadBytes(files.totalList), "10 100 1\r\n95 212 7\r\n");
    EXPECT_EQ(ReadBytes(files.actList), "95 212 7\r\n");
    EXPECT_EQ(ReadBytes(files.settings),
              "[PLAY]\r\nVALUE=90\r\nCOUNT=5\r\n[TOP]\r\nKEY=284\r\nMOZI=220\r\n");
    EXPECT_EQ(book.bests, (Bests{284, 220, 5}));
    EXPECT_EQ(book.TotalRecords, (Lines{"10 100 1", "95 212 7"}));
    EXPECT_EQ(book.ActRecords, (Lines{"95 212 7"}));

    const std::string block = JoinLines(PlayLogBlock(at, r.play, r.memo));
    EXPECT_EQ(ReadBytes(files.playLog), block);
    EXPECT_EQ(block.substr(0, 22), "20241231235958 -----\r\n");

    // The next play's block follows; whatever the log held stays byte for byte.
    WriteBytes(files.playLog, std::string("old\0log\nno end", 14));
    PlayResult r2 = Recordable();
    EXPECT_TRUE(RecordPlay(files, book, r2, at).logged);
    EXPECT_EQ(ReadBytes(files.playLog), std::string("old\0log\nno end\r\n", 16) +
                                            JoinLines(PlayLogBlock(at, r2.play, r2.memo)));
    EXPECT_EQ(book.bests.PlayCount, 6);
}

TEST_F(RecordFilesTest, APlayNotToBeRecordedWritesNothing) {
    ResultInput in = Input();
    in.checkSave = true;
    PlayResult r = ComputeResult(in);
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded || o.logged || o.Failed());
    EXPECT_TRUE(fs::is_empty(dir.path() / "save"));
}

TEST_F(RecordFilesTest, AFailedListWriteLeavesEveryFileAndTheBookAsTheyWere) {
    WriteBytes(files.totalList, "1 2 3\r\n");
    WriteBytes(files.settings, "[PLAY]\r\nCOUNT=4\r\n");
    book.LoadTotalRecords(files.totalList);
    fs::create_directory(files.actList);  // the Act's list cannot be written
    const RecordBook before = book;

    PlayResult r = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded);
    EXPECT_FALSE(o.logged);
    EXPECT_EQ(o.failedPath, files.actList);
    EXPECT_TRUE(o.notRestored.empty());
    EXPECT_EQ(ReadBytes(files.totalList), "1 2 3\r\n");  // put back
    EXPECT_EQ(ReadBytes(files.settings), "[PLAY]\r\nCOUNT=4\r\n");
    EXPECT_FALSE(fs::exists(files.playLog));
    EXPECT_EQ(book.TotalRecords, before.TotalRecords);
    EXPECT_EQ(book.bests, before.bests);
    // The dialog must not claim bests or a record.
    EXPECT_EQ(r.memo.size(), 5u);
    EXPECT_FALSE(r.record);
    EXPECT_EQ(r.lb_mes, Sj("このプレイは記録できませんでした。"));
    EXPECT_EQ(RecordFailureText(o, PathText{}),
              files.actList.string() + "\n\r" +
                  Sj("に書き込めませんでした。このプレイは記録されていません。"));
}

TEST_F(RecordFilesTest, AFailedSettingsWriteTakesTheListsBack) {
    WriteBytes(files.totalList, "1 2 3\r\n");
    book.LoadTotalRecords(files.totalList);
    files.settings = dir.path() / "gone" / "kotopa.ini";  // its folder is missing
    PlayResult r = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded);
    EXPECT_EQ(o.failedPath, files.settings);
    EXPECT_EQ(ReadBytes(files.totalList), "1 2 3\r\n");
    EXPECT_FALSE(fs::exists(files.actList));  // it did not exist before
    EXPECT_EQ(book.bests, (Bests{280, 220, 4}));
    EXPECT_EQ(book.TotalRecords, (Lines{"1 2 3"}));
}

TEST_F(RecordFilesTest, ListsOrSettingsThatCouldNotBeReadAreNotWrittenOver) {
    fs::create_directory(files.totalList);
    EXPECT_EQ(book.LoadTotalRecords(files.totalList), ReadStatus::Unreadable);
    PlayResult r = Recordable();
    RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded);
    EXPECT_EQ(o.failedPath, files.totalList);
    EXPECT_FALSE(fs::exists(files.actList));
    EXPECT_FALSE(fs::exists(files.settings));

    // Readable by now, the file is still not what the book holds: it is kept.
    fs::remove(files.totalList);
    WriteBytes(files.totalList, "5 5 5\r\n");
    r = Recordable();
    o = RecordPlay(files, book, r, at);
    EXPECT_EQ(o.failedPath, files.totalList);
    EXPECT_EQ(ReadBytes(files.totalList), "5 5 5\r\n");

    fs::remove(files.totalList);
    book.LoadTotalRecords(files.totalList);
    fs::create_directory(files.settings);
    r = Recordable();
    o = RecordPlay(files, book, r, at);
    EXPECT_EQ(o.failedPath, files.settings);
    EXPECT_FALSE(fs::exists(files.totalList));
}

TEST_F(RecordFilesTest, AFailedPlayLogLeavesThePlayRecorded) {
    fs::create_directory(files.playLog);
    PlayResult r = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_TRUE(o.recorded);
    EXPECT_FALSE(o.logged);
    EXPECT_EQ(o.failedPath, files.playLog);
    EXPECT_EQ(r.memo.size(), 7u);
    EXPECT_EQ(book.bests.PlayCount, 5);
    EXPECT_EQ(ReadBytes(files.actList), "95 212 7\r\n");
    EXPECT_EQ(
        RecordFailureText(o, PathText{}),
        files.playLog.string() + "\n\r" + Sj("に書き込めませんでした。記録は保存されています。"));
}
