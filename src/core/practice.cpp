#include "practice.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "act.h"
#include "messages.h"
#include "sjis.h"
#include "sjiscodec.h"

namespace kotopa {

namespace {

constexpr std::string_view kFullWidthBlank = "\x81\x40";

// Columns of a Shift_JIS text: two for a double-byte character, one for the rest.
std::size_t Width(std::string_view s) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) w += CharLength(s, i);
    return w;
}

// The words of a line, cut at every half- or full-width blank; empty words are kept so that
// two blanks in a row still count as two.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t n = CharLength(line, i);
        if (line[i] == ' ' || line.substr(i, n) == kFullWidthBlank) {
            words.push_back(line.substr(start, i - start));
            start = i + n;
        }
        i += n;
    }
    words.push_back(line.substr(start));
    return words;
}

// The small kana that join the kana before them into one sound.
bool IsJoiningSmallKana(std::string_view c) {
    if (c.size() != 2) return false;
    const auto lead = static_cast<unsigned char>(c[0]);
    const auto trail = static_cast<unsigned char>(c[1]);
    if (lead == 0x82) {  // ぁぃぅぇぉ ゃゅょ ゎ
        return trail == 0x9F || trail == 0xA1 || trail == 0xA3 || trail == 0xA5 || trail == 0xA7 ||
               trail == 0xE1 || trail == 0xE3 || trail == 0xE5 || trail == 0xEC;
    }
    if (lead == 0x83) {  // ァィゥェォ ャュョ ヮ
        return trail == 0x40 || trail == 0x42 || trail == 0x44 || trail == 0x46 || trail == 0x48 ||
               trail == 0x83 || trail == 0x85 || trail == 0x87 || trail == 0x8E;
    }
    return false;
}

// splitmix64: small, fast and the same on every system, unlike the standard distributions.
class Draws {
public:
    explicit Draws(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

private:
    uint64_t state_;
};

// Word indices handed out in a shuffled order, shuffled afresh when all were handed out.
class Deck {
public:
    explicit Deck(std::vector<std::size_t> words) : words_(std::move(words)) {}
    std::size_t Draw(Draws& draws) {
        if (next_ == 0) {
            for (std::size_t i = words_.size(); i > 1; --i) {
                std::swap(words_[i - 1], words_[draws.Below(i)]);
            }
        }
        const std::size_t w = words_[next_];
        next_ = (next_ + 1) % words_.size();
        return w;
    }
    bool Empty() const { return words_.empty(); }

private:
    std::vector<std::size_t> words_;
    std::size_t next_ = 0;
};

// The words that can go into a line: unique, within the boxes, typable.
std::vector<PracticeWord> UsableWords(const std::vector<PracticeWord>& words,
                                      const ReadingCheck& typable, const PracticeOptions& options) {
    std::vector<PracticeWord> usable;
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (const PracticeWord& w : words) {
        if (w.written.empty() || w.reading.empty()) continue;
        if (Width(w.written) > options.writtenWidth || Width(w.reading) > options.readingWidth)
            continue;
        if (!seen.insert({w.written, w.reading}).second) continue;
        usable.push_back(w);
    }
    std::vector<PracticeWord> typed;
    for (PracticeWord& w : usable) {
        if (typable(w.reading)) typed.push_back(std::move(w));
    }
    return typed;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string s;
    for (const std::string& p : parts) {
        if (!s.empty()) s += between;
        s += p;
    }
    return s;
}

// One line for kana: a word of its own deck first, then words of any weak kana while the
// line fits.
PracticeLine BuildLine(const std::vector<PracticeWord>& words, Deck& own, Deck& any, Draws& draws,
                       const ReadingCheck& typable, const PracticeOptions& options) {
    std::vector<std::size_t> chosen{own.Draw(draws)};
    std::size_t written = Width(words[chosen[0]].written);
    std::size_t reading = Width(words[chosen[0]].reading);
    for (int tries = 0; tries < 8 && chosen.size() < options.maxWords; ++tries) {
        const std::size_t c = any.Draw(draws);
        if (std::find(chosen.begin(), chosen.end(), c) != chosen.end()) continue;
        const std::size_t w = written + 1 + Width(words[c].written);
        const std::size_t r = reading + 1 + Width(words[c].reading);
        if (w > options.writtenWidth || r > options.readingWidth) continue;
        chosen.push_back(c);
        written = w;
        reading = r;
    }
    PracticeLine line;
    for (std::size_t c : chosen) {
        line.written += (line.written.empty() ? "" : " ") + words[c].written;
        line.reading += (line.reading.empty() ? "" : " ") + words[c].reading;
    }
    // A table that types every word but not the blank between them still gets a line.
    if (chosen.size() > 1 && !typable(line.reading)) {
        line.written = words[chosen[0]].written;
        line.reading = words[chosen[0]].reading;
    }
    return line;
}

std::string ActBytes(const PracticeAct& act) {
    const std::string kana = Joined(act.kana, " ");
    std::string bytes = std::string(msg::kPracticeMark) + " " + kana + "\r\n";
    bytes += std::string(msg::kPracticeComment) + "\r\n";
    bytes += std::string(msg::kPracticeNote) + "\r\n";
    bytes += std::string(msg::kPracticeBoxKanji) + "\r\n";
    bytes += kana + "\r\n";
    for (const PracticeLine& line : act.lines)
        bytes += line.written + "\r\n" + line.reading + "\r\n";
    return bytes;
}

}  // namespace

std::filesystem::path PracticeActFileName() {
    return PathFromSjis(msg::kPracticeFile);
}

bool IsPracticeAct(std::string_view bytes) {
    return bytes.starts_with(msg::kPracticeMark);
}

std::vector<PracticeWord> PairWords(std::string_view written, std::string_view reading) {
    const std::vector<std::string_view> w = Words(written), r = Words(reading);
    std::vector<PracticeWord> words;
    if (w.size() != r.size()) return words;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (!w[i].empty() && !r[i].empty()) words.push_back({std::string(w[i]), std::string(r[i])});
    }
    return words;
}

std::vector<PracticeWord> ActFolderWords(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> acts;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& p = it->path();
        if (HasActExtension(p) && p.filename() != PracticeActFileName()) acts.push_back(p);
    }
    std::sort(acts.begin(), acts.end());
    std::vector<PracticeWord> words;
    std::set<std::pair<std::string, std::string>> seen;
    for (const std::filesystem::path& p : acts) {
        const ActLoad load = ReadAct(p);
        if (load.refusal != ActRefusal::None) continue;
        for (std::size_t i = 0; i < load.script.PairCount(); ++i) {
            for (PracticeWord& w : PairWords(load.script.Kanji(i), load.script.Yomi(i))) {
                if (seen.insert({w.written, w.reading}).second) words.push_back(std::move(w));
            }
        }
    }
    return words;
}

bool HoldsKana(std::string_view reading, std::string_view item) {
    if (item.empty()) return false;
    const bool single = CharLength(item, 0) == item.size();
    for (std::size_t i = 0; i < reading.size(); i += CharLength(reading, i)) {
        if (reading.substr(i, item.size()) != item) continue;
        const std::size_t after = i + item.size();
        if (single && after < reading.size() &&
            IsJoiningSmallKana(reading.substr(after, CharLength(reading, after))))
            continue;
        return true;
    }
    return false;
}

uint64_t PracticeSeed(const Weakness& w) {
    uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
    const auto mix = [&h](uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 0x100000001B3ull;
        }
    };
    mix(static_cast<uint64_t>(w.plays));
    for (std::size_t i = 0; i < w.ranked; ++i) {
        const KanaStats& k = w.kana[i];
        for (char c : k.item) mix(static_cast<unsigned char>(c));
        mix(static_cast<uint64_t>(k.count));
        mix(static_cast<uint64_t>(k.mistypes));
        mix(k.medianMs);
    }
    return h;
}

PracticeAct MakePracticeAct(const std::vector<std::string>& weakKana,
                            const std::vector<PracticeWord>& words, uint64_t seed,
                            const ReadingCheck& typable, const PracticeOptions& options) {
    PracticeAct act;
    if (weakKana.empty()) {
        act.refusal = msg::kPracticeNoKana;
        return act;
    }
    const std::size_t kanaCount = std::min(options.kana, weakKana.size());
    // Only the words that hold a weak kana are checked for typing: a check plays the matcher.
    std::vector<PracticeWord> holding;
    std::vector<std::size_t> perKana(kanaCount, 0);
    for (const PracticeWord& w : words) {
        bool any = false;
        for (std::size_t k = 0; k < kanaCount; ++k) {
            if (perKana[k] < options.wordsPerKana && HoldsKana(w.reading, weakKana[k])) {
                ++perKana[k];
                any = true;
            }
        }
        if (any) holding.push_back(w);
    }
    const std::vector<PracticeWord> usable = UsableWords(holding, typable, options);
    if (usable.size() < options.minWords) {
        act.refusal = std::string(msg::kPracticeTooFewHead) + std::to_string(usable.size()) +
                      std::string(msg::kPracticeTooFewTail);
        return act;
    }

    std::vector<Deck> own;
    std::vector<std::size_t> all(usable.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    for (std::size_t k = 0; k < kanaCount; ++k) {
        std::vector<std::size_t> pool;
        for (std::size_t i = 0; i < usable.size(); ++i) {
            if (HoldsKana(usable[i].reading, weakKana[k])) pool.push_back(i);
        }
        if (pool.empty()) continue;
        act.kana.push_back(weakKana[k]);
        own.emplace_back(std::move(pool));
    }
    Draws draws(seed);
    Deck any(std::move(all));
    for (std::size_t i = 0; i < options.lines; ++i) {
        const std::size_t k = i % own.size();
        PracticeLine line = BuildLine(usable, own[k], any, draws, typable, options);
        line.kana = act.kana[k];
        act.lines.push_back(std::move(line));
    }
    act.bytes = ActBytes(act);
    return act;
}

}  // namespace kotopa
