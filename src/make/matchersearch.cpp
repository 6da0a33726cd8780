#include "matchersearch.h"

#include <algorithm>
#include <utility>

namespace kotopa::tool {

MatcherSearch::MatcherSearch(Matcher start, int tag) {
    ids_.emplace(Identity(start, tag), 0);
    states_.push_back({std::move(start), tag, -1, 0});
}

MatcherSearch::Move MatcherSearch::Play(int from, char key) const {
    Move move{At(from).matcher, JudgeResult::Mistype};
    move.result = move.matcher.JudgeKey(key);
    return move;
}

MatcherSearch::Reached MatcherSearch::Add(Matcher m, int tag, int from, char key) {
    const auto [it, added] = ids_.emplace(Identity(m, tag), static_cast<int>(states_.size()));
    if (added) states_.push_back({std::move(m), tag, from, key});
    return {it->second, added};
}

std::string MatcherSearch::PathTo(int s) const {
    std::string keys;
    for (; s > 0; s = At(s).parent) keys += At(s).key;
    std::reverse(keys.begin(), keys.end());
    return keys;
}

std::string MatcherSearch::Identity(const Matcher& m, int tag) {
    std::string k = std::to_string(tag) + '|' + std::to_string(m.ed_Yomi().size());
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        k += '\x02';
        for (const auto& e : *list) {
            k += e;
            k += '\x01';
        }
    }
    return k;
}

std::string MatcherSearch::NextKeys(const Matcher& m) {
    bool seen[128] = {};
    std::string keys;
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        for (const auto& e : *list) {
            if (e.empty()) continue;
            const auto b = static_cast<unsigned char>(e.front());
            if (b < 0x20 || b > 0x7E) continue;  // Esc, Enter and the like end no unit
            // Where case does not matter to the matcher one of the two is enough.
            const char folded = m.Rules().KeyForm(static_cast<char>(b));
            if (!seen[static_cast<unsigned char>(folded)]) {
                seen[static_cast<unsigned char>(folded)] = true;
                keys += folded;
            }
        }
    }
    return keys;
}

}  // namespace kotopa::tool
