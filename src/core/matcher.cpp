#include "matcher.h"

#include "sjis.h"

namespace kotopa {

namespace {

bool FirstByteMatches(const std::string& entry, char key) {
    return !entry.empty() && FoldAscii(entry.front()) == FoldAscii(key);
}

// Narrows one list by key; returns true when an entry of it was typed in full.
bool Narrow(std::vector<std::string>& list, char key) {
    bool completed = false;
    for (auto& entry : list) {
        if (FirstByteMatches(entry, key)) {
            entry.erase(0, 1);
            if (entry.empty()) completed = true;
        } else {
            entry.assign(marker::kRuledOut);
        }
    }
    return completed;
}

bool AnyMatches(const std::vector<std::string>& list, char key) {
    for (const auto& entry : list) {
        if (FirstByteMatches(entry, key)) return true;
    }
    return false;
}

}  // namespace

void Matcher::FillCandidateLists(std::string_view reading) {
    lst_3.clear();
    lst_2.clear();
    lst_1.clear();
    if (reading.empty()) return;
    if (IsLeadByte(reading.front())) {
        table_->FindCandidates642(reading, lst_3, lst_2, lst_1);
    } else {
        table_->FindCandidates1(reading, lst_1);
    }
}

JudgeResult Matcher::JudgeKey(char& Key) {
    if (Key == 27) {
        Key = 0;
        return JudgeResult::Stopped;
    }
    if (!AnyMatches(lst_3, Key) && !AnyMatches(lst_2, Key) && !AnyMatches(lst_1, Key)) {
        ++MissCount;
        Key = 0;
        return JudgeResult::Mistype;
    }
    ++KeyCount;
    // Every list is narrowed; among completions the list narrowed last decides, so the
    // unit with the fewest characters wins.
    int unit = 0;
    if (Narrow(lst_3, Key)) unit = 3;
    if (Narrow(lst_2, Key)) unit = 2;
    if (Narrow(lst_1, Key)) unit = 1;
    if (unit == 0) {
        if (ed_Nyuuryoku.size() < kInputLimit) ed_Nyuuryoku += Key;
        return JudgeResult::KeyShown;
    }

    lastUnitChars_ = unit;
    ed_Nyuuryoku.clear();
    if (unit == 1) {
        ed_Yomi.erase(0, ed_Yomi.empty() ? 0 : CharLength(ed_Yomi, 0));
    } else {
        MbDelete(ed_Yomi, unit * 2);
    }
    CharCount += unit;
    if (Key == ' ') DropKanjiWord();
    Key = 0;

    if (ed_Yomi == marker::kLineEnd) {
        lst_3.assign(1, std::string(marker::kPromptRight));
        lst_2.assign({std::string(marker::kPromptEnter), std::string(marker::kPromptCarets)});
        lst_1.assign(1, std::string(marker::kPromptLeft));
        return JudgeResult::LineComplete;
    }
    FillCandidateLists(ed_Yomi);
    return JudgeResult::UnitCompleted;
}

void Matcher::DropKanjiWord() {
    for (std::size_t i = 0; i < ed_Kanji.size();) {
        const std::size_t len = CharLength(ed_Kanji, i);
        if ((len == 1 && ed_Kanji[i] == ' ') ||
            (len == 2 && std::string_view(ed_Kanji).substr(i, 2) == keymark::kZenkakuSpace)) {
            ed_Kanji.erase(0, i + len);
            return;
        }
        i += len;
    }
}

}  // namespace kotopa
