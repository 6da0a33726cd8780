#include "matcher.h"

#include <algorithm>

#include "sjis.h"

namespace kotopa {

namespace {

// A list entry takes the key when its first byte is that key, by the table's rules: letters
// in either case for a romaji table, exactly as they are for a case-sensitive one.
bool FirstByteMatches(const KeyRules& rules, const std::string& entry, char key) {
    return !entry.empty() && rules.SameKey(entry.front(), key);
}

// Narrows one list by key; returns true when an entry of it was typed in full.
bool Narrow(const KeyRules& rules, std::vector<std::string>& list, char key) {
    bool completed = false;
    for (auto& entry : list) {
        if (FirstByteMatches(rules, entry, key)) {
            entry.erase(0, 1);
            if (entry.empty()) completed = true;
        } else {
            entry.assign(marker::kRuledOut);
        }
    }
    return completed;
}

bool AnyMatches(const KeyRules& rules, const std::vector<std::string>& list, char key) {
    for (const auto& entry : list) {
        if (FirstByteMatches(rules, entry, key)) return true;
    }
    return false;
}

bool IsSpaceAt(std::string_view s, std::size_t i, std::size_t len) {
    return (len == 1 && s[i] == ' ') || (len == 2 && s.substr(i, 2) == keymark::kZenkakuSpace);
}

}  // namespace

std::string_view Matcher::ed_Kanji() const {
    return line_ ? std::string_view(line_->kanji).substr(kanjiPos_) : std::string_view();
}

std::string_view Matcher::ed_Yomi() const {
    return line_ ? std::string_view(line_->yomi).substr(yomiPos_) : std::string_view();
}

void Matcher::SetLine(std::string_view kanji, std::string_view yomi) {
    auto line = std::make_shared<Line>();
    line->kanji.reserve(kanji.size() + marker::kLineEnd.size());
    line->kanji.append(kanji).append(marker::kLineEnd);
    line->yomi.reserve(yomi.size() + marker::kLineEnd.size());
    line->yomi.append(yomi).append(marker::kLineEnd);
    line_ = std::move(line);
    kanjiPos_ = 0;
    yomiPos_ = 0;
    kanjiSpaceless_ = false;
    complete_ = false;
    input_.clear();
}

void Matcher::StartLine(std::string_view kanji, std::string_view yomi) {
    SetLine(kanji, yomi);
    FillCandidateLists(yomi, yomi.size());
}

void Matcher::ResumeAt(std::size_t from) {
    if (!line_) return;
    yomiPos_ = std::min(from, line_->yomi.size() - marker::kLineEnd.size());
    complete_ = false;
    input_.clear();
    RefillCandidateLists();
}

// After a unit the look-ups see the rest of the reading with the line-end marker after it.
void Matcher::RefillCandidateLists() {
    const std::string_view rest = ed_Yomi();
    FillCandidateLists(rest, rest.size() - marker::kLineEnd.size());
}

// Fills the lists for the head of reading, of which the first readingBytes belong to the
// line's reading: lst_3, lst_2 and lst_1 with the items of three, two and one characters at
// a double-byte head, lst_1 alone with the one-byte item otherwise. No look-up reaches past
// the reading into the line-end marker: a unit that took the marker would leave a line that
// no key could finish.
void Matcher::FillCandidateLists(std::string_view reading, std::size_t readingBytes) {
    lst_3_.clear();
    lst_2_.clear();
    lst_1_.clear();
    if (reading.empty()) return;
    const auto fits = [&](int bytes) { return HeadLength(reading, bytes) <= readingBytes; };
    if (!IsLeadByte(reading.front())) {
        if (fits(1)) table_->FindCandidates1(reading, lst_1_);
        return;
    }
    if (fits(6)) table_->FindCandidates6(reading, lst_3_);
    if (fits(4)) table_->FindCandidates4(reading, lst_2_);
    if (fits(2)) table_->FindCandidates2(reading, lst_1_);
}

JudgeResult Matcher::JudgeKey(char& Key) {
    ++counts_.TypeCount;
    const char key = Key;
    Key = 0;
    if (key == 27) return JudgeResult::Stopped;
    if (complete_) return JudgeEnter(key);
    const KeyRules& rules = table_->Rules();
    if (!AnyMatches(rules, lst_3_, key) && !AnyMatches(rules, lst_2_, key) &&
        !AnyMatches(rules, lst_1_, key)) {
        ++counts_.MissCount;
        return JudgeResult::Mistype;
    }
    ++counts_.KeyCount;
    // Every list is narrowed; among completions the list narrowed last decides, so the
    // unit with the fewest characters wins.
    int unit = 0;
    if (Narrow(rules, lst_3_, key)) unit = 3;
    if (Narrow(rules, lst_2_, key)) unit = 2;
    if (Narrow(rules, lst_1_, key)) unit = 1;
    if (unit == 0) {
        if (input_.size() < kInputLimit) input_ += key;
        Key = key;
        return JudgeResult::KeyShown;
    }
    CompleteUnit(unit, key);
    if (ed_Yomi() == marker::kLineEnd) {
        complete_ = true;
        lst_3_.assign(1, std::string(marker::kPromptRight));
        lst_2_.assign({std::string(marker::kPromptEnter), std::string(marker::kPromptCarets)});
        lst_1_.assign(1, std::string(marker::kPromptLeft));
        return JudgeResult::LineComplete;
    }
    RefillCandidateLists();
    return JudgeResult::UnitCompleted;
}

// The unit's characters leave the front of the reading: a one-character unit takes one
// character, a longer one the whole-character head of two or three double-byte characters.
void Matcher::CompleteUnit(int unit, char key) {
    lastUnitChars_ = unit;
    input_.clear();
    const std::string_view rest = ed_Yomi();
    if (!rest.empty()) yomiPos_ += unit == 1 ? CharLength(rest, 0) : HeadLength(rest, unit * 2);
    counts_.CharCount += unit;
    if (key == ' ') DropKanjiWord();
}

// Only Enter goes on from a complete line: it counts as a keystroke and a character.
JudgeResult Matcher::JudgeEnter(char key) {
    if (key != 13) {
        ++counts_.MissCount;
        return JudgeResult::Mistype;
    }
    ++counts_.KeyCount;
    ++counts_.CharCount;
    return JudgeResult::LineClosed;
}

// A typed space drops the written form up to and including its first space, full or half
// width, so that written form and reading stay in step word by word. Once no space is left
// the walk is not repeated, so a long line without spaces costs nothing per space typed.
void Matcher::DropKanjiWord() {
    if (!line_ || kanjiSpaceless_) return;
    const std::string_view kanji = line_->kanji;
    for (std::size_t i = kanjiPos_; i < kanji.size();) {
        const std::size_t len = CharLength(kanji, i);
        if (IsSpaceAt(kanji, i, len)) {
            kanjiPos_ = i + len;
            return;
        }
        i += len;
    }
    kanjiSpaceless_ = true;
}

}  // namespace kotopa
