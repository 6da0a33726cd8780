#include "typing.h"

#include <deque>
#include <unordered_set>

#include "matcher.h"
#include "sjis.h"

namespace kotopa::tool {

namespace {

int CharCountOf(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

// Everything that decides what the matcher does next.
std::string StateKey(const Matcher& m) {
    std::string k = std::to_string(m.ed_Yomi().size());
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        k += '\x02';
        for (const auto& e : *list) {
            k += e;
            k += '\x01';
        }
    }
    return k;
}

// The keys that can match an entry: the first byte of every live candidate that a keyboard
// can produce.
std::string NextKeys(const Matcher& m) {
    bool seen[128] = {};
    std::string keys;
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        for (const auto& e : *list) {
            if (e.empty()) continue;
            const auto b = static_cast<unsigned char>(e.front());
            if (b < 0x20 || b > 0x7E || b == 27) continue;
            // Case does not matter to the matcher: one of the two is enough.
            const char folded = FoldAscii(static_cast<char>(b));
            if (!seen[static_cast<unsigned char>(folded)]) {
                seen[static_cast<unsigned char>(folded)] = true;
                keys += folded;
            }
        }
    }
    return keys;
}

// Plays every key sequence from a fresh matcher on rest. Returns true when the line can be
// finished; otherwise furthest is the most bytes of rest that completed units ever took.
bool Explore(const KeyTable& table, std::string_view rest, bool lineStart, std::size_t& furthest) {
    Matcher start(table);
    if (lineStart) {
        start.StartLine({}, rest);
    } else {
        start.ResumeLine({}, rest);
    }
    furthest = 0;
    std::unordered_set<std::string> seen{StateKey(start)};
    std::deque<Matcher> queue{start};
    const std::size_t full = start.ed_Yomi().size();
    while (!queue.empty()) {
        const Matcher m = std::move(queue.front());
        queue.pop_front();
        for (const char key : NextKeys(m)) {
            Matcher next = m;
            char k = key;
            const JudgeResult r = next.JudgeKey(k);
            if (r == JudgeResult::LineComplete) return true;
            if (r == JudgeResult::Mistype) continue;
            if (r == JudgeResult::UnitCompleted)
                furthest = std::max(furthest, full - next.ed_Yomi().size());
            if (seen.insert(StateKey(next)).second) queue.push_back(std::move(next));
        }
    }
    return false;
}

}  // namespace

std::vector<Blocked> UntypableCharacters(const KeyTable& table, std::string_view reading) {
    std::vector<Blocked> blocked;
    std::size_t at = 0;  // bytes of the reading already judged
    bool lineStart = true;
    while (at < reading.size()) {
        const std::string_view rest = reading.substr(at);
        std::size_t furthest = 0;
        if (Explore(table, rest, lineStart, furthest)) break;
        if (furthest >= rest.size()) {
            blocked.push_back({CharCountOf(reading), std::string()});  // all typed, yet no end
            break;
        }
        // furthest may end inside a double-byte character only through a one-byte unit taken
        // from it, which a table of whole characters never gives; step to a boundary anyway.
        std::size_t pos = 0;
        while (pos < furthest) pos += CharLength(rest, pos);
        const std::size_t len = CharLength(rest, pos);
        blocked.push_back(
            {CharCountOf(reading.substr(0, at + pos)), std::string(rest.substr(pos, len))});
        at += pos + len;
        lineStart = false;
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
