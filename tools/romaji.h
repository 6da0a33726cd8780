// An input method's romaji table as a model of what users type, and the check that a key
// table accepts all of it. The model converts keys as such input methods do: keys gather
// while they begin some rule; a rule fires when its keys are complete and begin no longer
// rule, leaving its pending key (kk gives っ and keeps k); a complete rule that waits for a
// longer one (n) fires when the next key continues none; a key that begins no rule is
// entered as itself, in half or full width (digits, ! ?, the blank). A reading written in
// katakana is typed with the same keys.
//
// Checking a reading walks the model and the real matcher side by side, key by key, over
// states (position and keys gathered in the model; reading left and candidate lists in
// the matcher), so every spelling is covered without listing them one by one.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "keytable.h"

namespace kotopa::tool {

struct RomajiRule {
    std::string keys;
    std::string output;   // UTF-8 as the table gives it
    std::string pending;  // key left gathered after the rule fires
    // The output in Shift_JIS as hiragana and as katakana, where Shift_JIS holds it; one
    // entry when both are the same (signs, ヵ), none for a sign Shift_JIS lacks.
    std::vector<std::string> forms;
};

// A run of kana that one rule produces, with every rule that produces it.
struct RomajiUnit {
    std::string text;                    // Shift_JIS
    std::vector<std::string> spellings;  // keys of the rules, in table order
    bool kana = false;                   // made of kana (not a sign)
    bool katakana = false;               // written in katakana (ヵ and ヶ count as katakana)
};

class RomajiTable {
public:
    // Reads "keys TAB output [TAB pending]" lines (UTF-8). False with a message naming the
    // line when a line is malformed or the table is empty.
    bool Load(std::string_view tsv, std::string& error);

    const std::vector<RomajiRule>& rules() const { return rules_; }

    // Every form of every rule output that leaves no pending key, in table order.
    std::vector<RomajiUnit> Units() const;

    // Keys that begin some rule ("" included): the rule they complete, whether a longer
    // rule begins with them, and the keys that continue them.
    struct Node {
        int rule = -1;  // index into rules(), or -1
        bool longer = false;
        std::string next;
    };
    // The node of keys, or null when no rule begins with them.
    const Node* Find(std::string_view keys) const;
    // First keys of the rules whose output can begin with the character c (Shift_JIS).
    const std::string& FirstKeys(std::string_view c) const;
    // The characters (Shift_JIS) a key that begins no rule enters, and the key entering c.
    const std::vector<std::string>& PassThrough(char key) const;
    char PassThroughKey(std::string_view sjisChar) const;

    // True when a key file can hold a row with this item and this one candidate.
    bool Storable(const std::string& item, const std::string& keys) const;

private:
    void BuildKeyTree();      // nodes_ and firstKeys_, from rules_
    void BuildPassThrough();  // passThrough_ and passKey_
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>()(s);
        }
    };
    std::vector<RomajiRule> rules_;
    std::unordered_map<std::string, Node, Hash, std::equal_to<>> nodes_;
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> firstKeys_;
    std::vector<std::vector<std::string>> passThrough_ = std::vector<std::vector<std::string>>(128);
    std::unordered_map<std::string, char> passKey_;
    mutable std::unordered_map<std::string, bool> storable_;
};

// What a spelling needs that no key file can give: an item of more than three characters
// (the matcher looks at most three ahead), or a candidate a key file cannot hold (a blank
// or a comma inside it).
enum class Exception { None, LongerThanThree, NotStorable };

using SpellingCount = unsigned __int128;
std::string CountText(SpellingCount n);
// a + b, held at the largest count instead of wrapping.
SpellingCount AddCounts(SpellingCount a, SpellingCount b);

struct SpellingCheck {
    std::string reading;            // UTF-8, for messages
    SpellingCount spellings = 0;    // every complete spelling the model gives
    SpellingCount inScope = 0;      // those that need no exception
    SpellingCount accepted = 0;     // typed through the matcher with no mistype, right CharCount
    SpellingCount longer = 0;       // spellings needing an item of more than three characters
    SpellingCount notStorable = 0;  // spellings needing a candidate a key file cannot hold
    std::string longerExample, notStorableExample;  // one such spelling each
    // Each bound chain that needs an exception, as "text typed keys" (UTF-8), with its kind.
    std::map<std::string, Exception> exceptions;
    std::vector<std::string> failures;  // UTF-8, each with a spelling that shows it
    std::size_t modelStates = 0, pairedStates = 0;
    bool ok() const { return failures.empty() && accepted == inScope; }
};

// Checks every spelling of reading (Shift_JIS, no line-end marker) against the key table
// through the matcher. Stops collecting failures after maxFailures.
SpellingCheck CheckSpellings(const RomajiTable& romaji, const KeyTable& table,
                             std::string_view reading, std::size_t maxFailures = 5);

// The sums over many readings.
struct Coverage {
    std::size_t sequences = 0;
    SpellingCount spellings = 0, inScope = 0, accepted = 0, longer = 0, notStorable = 0;
    std::map<std::string, Exception> exceptions;
    std::vector<std::string> failures;
    void Add(const SpellingCheck& check);
    bool ok() const { return failures.empty() && accepted == inScope; }
    // The figures and the exceptions, one a line.
    std::string Summary() const;
};

// The kana sequences a key table for this romaji table has to serve (Shift_JIS): every unit
// alone, and with pairs also every kana unit followed by a kana unit of the same script
// (ん and っ by one of either script), by a sign of the table, or by a blank, an ideographic
// space, "！" or "？".
std::vector<std::string> UnitSequences(const RomajiTable& romaji, bool withPairs);

}  // namespace kotopa::tool
