// The keystroke matcher: how every key of a line is judged. It holds the line being typed
// (the written form and the reading, each ending in the line-end marker) and how far both
// have been typed, the keys typed since the last completed unit, the three candidate lists
// filled from the key table for the head of the reading, and the play's counters. It
// returns what each key did and leaves sound and redraw to its caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"

namespace kotopa {

namespace marker {
inline constexpr std::string_view kLineEnd = "\x81\x59";   // 〆, ends reading and written form
inline constexpr std::string_view kRuledOut = "\x81\x99";  // ☆, a candidate ruled out
inline constexpr std::string_view kPromptLeft = "\x81\xA9 \x81\xA1";   // "← ■", in lst_1
inline constexpr std::string_view kPromptEnter = "Enter!";             // in lst_2
inline constexpr std::string_view kPromptCarets = "^^^^^^";            // in lst_2
inline constexpr std::string_view kPromptRight = "\x81\xA1 \x81\xA8";  // "■ →", in lst_3
}  // namespace marker

enum class JudgeResult {
    Stopped,        // Esc: the play stops
    Mistype,        // no candidate takes the key, or a key other than Enter at the line end
    KeyShown,       // the key continues a candidate and stands in ed_Nyuuryoku
    UnitCompleted,  // a unit was typed in full and removed from the reading
    LineComplete,   // the reading is down to the line-end marker; Enter closes the line
    LineClosed,     // Enter at the line end: the caller brings the next line or ends the play
};

// What a play counts. Every key judged is typed; each is then a keystroke, a mistype, or
// the Esc that stopped the play.
struct Counters {
    int32_t KeyCount = 0;   // correct keystrokes, and one per Enter that closes a line
    int32_t CharCount = 0;  // characters completed, and one per Enter that closes a line
    int32_t MissCount = 0;  // mistypes, and keys other than Enter at a line end
    int32_t TypeCount = 0;  // every key judged, Esc included
    bool operator==(const Counters&) const = default;
};

class Matcher {
public:
    // Longest text ed_Nyuuryoku holds.
    static constexpr std::size_t kInputLimit = 6;

    // The table must outlive the matcher and stay unchanged while a line is typed.
    explicit Matcher(const KeyTable& table) : table_(&table) {}

    // A new line: the written form and the reading get the line-end marker, the typed keys
    // are cleared and the lists are filled for the head of the bare reading, so that an item
    // longer than a short reading's rest still lands in every list it fits. Counters run on.
    void StartLine(std::string_view kanji, std::string_view yomi);

    // Moves typing on to byte from of the line's reading (a character boundary), as if units
    // had taken everything before it: the typed keys are cleared and the lists filled from
    // the reading with its marker, as after a unit; the written form and the counters stay.
    // A search over key sequences goes on with it behind a character no key types.
    void ResumeAt(std::size_t from);

    // Judges one typed byte: Esc stops; while reading is left, the key narrows the lists
    // (lst_3, lst_2, lst_1 in turn; among completions the list narrowed last decides, so the
    // shortest unit wins) or is a mistype; at the line end only Enter closes the line. Key is
    // set to 0 unless the result is KeyShown. Every key counts in TypeCount.
    JudgeResult JudgeKey(char& Key);

    // The rules the keys are judged by: the table's.
    const KeyRules& Rules() const { return table_->Rules(); }

    // A new play counts from zero.
    void ResetCounters() { counts_ = {}; }
    const Counters& Counts() const { return counts_; }

    // Characters covered by the last completed unit (1 to 3).
    int LastUnitChars() const { return lastUnitChars_; }

    // What the play boxes show. The views stay valid until the next StartLine.
    std::string_view ed_Kanji() const;  // the written form still to come, with its marker
    std::string_view ed_Yomi() const;   // the reading still to type, with its marker
    const std::string& ed_Nyuuryoku() const { return input_; }
    const std::vector<std::string>& lst_3() const { return lst_3_; }
    const std::vector<std::string>& lst_2() const { return lst_2_; }
    const std::vector<std::string>& lst_1() const { return lst_1_; }

private:
    // A line's texts, shared by copies of a matcher (a search over key sequences copies it at
    // every step) and never changed: typing moves positions into them.
    struct Line {
        std::string kanji;
        std::string yomi;
    };

    void SetLine(std::string_view kanji, std::string_view yomi);
    void FillCandidateLists(std::string_view reading, std::size_t readingBytes);
    void RefillCandidateLists();
    JudgeResult JudgeEnter(char key);
    void CompleteUnit(int unit, char key);
    void DropKanjiWord();

    const KeyTable* table_;
    std::shared_ptr<const Line> line_;
    std::size_t kanjiPos_ = 0;     // bytes of the written form dropped
    std::size_t yomiPos_ = 0;      // bytes of the reading typed
    bool kanjiSpaceless_ = false;  // no space is left in the written form
    bool complete_ = false;        // a unit left only the marker: waiting for Enter
    std::string input_;
    std::vector<std::string> lst_3_, lst_2_, lst_1_;
    Counters counts_;
    int lastUnitChars_ = 0;
};

}  // namespace kotopa
