// The end of a play: the result dialog's summary, the comparison with the bests, the next
// Act, and the records a completed play leaves behind (record lists, settings keys, play
// log). ComputeResult decides everything as a pure function; RecordPlay then writes the
// files as one group that is never left half-recorded, and says exactly which file failed.
// All texts are Shift_JIS; paths stay native until they are shown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basedir.h"
#include "filegroup.h"
#include "keyrecordfile.h"
#include "play.h"
#include "settings.h"
#include "textfile.h"

namespace kotopa {

// How native paths and their Shift_JIS text convert into each other: the system's code page
// 932 converter (PathToSjis / PathFromSjis) unless a test puts other conversions in.
struct PathText {
    std::function<std::string(const std::filesystem::path&)> toSjis;
    std::function<std::filesystem::path(std::string_view)> fromSjis;

    std::string ToSjis(const std::filesystem::path& p) const;
    std::filesystem::path FromSjis(std::string_view s) const;
};

// The result dialog's answer.
enum class ResultChoice : int32_t { Cancel = 0, NextAct = 1, Replay = 2 };

// The dialog's own key test: "n" (only while bt_Tugi is enabled), "r", "c" and Esc. Upper
// case letters are left to the buttons' Alt accelerators.
std::optional<ResultChoice> ResultKeyChoice(char key, bool tugiEnabled);

struct ResultInput {
    PlayFacts play;
    bool checkSave = false;  // "記録しない" is ticked
    std::filesystem::path actPath;
    Bests bests;  // before this play
    PathText pathText;
    // Finds the next Act: the path of the file found, or empty. FindFileAnyCase when left
    // empty.
    std::function<std::filesystem::path(const std::filesystem::path&)> findFile;
};

struct PlayResult {
    // The five summary lines, then the two best lines when the play is to be recorded: the
    // lines of the play log's block, and the dialog's unless the recording failed.
    std::vector<std::string> lines;
    std::string lb_mes;
    bool bt_TugiEnabled = false;
    std::filesystem::path NextActPath;  // set only when that file exists

    uint32_t elapsedSeconds = 0;
    int32_t keysPerMin = 0;
    int32_t charsPerMin = 0;
    double accuracy = 0;

    // A complete play with "記録しない" unticked. Only then are the fields below meant to
    // be stored, and only RecordPlay stores them.
    bool record = false;
    Bests bests;             // after the play: raised bests, PlayCount + 1
    std::string recordLine;  // "seconds chars/min mistypes"
    PlayFacts play;          // what the play log's header lines are made from
};

// The summary lines every result has, recorded or not.
inline constexpr std::size_t kSummaryLines = 5;

PlayResult ComputeResult(const ResultInput& in);

// "Act01" → "Act02": the last two bytes as a decimal number (999 when they are not one),
// plus one, at least two digits, after the rest of the name. Empty for names shorter than
// three bytes, which lead nowhere.
std::string NextActName(std::string_view actNameSjis);

// The file at path or, when there is none, a file beside it whose name differs only in the
// case of ASCII letters (the first in byte order when there are several), as a file system
// that ignores case would find it. Empty when neither exists.
std::filesystem::path FindFileAnyCase(const std::filesystem::path& path);

// Three decimal integers separated by single blanks.
std::string RecordLine(uint32_t elapsedSeconds, int32_t charsPerMin, int32_t missCount);

// A record list holds at most 150 plays as the program writes it.
inline constexpr std::size_t kRecordListLimit = 150;
// The largest files read: a record list of 150 plays is about 2 KB; the play log grows by
// about 400 bytes a play (256 MiB are some 600,000 plays), and the viewer shows a log of up
// to 32 MiB.
inline constexpr std::uintmax_t kRecordListFileLimit = 1 * kMiB;
inline constexpr std::uintmax_t kPlayLogFileLimit = 256 * kMiB;
inline constexpr std::uintmax_t kPlayLogViewLimit = 32 * kMiB;
// Appends a line; when the list is then above the limit its first line goes, once.
void AppendRecord(std::vector<std::string>& list, std::string line);

// Local date and time for the play log's stamp.
struct LocalTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// One block of the play log: "yyyymmddhhnnss -----", the order, the end condition (its
// 24-byte label and "%3d"), every summary line, and an empty line.
std::vector<std::string> PlayLogBlock(const LocalTime& at, const PlayFacts& play,
                                      const std::vector<std::string>& summary);

// The files of one recorded play, all in save/ (SaveFolder), and the journal that makes
// their writing one step (filegroup.h).
struct RecordFiles {
    std::filesystem::path settings;         // kotopa.ini
    std::filesystem::path totalList;        // record.lst
    std::filesystem::path actList;          // <ActName>.lst
    std::filesystem::path playLog;          // playlog.log
    std::filesystem::path keyRecord;        // keyrecord.txt
    std::filesystem::path journal;          // recording.journal
    InputStyle style = InputStyle::Romaji;  // whose lists these are and whose bests are written

    // The files of a play in a style: its record lists, and kotopa.ini with its bests.
    static RecordFiles For(const std::filesystem::path& baseDir,
                           const std::filesystem::path& actPath,
                           InputStyle style = InputStyle::Romaji);
};

// The files of save/ that a recording writes, by their names: kotopa.ini, playlog.log,
// keyrecord.txt and the record lists (record.lst and every Act's list, "*.lst"). The only
// files its journal may name.
bool IsRecordingFile(const std::filesystem::path& name);

// The records the main window keeps between plays: the bests, the list of all Acts'
// plays (record.lst) and the current Act's, each as it was read or last written. A list
// whose file exists but could not be read is never written over, so that its plays are not
// replaced by an empty list; a list grows by one line per recorded play and keeps at most
// kRecordListLimit lines.
class RecordBook {
public:
    ReadStatus LoadTotalRecords(const std::filesystem::path& path);  // at start-up
    ReadStatus LoadActRecords(const std::filesystem::path& path);    // with every loaded Act

    const std::vector<std::string>& TotalRecords() const { return TotalRecords_; }
    const std::vector<std::string>& ActRecords() const { return ActRecords_; }
    ReadStatus TotalStatus() const { return TotalStatus_; }
    ReadStatus ActStatus() const { return ActStatus_; }
    const Bests& CurrentBests() const { return Bests_; }
    void SetBests(const Bests& bests) { Bests_ = bests; }

    // Both lists as they are with line appended (AppendRecord); the book is unchanged.
    struct Lists {
        std::vector<std::string> total;
        std::vector<std::string> act;
    };
    Lists WithRecord(const std::string& line) const;
    // The lists and bests of a play whose files now hold them.
    void Recorded(Lists lists, const Bests& bests);

    // The key record file as the last recording read or wrote it, with its blocks' places:
    // while the file holds exactly these bytes, the next recording keeps its blocks without
    // reading them again.
    const KeyRecordBytes& KeyRecordKept() const { return KeyRecordKept_; }
    void KeepKeyRecord(KeyRecordBytes kept) { KeyRecordKept_ = std::move(kept); }
    // Reads the key record once, so that already the first recording after the start copies
    // its blocks; a file that cannot be read leaves the book as it was (the recording then
    // reads it itself and says what is wrong).
    void LoadKeyRecord(const std::filesystem::path& path);

private:
    Bests Bests_;
    std::vector<std::string> TotalRecords_;
    std::vector<std::string> ActRecords_;
    ReadStatus TotalStatus_ = ReadStatus::Missing;
    ReadStatus ActStatus_ = ReadStatus::Missing;
    KeyRecordBytes KeyRecordKept_;  // of a missing or empty file
};

struct RecordOutcome {
    bool recorded = false;  // the play is in every file (or will be: pending); the book holds it
    bool pending = false;   // failedPath could not be put in place yet; the next start does it
    std::filesystem::path failedPath;  // empty when nothing failed
    bool Failed() const { return !failedPath.empty(); }
};

// Records a play that is to be recorded: record.lst and the Act's list with the play appended,
// the settings keys TOP/KEY, TOP/MOZI and PLAY/COUNT, and the play log with the play's block
// added after every byte it held. The four files are written as one group: all of them hold
// the play or none does, also when the program is killed or the power fails in between. A
// list, the settings or the log that exists but could not be read is never written over.
// When the play is not recorded the book is unchanged (ResultViewOf then says so).
// keyBlock, the play's block of the key record (KeyRecordBlock), joins the group as a fifth
// file, the key record with its newest plays and this one; when it is empty that file is
// left alone.
RecordOutcome RecordPlay(const RecordFiles& files, RecordBook& book, const PlayResult& result,
                         const LocalTime& at, std::string_view keyBlock = {});

// What the result dialog shows.
struct ResultView {
    std::vector<std::string> memo;
    std::string lb_mes;
    bool bt_TugiEnabled = false;
};

// The dialog's view of a result after RecordPlay's outcome (a default outcome for a play
// that was not to be recorded). A play that could not be recorded shows the five summary
// lines and says so in lb_mes: the best lines would claim bests that were not stored.
ResultView ResultViewOf(const PlayResult& result, const RecordOutcome& outcome = {});

// Completes a recording that was cut short (FinishFileGroup on save/'s journal). Run at
// start-up before anything reads save/, by the only copy of the program that uses it.
FinishOutcome FinishInterruptedRecording(const SaveFolder& save);

// The message for a failed recording: the path, LF CR, and what happened to the play.
std::string RecordFailureText(const RecordOutcome& outcome, const PathText& pathText);

}  // namespace kotopa
