#include "results.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <system_error>

#include "act.h"
#include "inifile.h"
#include "sjiscodec.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace text {
constexpr std::string_view kAct =
    "\x81\xA1"
    "Act         ";                                                                    // ■Act
constexpr std::string_view kElapsed = "\x81\xA1\x8C\x6F\x89\xDF\x8E\x9E\x8A\xD4    ";  // ■経過時間
constexpr std::string_view kKeysPerMin =
    "\x81\xA1\x91\xC5\x8C\xAE\x90\x94 (/\x95\xAA) ";  // ■打鍵数 (/分)
constexpr std::string_view kCharsPerMin =
    "\x81\xA1\x95\xB6\x8E\x9A\x90\x94 (/\x95\xAA) ";  // ■文字数 (/分)
constexpr std::string_view kChars = "\x81\xA1\x95\xB6\x8E\x9A\x90\x94       ";  // ■文字数
constexpr std::string_view kTyped = "\x81\xA1\x83\x5E\x83\x43\x83\x76\x90\x94     ";  // ■タイプ数
constexpr std::string_view kMisses =
    "\x81\xA1\x83\x7E\x83\x58\x83\x5E\x83\x43\x83\x76   ";  // ■ミスタイプ
// ■正解タイプ率
constexpr std::string_view kAccuracy = "\x81\xA1\x90\xB3\x89\xF0\x83\x5E\x83\x43\x83\x76\x97\xA6  ";

// ☆ 最高打鍵数を [ / ▽ 最高打鍵数と同数でした。 / ▽ 最高打鍵数まで [
constexpr std::string_view kKeysBeaten =
    "\x81\x99 \x8D\xC5\x8D\x82\x91\xC5\x8C\xAE\x90\x94\x82\xF0 [ ";
constexpr std::string_view kKeysEqual =
    "\x81\xA4 "
    "\x8D\xC5\x8D\x82\x91\xC5\x8C\xAE\x90\x94\x82\xC6\x93\xAF\x90\x94\x82\xC5\x82\xB5\x82\xBD\x81"
    "\x42";
constexpr std::string_view kKeysShort =
    "\x81\xA4 \x8D\xC5\x8D\x82\x91\xC5\x8C\xAE\x90\x94\x82\xDC\x82\xC5 [ ";
// ☆ 最高文字数を [ / ▽ 最高文字数と同数でした。 / ▽ 最高文字数まで [
constexpr std::string_view kCharsBeaten =
    "\x81\x99 \x8D\xC5\x8D\x82\x95\xB6\x8E\x9A\x90\x94\x82\xF0 [ ";
constexpr std::string_view kCharsEqual =
    "\x81\xA4 "
    "\x8D\xC5\x8D\x82\x95\xB6\x8E\x9A\x90\x94\x82\xC6\x93\xAF\x90\x94\x82\xC5\x82\xB5\x82\xBD\x81"
    "\x42";
constexpr std::string_view kCharsShort =
    "\x81\xA4 \x8D\xC5\x8D\x82\x95\xB6\x8E\x9A\x90\x94\x82\xDC\x82\xC5 [ ";
constexpr std::string_view kBeatenTail =
    " ] \x8D\x58\x90\x56\x82\xB5\x82\xDC\x82\xB5\x82\xBD !! ";  // ] 更新しました !!
constexpr std::string_view kShortTail =
    " ] \x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42";  // ] 足りません。

// 途中で終了しました。
constexpr std::string_view kAborted =
    "\x93\x72\x92\x86\x82\xC5\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42";
// このデータは記録されません。
constexpr std::string_view kNotRecorded =
    "\x82\xB1\x82\xCC\x83\x66\x81\x5B\x83\x5E\x82\xCD\x8B\x4C\x98\x5E\x82\xB3\x82\xEA\x82\xDC\x82"
    "\xB9\x82\xF1\x81\x42";
constexpr std::string_view kNextHead =
    "\x8E\x9F\x82\xCC"
    "Act [ ";  // 次のAct [
constexpr std::string_view kNextTail =
    " ] \x82\xC9\x90\x69\x82\xDF\x82\xDC\x82\xB7\x81\x42";  // ] に進めます。
// もう一度プレイしますか ?
constexpr std::string_view kPlayAgain =
    "\x82\xE0\x82\xA4\x88\xEA\x93\x78\x83\x76\x83\x8C\x83\x43\x82\xB5\x82\xDC\x82\xB7\x82\xA9 ?";
// このプレイは記録できませんでした。
constexpr std::string_view kRecordFailed =
    "\x82\xB1\x82\xCC\x83\x76\x83\x8C\x83\x43\x82\xCD\x8B\x4C\x98\x5E\x82\xC5\x82\xAB\x82\xDC\x82"
    "\xB9\x82\xF1"
    "\x82\xC5\x82\xB5\x82\xBD\x81\x42";

constexpr std::string_view kOrderNormal =
    "\x81\xA1\x8F\x6F\x91\xE8 \x95\x57\x8F\x80";  // ■出題 標準
constexpr std::string_view kOrderRandom =
    "\x81\xA1\x8F\x6F\x91\xE8 \x83\x89\x83\x93\x83\x5F\x83\x80";  // ■出題 ランダム
// ■終了条件 ファイル末尾 / 指定時間 / 指定行, each padded to 24 bytes
constexpr std::string_view kEndEof =
    "\x81\xA1\x8F\x49\x97\xB9\x8F\xF0\x8C\x8F \x83\x74\x83\x40\x83\x43\x83\x8B\x96\x96\x94\xF6 ";
constexpr std::string_view kEndSeconds =
    "\x81\xA1\x8F\x49\x97\xB9\x8F\xF0\x8C\x8F \x8E\x77\x92\xE8\x8E\x9E\x8A\xD4     ";
constexpr std::string_view kEndLines =
    "\x81\xA1\x8F\x49\x97\xB9\x8F\xF0\x8C\x8F \x8E\x77\x92\xE8\x8D\x73       ";

// に書き込めませんでした。このプレイは記録されていません。
constexpr std::string_view kWriteFailedNotRecorded =
    "\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81"
    "\x42\x82\xB1"
    "\x82\xCC\x83\x76\x83\x8C\x83\x43\x82\xCD\x8B\x4C\x98\x5E\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82"
    "\xDC\x82\xB9"
    "\x82\xF1\x81\x42";
// に書き込めませんでした。このプレイの記録は次回の起動時に完了します。
constexpr std::string_view kWriteFailedPending =
    "\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81"
    "\x42\x82\xB1\x82\xCC\x83\x76\x83\x8C\x83\x43\x82\xCC\x8B\x4C\x98\x5E\x82\xCD\x8E\x9F\x89\xF1"
    "\x82\xCC\x8B\x4E\x93\xAE\x8E\x9E\x82\xC9\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB7\x81\x42";
constexpr std::string_view kLfCr = "\n\r";
}  // namespace text

std::string PathText::ToSjis(const fs::path& p) const {
    return toSjis ? toSjis(p) : PathToSjis(p);
}

fs::path PathText::FromSjis(std::string_view s) const {
    return fromSjis ? fromSjis(s) : PathFromSjis(s);
}

std::optional<ResultChoice> ResultKeyChoice(char key, bool tugiEnabled) {
    if (key == 'n' && tugiEnabled) return ResultChoice::NextAct;
    if (key == 'r') return ResultChoice::Replay;
    if (key == 'c' || key == 27) return ResultChoice::Cancel;
    return std::nullopt;
}

namespace {

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (auto p : parts) s += p;
    return s;
}

// The line comparing a rate with its best; raises the best when it was beaten.
std::string CompareWithBest(int32_t rate, int32_t& best, std::string_view beaten,
                            std::string_view equal, std::string_view shortOf) {
    // Differences in 64 bits: a hand-edited best can be any 32-bit number.
    const int64_t diff = static_cast<int64_t>(rate) - best;
    if (diff > 0) {
        best = rate;
        return Concat({beaten, std::to_string(diff), text::kBeatenTail});
    }
    if (diff == 0) return std::string(equal);
    return Concat({shortOf, std::to_string(-diff), text::kShortTail});
}

}  // namespace

std::string NextActName(std::string_view name) {
    if (name.size() < 3) return {};
    const std::string_view numberText = name.substr(name.size() - 2);
    int32_t number = 0;
    if (!ParseInt32(numberText, number)) number = 999;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.2d", static_cast<int>(number + 1));
    return std::string(name.substr(0, name.size() - 2)) + digits;
}

fs::path FindFileAnyCase(const fs::path& path) {
    std::error_code ec;
    // The name as the folder lists it: on a file system that ignores case (Windows) the
    // asked name would also find a file stored as ACT02.KTP, under the wrong name.
    const auto fold = [](auto c) {
        return c >= 'A' && c <= 'Z' ? static_cast<decltype(c)>(c - 'A' + 'a') : c;
    };
    const auto sameName = [&](const fs::path::string_type& a, const fs::path::string_type& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [&](auto x, auto y) { return fold(x) == fold(y); });
    };
    const fs::path::string_type wanted = path.filename().native();
    fs::path found;
    for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.filename().native() == wanted) return p;
        if (!sameName(p.filename().native(), wanted)) continue;
        if (found.empty() || p.filename().native() < found.filename().native()) found = p;
    }
    if (found.empty() && fs::exists(path, ec)) return path;  // there, though not listed
    return found;
}

std::string RecordLine(uint32_t elapsedSeconds, int32_t charsPerMin, int32_t missCount) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%u %d %d", static_cast<unsigned>(elapsedSeconds),
                  static_cast<int>(charsPerMin), static_cast<int>(missCount));
    return buf;
}

void AppendRecord(std::vector<std::string>& list, std::string line) {
    list.push_back(std::move(line));
    if (list.size() > kRecordListLimit) list.erase(list.begin());
}

PlayResult ComputeResult(const ResultInput& in) {
    const PlayFacts& p = in.play;
    PlayResult r;
    r.play = p;
    r.bests = in.bests;
    if (p.Aborted) r.lb_mes = text::kAborted;

    const std::string name = in.pathText.ToSjis(ActName(in.actPath));
    const uint32_t elapsedMs = p.StopTick - p.StartTick;  // unsigned: right across a counter wrap
    r.elapsedSeconds = elapsedMs / 1000;
    r.keysPerMin = PerMinuteRate(p.KeyCount, r.elapsedSeconds);
    r.charsPerMin = PerMinuteRate(p.CharCount, r.elapsedSeconds);
    if (p.KeyCount != 0 && p.TypeCount != 0) {
        r.accuracy = static_cast<double>(p.KeyCount) / static_cast<double>(p.TypeCount) * 100.0;
    }
    char accuracy[64];
    std::snprintf(accuracy, sizeof accuracy, "%6.2f%%", r.accuracy);

    r.memo.push_back(Concat({text::kAct, name}));
    r.memo.push_back(Concat({text::kElapsed, FormatMinSec(r.elapsedSeconds)}));
    r.memo.push_back(Concat({text::kKeysPerMin, FormatWidth(r.keysPerMin, 4), " ",
                             text::kCharsPerMin, FormatWidth(r.charsPerMin, 4)}));
    r.memo.push_back(Concat({text::kChars, FormatWidth(p.CharCount, 4), " ", text::kTyped,
                             FormatWidth(p.KeyCount, 4)}));
    r.memo.push_back(
        Concat({text::kMisses, FormatWidth(p.MissCount, 4), " ", text::kAccuracy, accuracy}));

    if (p.Aborted) return r;
    if (in.checkSave) {
        r.lb_mes = text::kNotRecorded;
        return r;
    }

    r.memo.push_back(CompareWithBest(r.keysPerMin, r.bests.BestKeysPerMin, text::kKeysBeaten,
                                     text::kKeysEqual, text::kKeysShort));
    r.memo.push_back(CompareWithBest(r.charsPerMin, r.bests.BestCharsPerMin, text::kCharsBeaten,
                                     text::kCharsEqual, text::kCharsShort));
    r.recordLine = RecordLine(r.elapsedSeconds, r.charsPerMin, p.MissCount);

    r.lb_mes = text::kPlayAgain;
    const std::string next = NextActName(name);
    if (!next.empty()) {
        const fs::path nextPath = in.actPath.parent_path() / in.pathText.FromSjis(next + ".ktp");
        const fs::path found = in.findFile ? in.findFile(nextPath) : FindFileAnyCase(nextPath);
        if (!found.empty()) {
            r.NextActPath = found;
            r.bt_TugiEnabled = true;
            // The name as the file has it, which is also what the window shows once it is loaded.
            const std::string shown = in.pathText.ToSjis(fs::path(ActName(found)));
            r.lb_mes = Concat({text::kNextHead, shown, text::kNextTail});
        }
    }
    if (r.bests.PlayCount < std::numeric_limits<int32_t>::max()) ++r.bests.PlayCount;
    r.record = true;
    return r;
}

std::vector<std::string> PlayLogBlock(const LocalTime& at, const PlayFacts& play,
                                      const std::vector<std::string>& summary) {
    std::vector<std::string> block;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d -----", at.year, at.month, at.day,
                  at.hour, at.minute, at.second);
    block.emplace_back(stamp);
    block.emplace_back(play.options.order == ProblemOrder::Normal ? text::kOrderNormal
                                                                  : text::kOrderRandom);
    switch (play.options.end) {
        case EndCondition::Eof:
            block.push_back(Concat({text::kEndEof, FormatWidth(play.LineTotal, 3)}));
            break;
        case EndCondition::Seconds:
            block.push_back(Concat({text::kEndSeconds, FormatWidth(play.options.value, 3)}));
            break;
        case EndCondition::Lines:
            block.push_back(Concat({text::kEndLines, FormatWidth(play.LineTotal, 3)}));
            break;
    }
    block.insert(block.end(), summary.begin(), summary.end());
    block.emplace_back();
    return block;
}

RecordFiles RecordFiles::For(const fs::path& baseDir, const fs::path& actPath) {
    const fs::path save = baseDir / "save";
    return {save / "kotopa.ini", save / "record.lst", ActListPath(baseDir, actPath),
            save / "playlog.log", RecordJournalPath(save)};
}

fs::path RecordJournalPath(const fs::path& saveFolder) {
    return saveFolder / "recording.journal";
}

ReadStatus RecordBook::LoadTotalRecords(const fs::path& path) {
    totalStatus = ReadStringList(path, TotalRecords);
    return totalStatus;
}

ReadStatus RecordBook::LoadActRecords(const fs::path& path) {
    actStatus = ReadStringList(path, ActRecords);
    return actStatus;
}

RecordOutcome RecordPlay(const RecordFiles& files, RecordBook& book, PlayResult& result,
                         const LocalTime& at) {
    RecordOutcome out;
    if (!result.record) return out;
    const auto notRecorded = [&](const fs::path& path) {
        out.failedPath = path;
        result.memo.resize(5);
        result.lb_mes = text::kRecordFailed;
        result.record = false;
        return out;
    };

    // What could not be read is not replaced: it may hold plays or keys the book lacks.
    if (book.totalStatus == ReadStatus::Unreadable) return notRecorded(files.totalList);
    if (book.actStatus == ReadStatus::Unreadable) return notRecorded(files.actList);
    IniFile ini;
    if (ini.Load(files.settings) == ReadStatus::Unreadable) return notRecorded(files.settings);
    std::string log;
    if (ReadFileBytes(files.playLog, log) == ReadStatus::Unreadable) {
        return notRecorded(files.playLog);
    }

    std::vector<std::string> total = book.TotalRecords;
    std::vector<std::string> act = book.ActRecords;
    AppendRecord(total, result.recordLine);
    AppendRecord(act, result.recordLine);
    ini.WriteInteger("TOP", "KEY", result.bests.BestKeysPerMin);
    ini.WriteInteger("TOP", "MOZI", result.bests.BestCharsPerMin);
    ini.WriteInteger("PLAY", "COUNT", result.bests.PlayCount);
    // The old log is kept byte for byte, whatever it holds; only a missing last line end is
    // added so that the block starts on a line of its own.
    if (!log.empty() && log.back() != '\n' && log.back() != '\r') log += "\r\n";
    log += JoinLines(PlayLogBlock(at, result.play, result.memo));

    const FileGroupOutcome written =
        WriteFileGroup(files.journal, {{files.totalList, JoinLines(total)},
                                       {files.actList, JoinLines(act)},
                                       {files.settings, ini.Bytes()},
                                       {files.playLog, std::move(log)}});
    if (!written.committed) return notRecorded(written.failedPath);

    book.TotalRecords = std::move(total);
    book.ActRecords = std::move(act);
    book.totalStatus = ReadStatus::Ok;
    book.actStatus = ReadStatus::Ok;
    book.bests = result.bests;
    out.recorded = true;
    out.pending = !written.ok;
    out.failedPath = written.failedPath;
    return out;
}

FinishOutcome FinishInterruptedRecording(const fs::path& saveFolder) {
    return FinishFileGroup(RecordJournalPath(saveFolder));
}

std::string RecordFailureText(const RecordOutcome& outcome, const PathText& pathText) {
    if (!outcome.Failed()) return {};
    std::string s = pathText.ToSjis(outcome.failedPath);
    s += text::kLfCr;
    s += outcome.recorded ? text::kWriteFailedPending : text::kWriteFailedNotRecorded;
    return s;
}

}  // namespace kotopa
