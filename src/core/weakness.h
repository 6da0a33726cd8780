// What a user should practise, worked out from the key records of the kept plays: per kana
// how often it was typed, how often it cost a mistype and how long it took; per key the
// mistypes and what was typed instead; the spellings chosen per kana; the mistype rate and
// speed per play and their trend; and the weak kana, ranked.
//
// Ranking: only kana typed at least kMinOccurrences times are ranked. Each gets the score
//   mistype rate + kSlownessWeight × max(0, its median time ÷ the median time of all units − 1)
// where the mistype rate is the share of its occurrences that had a mistype, and its time is
// how long it stood at the head of the reading (from the unit before, the line's start or
// typing's start, to its last key). The highest score is the weakest; ties go to the kana
// typed more often, then to the kana's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keyrecordfile.h"

namespace kotopa {

struct SpellingShare {
    std::string keys;  // lower case
    int count = 0;
    double share = 0;  // of the kana's occurrences, 0 to 1
};

struct KanaStats {
    std::string item;  // Shift_JIS
    int count = 0;     // occurrences typed
    int mistyped = 0;  // occurrences with at least one mistype
    int mistypes = 0;  // mistypes in all
    double rate = 0;   // mistyped / count
    uint32_t medianMs = 0;
    double score = 0;
    std::vector<SpellingShare> spellings;  // the most used first
};

struct KeyStats {
    int expected = 0;  // times the key was the right one (typed or missed)
    int mistypes = 0;  // times it was right and another key was typed
    double rate = 0;   // mistypes / expected
};

struct Confusion {
    char expected = 0;
    char typed = 0;
    int count = 0;
    bool operator==(const Confusion&) const = default;
};

struct PlayPoint {
    double mistypeRate = 0;  // mistypes / keys judged
    int32_t charsPerMin = 0;
};

struct Trend {
    int lastPlays = 0, earlierPlays = 0;                 // up to 10 each
    double lastRate = 0, earlierRate = 0;                // mistypes / keys over those plays
    double lastCharsPerMin = 0, earlierCharsPerMin = 0;  // mean of the plays
};

struct Weakness {
    static constexpr int kMinOccurrences = 10;
    static constexpr double kSlownessWeight = 0.5;
    static constexpr std::size_t kTrendPlays = 10;
    static constexpr std::size_t kTopConfusions = 10;

    int plays = 0;
    std::vector<KanaStats> kana;        // every kana typed, weakest (ranked) first
    std::size_t ranked = 0;             // the first ranked entries of kana have enough occurrences
    KeyStats keys[128];                 // by ASCII key, letters in lower case
    std::vector<Confusion> confusions;  // most frequent first, at most kTopConfusions
    std::vector<PlayPoint> perPlay;     // oldest first
    Trend trend;
    uint32_t medianMs = 0;  // over all units

    // The weakest n ranked kana.
    std::vector<std::string> Weakest(std::size_t n) const;
};

// True for a hiragana, a katakana or the long vowel mark at the start of item.
bool IsKanaItem(std::string_view item);

// Over plays (oldest first); only those of the Act called actName (Shift_JIS) unless empty.
Weakness AnalyseWeakness(const std::vector<PlayKeys>& plays, std::string_view actName = {});

// The window's texts, Shift_JIS: one line per kana ("か  ミス 12.5 %  320 ms  24 回"), per
// confusion ("k → q  12 回"), per kana's spellings ("し  shi 91 %  si 9 %"), and the trend.
std::string KanaLine(const KanaStats& k);
std::string ConfusionLine(const Confusion& c);
std::string SpellingLine(const KanaStats& k);
std::string TrendLine(const Weakness& w);

}  // namespace kotopa
