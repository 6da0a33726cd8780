#include "actcheck.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "act.h"
#include "actfiles.h"
#include "keytable.h"
#include "sjis.h"
#include "textfile.h"
#include "typing.h"

namespace kotopa::tool {

int CountSpaces(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == ' ' || s.substr(i, 2) == keymark::kZenkakuSpace) ++n;
    }
    return n;
}

namespace {

// The encoding findings: a UTF-8 byte-order mark, bytes that are not Shift_JIS and NUL bytes with
// their places, and a file that is UTF-8 as a whole. Gives the lines that hold bad bytes.
std::set<int> CheckEncoding(std::string_view bytes, std::vector<Finding>& findings) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        findings.push_back({1, 1,
                            "the file begins with a UTF-8 byte-order mark: it looks like "
                            "UTF-8 text, and an Act is Shift_JIS (convert it with import)"});
    }
    std::set<int> badLines;
    const std::vector<Finding> problems = ActSjisToText(bytes).problems;
    for (const auto& p : problems) {
        badLines.insert(p.line);
        findings.push_back(p);
    }
    const bool multibyte = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    if (!problems.empty() && multibyte && FirstInvalidUtf8(bytes) == std::string_view::npos) {
        findings.push_back(
            {0, 0, "the file is valid UTF-8: an Act is Shift_JIS (convert the text with import)"});
    }
    return badLines;
}

// One problem pair: the written form on kanjiLine (0-based) and its reading on line (1-based).
void CheckPair(const std::string& kanji, std::size_t kanjiLine, const std::string& yomi, int line,
               const KeyTable* keys, const std::set<int>& badLines,
               std::vector<Finding>& findings) {
    const int kanjiSpaces = CountSpaces(kanji);
    const int yomiSpaces = CountSpaces(yomi);
    if (kanjiSpaces != yomiSpaces) {
        findings.push_back({line, 0,
                            "the reading has " + std::to_string(yomiSpaces) +
                                " spaces and its written form (line " +
                                std::to_string(kanjiLine + 1) + ") has " +
                                std::to_string(kanjiSpaces) +
                                ": each space typed drops one word of the written form"});
    }
    // A reading whose bytes are already reported would only add noise here.
    if (!keys || badLines.count(line)) return;
    for (const Blocked& b : UntypableCharacters(*keys, yomi)) {
        if (b.character.empty()) {
            findings.push_back({line, 0, "the key table cannot finish this reading"});
        } else {
            findings.push_back({line, b.charIndex + 1,
                                "the key table cannot type \"" + SjisToUtf8(b.character) + "\""});
        }
    }
}

// The problem pairs with their line numbers, paired as the program pairs them.
void CheckPairs(std::string_view bytes, const KeyTable* keys, const std::set<int>& badLines,
                ActCheck& check) {
    const std::vector<std::string> lines = SplitLines(bytes);
    std::size_t kanjiLine = 0;
    bool written = true;
    for (std::size_t i = 5; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        if (written) {
            kanjiLine = i;
            written = false;
            continue;
        }
        written = true;
        ++check.pairs;
        CheckPair(lines[kanjiLine], kanjiLine, lines[i], static_cast<int>(i) + 1, keys, badLines,
                  check.findings);
    }
    if (!written) {
        check.findings.push_back(
            {static_cast<int>(kanjiLine) + 1, 0, "a written form without a reading"});
    }
}

}  // namespace

ActCheck CheckAct(std::string_view bytes, const KeyTable* keys) {
    ActCheck check;
    // What the program reads: nothing after a NUL (the NUL itself is reported below).
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul + 1);
    const std::set<int> badLines = CheckEncoding(bytes, check.findings);
    ActScript script;
    const ActRefusal refusal = script.Parse(std::string(bytes));
    if (refusal != ActRefusal::None) {
        check.findings.push_back(
            {0, 0, "the program refuses this Act: " + SjisToUtf8(RefusalMessage(refusal))});
    }
    CheckPairs(bytes, keys, badLines, check);
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         return std::tie(a.line, a.column) < std::tie(b.line, b.column);
                     });
    return check;
}

}  // namespace kotopa::tool
