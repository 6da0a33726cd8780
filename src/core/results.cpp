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

    r.lines.push_back(Concat({msg::kActLabel, name}));
    r.lines.push_back(Concat({msg::kElapsedLabel, FormatMinSec(r.elapsedSeconds)}));
    r.lines.push_back(Concat({msg::kKeysPerMinLabel, FormatWidth(r.keysPerMin, 4), " ",
                              msg::kCharsPerMinLabel, FormatWidth(r.charsPerMin, 4)}));
    r.lines.push_back(Concat({msg::kCharsLabel, FormatWidth(p.CharCount, 4), " ", msg::kTypedLabel,
                              FormatWidth(p.KeyCount, 4)}));
    r.lines.push_back(Concat(
        {msg::kMissesLabel, FormatWidth(p.MissCount, 4), " ", msg::kAccuracyLabel, accuracy}));

    if (p.Aborted) return r;
    if (in.checkSave) {
        r.lb_mes = msg::kNotRecorded;
        return r;
    }

    r.lines.push_back(CompareWithBest(r.keysPerMin, r.bests.BestKeysPerMin, msg::kKeysBeaten,
                                      msg::kKeysEqual, msg::kKeysShort));
    r.lines.push_back(CompareWithBest(r.charsPerMin, r.bests.BestCharsPerMin, msg::kCharsBeaten,
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

RecordFiles RecordFiles::For(const fs::path& baseDir, const fs::path& actPath, InputStyle style) {
    const SaveFolder save(baseDir);
    return {save.Settings(),
            save.TotalRecords(style),
            save.ActRecords(ActName(actPath), style),
            save.PlayLog(),
            save.KeyRecord(),
            save.RecordingJournal(),
            style};
}

bool IsRecordingFile(const fs::path& name) {
    return name == "kotopa.ini" || name == "playlog.log" || name == "keyrecord.txt" ||
           HasExtension(name, ".lst");
}

ReadStatus RecordBook::LoadTotalRecords(const fs::path& path) {
    TotalStatus_ = ReadStringList(path, TotalRecords_, kRecordListFileLimit);
    return TotalStatus_;
}

ReadStatus RecordBook::LoadActRecords(const fs::path& path) {
    ActStatus_ = ReadStringList(path, ActRecords_, kRecordListFileLimit);
    return ActStatus_;
}

void RecordBook::LoadKeyRecord(const fs::path& path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes, kKeyRecordMaxFileBytes) != ReadStatus::Ok) return;
    KeyRecordKept_ = IndexKeyRecordFile(std::move(bytes));
}

RecordBook::Lists RecordBook::WithRecord(const std::string& line) const {
    Lists lists{TotalRecords_, ActRecords_};
    AppendRecord(lists.total, line);
    AppendRecord(lists.act, line);
    return lists;
}

void RecordBook::Recorded(Lists lists, const Bests& bests) {
    TotalRecords_ = std::move(lists.total);
    ActRecords_ = std::move(lists.act);
    TotalStatus_ = ReadStatus::Ok;
    ActStatus_ = ReadStatus::Ok;
    Bests_ = bests;
}

namespace {

// One file of a recorded play: its path, and its bytes with the play in them, or nothing
// when the file exists but could not be read (it may hold plays or keys the book lacks, so
// it is not replaced).
struct RecordedFile {
    fs::path path;
    std::function<std::optional<std::string>()> withPlay;
};

std::optional<std::string> ListBytes(ReadStatus read, const std::vector<std::string>& list) {
    if (NotRead(read)) return std::nullopt;
    return JoinLines(list);
}

// The bests of the style the play was typed in: a kana play is compared with kana plays.
std::optional<std::string> SettingsWithPlay(const fs::path& path, const Bests& bests,
                                            InputStyle style) {
    IniFile ini;
    if (NotRead(ini.Load(path, kSettingsFileLimit))) return std::nullopt;
    const bool kana = style == InputStyle::Kana;
    ini.WriteInteger(kana ? "KANA" : "TOP", "KEY", bests.BestKeysPerMin);
    ini.WriteInteger(kana ? "KANA" : "TOP", "MOZI", bests.BestCharsPerMin);
    ini.WriteInteger(kana ? "KANA" : "PLAY", "COUNT", bests.PlayCount);
    return ini.Bytes();
}

std::optional<std::string> PlayLogWithPlay(const fs::path& path, const LocalTime& at,
                                           const PlayResult& result) {
    std::string log;
    if (NotRead(ReadFileBytes(path, log, kPlayLogFileLimit))) return std::nullopt;
    // The old log is kept byte for byte, whatever it holds; only a missing last line end is
    // added so that the block starts on a line of its own.
    if (!log.empty() && log.back() != '\n' && log.back() != '\r') log += "\r\n";
    log += JoinLines(PlayLogBlock(at, result.play, result.lines));
    return log;
}

// The key record with the play's block last; blocks that could not be read are left out, so
// the file is written whole again. When the file holds just the bytes the book kept, their
// blocks are known and are copied as they stand; otherwise the file is read through.
std::optional<KeyRecordBytes> KeyRecordWithPlay(const fs::path& path, const RecordBook& book,
                                                std::string_view block) {
    std::string bytes;
    // One above the bound is not read and starts afresh, as one whose blocks cannot be read.
    if (ReadFileBytes(path, bytes, kKeyRecordMaxFileBytes) == ReadStatus::Unreadable) {
        return std::nullopt;
    }
    const KeyRecordBytes& kept = book.KeyRecordKept();
    if (bytes == kept.bytes) return KeyRecordBytesWith(kept, block);
    return KeyRecordBytesWith(IndexKeyRecordFile(std::move(bytes)), block);
}

}  // namespace

RecordOutcome RecordPlay(const RecordFiles& files, RecordBook& book, const PlayResult& result,
                         const LocalTime& at, std::string_view keyBlock) {
    RecordOutcome out;
    if (!result.record) return out;
    RecordBook::Lists lists = book.WithRecord(result.recordLine);
    // The group's files in the order they are checked and written; a new file of a play is
    // one more entry here (and in RecordFiles).
    std::vector<RecordedFile> parts = {
        {files.totalList, [&] { return ListBytes(book.TotalStatus(), lists.total); }},
        {files.actList, [&] { return ListBytes(book.ActStatus(), lists.act); }},
        {files.settings,
         [&] { return SettingsWithPlay(files.settings, result.bests, files.style); }},
        {files.playLog, [&] { return PlayLogWithPlay(files.playLog, at, result); }},
    };
    std::vector<KeyRecordBytes::Span> keyBlocks;
    const std::size_t keyPart = parts.size();
    if (!keyBlock.empty()) {
        parts.push_back({files.keyRecord, [&]() -> std::optional<std::string> {
                             std::optional<KeyRecordBytes> next =
                                 KeyRecordWithPlay(files.keyRecord, book, keyBlock);
                             if (!next) return std::nullopt;
                             keyBlocks = std::move(next->blocks);
                             return std::move(next->bytes);
                         }});
    }
    std::vector<FileGroupWrite> group;
    for (const RecordedFile& part : parts) {
        std::optional<std::string> bytes = part.withPlay();
        if (!bytes) {
            out.failedPath = part.path;
            return out;
        }
        group.push_back({part.path, std::move(*bytes)});
    }

    const FileGroupOutcome written = WriteFileGroup(files.journal, group, IsRecordingFile);
    out.failedPath = written.failedPath;
    if (!written.committed) return out;
    book.Recorded(std::move(lists), result.bests);
    if (!keyBlock.empty()) {
        // The group's bytes are no longer needed: the book keeps the key record's.
        book.KeepKeyRecord({std::move(group[keyPart].bytes), std::move(keyBlocks), 0});
    }
    out.recorded = true;
    out.pending = !written.ok;
    return out;
}

ResultView ResultViewOf(const PlayResult& result, const RecordOutcome& outcome) {
    ResultView view{result.lines, result.lb_mes, result.bt_TugiEnabled};
    if (outcome.Failed() && !outcome.recorded) {
        if (view.memo.size() > kSummaryLines) view.memo.resize(kSummaryLines);
        view.lb_mes = msg::kRecordFailed;
    }
    return view;
}

FinishOutcome FinishInterruptedRecording(const SaveFolder& save) {
    return FinishFileGroup(save.RecordingJournal(), IsRecordingFile);
}

std::string RecordFailureText(const RecordOutcome& outcome, const PathText& pathText) {
    if (!outcome.Failed()) return {};
    return PathMessage(pathText.ToSjis(outcome.failedPath),
                       outcome.recorded ? msg::kWriteFailedPending : msg::kWriteFailedNotRecorded);
}

}  // namespace kotopa
