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
// end; a sentence of more than 256 characters is cut into parts, at "、" where it can. Half-width katakana become full-width, ideographic spaces and tabs blanks. Errors in
// the notation of given readings and control characters are added to findings.
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
    bool ok() const { return refusal.empty(); }
};

// Makes an Act of the text. Sentences that cannot be written (a word without a reading, a
// kanji Shift_JIS lacks, a reading the key table cannot type) are left out and reported; the
// Act made is checked as kotopa-tool check does before it is given back.
MadeAct MakeAct(std::string_view utf8, Analyzer& analyzer, const KeyTable& keys,
                const MakeOptions& options);

}  // namespace kotopa::tool
