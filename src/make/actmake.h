// kotopa-tool make: an Act from plain Japanese text. The text is cut into sentences, each
// sentence into words by the analyser, and the words into phrases: a content word with the
// particles, auxiliaries and suffixes after it. The written form and the reading are written
// phrase by phrase with one blank between phrases, so each blank typed drops one phrase of
// the written form. A sentence wider than the written-form box is cut at "、", or else
// between phrases.
//
// Readings the analyser does not know or gets wrong are written into the text:
// 漢字[かんじ] reads the kanji just before the bracket, and |入り口[いりぐち] (or ｜) reads
// everything from the bar to the bracket.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"
#include "morph.h"
#include "text.h"

namespace kotopa::tool {

// Full-width characters that the main window's written-form box ed_Kanji shows (27 px
// Gothic in a 489 px box); a half-width character takes half as much. A written form with
// the line-end marker that a play appends to it stays within this.
inline constexpr int kKanjiBoxChars = 18;

// A character of the text with its column (from 1, in characters) on its line.
struct SourceChar {
    char32_t c = 0;
    int column = 0;
};

// A reading given in the text for chars [begin, end) of its sentence.
struct GivenReading {
    std::size_t begin = 0, end = 0;
    std::u32string reading;
};

struct Sentence {
    int line = 0;
    std::vector<SourceChar> chars;  // the notation of given readings taken out
    std::vector<GivenReading> readings;
    bool broken = false;  // holds a notation error, reported already: it is left out
};

// Splits UTF-8 text into sentences: at 。！？ (and ．!?) outside brackets, and at every line
// end; a sentence of more than 256 characters is cut into parts, at "、" where it can. Half-width
// katakana become full-width, ideographic spaces and tabs blanks. Errors in the notation of given
// readings and control characters are added to findings.
std::vector<Sentence> ReadSentences(std::string_view utf8, std::vector<Finding>& findings);

struct MakeOptions {
    std::string title;    // UTF-8: header lines 1 and 4
    std::string comment;  // UTF-8: header lines 2 and 5
};

struct MadePair {
    int line = 0;         // of the text
    std::string written;  // Shift_JIS, phrases joined by blanks
    std::string reading;  // Shift_JIS, the same phrases
};

struct MadeAct {
    std::string bytes;              // the Act (Shift_JIS, CR LF); empty when refused
    std::vector<MadePair> pairs;    // what bytes holds, in order
    std::vector<Finding> findings;  // places of the text to review, in line and column order
    std::string refusal;            // why nothing can be written; empty when bytes is an Act
    Finding refused;                // its cause, where it has one
    bool ok() const { return refusal.empty(); }
    // Why nothing can be written, in the language where the refusal has a cause.
    std::string Refusal(Language language) const {
        return refused.cause == Cause::None ? refusal : refused.Text(language);
    }
};

// A text file as UTF-8: UTF-8 (with or without its BOM), UTF-16 with a BOM, or else
// Shift_JIS (code page 932). A UTF-8 text with broken bytes comes back as it is (MakeAct
// reports where they are); nothing, with the reason in why, when the bytes are none of them.
std::optional<std::string> DecodeText(std::string_view bytes, std::string& why);

// Told how far making has come: sentences made, of how many. Returning false stops it; the
// Act is then refused as cancelled and nothing of it is given back.
using MakeProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Why a pair cannot go into an Act as it stands: its reading untypable with the key table,
// or its words out of step with the written form's (not as many blanks). Empty when it can.
// A pair is checked on its own, so a reading edited by hand re-checks only its line.
std::vector<Finding> CheckMadePair(const MadePair& pair, const KeyTable& keys);

// The Act of the pairs under a header of title and comment (both UTF-8), as MakeAct writes
// it; empty, with the reason in why, when the header cannot be held or the Act fails its
// check.
std::string WriteMadeAct(const std::vector<MadePair>& pairs, const MakeOptions& options,
                         const KeyTable& keys, std::string& why);

// Makes an Act of the text. Sentences that cannot be written (a word without a reading, a
// kanji Shift_JIS lacks, a reading the key table cannot type) are left out and reported; the
// Act made is checked as kotopa-tool check does before it is given back.
MadeAct MakeAct(std::string_view utf8, Analyzer& analyzer, const KeyTable& keys,
                const MakeOptions& options, const MakeProgress& progress = {});

}  // namespace kotopa::tool
