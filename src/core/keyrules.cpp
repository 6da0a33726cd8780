#include "keyrules.h"

#include "keytable.h"
#include "sjis.h"

#include <unordered_map>
#include <utility>

namespace kotopa {

namespace {

// The order is the order of comparison when decoding; 、's key is set by the rules.
constexpr std::array<SignRow, 7> kSignRows{{
    {"\"", "\x81\xA0", "\""},        // double quote / □
    {",", "\x81\xA4", ","},          // comma / ▽
    {"\x81\x68", "\x81\xA1", "\""},  // ” / ■
    {"\x81\x41", "\x81\xA5", ","},   // 、 / ▼
    {" ", "\x81\x9B", " "},          // space / ○
    {"\x81\x40", "\x81\x9C", " "},   // full-width space / ●
    {"\x82\xCB", "\x81\x88", ","},   // ね typed with a comma / ∴
}};
constexpr std::size_t kTouten = 3;
constexpr std::size_t kCommaKana = 6;

bool HoldsLetter(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z')) return true;
    }
    return false;
}

}  // namespace

KeyRules::KeyRules(bool caseSensitive) : caseSensitive_(caseSensitive), signRows_(kSignRows) {
    // With Shift a key of its own, 、 is Shift with the comma key.
    if (caseSensitive) signRows_[kTouten].key = "<";
}

KeyRules KeyRules::Romaji() {
    return KeyRules(false);
}

KeyRules KeyRules::CaseSensitive() {
    return KeyRules(true);
}

KeyRules KeyRules::Of(const std::vector<KeyRow>& rows) {
    // Candidates with letters by their case-blind form, with the rows that give them.
    std::unordered_map<std::string, std::vector<std::pair<const std::string*, const KeyRow*>>>
        byForm;
    for (const KeyRow& row : rows) {
        for (const std::string& c : row.candidates) {
            if (!HoldsLetter(c)) continue;
            auto& seen = byForm[FoldedForm(c)];
            for (const auto& [other, otherRow] : seen) {
                if (*other != c && otherRow->item != row.item) return CaseSensitive();
            }
            seen.emplace_back(&c, &row);
        }
    }
    return Romaji();
}

bool KeyRules::EditKey(char c) const {
    if (caseSensitive_) return KeyByte(c) && c != ' ' && c != ',' && c != '"';
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

char KeyRules::KeyForm(char c) const {
    return caseSensitive_ ? c : FoldAscii(c);
}

bool KeyRules::StartsWith(std::string_view keys, std::string_view prefix) const {
    if (prefix.size() > keys.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!SameKey(keys[i], prefix[i])) return false;
    }
    return true;
}

std::string KeyRules::ShownCandidate(std::string_view candidate) const {
    std::string out(candidate);
    if (caseSensitive_) return out;
    for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + 32);
    }
    return out;
}

bool KeyRules::IsSignItem(std::string_view item) const {
    for (std::size_t s = 0; s < kCommaKana; ++s) {
        if (item == signRows_[s].sign) return true;
    }
    return false;
}

bool KeyRules::IsCommaKanaRow(const KeyRow& row) const {
    const SignRow& ne = signRows_[kCommaKana];
    return row.item == ne.sign && !row.candidates.empty() && row.candidates.front() == ne.key;
}

bool KeyRules::IsSignKey(std::string_view candidate) const {
    for (std::size_t s = 0; s < kCommaKana; ++s) {
        if (candidate == signRows_[s].sign || candidate == signRows_[s].key) return true;
    }
    return false;
}

}  // namespace kotopa
