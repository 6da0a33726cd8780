// One play of the loaded Act: countdown, line after line through the matcher, Enter at
// every line end, the three end conditions, the upcoming-lines memo and the live labels.
// The session owns all play state; the form feeds it keys, timer ticks and the end button,
// each with the current tick, and renders what the session reports. Nothing here sounds,
// draws or reads a clock: every outcome is returned to the caller.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "act.h"
#include "guide.h"
#include "keyrecord.h"
#include "keytable.h"
#include "matcher.h"
#include "randomsource.h"

namespace kotopa {

enum class PlayState : int32_t {
    Idle = 0,
    Countdown = 100,
    Typing = 200,
    LineComplete = 250,  // the reading is typed; waiting for Enter
    Finished = 300,
};

enum class EndCondition { Eof, Seconds, Lines };
enum class ProblemOrder { Normal, Random };

// How the next play runs, as chosen in the option panel.
struct PlayOptions {
    static constexpr int32_t kMinValue = 5;
    static constexpr int32_t kMaxValue = 999;

    EndCondition end = EndCondition::Eof;
    int32_t value = 60;  // seconds or lines, 5 to 999
    ProblemOrder order = ProblemOrder::Normal;
    bool romajiGuide = false;  // the keys still to type shown under the reading

    // From the option controls. A hand-edited settings file can leave no button of a group
    // selected; the play then runs as with the group's default button (EOF, normal order).
    // The value is brought into 5 to 999.
    static PlayOptions FromControls(std::optional<EndCondition> end, int32_t value,
                                    std::optional<ProblemOrder> order);
};

// Per-minute rate: count / whole seconds × 60 in floating point, halves to the even
// neighbour; 0 while no whole second has passed.
int32_t PerMinuteRate(int64_t count, uint32_t wholeSeconds);

// "nn:ss" of a number of seconds: minutes and seconds, two digits each, hours dropped.
std::string FormatMinSec(uint32_t seconds);
// "%3d / %3d".
std::string FormatLineOfTotal(int32_t line, int32_t total);
// printf "%<width>d".
std::string FormatWidth(int64_t value, int width);

// The texts of the statistics labels during a play.
struct LiveLabels {
    std::string lb_Mozi = "00000";
    std::string Lb_Miss = "00000";
    std::string lb_Keika = "00:00";
    std::string lb_Daken = "0000";
    std::string lb_Sokudo = "0000";
    std::string lb_Mondai = "000 / 000";
    bool operator==(const LiveLabels&) const = default;
};

LiveLabels FormatLiveLabels(uint32_t elapsedMs, int32_t keyCount, int32_t charCount,
                            int32_t missCount, int32_t lineIndex, int32_t lineTotal);

// What the result dialog and the records are computed from.
struct PlayFacts {
    bool Aborted = false;
    uint32_t StartTick = 0;
    uint32_t StopTick = 0;
    int32_t KeyCount = 0;
    int32_t CharCount = 0;
    int32_t MissCount = 0;
    int32_t TypeCount = 0;
    int32_t LineIndex = 0;
    int32_t LineTotal = 0;
    PlayOptions options;  // the options the play ran with
};

// What the play boxes show: ed_Kanji, ed_Yomi (the countdown bar during the countdown),
// ed_Nyuuryoku and the three lists. Valid until the session next changes.
struct PlayView {
    std::string_view ed_Kanji;
    std::string_view ed_Yomi;
    std::string_view ed_Nyuuryoku;
    const std::vector<std::string>& lst_3;
    const std::vector<std::string>& lst_2;
    const std::vector<std::string>& lst_1;
    // The romaji guide while it is on and the reading shows (guideShown): the keys typed
    // for the current unit, then the keys still to type; both empty otherwise.
    bool guideShown = false;
    std::string_view guideTyped;
    std::string_view guideRest;
};

// What one key did. The session keeps ed_Nyuuryoku itself, so the form swallows every key
// of the typing box and shows the session's texts instead.
struct KeyOutcome {
    bool startRequested = false;  // Enter while idle with an Act loaded: run the start button
    bool mistype = false;         // sound the mistype (when the option is on)
    bool finished = false;        // the play has just ended: the form runs FinishPlay
    bool textsChanged = false;    // ed_Kanji, ed_Yomi, ed_Nyuuryoku or the lists changed
    bool memoChanged = false;     // lines were inserted at the top of the memo
};

struct TickOutcome {
    bool textsChanged = false;   // the countdown bar moved, or the first reading appeared
    bool labelsChanged = false;  // some text of Labels() changed
    bool finished = false;       // the time limit ended the play: the form runs FinishPlay
};

class PlaySession {
public:
    static constexpr std::string_view kCountdownBar = "123456789#*********#**********";
    static constexpr uint32_t kCountdownStepMs = 100;  // each step waits strictly longer
    static constexpr std::string_view kMemoEof = "[ EOF ]";
    static constexpr std::string_view kMemoEllipsis = " ...";
    static constexpr int kMemoLineBytes = 46;
    // The written-form and reading boxes show at most this many bytes of the text still to
    // type (whole characters): several times what fits in their width, and so the window's
    // work for a key stays the same however long a line is.
    static constexpr int kBoxBytes = 512;
    // Lines that end a seconds-mode play: more than anyone types, and it grows with each line.
    static constexpr int32_t kSecondsLineTotal = 999;

    // The table and the random source must outlive the session.
    PlaySession(const KeyTable& table, RandomSource& random);

    // Takes the result of reading an Act. The play goes idle whatever the result and the
    // memo is emptied; when the header was read the memo gets header lines 1 to 3 and the
    // written-form and reading boxes lines 4 and 5. A refused file leaves no playable queue
    // (StartEnabled() false) and keeps the previous Act's lines as the pool, unused.
    void LoadAct(ActLoad load);

    // bt_start: an Act is loaded and no play runs.
    bool StartEnabled() const { return hasAct_ && state_ == PlayState::Idle; }
    // bt_end enabled, options disabled, timer on: from StartPlay until the play finishes.
    bool Running() const { return state_ != PlayState::Idle && state_ != PlayState::Finished; }

    // Starts a play on the queue as it stands: the Act in file order after LoadAct, or the
    // queue the last play left when playing again from Finished. Shuffles it for random
    // order. False, and nothing changes, when there is no Act or a play is running.
    bool StartPlay(const PlayOptions& options, uint32_t now);
    // The result dialog's "play again": only from a finished play.
    bool Replay(const PlayOptions& options, uint32_t now) {
        return state_ == PlayState::Finished && StartPlay(options, now);
    }

    // One key of the typing box (Enter 13, Esc 27, Backspace 8 as characters).
    KeyOutcome OnKey(char key, uint32_t now);

    // One timer tick: the countdown, the live labels, the seconds limit.
    TickOutcome OnTick(uint32_t now);

    // The end button: stops a running play as stopped by the user. True when it did.
    bool Stop(uint32_t now);

    PlayState GameState() const { return state_; }
    PlayFacts Facts() const;

    // The play boxes: the matcher's line, except where the display says otherwise, with
    // ed_Kanji and ed_Yomi cut to kBoxBytes.
    PlayView View() const;
    // The memo from its top line down; the top three are the line after next, the next
    // line and the current line.
    const std::deque<std::string>& Memo() const { return display_.memo; }
    const LiveLabels& Labels() const { return display_.labels; }

    const ActScript& Act() const { return act_; }
    const ProblemQueue& Queue() const { return queue_; }
    int32_t LineIndex() const { return lineIndex_; }
    int32_t LineTotal() const { return lineTotal_; }
    int32_t PoolIndex() const { return poolIndex_; }
    const Counters& Counts() const { return matcher_.Counts(); }
    // Every key judged since typing of the current or last play started.
    const KeyRecord& Record() const { return record_; }
    bool Aborted() const { return aborted_; }
    uint32_t StartTick() const { return startTick_; }
    uint32_t StopTick() const { return stopTick_; }
    uint32_t CountdownTick() const { return countdownTick_; }

private:
    // What labels were last formatted from; a tick that changes none of it formats nothing.
    struct LabelInputs {
        uint32_t seconds;
        int32_t keys, chars, misses, line, total;
        bool operator==(const LabelInputs&) const = default;
    };
    // What the window shows beside the matcher's line. The boxes show the matcher's texts
    // except where a text of the display's own stands in: the header lines of a loaded Act,
    // the countdown bar in place of the reading, the typing box a load emptied.
    struct Display {
        std::optional<std::string> ed_Kanji;
        std::optional<std::string> ed_Yomi;
        bool inputCleared = false;
        std::deque<std::string> memo;
        LiveLabels labels;
        std::optional<LabelInputs> labelInputs;
    };

    void StopAborted(uint32_t now);
    void NextLine(uint32_t now, KeyOutcome& out);
    void ShowUpcomingLine(std::size_t position);
    void StartLine(std::size_t position);
    bool UpdateLiveStats(uint32_t now);
    void RecordJudged(JudgeResult result, char key, uint32_t now, const char* headBefore);

    Matcher matcher_;
    RomajiGuide guide_;  // planned only while the option is on
    KeyRecord record_;
    RandomSource* random_;
    ActScript act_;
    bool hasAct_ = false;
    ProblemQueue queue_;
    Display display_;

    PlayOptions options_;
    PlayState state_ = PlayState::Idle;
    int32_t lineIndex_ = 0;
    int32_t lineTotal_ = 0;
    int32_t poolIndex_ = 0;
    bool aborted_ = false;
    uint32_t startTick_ = 0;
    uint32_t stopTick_ = 0;
    uint32_t countdownTick_ = 0;
};

}  // namespace kotopa
