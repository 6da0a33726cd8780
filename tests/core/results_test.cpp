#include "results.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "printers.h"
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
    in.findFile = [](const fs::path& p) {
        return p == fs::path("/games/ktp/Act02.ktp") ? p : fs::path();
    };
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
    EXPECT_EQ(r.lines, expected) << Printable(r.lines);
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
    ASSERT_EQ(r.lines.size(), 7u);
    EXPECT_EQ(r.lines[5], Sj("▽ 最高打鍵数と同数でした。"));
    EXPECT_EQ(r.lines[6], Sj("☆ 最高文字数を [ 1 ] 更新しました !! "));
    EXPECT_EQ(r.bests, (Bests{284, 212, 2}));
    in.bests = Bests{285, 212, 1};
    const PlayResult s = ComputeResult(in);
    EXPECT_EQ(s.lines[5], Sj("▽ 最高打鍵数まで [ 1 ] 足りません。"));
    EXPECT_EQ(s.lines[6], Sj("▽ 最高文字数と同数でした。"));
    EXPECT_EQ(s.bests, (Bests{285, 212, 2}));
}

TEST(Results, StoppedOrUnrecordedPlaysShowTheSummaryOnly) {
    ResultInput in = Input();
    in.play.Aborted = true;
    PlayResult r = ComputeResult(in);
    EXPECT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(r.lb_mes, Sj("途中で終了しました。"));
    EXPECT_FALSE(r.record);
    EXPECT_FALSE(r.bt_TugiEnabled);
    EXPECT_EQ(r.bests, in.bests);  // a faster stopped play is not a best
    EXPECT_TRUE(r.NextActPath.empty());

    in.play.Aborted = false;
    in.checkSave = true;
    r = ComputeResult(in);
    EXPECT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(r.lb_mes, Sj("このデータは記録されません。"));
    EXPECT_FALSE(r.record);
    EXPECT_FALSE(r.bt_TugiEnabled);
    EXPECT_EQ(r.bests, in.bests);
}

TEST(Results, RatesUseWholeSecondsAndRoundHalvesToEven) {
    PlayResult r = ComputeResult(Input(Facts(8'999, 3, 1, 0, 3)));
    EXPECT_EQ(r.keysPerMin, 22);  // 22.5
    EXPECT_EQ(r.charsPerMin, 8);  // 7.5
    EXPECT_EQ(r.lines[2], Sj("■打鍵数 (/分)   22 ■文字数 (/分)    8"));
    r = ComputeResult(Input(Facts(59'900, 59, 59, 0, 59)));
    EXPECT_EQ(r.elapsedSeconds, 59u);
    EXPECT_EQ(r.keysPerMin, 60);
    // Under a second: no rates; no keystrokes: accuracy 0.
    r = ComputeResult(Input(Facts(999, 0, 0, 3, 3)));
    EXPECT_EQ(r.lines[2], Sj("■打鍵数 (/分)    0 ■文字数 (/分)    0"));
    EXPECT_EQ(r.lines[4], Sj("■ミスタイプ      3 ■正解タイプ率    0.00%"));
    EXPECT_EQ(r.recordLine, "0 0 3");
    // Across a wrap of the tick counter.
    PlayFacts f = Facts(0, 10, 10, 0, 10);
    f.StartTick = 0xFFFFF000u;
    f.StopTick = 0x00001000u;
    r = ComputeResult(Input(f));
    EXPECT_EQ(r.elapsedSeconds, 8u);
    EXPECT_EQ(r.lines[1], Sj("■経過時間    00:08"));
    // An hour and more: the minutes start again.
    r = ComputeResult(Input(Facts(3'725'000, 1, 1, 0, 1)));
    EXPECT_EQ(r.lines[1], Sj("■経過時間    02:05"));
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
    in.findFile = [&](const fs::path& p) {
        asked.push_back(p);
        return fs::path();
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
    // The program's own conversion (the default): native names, Shift_JIS inside.
    ResultInput in = Input();
    in.actPath = fs::path("/games/ktp") / PathFromUtf8("練習01.ktp");
    fs::path asked;
    in.findFile = [&](const fs::path& p) {
        asked = p;
        return p;
    };
    const PlayResult r = ComputeResult(in);
    EXPECT_EQ(asked, fs::path("/games/ktp") / PathFromUtf8("練習02.ktp"));
    EXPECT_EQ(r.lines[0], Sj("■Act         練習01"));
    EXPECT_EQ(r.lb_mes, Sj("次のAct [ 練習02 ] に進めます。"));
}

// On a file system that tells case apart the next Act is found whatever the case of its
// name; the one spelt exactly as asked wins over others. On one that ignores case the names
// that differ only in case are one file, and its name is the one it was made with.
TEST(Results, NextActIsFoundWhateverTheCaseOfItsName) {
    struct Case {
        const char* current;
        std::vector<const char*> files;  // beside the current Act
        const char* found;               // "" when there is no next Act
    };
    const Case cases[] = {
        {"ACT01.KTP", {"ACT02.KTP"}, "ACT02.KTP"},
        {"Act01.KTP", {"act02.kTp"}, "act02.kTp"},
        {"act01.ktp", {"ACT02.ktp", "Act02.ktp", "act02.ktp"}, "act02.ktp"},
        {"Act01.ktp",
         {"ACT02.KTP", "Act02.KTP"},
         "ACT02.KTP"},  // no exact name: the first in order
        {"Act01.ktp", {"Act03.ktp", "Act02.ktp.bak", "Act02"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        TempDir dir;
        const bool oneFile = testutil::IgnoresCase(dir.path());
        WriteBytes(dir / c.current, "");
        for (const char* f : c.files) WriteBytes(dir / f, "");
        ResultInput in = Input();
        in.findFile = nullptr;  // the real folder
        in.actPath = dir / c.current;
        const PlayResult r = ComputeResult(in);
        const std::string found = oneFile && *c.found ? c.files.front() : c.found;
        EXPECT_EQ(r.bt_TugiEnabled, !found.empty());
        if (found.empty()) {
            EXPECT_TRUE(r.NextActPath.empty());
            continue;
        }
        EXPECT_EQ(r.NextActPath, dir / found);
        EXPECT_EQ(U8(r.lb_mes), "次のAct [ " + found.substr(0, 5) + " ] に進めます。");
    }
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
    const Lines summary = ComputeResult(Input()).lines;
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
        book.SetBests(Bests{280, 220, 4});
    }

    PlayResult Recordable() {
        ResultInput in = Input();
        in.bests = book.CurrentBests();
        return ComputeResult(in);
    }

    // The names in save/, sorted: no temporary file or journal may be left there.
    std::vector<std::string> SaveFolder() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path() / "save")) {
            names.push_back(PathToUtf8(e.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
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
    EXPECT_FALSE(o.pending);
    EXPECT_FALSE(o.Failed());
    EXPECT_EQ(SaveFolder(), (Lines{"Act01.lst", "kotopa.ini", "playlog.log", "record.lst"}));
    EXPECT_EQ(RecordFailureText(o, PathText{}), "");
    EXPECT_EQ(ReadBytes(files.totalList), "10 100 1\r\n95 212 7\r\n");
    EXPECT_EQ(ReadBytes(files.actList), "95 212 7\r\n");
    EXPECT_EQ(ReadBytes(files.settings),
              "[PLAY]\r\nVALUE=90\r\nCOUNT=5\r\n[TOP]\r\nKEY=284\r\nMOZI=220\r\n");
    EXPECT_EQ(book.CurrentBests(), (Bests{284, 220, 5}));
    EXPECT_EQ(book.TotalRecords(), (Lines{"10 100 1", "95 212 7"}));
    EXPECT_EQ(book.ActRecords(), (Lines{"95 212 7"}));

    const std::string block = JoinLines(PlayLogBlock(at, r.play, r.lines));
    EXPECT_EQ(ReadBytes(files.playLog), block);
    EXPECT_EQ(block.substr(0, 22), "20241231235958 -----\r\n");

    // The next play's block follows; whatever the log held stays byte for byte.
    WriteBytes(files.playLog, std::string("old\0log\nno end", 14));
    PlayResult r2 = Recordable();
    EXPECT_TRUE(RecordPlay(files, book, r2, at).recorded);
    EXPECT_EQ(ReadBytes(files.playLog), std::string("old\0log\nno end\r\n", 16) +
                                            JoinLines(PlayLogBlock(at, r2.play, r2.lines)));
    EXPECT_EQ(book.CurrentBests().PlayCount, 6);
}

TEST_F(RecordFilesTest, AJapaneseActLeadsToItsNextActAndKeepsItsOwnList) {
    // 練習01.ktp in a Japanese folder, its next Act beside it: real files, the system's
    // own conversions.
    const fs::path folder = dir / "ユーザー/練習問題";
    fs::create_directories(folder);
    WriteBytes(folder / PathFromUtf8("練習01.ktp"), "");
    WriteBytes(folder / PathFromUtf8("練習02.ktp"), "");
    ResultInput in = Input();
    in.actPath = folder / PathFromUtf8("練習01.ktp");
    in.findFile = nullptr;
    PlayResult r = ComputeResult(in);
    EXPECT_EQ(r.NextActPath, folder / PathFromUtf8("練習02.ktp"));
    EXPECT_EQ(r.lines[0], Sj("■Act         練習01"));
    EXPECT_EQ(r.lb_mes, Sj("次のAct [ 練習02 ] に進めます。"));

    files = RecordFiles::For(dir.path(), in.actPath);
    ASSERT_TRUE(RecordPlay(files, book, r, at).recorded);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "save"))
        names.push_back(PathToUtf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"kotopa.ini", "playlog.log", "record.lst", "練習01.lst"}));
    EXPECT_EQ(ReadBytes(dir / "save/練習01.lst"), "95 212 7\r\n");
}

// A list is rewritten whole at every recorded play: a NUL byte in it must cost no line.
TEST_F(RecordFilesTest, ANulByteInAListLosesNoLineWhenThePlayIsRecorded) {
    using namespace std::string_literals;
    const std::string total = "1 1 1\r\n2 2\0 2\r\n3 3 3\r\n"s;
    const std::string act = "\0\r\n4 4 4\r\n"s;
    WriteBytes(files.totalList, total);
    WriteBytes(files.actList, act);
    ASSERT_EQ(book.LoadTotalRecords(files.totalList), ReadStatus::Ok);
    ASSERT_EQ(book.LoadActRecords(files.actList), ReadStatus::Ok);
    EXPECT_EQ(book.TotalRecords().size(), 3u);
    PlayResult r = Recordable();
    EXPECT_TRUE(RecordPlay(files, book, r, at).recorded);
    EXPECT_EQ(ReadBytes(files.totalList), total + "95 212 7\r\n");
    EXPECT_EQ(ReadBytes(files.actList), act + "95 212 7\r\n");
}

TEST_F(RecordFilesTest, APlayNotToBeRecordedWritesNothing) {
    ResultInput in = Input();
    in.checkSave = true;
    PlayResult r = ComputeResult(in);
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded || o.pending || o.Failed());
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
    EXPECT_FALSE(o.pending);
    EXPECT_EQ(o.failedPath, files.actList);
    EXPECT_EQ(ReadBytes(files.totalList), "1 2 3\r\n");
    EXPECT_EQ(SaveFolder(),
              (Lines{"Act01.lst", "kotopa.ini", "record.lst"}));  // nothing left behind
    EXPECT_EQ(ReadBytes(files.settings), "[PLAY]\r\nCOUNT=4\r\n");
    EXPECT_FALSE(fs::exists(files.playLog));
    EXPECT_EQ(book.TotalRecords(), before.TotalRecords());
    EXPECT_EQ(book.CurrentBests(), before.CurrentBests());
    // The dialog must not claim bests or a record; the result itself is left as computed.
    EXPECT_EQ(ResultViewOf(r, o).memo.size(), 5u);
    EXPECT_EQ(ResultViewOf(r, o).lb_mes, Sj("このプレイは記録できませんでした。"));
    EXPECT_EQ(r.lines.size(), 7u);
    EXPECT_EQ(RecordFailureText(o, PathText{}),
              PathToSjis(files.actList) + "\n\r" +
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
    EXPECT_EQ(book.CurrentBests(), (Bests{280, 220, 4}));
    EXPECT_EQ(book.TotalRecords(), (Lines{"1 2 3"}));
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

// The play log is one of the play's files: a log that cannot be written leaves the lists and
// the play count without the play too, rather than recorded without its block.
TEST_F(RecordFilesTest, APlayLogThatCannotBeWrittenLeavesThePlayUnrecorded) {
    WriteBytes(files.totalList, "1 2 3\r\n");
    book.LoadTotalRecords(files.totalList);
    fs::create_directory(files.playLog);
    PlayResult r = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r, at);
    EXPECT_FALSE(o.recorded);
    EXPECT_EQ(o.failedPath, files.playLog);
    EXPECT_EQ(ResultViewOf(r, o).memo.size(), 5u);
    EXPECT_EQ(book.CurrentBests().PlayCount, 4);
    EXPECT_EQ(ReadBytes(files.totalList), "1 2 3\r\n");
    EXPECT_FALSE(fs::exists(files.actList));
    EXPECT_FALSE(fs::exists(files.settings));
    EXPECT_EQ(RecordFailureText(o, PathText{}),
              PathToSjis(files.playLog) + "\n\r" +
                  Sj("に書き込めませんでした。このプレイは記録されていません。"));
}

TEST_F(RecordFilesTest, TheKeyRecordIsTheFifthFileAndAFolderWithoutItGetsOne) {
    PlayResult r = Recordable();
    const std::string block = "play 20241231235958 95000 1 Act01\r\n5 k a\r\nend\r\n";
    ASSERT_TRUE(RecordPlay(files, book, r, at, block).recorded);
    EXPECT_EQ(SaveFolder(),
              (Lines{"Act01.lst", "keyrecord.txt", "kotopa.ini", "playlog.log", "record.lst"}));
    EXPECT_EQ(ReadBytes(files.keyRecord), "KotoPA key record 1\r\n" + block);

    // A key record that cannot be read is not written over, and the play is not recorded.
    fs::remove(files.keyRecord);
    fs::create_directory(files.keyRecord);
    PlayResult r2 = Recordable();
    const RecordOutcome o = RecordPlay(files, book, r2, at, block);
    EXPECT_FALSE(o.recorded);
    EXPECT_EQ(o.failedPath, files.keyRecord);
    EXPECT_EQ(ReadBytes(files.totalList), "95 212 7\r\n");
}

// Between plays the book keeps the key record it wrote, so that its blocks are not read
// again; a file that changed since is read through, whatever the book kept.
TEST_F(RecordFilesTest, AKeyRecordChangedSinceThePlayBeforeIsReadThroughAgain) {
    const std::string header = "KotoPA key record 1\r\n";
    const std::string first = "play 20241231235958 95000 1 Act01\r\n5 k a\r\nend\r\n";
    const std::string second = "play 20250101000001 95000 1 Act01\r\n7 k b\r\nend\r\n";
    const std::string third = "play 20250101000002 95000 1 Act01\r\n8 k c\r\nend\r\n";
    ASSERT_TRUE(RecordPlay(files, book, Recordable(), at, first).recorded);
    ASSERT_TRUE(RecordPlay(files, book, Recordable(), at, second).recorded);
    EXPECT_EQ(ReadBytes(files.keyRecord), header + first + second);

    // As long, but another play in place of the first, and a block cut short at the end.
    const std::string other = "play 20241231235959 95000 1 Act02\r\n6 k z\r\nend\r\n";
    ASSERT_EQ(other.size(), first.size());
    WriteBytes(files.keyRecord, header + other + second + "play 20250101");
    ASSERT_TRUE(RecordPlay(files, book, Recordable(), at, third).recorded);
    EXPECT_EQ(ReadBytes(files.keyRecord), header + other + second + third);
    // Gone and back with the same bytes: still the file's own blocks.
    fs::remove(files.keyRecord);
    ASSERT_TRUE(RecordPlay(files, book, Recordable(), at, first).recorded);
    EXPECT_EQ(ReadBytes(files.keyRecord), header + first);
}

// The window fills the book once it is drawn: the first recording then copies the blocks
// it found; a file that cannot be read leaves the book empty.
TEST_F(RecordFilesTest, AKeyRecordLoadedAtTheStartIsKeptWithItsBlocks) {
    const std::string bytes =
        "KotoPA key record 1\r\nplay 20241231235958 95000 1 Act01\r\n"
        "5 k a\r\nend\r\nplay 2025\r\n";
    WriteBytes(files.keyRecord, bytes);
    RecordBook loaded;
    loaded.LoadKeyRecord(files.keyRecord);
    EXPECT_EQ(loaded.KeyRecordKept().bytes, bytes);
    EXPECT_EQ(loaded.KeyRecordKept().blocks.size(), 1u);
    EXPECT_EQ(loaded.KeyRecordKept().unreadable, 1);

    fs::remove(files.keyRecord);
    fs::create_directory(files.keyRecord);
    RecordBook unreadable;
    unreadable.LoadKeyRecord(files.keyRecord);
    EXPECT_TRUE(unreadable.KeyRecordKept().bytes.empty());
    EXPECT_TRUE(unreadable.KeyRecordKept().blocks.empty());
}

TEST_F(RecordFilesTest, AKanaPlayGoesToTheKanaListsAndBestsOnly) {
    WriteBytes(files.settings, "[TOP]\r\nKEY=280\r\nMOZI=220\r\n[PLAY]\r\nCOUNT=4\r\n");
    WriteBytes(files.totalList, "10 100 1\r\n");
    WriteBytes(files.actList, "10 100 1\r\n");
    const RecordFiles kana =
        RecordFiles::For(dir.path(), dir.path() / "ktp" / "Act01.ktp", InputStyle::Kana);
    EXPECT_EQ(kana.totalList, dir.path() / "save" / "record-kana.lst");
    EXPECT_EQ(kana.actList, dir.path() / "save" / "Act01-kana.lst");
    EXPECT_EQ(kana.settings, files.settings);
    EXPECT_EQ(kana.playLog, files.playLog);

    RecordBook kanaBook;  // what the window holds in the kana style
    ASSERT_EQ(kanaBook.LoadTotalRecords(kana.totalList), ReadStatus::Missing);
    ASSERT_EQ(kanaBook.LoadActRecords(kana.actList), ReadStatus::Missing);
    kanaBook.SetBests(ReadSettings([&] {
                          IniFile ini;
                          ini.Load(files.settings, kSettingsFileLimit);
                          return ini;
                      }())
                          .kanaBests);
    EXPECT_EQ(kanaBook.CurrentBests(), (Bests{0, 0, 1}));
    ResultInput in = Input();
    in.bests = kanaBook.CurrentBests();
    ASSERT_TRUE(RecordPlay(kana, kanaBook, ComputeResult(in), at).recorded);

    // The romaji lists and bests are as they were; the kana ones hold the play.
    EXPECT_EQ(ReadBytes(files.totalList), "10 100 1\r\n");
    EXPECT_EQ(ReadBytes(files.actList), "10 100 1\r\n");
    EXPECT_EQ(ReadBytes(kana.totalList), "95 212 7\r\n");
    EXPECT_EQ(ReadBytes(kana.actList), "95 212 7\r\n");
    const Settings s = LoadSettings(files.settings).settings;
    EXPECT_EQ(s.bests, (Bests{280, 220, 4}));
    EXPECT_EQ(s.kanaBests, (Bests{284, 212, 2}));
    EXPECT_EQ(&s.BestsOf(InputStyle::Kana), &s.kanaBests);
}
