#include "typing.h"

#include <map>
#include <unordered_set>

#include "matcher.h"
#include "sjis.h"

namespace kotopa::tool {

namespace {

constexpr std::string_view kLineEnd = marker::kLineEnd;

int CharCountOf(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

// What decides the matcher's next steps at a given place of the reading: its lists.
std::string ListsKey(const Matcher& m) {
    std::string k;
    for (const auto* list : {&m.lst_3, &m.lst_2, &m.lst_1}) {
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
    for (const auto* list : {&m.lst_3, &m.lst_2, &m.lst_1}) {
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

// The matcher looks at most three characters (six bytes) ahead and one key takes at most
// that much, so it is given a window of the reading instead of all of it: then a step costs
// the same wherever it stands in a long reading. The window moves on before less than two
// looks ahead of it are left.
constexpr std::size_t kWindowBytes = 64;
constexpr std::size_t kWindowSlack = 12;

// A matcher playing rest through a window: its reading is rest[start, end) plus the line-end
// marker when end is the end of rest.
struct Probe {
    Matcher matcher;
    std::size_t end = 0;

    // Bytes of rest that completed units have taken.
    std::size_t Typed(std::string_view rest) const {
        const std::size_t marker = end == rest.size() ? kLineEnd.size() : 0;
        return end - (matcher.ed_Yomi.size() - marker);
    }
    void MoveWindow(std::string_view rest) {
        const std::size_t at = Typed(rest);
        if (end == rest.size() || end - at >= kWindowSlack) return;
        end = at;
        while (end < rest.size() && end - at < kWindowBytes) end += CharLength(rest, end);
        matcher.ed_Yomi = std::string(rest.substr(at, end - at));
        if (end == rest.size()) matcher.ed_Yomi += kLineEnd;
    }
};

// The states found at one place of the reading, each once.
struct Place {
    std::unordered_set<std::string> seen;
    std::vector<Probe> probes;
    void Add(Probe p) {
        if (seen.insert(ListsKey(p.matcher)).second) probes.push_back(std::move(p));
    }
};

// Plays every key sequence from a fresh matcher on rest. Returns true when the line can be
// finished; otherwise furthest is the most bytes of rest that completed units ever took.
// Units only move forward, so the states are tried place by place, and a place is forgotten
// once it is done: time and memory grow with the length of rest, no faster.
bool Explore(const KeyTable& table, std::string_view rest, bool lineStart, std::size_t& furthest) {
    furthest = 0;
    Probe start{Matcher(table), 0};
    start.MoveWindow(rest);
    if (lineStart) {
        start.matcher.FillCandidateLists(
            std::string_view(start.matcher.ed_Yomi).substr(0, start.end));
    } else {
        start.matcher.FillCandidateLists(start.matcher.ed_Yomi);
    }
    std::map<std::size_t, Place> ahead;
    ahead[0].Add(std::move(start));
    while (!ahead.empty()) {
        auto node = ahead.extract(ahead.begin());
        Place& here = node.mapped();
        for (std::size_t i = 0; i < here.probes.size(); ++i) {
            const Probe probe = here.probes[i];  // Add below may move the vector
            for (const char key : NextKeys(probe.matcher)) {
                Probe next = probe;
                char k = key;
                const JudgeResult r = next.matcher.JudgeKey(k);
                if (r == JudgeResult::LineComplete) return true;
                if (r == JudgeResult::Mistype) continue;
                const std::size_t typed = next.Typed(rest);
                if (r == JudgeResult::UnitCompleted) furthest = std::max(furthest, typed);
                next.MoveWindow(rest);
                if (typed == node.key()) {
                    here.Add(std::move(next));
                } else {
                    ahead[typed].Add(std::move(next));
                }
            }
        }
    }
    return false;
}

}  // namespace

std::vector<Blocked> UntypableCharacters(const KeyTable& table, std::string_view reading) {
    std::vector<Blocked> blocked;
    std::size_t at = 0;  // bytes of the reading already judged
    int atChars = 0;     // and the characters they hold
    bool lineStart = true;
    while (at < reading.size()) {
        const std::string_view rest = reading.substr(at);
        std::size_t furthest = 0;
        if (Explore(table, rest, lineStart, furthest)) break;
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
        lineStart = false;
    }
    return blocked;
}

TryResult TryTyping(const KeyTable& table, std::string_view reading, std::string_view keys) {
    TryResult result;
    Matcher m(table);
    m.FillCandidateLists(reading);
    m.ed_Yomi = std::string(reading) + std::string(kLineEnd);
    const int total = CharCountOf(reading);
    std::string unitKeys;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (result.completed) {
            ++result.keysAfterEnd;
            continue;
        }
        const std::string before = m.ed_Yomi;
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
            result.units.push_back({before.substr(0, before.size() - m.ed_Yomi.size()), unitKeys});
            unitKeys.clear();
        }
        if (r == JudgeResult::LineComplete) result.completed = true;
    }
    result.KeyCount = m.KeyCount;
    result.CharCount = m.CharCount;
    result.MissCount = m.MissCount;
    return result;
}

}  // namespace kotopa::tool
