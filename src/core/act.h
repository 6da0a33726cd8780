// Act scripts: five header lines, then written forms and readings in turn (empty lines
// skipped). Reading checks the file in a fixed order and refuses it with the message the
// user sees; a loaded Act is kept as its text and the places of its lines in it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "textfile.h"

namespace kotopa {

enum class ActRefusal {
    None,
    BadExtension,  // the name does not end in .ktp (any case)
    Missing,       // no file at the path
    Unreadable,    // it exists but cannot be read
    TooLarge,      // larger than kActFileLimit
    TooShort,      // fewer than five lines: the header is incomplete
    OddLines,      // written forms and readings do not pair up
    TooFewPairs,   // fewer than five pairs
};

// Acts are a few kilobytes; a whole novel is a few megabytes.
inline constexpr std::uintmax_t kActFileLimit = 16 * kMiB;

// A loaded Act: the header lines and the problem pairs in file order. The pairs are views
// into one buffer, so an Act costs little more than its file.
class ActScript {
public:
    std::array<std::string, 5> header;

    std::size_t PairCount() const { return kanji_.size(); }
    std::string_view Kanji(std::size_t i) const { return View(kanji_[i]); }
    std::string_view Yomi(std::size_t i) const { return View(yomi_[i]); }
    // Lines of the body read before a refusal: written forms may outnumber readings by one.
    std::size_t KanjiCount() const { return kanji_.size(); }
    std::size_t YomiCount() const { return yomi_.size(); }

    // Splits the bytes of a script (lines as in textfile.h) into header and pairs, stopping
    // at the first failed check. Returns None, TooShort, OddLines or TooFewPairs.
    ActRefusal Parse(std::string text);

private:
    struct Span {
        uint32_t begin;
        uint32_t size;
    };
    std::string_view View(Span s) const { return std::string_view(text_).substr(s.begin, s.size); }

    std::string text_;
    std::vector<Span> kanji_, yomi_;
};

struct ActLoad {
    ActRefusal refusal = ActRefusal::None;
    // The header was read (the refusal, if any, is OddLines or TooFewPairs): the window shows it.
    bool headerRead = false;
    ActScript script;
};

// Checks in order: extension, existence, readability, header, pairing, count.
ActLoad ReadAct(const std::filesystem::path& path);

// The message for a refusal (Shift_JIS), empty for None. The window shows the path first,
// then LF CR, then this text.
std::string_view RefusalMessage(ActRefusal refusal);

// The full text of the refusal dialog: path, LF CR, message.
std::string RefusalText(std::string_view sjisPath, ActRefusal refusal);

// True when the extension (from the last point of the file name) is .ktp in any case.
bool HasActExtension(const std::filesystem::path& path);

// The file name without folder and without its last extension: Act07 for ...\ktp\Act07.ktp.
// A path, so that a Japanese name stays whole on every system; it becomes Shift_JIS only
// where it is shown.
std::filesystem::path ActName(const std::filesystem::path& actPath);

// The Act's record list in baseDir's save/ (SaveFolder::ActRecords).
std::filesystem::path ActListPath(const std::filesystem::path& baseDir,
                                  const std::filesystem::path& actPath);

// The play queue: positions of pairs in the Act. A written form and its reading travel
// together, so the queue can never pair a form with another line's reading.
using ProblemQueue = std::vector<int32_t>;

// Exchanges entries i and j of the queue (the written form and the reading at once).
void SwapProblems(ProblemQueue& queue, std::size_t i, std::size_t j);

}  // namespace kotopa
