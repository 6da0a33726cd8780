// The romaji table: its rules read from TSV, the key tree over them, and its units.
#include "romaji.h"

#include <algorithm>
#include <optional>

#include "keysource.h"
#include "sjis.h"
#include "text.h"
#include "textfile.h"

namespace kotopa::tool {

namespace {

bool IsKeyText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c > 0x20 && c <= 0x7E; });
}

std::u16string Katakana(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& c : out) {
        if (c >= 0x3041 && c <= 0x3096) c = static_cast<char16_t>(c + 0x60);
    }
    return out;
}

bool AllKana(const std::u16string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char16_t c) { return c >= 0x3041 && c <= 0x30FA; });
}

bool HasKatakana(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char16_t c) { return c >= 0x30A1 && c <= 0x30FA; });
}

std::vector<std::string_view> TabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// The rule of one "keys TAB output [TAB pending]" line, or nothing when it is malformed.
std::optional<RomajiRule> ParseRule(std::string_view line) {
    const std::vector<std::string_view> fields = TabFields(line);
    if (fields.size() < 2 || fields.size() > 3 || !IsKeyText(fields[0]) || fields[0].empty() ||
        fields[1].empty() || (fields.size() == 3 && !IsKeyText(fields[2])) ||
        FirstInvalidUtf8(fields[1]) != std::string_view::npos) {
        return std::nullopt;
    }
    RomajiRule rule;
    rule.keys = fields[0];
    rule.output = fields[1];
    if (fields.size() == 3) rule.pending = fields[2];
    const std::u16string out = Utf8ToUtf16(rule.output);
    for (const std::u16string& form : {out, Katakana(out)}) {
        const SjisEncoding e = SjisFromUtf16(form);
        if (e.ok() &&
            std::find(rule.forms.begin(), rule.forms.end(), e.bytes) == rule.forms.end()) {
            rule.forms.push_back(e.bytes);
        }
    }
    return rule;
}

}  // namespace

bool RomajiTable::Load(std::string_view tsv, std::string& error) {
    *this = RomajiTable();
    error.clear();
    int lineNo = 0;
    ForEachLine(tsv, [&](std::string_view line) {
        ++lineNo;
        if (!error.empty() || line.empty()) return;
        std::optional<RomajiRule> rule = ParseRule(line);
        if (!rule) {
            error = "line " + std::to_string(lineNo) +
                    ": expected keys, a TAB, the output and optionally a TAB and the pending key";
            return;
        }
        rules_.push_back(std::move(*rule));
    });
    if (!error.empty()) return false;
    if (rules_.empty()) {
        error = "the table holds no rules";
        return false;
    }
    BuildKeyTree();
    BuildPassThrough();
    return true;
}

void RomajiTable::BuildKeyTree() {
    nodes_[""];
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const std::string& keys = rules_[i].keys;
        for (std::size_t len = 0; len < keys.size(); ++len) {
            Node& head = nodes_[keys.substr(0, len)];
            if (len > 0) head.longer = true;
            if (head.next.find(keys[len]) == std::string::npos) head.next += keys[len];
        }
        for (const auto& f : rules_[i].forms) {
            std::string& first = firstKeys_[f.substr(0, CharLength(f, 0))];
            if (first.find(keys[0]) == std::string::npos) first += keys[0];
        }
        Node& whole = nodes_[keys];
        if (whole.rule < 0) whole.rule = static_cast<int>(i);  // the first rule of a spelling wins
    }
}

void RomajiTable::BuildPassThrough() {
    for (int k = 0x20; k <= 0x7E; ++k) {
        auto& forms = passThrough_[static_cast<std::size_t>(k)];
        forms.emplace_back(1, static_cast<char>(k));
        const char16_t wide = k == ' ' ? u'\u3000' : static_cast<char16_t>(0xFF01 + k - 0x21);
        const SjisEncoding e = SjisFromUtf16(std::u16string_view(&wide, 1));
        if (e.ok()) forms.push_back(e.bytes);
        for (const auto& f : forms) passKey_.emplace(f, static_cast<char>(k));
    }
}

std::vector<RomajiUnit> RomajiTable::Units() const {
    std::vector<RomajiUnit> units;
    std::unordered_map<std::string, std::size_t> index;
    for (const auto& rule : rules_) {
        if (!rule.pending.empty()) continue;
        const std::u16string out = Utf8ToUtf16(rule.output);
        for (const auto& form : rule.forms) {
            auto [it, added] = index.emplace(form, units.size());
            if (added) {
                RomajiUnit u;
                u.text = form;
                u.kana = AllKana(out);
                u.katakana = u.kana && HasKatakana(SjisToUtf16(form));
                units.push_back(std::move(u));
            }
            auto& sp = units[it->second].spellings;
            if (std::find(sp.begin(), sp.end(), rule.keys) == sp.end()) sp.push_back(rule.keys);
        }
    }
    return units;
}

const std::string& RomajiTable::FirstKeys(std::string_view c) const {
    static const std::string none;
    const auto it = firstKeys_.find(c);
    return it == firstKeys_.end() ? none : it->second;
}

const RomajiTable::Node* RomajiTable::Find(std::string_view keys) const {
    const auto it = nodes_.find(keys);
    return it == nodes_.end() ? nullptr : &it->second;
}

const std::vector<std::string>& RomajiTable::PassThrough(char key) const {
    static const std::vector<std::string> none;
    const auto k = static_cast<unsigned char>(key);
    return k < 0x20 || k > 0x7E ? none : passThrough_[k];
}

char RomajiTable::PassThroughKey(std::string_view sjisChar) const {
    const auto it = passKey_.find(std::string(sjisChar));
    return it == passKey_.end() ? 0 : it->second;
}

bool RomajiTable::Storable(const std::string& item, const std::string& keys) const {
    const std::string cacheKey = item + '\0' + keys;
    const auto it = storable_.find(cacheKey);
    if (it != storable_.end()) return it->second;
    const bool ok = SurvivesKeyFile(KeyRow{item, {keys}});
    storable_.emplace(cacheKey, ok);
    return ok;
}

}  // namespace kotopa::tool
