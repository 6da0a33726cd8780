#include "play.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "sjis.h"

namespace kotopa {

PlayOptions PlayOptions::FromControls(std::optional<EndCondition> end, int32_t value,
                                      std::optional<ProblemOrder> order) {
    PlayOptions o;
    o.end = end.value_or(EndCondition::Eof);
    o.value = std::clamp(value, kMinValue, kMaxValue);
    o.order = order.value_or(ProblemOrder::Normal);
    return o;
}

int32_t PerMinuteRate(int64_t count, uint32_t wholeSeconds) {
    if (wholeSeconds == 0) return 0;
    // The quotient is held as a double before it is scaled, so that 45 keys in 120 s give
    // exactly 22.5 and round to 22.
    const double perSecond = static_cast<double>(count) / static_cast<double>(wholeSeconds);
    const double rate = perSecond * 60.0;
    double rounded = std::floor(rate);
    const double fraction = rate - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    if (rounded > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (rounded < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

std::string FormatMinSec(uint32_t seconds) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u:%02u", (seconds / 60) % 60, seconds % 60);
    return buf;
}

std::string FormatLineOfTotal(int32_t line, int32_t total) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%3d / %3d", static_cast<int>(line), static_cast<int>(total));
    return buf;
}

std::string FormatWidth(int64_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(value));
    return buf;
}

LiveLabels FormatLiveLabels(uint32_t elapsedMs, int32_t keyCount, int32_t charCount,
                            int32_t missCount, int32_t lineIndex, int32_t lineTotal) {
    const uint32_t seconds = elapsedMs / 1000;
    LiveLabels l;
    l.lb_Mozi = FormatWidth(charCount, 5);
    l.Lb_Miss = FormatWidth(missCount, 5);
    l.lb_Keika = FormatMinSec(seconds);
    l.lb_Daken = FormatWidth(PerMinuteRate(keyCount, seconds), 4);
    l.lb_Sokudo = FormatWidth(PerMinuteRate(charCount, seconds), 4);
    l.lb_Mondai = FormatLineOfTotal(lineIndex + 1, lineTotal);
    return l;
}

PlaySession::PlaySession(const KeyTable& table, RandomSource& random)
    : matcher_(table), random_(&random) {}

void PlaySession::LoadAct(ActLoad load) {
    state_ = PlayState::Idle;
    display_.memo.clear();
    queue_.clear();
    display_.inputCleared = true;
    guide_.Clear();
    if (load.headerRead) {
        for (std::size_t i = 0; i < 3; ++i) display_.memo.push_back(load.script.header[i]);
        display_.ed_Kanji = load.script.header[3];
        display_.ed_Yomi = load.script.header[4];
    }
    if (load.refusal != ActRefusal::None) {
        hasAct_ = false;
        return;
    }
    act_ = std::move(load.script);
    hasAct_ = act_.PairCount() > 0;
    queue_.resize(act_.PairCount());
    for (std::size_t i = 0; i < queue_.size(); ++i) queue_[i] = static_cast<int32_t>(i);
}

bool PlaySession::StartPlay(const PlayOptions& options, uint32_t now) {
    if (!hasAct_ || queue_.empty()) return false;
    if (state_ != PlayState::Idle && state_ != PlayState::Finished) return false;

    options_ = PlayOptions::FromControls(options.end, options.value, options.order);
    options_.romajiGuide = options.romajiGuide;
    lineIndex_ = 0;
    poolIndex_ = 0;
    if (options_.order == ProblemOrder::Random) {
        random_->SeedFromClock();
        const auto n = static_cast<uint32_t>(queue_.size());
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t a = random_->Below(n);
            const uint32_t b = random_->Below(n);
            SwapProblems(queue_, b, a);
        }
    }
    switch (options_.end) {
        case EndCondition::Eof:
            lineTotal_ = static_cast<int32_t>(queue_.size());
            break;
        case EndCondition::Seconds:
            lineTotal_ = kSecondsLineTotal;
            break;
        case EndCondition::Lines:
            lineTotal_ = options_.value;
            break;
    }
    ShowUpcomingLine(0);
    ShowUpcomingLine(1);
    ShowUpcomingLine(2);
    StartLine(0);
    // The reading stays hidden behind the countdown bar until typing starts.
    display_.ed_Yomi.emplace(kCountdownBar);

    matcher_.ResetCounters();
    // Room for the keys of the whole play, so the key path allocates nothing; a longer play
    // than foreseen grows it now and then.
    std::size_t readingBytes = 0;
    for (int32_t pair : queue_) readingBytes += act_.Yomi(static_cast<std::size_t>(pair)).size();
    std::size_t keys = readingBytes * 2;
    if (options_.end == EndCondition::Lines) {
        keys = keys / queue_.size() * static_cast<std::size_t>(options_.value);
    } else if (options_.end == EndCondition::Seconds) {
        keys = static_cast<std::size_t>(options_.value) * 20;  // above any typist's speed
    }
    record_.Clear();
    record_.Reserve(std::max<std::size_t>(keys, 4096));
    state_ = PlayState::Countdown;
    aborted_ = false;
    startTick_ = now;
    countdownTick_ = now;
    display_.labelInputs.reset();
    UpdateLiveStats(now);
    return true;
}

void PlaySession::ShowUpcomingLine(std::size_t position) {
    auto& memo = display_.memo;
    if (lineTotal_ - 3 < lineIndex_ || position >= queue_.size()) {
        memo.emplace_front(kMemoEof);
        return;
    }
    const std::string_view line = act_.Kanji(static_cast<std::size_t>(queue_[position]));
    if (line.size() > static_cast<std::size_t>(kMemoLineBytes)) {
        memo.push_front(MbCopy(line, kMemoLineBytes) + std::string(kMemoEllipsis));
    } else {
        memo.emplace_front(line);
    }
}

void PlaySession::StartLine(std::size_t position) {
    const auto pair = static_cast<std::size_t>(queue_[position]);
    matcher_.StartLine(act_.Kanji(pair), act_.Yomi(pair));
    if (options_.romajiGuide) {
        guide_.StartLine(matcher_);
    } else {
        guide_.Clear();
    }
    display_.ed_Kanji.reset();
    display_.ed_Yomi.reset();
    display_.inputCleared = false;
}

PlayView PlaySession::View() const {
    const auto shown = [](const std::optional<std::string>& own, std::string_view line) {
        const std::string_view text = own ? std::string_view(*own) : line;
        return text.substr(0, HeadLength(text, kBoxBytes));
    };
    // The guide goes with the reading, not with the countdown bar or an Act's header lines.
    const bool guideShown = options_.romajiGuide && !display_.ed_Yomi;
    return {shown(display_.ed_Kanji, matcher_.ed_Kanji()),
            shown(display_.ed_Yomi, matcher_.ed_Yomi()),
            display_.inputCleared ? std::string_view() : std::string_view(matcher_.ed_Nyuuryoku()),
            matcher_.lst_3(),
            matcher_.lst_2(),
            matcher_.lst_1(),
            guideShown,
            guideShown ? std::string_view(guide_.Typed()) : std::string_view(),
            guideShown ? std::string_view(guide_.Rest()) : std::string_view()};
}

void PlaySession::StopAborted(uint32_t now) {
    stopTick_ = now;
    aborted_ = true;
    state_ = PlayState::Finished;
}

KeyOutcome PlaySession::OnKey(char key, uint32_t now) {
    KeyOutcome out;
    switch (state_) {
        case PlayState::Idle:
            out.startRequested = key == 13 && StartEnabled();
            break;
        case PlayState::Countdown:
            // Only Esc acts; other keys are not counted anywhere.
            if (key == 27) {
                StopAborted(now);
                out.finished = true;
            }
            break;
        case PlayState::Typing:
        case PlayState::LineComplete: {
            char k = key;
            const char* headBefore = matcher_.ed_Yomi().data();
            const JudgeResult judged = matcher_.JudgeKey(k);
            RecordJudged(judged, key, now, headBefore);
            if (options_.romajiGuide && judged != JudgeResult::Mistype) guide_.AfterKey(matcher_);
            switch (judged) {
                case JudgeResult::Stopped:
                    StopAborted(now);
                    out.finished = true;
                    break;
                case JudgeResult::Mistype:
                    out.mistype = true;
                    break;
                case JudgeResult::KeyShown:
                case JudgeResult::UnitCompleted:
                    out.textsChanged = true;
                    break;
                case JudgeResult::LineComplete:
                    // The Enter that closes the line must be a key of its own.
                    state_ = PlayState::LineComplete;
                    out.textsChanged = true;
                    break;
                case JudgeResult::LineClosed:
                    NextLine(now, out);
                    break;
            }
            break;
        }
        case PlayState::Finished:
            // The form runs FinishPlay when a play ends and leaves this state through
            // StartPlay or LoadAct; a stray key must not open a second result dialog.
            break;
    }
    return out;
}

// Appends what the matcher did with a key to the key record; headBefore is where the
// reading still to type began before the key.
void PlaySession::RecordJudged(JudgeResult result, char key, uint32_t now, const char* headBefore) {
    const uint32_t ms = now - startTick_;
    switch (result) {
        case JudgeResult::Stopped:
            break;
        case JudgeResult::KeyShown:
            record_.Keystroke(ms, key);
            break;
        case JudgeResult::UnitCompleted:
        case JudgeResult::LineComplete: {
            const char* headAfter = matcher_.ed_Yomi().data();
            record_.Unit(ms, key, std::string_view(headBefore, headAfter - headBefore));
            break;
        }
        case JudgeResult::LineClosed:
            record_.LineEnd(ms);
            break;
        case JudgeResult::Mistype: {
            if (state_ == PlayState::LineComplete) {
                record_.Mistype(ms, key, marker::kLineEnd, "\r");
                break;
            }
            const std::string_view yomi = matcher_.ed_Yomi();
            char expected[MistypeEntry::kExpectedMax];
            std::size_t n = 0;
            for (const auto* list : {&matcher_.lst_3(), &matcher_.lst_2(), &matcher_.lst_1()}) {
                for (const std::string& entry : *list) {
                    if (entry.empty() || entry == marker::kRuledOut) continue;
                    const char next = entry.front();
                    if (std::find(expected, expected + n, next) == expected + n &&
                        n < sizeof expected) {
                        expected[n++] = next;
                    }
                }
            }
            record_.Mistype(ms, key, yomi.substr(0, yomi.empty() ? 0 : CharLength(yomi, 0)),
                            std::string_view(expected, n));
            break;
        }
    }
}

// After the Enter that closed a line: the play ends with its last line, or the next line
// comes from the queue, which outside the end-of-file mode slides over the pool.
void PlaySession::NextLine(uint32_t now, KeyOutcome& out) {
    ++lineIndex_;
    if (lineIndex_ > lineTotal_ - 1) {
        stopTick_ = now;
        state_ = PlayState::Finished;
        out.finished = true;
        return;
    }
    std::size_t position = static_cast<std::size_t>(lineIndex_);
    if (options_.end != EndCondition::Eof) {
        // The queue is a window of constant length that slides over the pool.
        const auto poolSize = static_cast<int32_t>(act_.PairCount());
        int32_t next;
        if (options_.order == ProblemOrder::Normal) {
            next = poolIndex_++;
            if (poolIndex_ > poolSize - 1) poolIndex_ = 0;
        } else {
            next = static_cast<int32_t>(random_->Below(static_cast<uint32_t>(poolSize)));
        }
        queue_.push_back(next);
        queue_.erase(queue_.begin());
        position = 0;
    }
    if (options_.end == EndCondition::Seconds) ++lineTotal_;
    ShowUpcomingLine(position + 2);
    StartLine(position);
    state_ = PlayState::Typing;
    out.textsChanged = true;
    out.memoChanged = true;
}

bool PlaySession::UpdateLiveStats(uint32_t now) {
    const uint32_t elapsed = now - startTick_;  // unsigned: right across a counter wrap
    const Counters& c = matcher_.Counts();
    const LabelInputs in{elapsed / 1000, c.KeyCount, c.CharCount,
                         c.MissCount,    lineIndex_, lineTotal_};
    if (display_.labelInputs == in) return false;
    display_.labelInputs = in;
    LiveLabels next = FormatLiveLabels(elapsed, in.keys, in.chars, in.misses, in.line, in.total);
    if (next == display_.labels) return false;
    display_.labels = std::move(next);
    return true;
}

TickOutcome PlaySession::OnTick(uint32_t now) {
    TickOutcome out;
    switch (state_) {
        case PlayState::Countdown:
            if (now - countdownTick_ > kCountdownStepMs) {
                std::string& bar = *display_.ed_Yomi;
                bar.pop_back();
                if (!bar.empty()) {
                    countdownTick_ = now;
                } else {
                    // The bar has run down: the reading shows and typing starts.
                    state_ = PlayState::Typing;
                    display_.ed_Yomi.reset();
                    startTick_ = now;
                }
                out.textsChanged = true;
            }
            break;
        case PlayState::Typing:
        case PlayState::LineComplete:
            out.labelsChanged = UpdateLiveStats(now);
            if (options_.end == EndCondition::Seconds &&
                (now - startTick_) / 1000 >= static_cast<uint32_t>(options_.value)) {
                // Running out of time is a finished play, not a stopped one.
                stopTick_ = now;
                state_ = PlayState::Finished;
                out.finished = true;
            }
            break;
        case PlayState::Idle:
        case PlayState::Finished:
            break;
    }
    return out;
}

bool PlaySession::Stop(uint32_t now) {
    if (!Running()) return false;
    StopAborted(now);
    return true;
}

PlayFacts PlaySession::Facts() const {
    PlayFacts f;
    f.Aborted = aborted_;
    f.StartTick = startTick_;
    f.StopTick = stopTick_;
    const Counters& c = matcher_.Counts();
    f.KeyCount = c.KeyCount;
    f.CharCount = c.CharCount;
    f.MissCount = c.MissCount;
    f.TypeCount = c.TypeCount;
    f.LineIndex = lineIndex_;
    f.LineTotal = lineTotal_;
    f.options = options_;
    return f;
}

}  // namespace kotopa
