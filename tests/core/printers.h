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

// Whether a value's number is shown beside its name: for the enums whose numbers mean something
// of their own (a game state, a dialog's result).
enum class Number { Hidden, Shown };

// The value's name from the list, and its number when the list has no name for it.
template <typename E>
void PrintName(E value, std::ostream* os, std::initializer_list<std::pair<E, const char*>> names,
               Number number = Number::Hidden) {
    for (const auto& [v, name] : names) {
        if (v == value) {
            *os << name;
            if (number == Number::Shown) *os << " (" << static_cast<long long>(value) << ")";
            return;
        }
    }
    *os << "(unnamed " << static_cast<long long>(value) << ")";
}

}  // namespace printers

// An enumerator with its name as written, where its enum is brought in with using enum.
#define KOTOPA_NAMED(value) std::make_pair(value, #value)

inline void PrintTo(PlayState s, std::ostream* os) {
    using enum PlayState;
    printers::PrintName(s, os,
                        {KOTOPA_NAMED(Idle), KOTOPA_NAMED(Countdown), KOTOPA_NAMED(Typing),
                         KOTOPA_NAMED(LineComplete), KOTOPA_NAMED(Finished)},
                        printers::Number::Shown);
}

inline void PrintTo(JudgeResult r, std::ostream* os) {
    using enum JudgeResult;
    printers::PrintName(
        r, os,
        {KOTOPA_NAMED(Stopped), KOTOPA_NAMED(Mistype), KOTOPA_NAMED(KeyShown),
         KOTOPA_NAMED(UnitCompleted), KOTOPA_NAMED(LineComplete), KOTOPA_NAMED(LineClosed)});
}

inline void PrintTo(EndCondition e, std::ostream* os) {
    using enum EndCondition;
    printers::PrintName(e, os, {KOTOPA_NAMED(Eof), KOTOPA_NAMED(Seconds), KOTOPA_NAMED(Lines)});
}

inline void PrintTo(ProblemOrder o, std::ostream* os) {
    using enum ProblemOrder;
    printers::PrintName(o, os, {KOTOPA_NAMED(Normal), KOTOPA_NAMED(Random)});
}

inline void PrintTo(ActRefusal r, std::ostream* os) {
    using enum ActRefusal;
    printers::PrintName(r, os,
                        {KOTOPA_NAMED(None), KOTOPA_NAMED(BadExtension), KOTOPA_NAMED(Missing),
                         KOTOPA_NAMED(Unreadable), KOTOPA_NAMED(TooLarge), KOTOPA_NAMED(TooShort),
                         KOTOPA_NAMED(OddLines), KOTOPA_NAMED(TooFewPairs)});
}

inline void PrintTo(ReadStatus s, std::ostream* os) {
    using enum ReadStatus;
    printers::PrintName(s, os,
                        {KOTOPA_NAMED(Ok), KOTOPA_NAMED(Missing), KOTOPA_NAMED(Unreadable),
                         KOTOPA_NAMED(TooLarge)});
}

inline void PrintTo(ResultChoice c, std::ostream* os) {
    using enum ResultChoice;
    printers::PrintName(c, os, {KOTOPA_NAMED(Cancel), KOTOPA_NAMED(NextAct), KOTOPA_NAMED(Replay)},
                        printers::Number::Shown);
}

inline void PrintTo(WaveProblem p, std::ostream* os) {
    using enum WaveProblem;
    printers::PrintName(
        p, os,
        {KOTOPA_NAMED(None), KOTOPA_NAMED(Missing), KOTOPA_NAMED(Unreadable),
         KOTOPA_NAMED(TooLarge), KOTOPA_NAMED(NotRiff), KOTOPA_NAMED(NotWave),
         KOTOPA_NAMED(NoFormat), KOTOPA_NAMED(FormatTooShort), KOTOPA_NAMED(NotPcm),
         KOTOPA_NAMED(BadChannels), KOTOPA_NAMED(BadRate), KOTOPA_NAMED(BadBits),
         KOTOPA_NAMED(BadBlockAlign), KOTOPA_NAMED(BadByteRate), KOTOPA_NAMED(DataBeforeFormat),
         KOTOPA_NAMED(NoData), KOTOPA_NAMED(DataPastEnd)});
}

inline void PrintTo(KeyFileProblem p, std::ostream* os) {
    using enum KeyFileProblem;
    printers::PrintName(
        p, os,
        {KOTOPA_NAMED(None), KOTOPA_NAMED(Missing), KOTOPA_NAMED(Unreadable), KOTOPA_NAMED(NoRows),
         KOTOPA_NAMED(NotShiftJis), KOTOPA_NAMED(NoKeys), KOTOPA_NAMED(TooLarge)});
}

inline void PrintTo(SetRowRefusal r, std::ostream* os) {
    using enum SetRowRefusal;
    printers::PrintName(r, os,
                        {KOTOPA_NAMED(None), KOTOPA_NAMED(NoRow), KOTOPA_NAMED(NoCandidate),
                         KOTOPA_NAMED(SignRow)});
}

inline void PrintTo(FinishStatus s, std::ostream* os) {
    using enum FinishStatus;
    printers::PrintName(s, os,
                        {KOTOPA_NAMED(NoJournal), KOTOPA_NAMED(Finished), KOTOPA_NAMED(Unfinished),
                         KOTOPA_NAMED(Discarded)});
}

inline void PrintTo(SeriesKind k, std::ostream* os) {
    using enum SeriesKind;
    printers::PrintName(k, os, {KOTOPA_NAMED(Chars), KOTOPA_NAMED(Misses), KOTOPA_NAMED(Seconds)});
}

#undef KOTOPA_NAMED

}  // namespace kotopa
