// The keystroke matcher: the reading still to type, the written form, the keys typed since
// the last completed unit and the three candidate lists, narrowed key by key against the
// key table. It returns what happened and leaves sound and redraw to its caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"

namespace kotopa {

namespace marker {
inline constexpr std::string_view kLineEnd = "\x81\x59";    // 〆, ends reading and written form
inline constexpr std::string_view kRuledOut = "\x81\x99";   // ☆, a candidate ruled out
inline constexpr std::string_view kPromptLeft = "\x81\xA9 \x81\xA1";   // "← ■", in lst_1
inline constexpr std::string_view kPromptEnter = "Enter!";             // in lst_2
inline constexpr std::string_view kPromptCarets = "^^^^^^";            // in lst_2
inline constexpr std::string_view kPromptRight = "\x81\xA1 \x81\xA8";  // "■ →", in lst_3
}  // namespace marker

enum class JudgeResult {
    Stopped,        // Esc: the play stops
    Mistype,        // no candidate takes the key; count it and sound the mistype
    KeyShown,       // the key continues a candidate and stands in ed_Nyuuryoku
    UnitCompleted,  // a unit was typed in full and removed from the reading
    LineComplete,   // the reading is down to the line-end marker
};

class Matcher {
public:
    // Longest text ed_Nyuuryoku holds.
    static constexpr std::size_t kInputLimit = 6;

    explicit Matcher(const KeyTable& table) : table_(&table) {}

    // Clears the three lists and fills them for the head of reading: lst_3, lst_2 and lst_1
    // with the items of three, two and one characters when it begins with a double-byte
    // character, lst_1 alone with the one-byte item otherwise.
    void FillCandidateLists(std::string_view reading);

    // Judges one typed byte. Key is set to 0 when the key is swallowed (every case but
    // KeyShown). The counters and texts below are updated; the caller counts TypeCount,
    // takes the tick on Stopped and plays the sound on Mistype.
    JudgeResult JudgeKey(char& Key);

    // Removes the written form up to and including its first space (full or half width).
    void DropKanjiWord();

    // Characters covered by the last completed unit (1 to 3).
    int LastUnitChars() const { return lastUnitChars_; }

    std::string ed_Yomi;
    std::string ed_Kanji;
    std::string ed_Nyuuryoku;
    std::vector<std::string> lst_3, lst_2, lst_1;
    int32_t KeyCount = 0;
    int32_t CharCount = 0;
    int32_t MissCount = 0;

private:
    const KeyTable* table_;
    int lastUnitChars_ = 0;
};

}  // namespace kotopa
