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
// can produce, each key once by the table's rules.
std::string NextKeys(const Matcher& m) {
    bool seen[128] = {};
    std::string keys;
    for (const auto* list : {&m.lst_3(), &m.lst_2(), &m.lst_1()}) {
        for (const auto& e : *list) {
            if (e.empty()) continue;
            const auto b = static_cast<unsigned char>(e.front());
            if (b < 0x20 || b > 0x7E || b == 27) continue;
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

// The states found at one place of the reading, each once.
struct Place {
    std::unordered_set<std::string> seen;
    std::vector<Matcher> probes;
    void Add(Matcher m) {
        if (seen.insert(ListsKey(m)).second) probes.push_back(std::move(m));
    }
};

// Plays every key sequence from start, a matcher at the beginning of rest, the end of its
// reading. Returns true when the line can be finished; otherwise furthest is the most bytes
// of rest that completed units ever took. Units only move forward, so the states are tried
// place by place, and a place is forgotten once it is done; a copy of a matcher shares its
// line and a step costs the same anywhere in it: time and memory grow with the length of
// rest, no faster.
bool Explore(const Matcher& start, std::string_view rest, std::size_t& furthest) {
    furthest = 0;
    // Bytes of rest that completed units have taken.
    const auto typedOf = [&](const Matcher& m) {
        return rest.size() + kLineEnd.size() - m.ed_Yomi().size();
    };
    std::map<std::size_t, Place> ahead;
    ahead[0].Add(start);
    while (!ahead.empty()) {
        auto node = ahead.extract(ahead.begin());
        Place& here = node.mapped();
        for (std::size_t i = 0; i < here.probes.size(); ++i) {
            // Taken out, as Add below may move the vector; the last key takes it over.
            Matcher probe = std::move(here.probes[i]);
            const std::string keys = NextKeys(probe);
            for (std::size_t n = 0; n < keys.size(); ++n) {
                const char key = keys[n];
                Matcher next = n + 1 == keys.size() ? std::move(probe) : probe;
                char k = key;
                const JudgeResult r = next.JudgeKey(k);
                if (r == JudgeResult::LineComplete) return true;
                if (r == JudgeResult::Mistype) continue;
                const std::size_t typed = typedOf(next);
                if (r == JudgeResult::UnitCompleted) furthest = std::max(furthest, typed);
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

// Types the reading with the first key that the lists offer at every step: when that
// finishes the line, the reading can be typed, found with one matcher and no search. Most
// readings are typed so; one that is not may still be typable another way.
bool TypesFirstWay(const KeyTable& table, std::string_view reading) {
    Matcher m(table);
    m.StartLine({}, reading);
    // Every key narrows a list or completes a unit, and a unit takes a character or more.
    const std::size_t steps = 16 * (reading.size() + 1);
    for (std::size_t step = 0; step < steps; ++step) {
        const std::string keys = NextKeys(m);
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
