#include "weakness.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include <unordered_map>

#include "messages.h"
#include "play.h"
#include "sjis.h"

namespace kotopa {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

uint32_t Median(std::vector<uint32_t>& v) {
    if (v.empty()) return 0;
    const auto mid = v.begin() + static_cast<long>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

int Characters(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

struct KanaWork {
    KanaStats stats;
    std::vector<uint32_t> times;
    std::map<std::string, int> spellings;
};

}  // namespace

bool IsKanaItem(std::string_view item) {
    if (item.size() < 2) return false;
    const auto lead = static_cast<unsigned char>(item[0]);
    const auto trail = static_cast<unsigned char>(item[1]);
    if (lead == 0x82) return trail >= 0x9F && trail <= 0xF1;  // hiragana
    if (lead == 0x83) return trail >= 0x40 && trail <= 0x96;  // katakana
    return lead == 0x81 && trail == 0x5B;                     // ー
}

std::vector<std::string> Weakness::Weakest(std::size_t n) const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < ranked && out.size() < n; ++i) out.push_back(kana[i].item);
    return out;
}

namespace {

// What one pass over the plays gathers before the figures are worked out.
struct Tally {
    struct PlayCounts {
        int keys = 0, mistypes = 0;
    };
    std::unordered_map<std::string, KanaWork> kana;
    std::map<std::pair<char, char>, int> confusions;
    std::vector<uint32_t> allTimes;
    std::vector<PlayCounts> counts;  // per play, oldest first
};

// A mistype: its keys expected and what was typed instead. Returns whether it belongs to
// the kana coming next (a mistype at a line end belongs to none).
bool CountMistype(const MistypeEntry& m, unsigned char typed, Weakness& w, Tally& t) {
    for (char x : m.Expected()) {
        const auto ex = static_cast<unsigned char>(Lower(x));
        if (ex >= 128) continue;
        ++w.keys[ex].expected;
        ++w.keys[ex].mistypes;
        ++t.confusions[{static_cast<char>(ex), static_cast<char>(typed)}];
    }
    return m.Head() != "\x81\x59";
}

// A completed unit, with the mistypes made while it stood at the head. Returns its characters.
int CountUnit(const KeyRecord& r, const UnitEntry& u, int pending, Tally& t) {
    const std::string_view item = r.Item(u);
    KanaWork& k = t.kana[std::string(item)];
    ++k.stats.count;
    k.stats.mistypes += pending;
    if (pending > 0) ++k.stats.mistyped;
    const uint32_t ms = u.ms - u.headMs;
    k.times.push_back(ms);
    t.allTimes.push_back(ms);
    std::string keys(r.Keys(u));
    for (char& c : keys) c = Lower(c);
    ++k.spellings[keys];
    return Characters(item);
}

// Every key of one play into the tally and the key figures; its point of the plot.
void CountPlay(const PlayKeys& play, Weakness& w, Tally& t) {
    const KeyRecord& r = play.record;
    Tally::PlayCounts pc;
    int chars = 0;
    int pending = 0;  // mistypes while the coming unit stood at the head
    for (const KeyEvent& e : r.Events()) {
        ++pc.keys;
        const auto key = static_cast<unsigned char>(Lower(e.key));
        switch (e.action) {
            case KeyAction::Keystroke:
                if (key < 128) ++w.keys[key].expected;
                break;
            case KeyAction::LineEnd:
                ++chars;
                pending = 0;
                break;
            case KeyAction::Mistype:
                ++pc.mistypes;
                if (CountMistype(r.Mistypes()[e.detail], key, w, t)) ++pending;
                break;
            case KeyAction::Unit:
                if (key < 128) ++w.keys[key].expected;
                chars += CountUnit(r, r.Units()[e.detail], pending, t);
                pending = 0;
                break;
        }
    }
    t.counts.push_back(pc);
    PlayPoint p;
    p.mistypeRate = pc.keys ? static_cast<double>(pc.mistypes) / pc.keys : 0;
    p.charsPerMin = PerMinuteRate(chars, play.elapsedMs / 1000);
    w.perPlay.push_back(p);
}

// The figures of one kana, scored against the median time of all units.
KanaStats KanaFigures(const std::string& item, KanaWork& k, uint32_t allMedianMs) {
    KanaStats s = std::move(k.stats);
    s.item = item;
    s.rate = static_cast<double>(s.mistyped) / s.count;
    s.medianMs = Median(k.times);
    const double slow = allMedianMs ? static_cast<double>(s.medianMs) / allMedianMs - 1.0 : 0.0;
    s.score = s.rate + Weakness::kSlownessWeight * std::max(0.0, slow);
    for (const auto& [keys, n] : k.spellings) {
        s.spellings.push_back({keys, n, static_cast<double>(n) / s.count});
    }
    std::stable_sort(
        s.spellings.begin(), s.spellings.end(),
        [](const SpellingShare& a, const SpellingShare& b) { return a.count > b.count; });
    return s;
}

// The kana with enough occurrences first, weakest first; the rest by how often they came.
void RankKana(Weakness& w, Tally& t) {
    w.medianMs = Median(t.allTimes);
    for (auto& [item, k] : t.kana) {
        if (IsKanaItem(item)) w.kana.push_back(KanaFigures(item, k, w.medianMs));
    }
    const auto rankedFirst = [](const KanaStats& a, const KanaStats& b) {
        const bool ra = a.count >= Weakness::kMinOccurrences;
        const bool rb = b.count >= Weakness::kMinOccurrences;
        if (ra != rb) return ra;
        if (ra && a.score != b.score) return a.score > b.score;
        if (a.count != b.count) return a.count > b.count;
        return a.item < b.item;
    };
    std::sort(w.kana.begin(), w.kana.end(), rankedFirst);
    w.ranked = static_cast<std::size_t>(
        std::count_if(w.kana.begin(), w.kana.end(),
                      [](const KanaStats& s) { return s.count >= Weakness::kMinOccurrences; }));
}

void RankConfusions(Weakness& w, const Tally& t) {
    for (const auto& [pair, n] : t.confusions) w.confusions.push_back({pair.first, pair.second, n});
    std::stable_sort(w.confusions.begin(), w.confusions.end(),
                     [](const Confusion& a, const Confusion& b) { return a.count > b.count; });
    if (w.confusions.size() > Weakness::kTopConfusions) {
        w.confusions.resize(Weakness::kTopConfusions);
    }
}

// The mistype rate and mean speed of plays [from, to).
void TrendOver(const Weakness& w, const Tally& t, std::size_t from, std::size_t to, int& plays,
               double& rate, double& speed) {
    int keys = 0, misses = 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        keys += t.counts[i].keys;
        misses += t.counts[i].mistypes;
        sum += w.perPlay[i].charsPerMin;
    }
    plays = static_cast<int>(to - from);
    rate = keys ? static_cast<double>(misses) / keys : 0;
    speed = plays ? sum / plays : 0;
}

// The last ten plays against the ten before them.
void WorkOutTrend(Weakness& w, const Tally& t) {
    const std::size_t n = t.counts.size();
    const std::size_t lastBegin = n > Weakness::kTrendPlays ? n - Weakness::kTrendPlays : 0;
    const std::size_t earlierBegin =
        lastBegin > Weakness::kTrendPlays ? lastBegin - Weakness::kTrendPlays : 0;
    Trend& tr = w.trend;
    TrendOver(w, t, lastBegin, n, tr.lastPlays, tr.lastRate, tr.lastCharsPerMin);
    TrendOver(w, t, earlierBegin, lastBegin, tr.earlierPlays, tr.earlierRate,
              tr.earlierCharsPerMin);
}

}  // namespace

Weakness AnalyseWeakness(const std::vector<PlayKeys>& plays, std::string_view actName) {
    Weakness w;
    Tally t;
    for (const PlayKeys& play : plays) {
        if (!actName.empty() && play.actName != actName) continue;
        ++w.plays;
        CountPlay(play, w, t);
    }
    for (KeyStats& k : w.keys) {
        if (k.expected) k.rate = static_cast<double>(k.mistypes) / k.expected;
    }
    RankKana(w, t);
    RankConfusions(w, t);
    WorkOutTrend(w, t);
    return w;
}

namespace {

std::string Percent(double share) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %%", share * 100.0);
    return buf;
}

// A key as it reads on the keyboard: Enter, Space, or the character.
std::string KeyName(char c) {
    if (c == '\r') return "Enter";
    if (c == ' ') return "Space";
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned char>(c));
        return buf;
    }
    return std::string(1, c);
}

}  // namespace

std::string KanaLine(const KanaStats& k) {
    return k.item + "  " + std::string(msg::kWeakMiss) + Percent(k.rate) + "  " +
           std::to_string(k.medianMs) + " ms  " + std::to_string(k.count) +
           std::string(msg::kWeakTimes);
}

std::string ConfusionLine(const Confusion& c) {
    return KeyName(c.expected) + std::string(msg::kWeakArrow) + KeyName(c.typed) + "  " +
           std::to_string(c.count) + std::string(msg::kWeakTimes);
}

std::string SpellingLine(const KanaStats& k) {
    std::string line = k.item + " ";
    // "し  shi 92 % si 8 %"
    for (const SpellingShare& s : k.spellings) {
        char buf[16];
        std::snprintf(buf, sizeof buf, " %.0f %%", s.share * 100.0);
        line += " " + s.keys + buf;
    }
    return line;
}

std::string TrendLine(const Weakness& w) {
    const auto part = [](std::string_view head, int plays, double rate, double speed) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", speed);
        return std::string(head) + std::to_string(plays) + std::string(msg::kWeakTimes) + ": " +
               std::string(msg::kWeakMiss) + Percent(rate) + ", " + buf +
               std::string(msg::kWeakPerMin);
    };
    std::string line =
        part(msg::kWeakLast, w.trend.lastPlays, w.trend.lastRate, w.trend.lastCharsPerMin);
    if (w.trend.earlierPlays > 0) {
        line += "   " + part(msg::kWeakEarlier, w.trend.earlierPlays, w.trend.earlierRate,
                             w.trend.earlierCharsPerMin);
    }
    return line;
}

}  // namespace kotopa
