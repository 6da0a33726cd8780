// What a key table's candidates are made of, derived from the table itself: which bytes a
// candidate may hold and which of them the panel's candidate edits take, whether letter case
// tells two keys apart, and which rows are the sign rows that a key file keeps under a mark,
// with the fixed first key of each.
//
// A romaji table types letters in either case: A and a are one key, and 、 is the comma
// key. A table that gives the same letters in two cases to two different items names keys
// with Shift as keys of their own (the kana keyboard's positions: E is Shift with the E
// key, ぃ, where e is い): keys are compared as they are, and 、 is Shift with the comma
// key, "<". Capitals that only spell an item once more (か ka KA) leave a table romaji.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kotopa {

struct KeyRow;

// A row that a key file stores under a mark, since a blank, a comma or a double quote would
// split or quote the stored row.
struct SignRow {
    std::string_view sign;  // item in the table
    std::string_view mark;  // item and first candidate in the file
    std::string_view key;   // first candidate after decoding
};

class KeyRules {
public:
    // Case-blind judging and the comma key for 、: what a table without capitals gets.
    static KeyRules Romaji();
    // Keys compared as they are, 、 on Shift with the comma key.
    static KeyRules CaseSensitive();
    // The rules of a table: case-sensitive exactly when two candidates of different items
    // differ in letter case alone.
    static KeyRules Of(const std::vector<KeyRow>& rows);

    bool IsCaseSensitive() const { return caseSensitive_; }

    // A byte a candidate may hold: what a key of a keyboard gives, printable ASCII.
    static constexpr bool KeyByte(char c) { return c >= 0x20 && c <= 0x7E; }
    // The bytes the key panel's candidate edits take: the digits and a to z in a case-blind
    // table; in a case-sensitive one every key but the three a stored row cannot hold
    // inside a candidate (a blank, a comma, a double quote).
    bool EditKey(char c) const;

    // The form a key is compared in, and whether two keys are the same key.
    char KeyForm(char c) const;
    bool SameKey(char a, char b) const { return KeyForm(a) == KeyForm(b); }
    // Whether keys begins with the keys of prefix.
    bool StartsWith(std::string_view keys, std::string_view prefix) const;

    // A candidate as the panel shows it: letters in lower case in a case-blind table (they
    // are one key), as it is in a case-sensitive one.
    std::string ShownCandidate(std::string_view candidate) const;

    // The sign rows in the order in which decoding compares their marks. The last is ね
    // typed with the comma key: a row ね is a sign row only while its first candidate is a
    // comma (IsCommaKanaRow).
    const std::array<SignRow, 7>& SignRows() const { return signRows_; }
    // The item of one of the first six sign rows, which a store always puts under its mark.
    bool IsSignItem(std::string_view item) const;
    // ね whose first candidate is the comma key.
    bool IsCommaKanaRow(const KeyRow& row) const;
    // A first candidate that only a sign row keeps: an item or a fixed key of the first six
    // sign rows (a blank, a comma or a double quote, in either width, and 、's key).
    bool IsSignKey(std::string_view candidate) const;

    bool operator==(const KeyRules& other) const { return caseSensitive_ == other.caseSensitive_; }

private:
    explicit KeyRules(bool caseSensitive);

    bool caseSensitive_ = false;
    std::array<SignRow, 7> signRows_;
};

}  // namespace kotopa
