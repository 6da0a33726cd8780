#include "results.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <system_error>

#include "act.h"
#include "inifile.h"
#include "keyrecordfile.h"
#include "messages.h"
#include "sjiscodec.h"

namespace kotopa {

namespace fs = std::filesystem;

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
        return Concat({beaten, std::to_string(diff), msg::kBeatenTail});
    }
    if (diff == 0) return std::string(equal);
    return Concat({shortOf, std::to_string(-diff), msg::kShortTail});
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
    if (p.Aborted) r.lb_mes = msg::kAborted;

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

    r.memo.push_back(Concat({msg::kActLabel, name}));
    r.memo.push_back(Concat({msg::kElapsedLabel, FormatMinSec(r.elapsedSeconds)}));
    r.memo.push_back(Concat({msg::kKeysPerMinLabel, FormatWidth(r.keysPerMin, 4), " ",
                             msg::kCharsPerMinLabel, FormatWidth(r.charsPerMin, 4)}));
    r.memo.push_back(Concat({msg::kCharsLabel, FormatWidth(p.CharCount, 4), " ", msg::kTypedLabel,
                             FormatWidth(p.KeyCount, 4)}));
    r.memo.push_back(Concat(
        {msg::kMissesLabel, FormatWidth(p.MissCount, 4), " ", msg::kAccuracyLabel, accuracy}));

    if (p.Aborted) return r;
    if (in.checkSave) {
        r.lb_mes = msg::kNotRecorded;
        return r;
    }

    r.memo.push_back(CompareWithBest(r.keysPerMin, r.bests.BestKeysPerMin, msg::kKeysBeaten,
                                     msg::kKeysEqual, msg::kKeysShort));
    r.memo.push_back(CompareWithBest(r.charsPerMin, r.bests.BestCharsPerMin, msg::kCharsBeaten,
                                     msg::kCharsEqual, msg::kCharsShort));
    r.recordLine = RecordLine(r.elapsedSeconds, r.charsPerMin, p.MissCount);

    r.lb_mes = msg::kPlayAgain;
    const std::string next = NextActName(name);
    if (!next.empty()) {
        const fs::path nextPath = in.actPath.parent_path() / in.pathText.FromSjis(next + ".ktp");
        const fs::path found = in.findFile ? in.findFile(nextPath) : FindFileAnyCase(nextPath);
        if (!found.empty()) {
            r.NextActPath = found;
            r.bt_TugiEnabled = true;
            // The name as the file has it, which is also what the window shows once it is loaded.
            const std::string shown = in.pathText.ToSjis(fs::path(ActName(found)));
            r.lb_mes = Concat({msg::kNextHead, shown, msg::kNextTail});
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
    block.emplace_back(play.options.order == ProblemOrder::Normal ? msg::kOrderNormal
                                                                  : msg::kOrderRandom);
    switch (play.options.end) {
        case EndCondition::Eof:
            block.push_back(Concat({msg::kEndEof, FormatWidth(play.LineTotal, 3)}));
            break;
        case EndCondition::Seconds:
            block.push_back(Concat({msg::kEndSeconds, FormatWidth(play.options.value, 3)}));
            break;
        case EndCondition::Lines:
            block.push_back(Concat({msg::kEndLines, FormatWidth(play.LineTotal, 3)}));
            break;
    }
    block.insert(block.end(), summary.begin(), summary.end());
    block.emplace_back();
    return block;
}

RecordFiles RecordFiles::For(const fs::path& baseDir, const fs::path& actPath) {
    const fs::path save = baseDir / "save";
    return {save / "kotopa.ini",  save / "record.lst",       ActListPath(baseDir, actPath),
            save / "playlog.log", save / kKeyRecordFileName, RecordJournalPath(save)};
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
                         const LocalTime& at, std::string_view keyBlock) {
    RecordOutcome out;
    if (!result.record) return out;
    const auto notRecorded = [&](const fs::path& path) {
        out.failedPath = path;
        result.memo.resize(5);
        result.lb_mes = msg::kRecordFailed;
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

    std::string keys;
    if (!keyBlock.empty() && ReadFileBytes(files.keyRecord, keys) == ReadStatus::Unreadable) {
        return notRecorded(files.keyRecord);
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

    std::vector<FileGroupWrite> group = {{files.totalList, JoinLines(total)},
                                         {files.actList, JoinLines(act)},
                                         {files.settings, ini.Bytes()},
                                         {files.playLog, std::move(log)}};
    // Blocks that could not be read are left out: the file is written whole again.
    if (!keyBlock.empty()) group.push_back({files.keyRecord, KeyRecordFileWith(keys, keyBlock)});
    const FileGroupOutcome written = WriteFileGroup(files.journal, group);
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
    return PathMessage(pathText.ToSjis(outcome.failedPath),
                       outcome.recorded ? msg::kWriteFailedPending : msg::kWriteFailedNotRecorded);
}

}  // namespace kotopa
