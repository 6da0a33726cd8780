// A search over the states the matcher reaches on one line. A state is what decides the
// matcher's next steps, how much of the reading is left and the three candidate lists, with a
// tag the caller walks beside it (the state of a model typed alongside, or 0); each is kept
// once, with the key that first reached it, so that a way to any state can be shown. States
// are numbered in the order they are reached from state 0, the start: walking them by number
// is a breadth-first search.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

#include "matcher.h"

namespace kotopa::tool {

class MatcherSearch {
public:
    // The search begins with start, tagged tag, as state 0.
    explicit MatcherSearch(Matcher start, int tag = 0);

    // What one key did: the matcher after it and the matcher's judgement.
    struct Move {
        Matcher matcher;
        JudgeResult result;
    };
    // Plays key on a copy of state from's matcher; the state itself stays as it is.
    Move Play(int from, char key) const;

    // The state of m, reached from state from by key, tagged tag: a new state (added), or the
    // one that was reached first.
    struct Reached {
        int state;
        bool added;
    };
    Reached Add(Matcher m, int tag, int from, char key);

    std::size_t Size() const { return states_.size(); }
    const Matcher& MatcherOf(int s) const { return At(s).matcher; }
    int Tag(int s) const { return At(s).tag; }
    // The keys that first reached state s from the start.
    std::string PathTo(int s) const;

    // The keys that can match an entry of m's lists: the first byte of every candidate that a
    // keyboard can produce (neither Esc nor Enter), each key once by the table's rules.
    static std::string NextKeys(const Matcher& m);

private:
    struct State {
        Matcher matcher;
        int tag;
        int parent;  // -1 for the start
        char key;    // the key from parent
    };
    const State& At(int s) const { return states_[static_cast<std::size_t>(s)]; }
    static std::string Identity(const Matcher& m, int tag);

    std::deque<State> states_;
    std::unordered_map<std::string, int> ids_;
};

}  // namespace kotopa::tool
