// Names of the core's enums in test failure messages, in place of their raw bytes: gtest
// finds these PrintTo overloads beside the enums by argument-dependent lookup.
#pragma once

#include <initializer_list>
#include <ostream>
#include <utility>

#include "act.h"
#include "filegroup.h"
#include "graph.h"
#include "keypanel.h"
#include "keytable.h"
#include "matcher.h"
#include "play.h"
#include "results.h"
#include "textfile.h"
#include "wave.h"

namespace kotopa {

namespace printers {

// The value's name from the list, and its number when the list has no name for it.
template <typename E>
void PrintName(E value, std::initializer_list<std::pair<E, const char*>> names, std::ostream* os) {
    for (const auto& [v, name] : names) {
        if (v == value) {
            *os << name;
            return;
        }
    }
    *os << "(unnamed " << static_cast<long long>(value) << ")";
}

}  // namespace printers

inline void PrintTo(PlayState s, std::ostream* os) {
    printers::PrintName(s,
                        {{PlayState::Idle, "Idle (0)"},
                         {PlayState::Countdown, "Countdown (100)"},
                         {PlayState::Typing, "Typing (200)"},
                         {PlayState::LineComplete, "LineComplete (250)"},
                         {PlayState::Finished, "Finished (300)"}},
                        os);
}

inline void PrintTo(JudgeResult r, std::ostream* os) {
    printers::PrintName(r,
                        {{JudgeResult::Stopped, "Stopped"},
                         {JudgeResult::Mistype, "Mistype"},
                         {JudgeResult::KeyShown, "KeyShown"},
                         {JudgeResult::UnitCompleted, "UnitCompleted"},
                         {JudgeResult::LineComplete, "LineComplete"},
                         {JudgeResult::LineClosed, "LineClosed"}},
                        os);
}

inline void PrintTo(EndCondition e, std::ostream* os) {
    printers::PrintName(e,
                        {{EndCondition::Eof, "Eof"},
                         {EndCondition::Seconds, "Seconds"},
                         {EndCondition::Lines, "Lines"}},
                        os);
}

inline void PrintTo(ProblemOrder o, std::ostream* os) {
    printers::PrintName(o, {{ProblemOrder::Normal, "Normal"}, {ProblemOrder::Random, "Random"}},
                        os);
}

inline void PrintTo(ActRefusal r, std::ostream* os) {
    printers::PrintName(r,
                        {{ActRefusal::None, "None"},
                         {ActRefusal::BadExtension, "BadExtension"},
                         {ActRefusal::Missing, "Missing"},
                         {ActRefusal::Unreadable, "Unreadable"},
                         {ActRefusal::TooShort, "TooShort"},
                         {ActRefusal::OddLines, "OddLines"},
                         {ActRefusal::TooFewPairs, "TooFewPairs"}},
                        os);
}

inline void PrintTo(ReadStatus s, std::ostream* os) {
    printers::PrintName(s,
                        {{ReadStatus::Ok, "Ok"},
                         {ReadStatus::Missing, "Missing"},
                         {ReadStatus::Unreadable, "Unreadable"}},
                        os);
}

inline void PrintTo(ResultChoice c, std::ostream* os) {
    printers::PrintName(c,
                        {{ResultChoice::Cancel, "Cancel (0)"},
                         {ResultChoice::NextAct, "NextAct (1)"},
                         {ResultChoice::Replay, "Replay (2)"}},
                        os);
}

inline void PrintTo(WaveProblem p, std::ostream* os) {
    printers::PrintName(p,
                        {{WaveProblem::None, "None"},
                         {WaveProblem::Missing, "Missing"},
                         {WaveProblem::Unreadable, "Unreadable"},
                         {WaveProblem::NotRiff, "NotRiff"},
                         {WaveProblem::NotWave, "NotWave"},
                         {WaveProblem::NoFormat, "NoFormat"},
                         {WaveProblem::FormatTooShort, "FormatTooShort"},
                         {WaveProblem::NotPcm, "NotPcm"},
                         {WaveProblem::BadChannels, "BadChannels"},
                         {WaveProblem::BadRate, "BadRate"},
                         {WaveProblem::BadBits, "BadBits"},
                         {WaveProblem::BadBlockAlign, "BadBlockAlign"},
                         {WaveProblem::BadByteRate, "BadByteRate"},
                         {WaveProblem::DataBeforeFormat, "DataBeforeFormat"},
                         {WaveProblem::NoData, "NoData"},
                         {WaveProblem::DataPastEnd, "DataPastEnd"}},
                        os);
}

inline void PrintTo(KeyFileProblem p, std::ostream* os) {
    printers::PrintName(p,
                        {{KeyFileProblem::None, "None"},
                         {KeyFileProblem::Missing, "Missing"},
                         {KeyFileProblem::Unreadable, "Unreadable"},
                         {KeyFileProblem::NoRows, "NoRows"},
                         {KeyFileProblem::NotShiftJis, "NotShiftJis"},
                         {KeyFileProblem::NoKeys, "NoKeys"}},
                        os);
}

inline void PrintTo(SetRowRefusal r, std::ostream* os) {
    printers::PrintName(r,
                        {{SetRowRefusal::None, "None"},
                         {SetRowRefusal::NoRow, "NoRow"},
                         {SetRowRefusal::NoCandidate, "NoCandidate"},
                         {SetRowRefusal::SignRow, "SignRow"}},
                        os);
}

inline void PrintTo(FinishStatus s, std::ostream* os) {
    printers::PrintName(s,
                        {{FinishStatus::NoJournal, "NoJournal"},
                         {FinishStatus::Finished, "Finished"},
                         {FinishStatus::Unfinished, "Unfinished"},
                         {FinishStatus::Discarded, "Discarded"}},
                        os);
}

inline void PrintTo(SeriesKind k, std::ostream* os) {
    printers::PrintName(
        k, {{SeriesKind::Chars, "Chars"}, {SeriesKind::Misses, "Misses"}, {SeriesKind::Seconds, "Seconds"}},
        os);
}

}  // namespace kotopa
