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
void PrintName(E value, std::ostream* os, std::initializer_list<std::pair<E, const char*>> names) {
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
    printers::PrintName(s, os,
                        {{PlayState::Idle, "Idle (0)"},
                         {PlayState::Countdown, "Countdown (100)"},
                         {PlayState::Typing, "Typing (200)"},
                         {PlayState::LineComplete, "LineComplete (250)"},
                         {PlayState::Finished, "Finished (300)"}});
}

inline void PrintTo(JudgeResult r, std::ostream* os) {
    printers::PrintName(r, os,
                        {{JudgeResult::Stopped, "Stopped"},
                         {JudgeResult::Mistype, "Mistype"},
                         {JudgeResult::KeyShown, "KeyShown"},
                         {JudgeResult::UnitCompleted, "UnitCompleted"},
                         {JudgeResult::LineComplete, "LineComplete"},
                         {JudgeResult::LineClosed, "LineClosed"}});
}

inline void PrintTo(EndCondition e, std::ostream* os) {
    printers::PrintName(e, os,
                        {{EndCondition::Eof, "Eof"},
                         {EndCondition::Seconds, "Seconds"},
                         {EndCondition::Lines, "Lines"}});
}

inline void PrintTo(ProblemOrder o, std::ostream* os) {
    printers::PrintName(o, os,
                        {{ProblemOrder::Normal, "Normal"}, {ProblemOrder::Random, "Random"}});
}

inline void PrintTo(ActRefusal r, std::ostream* os) {
    printers::PrintName(r, os,
                        {{ActRefusal::None, "None"},
                         {ActRefusal::BadExtension, "BadExtension"},
                         {ActRefusal::Missing, "Missing"},
                         {ActRefusal::Unreadable, "Unreadable"},
                         {ActRefusal::TooLarge, "TooLarge"},
                         {ActRefusal::TooShort, "TooShort"},
                         {ActRefusal::OddLines, "OddLines"},
                         {ActRefusal::TooFewPairs, "TooFewPairs"}});
}

inline void PrintTo(ReadStatus s, std::ostream* os) {
    printers::PrintName(s, os,
                        {{ReadStatus::Ok, "Ok"},
                         {ReadStatus::Missing, "Missing"},
                         {ReadStatus::Unreadable, "Unreadable"},
                         {ReadStatus::TooLarge, "TooLarge"}});
}

inline void PrintTo(ResultChoice c, std::ostream* os) {
    printers::PrintName(c, os,
                        {{ResultChoice::Cancel, "Cancel (0)"},
                         {ResultChoice::NextAct, "NextAct (1)"},
                         {ResultChoice::Replay, "Replay (2)"}});
}

inline void PrintTo(WaveProblem p, std::ostream* os) {
    printers::PrintName(p, os,
                        {{WaveProblem::None, "None"},
                         {WaveProblem::Missing, "Missing"},
                         {WaveProblem::Unreadable, "Unreadable"},
                         {WaveProblem::TooLarge, "TooLarge"},
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
                         {WaveProblem::DataPastEnd, "DataPastEnd"}});
}

inline void PrintTo(KeyFileProblem p, std::ostream* os) {
    printers::PrintName(p, os,
                        {{KeyFileProblem::None, "None"},
                         {KeyFileProblem::Missing, "Missing"},
                         {KeyFileProblem::Unreadable, "Unreadable"},
                         {KeyFileProblem::NoRows, "NoRows"},
                         {KeyFileProblem::NotShiftJis, "NotShiftJis"},
                         {KeyFileProblem::NoKeys, "NoKeys"},
                         {KeyFileProblem::TooLarge, "TooLarge"}});
}

inline void PrintTo(SetRowRefusal r, std::ostream* os) {
    printers::PrintName(r, os,
                        {{SetRowRefusal::None, "None"},
                         {SetRowRefusal::NoRow, "NoRow"},
                         {SetRowRefusal::NoCandidate, "NoCandidate"},
                         {SetRowRefusal::SignRow, "SignRow"}});
}

inline void PrintTo(FinishStatus s, std::ostream* os) {
    printers::PrintName(s, os,
                        {{FinishStatus::NoJournal, "NoJournal"},
                         {FinishStatus::Finished, "Finished"},
                         {FinishStatus::Unfinished, "Unfinished"},
                         {FinishStatus::Discarded, "Discarded"}});
}

inline void PrintTo(SeriesKind k, std::ostream* os) {
    printers::PrintName(k, os,
                        {{SeriesKind::Chars, "Chars"},
                         {SeriesKind::Misses, "Misses"},
                         {SeriesKind::Seconds, "Seconds"}});
}

}  // namespace kotopa
