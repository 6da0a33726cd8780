// The sums of spelling checks over many readings, the counts that hold at their largest,
// and the kana sequences a key table has to serve.
#include "romaji.h"

#include <algorithm>

namespace kotopa::tool {

SpellingCount AddCounts(SpellingCount a, SpellingCount b) {
    const SpellingCount max = ~SpellingCount(0);
    return a > max - b ? max : a + b;
}

std::string CountText(SpellingCount n) {
    if (n == ~SpellingCount(0)) return "more than 3.4e38";
    if (n == 0) return "0";
    std::string s;
    while (n > 0) {
        s += static_cast<char>('0' + static_cast<int>(n % 10));
        n /= 10;
    }
    std::reverse(s.begin(), s.end());
    return s;
}

void Coverage::Add(const SpellingCheck& check) {
    ++sequences;
    spellings = AddCounts(spellings, check.spellings);
    inScope = AddCounts(inScope, check.inScope);
    accepted = AddCounts(accepted, check.accepted);
    longer = AddCounts(longer, check.longer);
    notStorable = AddCounts(notStorable, check.notStorable);
    exceptions.insert(check.exceptions.begin(), check.exceptions.end());
    failures.insert(failures.end(), check.failures.begin(), check.failures.end());
    // A reading no spelling gives would pass without proving anything.
    if (check.spellings == 0)
        failures.push_back(check.reading + ": no spelling of the romaji table gives it");
    if (failures.empty() && check.accepted != check.inScope) {
        failures.push_back("accepted " + CountText(check.accepted) + " of " +
                           CountText(check.inScope) + " spellings");
    }
}

std::string Coverage::Summary() const {
    std::string s;
    s += "sequences checked: " + std::to_string(sequences) + "\n";
    s += "spellings: " + CountText(spellings) + "\n";
    s += "accepted: " + CountText(accepted) + " of " + CountText(inScope) +
         " that need no exception\n";
    s += "excepted, item of more than three characters: " + CountText(longer) + "\n";
    s += "excepted, candidate a key file cannot hold: " + CountText(notStorable) + "\n";
    for (const auto& [chain, kind] : exceptions) {
        s += "  " +
             std::string(kind == Exception::LongerThanThree ? "longer than three: "
                                                            : "cannot be held: ") +
             chain + "\n";
    }
    s += "failures: " + std::to_string(failures.size()) + "\n";
    for (const auto& f : failures) s += "  " + f + "\n";
    return s;
}

std::vector<std::string> UnitSequences(const RomajiTable& romaji, bool withPairs) {
    const std::vector<RomajiUnit> units = romaji.Units();
    std::vector<std::string> sequences;
    for (const auto& u : units) sequences.push_back(u.text);
    if (!withPairs) return sequences;
    std::vector<std::string> signs;
    for (const auto& u : units) {
        if (!u.kana) signs.push_back(u.text);
    }
    for (const char* extra : {" ", "\x81\x40", "\x81\x49", "\x81\x48"})
        signs.emplace_back(extra);  // 　！？
    for (const auto& first : units) {
        if (!first.kana) continue;
        // ん and っ bind to what follows, also across scripts (パンを, ハッと); other kana
        // meet kana of the other script without binding, as they meet their own.
        const bool binds = first.text == "\x82\xF1" || first.text == "\x83\x93" ||  // ん ン
                           first.text == "\x82\xC1" || first.text == "\x83\x62";    // っ ッ
        for (const auto& second : units) {
            if (second.kana && (binds || second.katakana == first.katakana)) {
                sequences.push_back(first.text + second.text);
            }
        }
        for (const auto& sign : signs) sequences.push_back(first.text + sign);
    }
    return sequences;
}

}  // namespace kotopa::tool
