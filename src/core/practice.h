// The practice Act: lines of words that hold the user's weakest kana, chosen from words the
// caller gathers (the phrases of the Acts in ktp/, a dictionary's common words). The choice
// is drawn from a seed taken from the records, so the same records give the same Act.
//
// Lines: line i is built for weak kana i modulo the number of kana that have words; its
// first word holds that kana, and further words, each holding one of the weak kana, follow
// while the line fits its box. Every word's reading and every line's reading pass the
// caller's typing check. The Act's title line starts with a mark of its own: that is how the
// program tells its own practice Act from one the user put under the same name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "weakness.h"

namespace kotopa {

// A word or phrase of a line: its written form and its reading (Shift_JIS), no blanks.
struct PracticeWord {
    std::string written;
    std::string reading;
    bool operator==(const PracticeWord&) const = default;
};

struct PracticeLine {
    std::string written;  // the words joined by blanks
    std::string reading;  // the same words' readings, in step
    std::string kana;     // the weak kana the line was built for
};

struct PracticeOptions {
    std::size_t lines = 24;
    std::size_t kana = 5;            // the weakest so many kana are practised
    std::size_t maxWords = 4;        // words in a line
    std::size_t writtenWidth = 34;   // half-width columns of the written form (full-width 2)
    std::size_t readingWidth = 48;   // and of the reading
    std::size_t minWords = 8;        // fewer usable words than this: no Act
    std::size_t wordsPerKana = 150;  // the first so many words holding each kana are used
};

struct PracticeAct {
    std::vector<std::string> kana;  // the weak kana practised (those that had words)
    std::vector<PracticeLine> lines;
    std::string bytes;    // the Act (Shift_JIS, CR LF); empty when refused
    std::string refusal;  // why there is no Act (Shift_JIS); empty when made
    bool ok() const { return refusal.empty(); }
};

// True when the reading (Shift_JIS) can be typed. Called once per word drawn and per line.
using ReadingCheck = std::function<bool(std::string_view reading)>;

// The practice Act's file name in ktp/ (msg::kPracticeFile).
std::filesystem::path PracticeActFileName();

// True when bytes are an Act this program wrote as its practice Act: its title line starts
// with msg::kPracticeMark.
bool IsPracticeAct(std::string_view bytes);

// The words of a problem pair: both lines split at their blanks (half- or full-width), the
// n-th word of the written form with the n-th of the reading. Nothing when the two lines do
// not have as many words.
std::vector<PracticeWord> PairWords(std::string_view written, std::string_view reading);

// The words of every Act (*.ktp) in folder but the practice Act, in the order of the file
// names and of their pairs, each word once. Acts that cannot be read are passed over.
std::vector<PracticeWord> ActFolderWords(const std::filesystem::path& folder);

// Whether a reading holds item as it is typed: at a character boundary, and for an item of
// one kana not followed by a small kana that joins it into one sound (き of きゃ).
bool HoldsKana(std::string_view reading, std::string_view item);

// A seed that depends on the records alone: the kana figures of the analysis.
uint64_t PracticeSeed(const Weakness& w);

// The practice Act over the weakest kana, from words (earlier words come first in each
// kana's pool, so the caller puts its best sources first).
PracticeAct MakePracticeAct(const std::vector<std::string>& weakKana,
                            const std::vector<PracticeWord>& words, uint64_t seed,
                            const ReadingCheck& typable, const PracticeOptions& options = {});

}  // namespace kotopa
