#include "typing.h"

#include <algorithm>
#include <utility>

#include "matcher.h"
#include "matchersearch.h"
#include "sjis.h"

namespace kotopa::tool {

namespace {

constexpr std::string_view kLineEnd = marker::kLineEnd;

int CharCountOf(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

// Plays every key sequence from start, a matcher at the beginning of rest, the end of its
// reading. Returns true when the line can be finished; otherwise furthest is the most bytes
// of rest that completed units ever took. A copy of a matcher shares its line and a step
// costs the same anywhere in it, and a place of the reading holds a few states at most: time
// and memory grow with the length of rest, no faster.
bool Explore(const Matcher& start, std::string_view rest, std::size_t& furthest) {
    furthest = 0;
    // Bytes of rest that completed units have taken.
    const auto typedOf = [&](const Matcher& m) {
        return rest.size() + kLineEnd.size() - m.ed_Yomi().size();
    };
    MatcherSearch search(start);
    for (std::size_t s = 0; s < search.Size(); ++s) {
        const int from = static_cast<int>(s);
        for (const char key : MatcherSearch::NextKeys(search.MatcherOf(from))) {
            MatcherSearch::Move move = search.Play(from, key);
            if (move.result == JudgeResult::LineComplete) return true;
            if (move.result == JudgeResult::Mistype) continue;
            if (move.result == JudgeResult::UnitCompleted)
                furthest = std::max(furthest, typedOf(move.matcher));
            search.Add(std::move(move.matcher), 0, from, key);
        }
    }
    return false;
}

// Types the reading with the first key that the lists offer at every step: when that
// finishes the line, the reading can be typed, found with one matcher and no search. Most
// readings are typed so; one that is not may still be typable another way.
bool TypesFirstWay(const KeyTable& table, std::string_view reading) {
    Matcher m(table);
    m.StartLine({}, reading);
    // Every key narrows a list or completes a unit, and a unit takes a character or more.
    const std::size_t steps = 16 * (reading.size() + 1);
    for (std::size_t step = 0; step < steps; ++step) {
        const std::string keys = MatcherSearch::NextKeys(m);
        if (keys.empty()) return false;
        char k = keys.front();
        const JudgeResult r = m.JudgeKey(k);
        if (r == JudgeResult::LineComplete) return true;
        if (r == JudgeResult::Mistype || r == JudgeResult::Stopped) return false;
    }
    return false;
}

}  // namespace

std::vector<Blocked> UntypableCharacters(const KeyTable& table, std::string_view reading) {
    std::vector<Blocked> blocked;
    if (TypesFirstWay(table, reading)) return blocked;
    std::size_t at = 0;  // bytes of the reading already judged
    int atChars = 0;     // and the characters they hold
    Matcher line(table);
    line.StartLine({}, reading);
    while (at < reading.size()) {
        const std::string_view rest = reading.substr(at);
        std::size_t furthest = 0;
        // Behind a blocked character typing goes on as in the middle of a line.
        Matcher start = line;
        if (at > 0) start.ResumeAt(at);
        if (Explore(start, rest, furthest)) break;
        if (furthest >= rest.size()) {
            blocked.push_back(
                {atChars + CharCountOf(rest), std::string()});  // all typed, yet no end
            break;
        }
        // furthest may end inside a double-byte character only through a one-byte unit taken
        // from it, which a table of whole characters never gives; step to a boundary anyway.
        std::size_t pos = 0;
        int chars = 0;
        for (; pos < furthest; ++chars) pos += CharLength(rest, pos);
        const std::size_t len = CharLength(rest, pos);
        blocked.push_back({atChars + chars, std::string(rest.substr(pos, len))});
        at += pos + len;
        atChars += chars + 1;
    }
    return blocked;
}

TryResult TryTyping(const KeyTable& table, std::string_view reading, std::string_view keys) {
    TryResult result;
    Matcher m(table);
    m.StartLine({}, reading);
    const int total = CharCountOf(reading);
    std::string unitKeys;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (result.completed) {
            ++result.keysAfterEnd;
            continue;
        }
        const std::string_view before = m.ed_Yomi();  // the line's text stays in place
        char k = keys[i];
        const JudgeResult r = m.JudgeKey(k);
        if (r == JudgeResult::Stopped) break;
        if (r == JudgeResult::Mistype) {
            if (result.firstMissKey < 0) {
                result.firstMissKey = static_cast<int>(i);
                result.firstMissChar = total - (CharCountOf(before) - 1);
            }
            continue;
        }
        unitKeys += keys[i];
        if (r == JudgeResult::UnitCompleted || r == JudgeResult::LineComplete) {
            result.units.push_back(
                {std::string(before.substr(0, before.size() - m.ed_Yomi().size())), unitKeys});
            unitKeys.clear();
        }
        if (r == JudgeResult::LineComplete) result.completed = true;
    }
    result.KeyCount = m.Counts().KeyCount;
    result.CharCount = m.Counts().CharCount;
    result.MissCount = m.Counts().MissCount;
    return result;
}

}  // namespace kotopa::tool
