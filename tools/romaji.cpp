#include "romaji.h"

#include <algorithm>
#include <deque>

#include "keysource.h"
#include "matcher.h"
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

}  // namespace

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

bool RomajiTable::Load(std::string_view tsv, std::string& error) {
    *this = RomajiTable();
    error.clear();
    int lineNo = 0;
    ForEachLine(tsv, [&](std::string_view line) {
        ++lineNo;
        if (!error.empty() || line.empty()) return;
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (fields.size() < 2 || fields.size() > 3 || !IsKeyText(fields[0]) || fields[0].empty() ||
            fields[1].empty() || (fields.size() == 3 && !IsKeyText(fields[2])) ||
            FirstInvalidUtf8(fields[1]) != std::string_view::npos) {
            error = "line " + std::to_string(lineNo) +
                    ": expected keys, a TAB, the output and optionally a TAB and the pending key";
            return;
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
        rules_.push_back(std::move(rule));
    });
    if (!error.empty()) return false;
    if (rules_.empty()) {
        error = "the table holds no rules";
        return false;
    }
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
    for (int k = 0x20; k <= 0x7E; ++k) {
        auto& forms = passThrough_[static_cast<std::size_t>(k)];
        forms.emplace_back(1, static_cast<char>(k));
        const char16_t wide = k == ' ' ? u'\u3000' : static_cast<char16_t>(0xFF01 + k - 0x21);
        const SjisEncoding e = SjisFromUtf16(std::u16string_view(&wide, 1));
        if (e.ok()) forms.push_back(e.bytes);
        for (const auto& f : forms) passKey_.emplace(f, static_cast<char>(k));
    }
    return true;
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

namespace {

// The model's state: where it is in the reading, the keys gathered and not yet converted,
// and the chain of rules bound together so far (a rule is bound to the next one when its
// pending key or the key that made it fire begins that one: っ in kka, ん in nka). A bound
// chain can only be typed as one unit of the key table.
struct ModelState {
    int pos = 0;
    std::string buf;
    std::string chainKeys;
    std::string chainOut;
    int chainChars = 0;
};

std::string ModelKey(const ModelState& s) {
    return std::to_string(s.pos) + '\x01' + s.buf + '\x01' + s.chainKeys + '\x01' + s.chainOut;
}

struct Outcome {
    ModelState state;
    Exception kind = Exception::None;
    std::string chain;  // for an exception: the chain's text and keys, UTF-8
};

struct Edge {
    char key;
    int to;
    Exception kind;
    std::string chain;
};

class Model {
public:
    Model(const RomajiTable& t, std::string_view reading) : t_(t), reading_(reading) {
        for (std::size_t i = 0; i < reading.size(); i += CharLength(reading, i))
            starts_.push_back(i);
        starts_.push_back(reading.size());
    }
    int Length() const { return static_cast<int>(starts_.size()) - 1; }
    std::string_view Char(int pos) const {
        return reading_.substr(starts_[pos], starts_[pos + 1] - starts_[pos]);
    }

    void Step(const ModelState& s, char k, std::vector<Outcome>& out) const {
        const std::string b = s.buf + k;
        if (const RomajiTable::Node* node = t_.Find(b)) {
            ModelState n = s;
            n.chainKeys += k;
            if (node->rule >= 0 && !node->longer) {
                Fire(n, t_.rules()[static_cast<std::size_t>(node->rule)], out);
            } else {
                n.buf = b;
                out.push_back({std::move(n), Exception::None, {}});
            }
            return;
        }
        if (!s.buf.empty()) {
            // The gathered keys make a rule that waited for a longer one; k continues none,
            // so the rule fires and k begins what follows, bound to it.
            const RomajiTable::Node* node = t_.Find(s.buf);
            if (!node || node->rule < 0) return;  // the keys would stay unconverted
            const RomajiRule* r = &t_.rules()[static_cast<std::size_t>(node->rule)];
            for (const auto& f : r->forms) {
                int chars = 0;
                if (!Matches(s.pos, f, chars)) continue;
                ModelState n = s;
                n.pos += chars;
                n.chainOut += f;
                n.chainChars += chars;
                n.buf = r->pending;
                Step(n, k, out);
            }
            return;
        }
        for (const auto& f : t_.PassThrough(k)) {
            int chars = 0;
            if (!Matches(s.pos, f, chars)) continue;
            ModelState n = s;
            n.pos += chars;
            n.chainKeys += k;
            n.chainOut += f;
            n.chainChars += chars;
            EndChain(std::move(n), out);
        }
    }

    // Characters form covers at pos, or 0 when it does not stand there.
    int CharsMatched(int pos, const std::string& form) const {
        int chars = 0;
        return Matches(pos, form, chars) ? chars : 0;
    }

private:
    bool Matches(int pos, const std::string& form, int& chars) const {
        const std::size_t at = starts_[pos];
        if (reading_.substr(at, form.size()) != form) return false;
        const auto end = std::find(starts_.begin() + pos, starts_.end(), at + form.size());
        if (end == starts_.end()) return false;  // would split a character
        chars = static_cast<int>(end - (starts_.begin() + pos));
        return true;
    }

    void Fire(const ModelState& s, const RomajiRule& r, std::vector<Outcome>& out) const {
        for (const auto& f : r.forms) {
            int chars = 0;
            if (!Matches(s.pos, f, chars)) continue;
            ModelState n = s;
            n.pos += chars;
            n.chainOut += f;
            n.chainChars += chars;
            n.buf = r.pending;
            if (r.pending.empty()) {
                EndChain(std::move(n), out);
            } else {
                out.push_back({std::move(n), Exception::None, {}});  // bound to the next rule
            }
        }
    }

    void EndChain(ModelState n, std::vector<Outcome>& out) const {
        Outcome o;
        if (n.chainChars > 3) {
            o.kind = Exception::LongerThanThree;
        } else if (!t_.Storable(n.chainOut, n.chainKeys)) {
            o.kind = Exception::NotStorable;
        }
        if (o.kind != Exception::None) o.chain = SjisToUtf8(n.chainOut) + " typed " + n.chainKeys;
        n.chainKeys.clear();
        n.chainOut.clear();
        n.chainChars = 0;
        o.state = std::move(n);
        out.push_back(std::move(o));
    }

    const RomajiTable& t_;
    std::string_view reading_;
    std::vector<std::size_t> starts_;
};

std::string Quoted(std::string_view sjis) {
    return "\"" + SjisToUtf8(sjis) + "\"";
}

// The keys worth trying in state s: those that can continue some spelling of the reading.
std::string KeysToTry(const RomajiTable& romaji, const Model& model, const ModelState& s) {
    std::string keys;
    const RomajiTable::Node* node = romaji.Find(s.buf);
    if (s.buf.empty()) {
        // What is typed next begins with the first key of a rule whose output begins here.
        keys = romaji.FirstKeys(model.Char(s.pos));
        const char pass = romaji.PassThroughKey(model.Char(s.pos));
        if (pass && keys.find(pass) == std::string::npos) keys += pass;
    } else if (node && node->rule >= 0) {
        // Keys that continue the waiting rule, or make it fire and begin what follows.
        keys = node->next;
        const RomajiRule& r = romaji.rules()[static_cast<std::size_t>(node->rule)];
        for (const auto& f : r.forms) {
            const int after = model.CharsMatched(s.pos, f);
            if (after > 0 && s.pos + after < model.Length()) {
                keys += romaji.FirstKeys(model.Char(s.pos + after));
                const char pass = romaji.PassThroughKey(model.Char(s.pos + after));
                if (pass) keys += pass;
            }
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    } else if (node) {
        keys = node->next;
    }
    return keys;
}

// Every state of the model on one reading and its transitions, found breadth first; each
// state remembers the key that first reached it, so that a spelling can be shown.
class ModelGraph {
public:
    ModelGraph(const RomajiTable& romaji, const Model& model) : length_(model.Length()) {
        states_.push_back(ModelState{});
        edges_.emplace_back();
        parent_.push_back(-1);
        parentKey_.push_back(0);
        std::unordered_map<std::string, int> ids{{ModelKey(states_[0]), 0}};
        std::vector<Outcome> out;
        for (std::size_t i = 0; i < states_.size(); ++i) {
            const ModelState s = states_[i];
            if (s.pos == length_) continue;  // nothing more can be entered
            for (const char k : KeysToTry(romaji, model, s)) {
                out.clear();
                model.Step(s, k, out);
                for (auto& o : out) {
                    auto [it, added] =
                        ids.emplace(ModelKey(o.state), static_cast<int>(states_.size()));
                    if (added) {
                        states_.push_back(std::move(o.state));
                        edges_.emplace_back();
                        parent_.push_back(static_cast<int>(i));
                        parentKey_.push_back(k);
                    }
                    edges_[i].push_back({k, it->second, o.kind, std::move(o.chain)});
                }
            }
        }
    }

    std::size_t Size() const { return states_.size(); }
    const std::vector<Edge>& Edges(int s) const { return edges_[static_cast<std::size_t>(s)]; }
    bool IsFinal(int s) const {
        const ModelState& st = states_[static_cast<std::size_t>(s)];
        return st.pos == length_ && st.buf.empty() && st.chainKeys.empty();
    }

    // Spellings from each state to the end, leaving out the transitions of the kinds whose
    // bits (1 << kind) are set in excluded.
    std::vector<SpellingCount> CountPaths(unsigned excluded) const {
        std::vector<SpellingCount> memo(states_.size());
        std::vector<char> done(states_.size(), 0);
        auto visit = [&](auto&& self, int s) -> SpellingCount {
            if (done[s]) return memo[s];
            SpellingCount n = IsFinal(s) ? 1 : 0;
            for (const Edge& e : edges_[s]) {
                if (e.kind != Exception::None && (excluded & (1u << static_cast<unsigned>(e.kind))))
                    continue;
                n = AddCounts(n, self(self, e.to));
            }
            done[s] = 1;
            return memo[s] = n;
        };
        for (int s = static_cast<int>(states_.size()) - 1; s >= 0; --s) visit(visit, s);
        return memo;
    }

    // The keys that first reached s.
    std::string PathTo(int s) const {
        std::string keys;
        for (; s > 0; s = parent_[s]) keys += parentKey_[s];
        std::reverse(keys.begin(), keys.end());
        return keys;
    }

    // Some way on from s to the end through states with spellings left (counts from
    // CountPaths), by any transition or only by those that need no exception.
    std::string PathFrom(int s, const std::vector<SpellingCount>& counts, bool anyEdge) const {
        std::string keys;
        while (!IsFinal(s)) {
            const Edge* step = nullptr;
            for (const Edge& e : edges_[s]) {
                if (counts[e.to] > 0 && (anyEdge || e.kind == Exception::None)) {
                    step = &e;
                    break;
                }
            }
            if (!step) break;
            keys += step->key;
            s = step->to;
        }
        return keys;
    }

private:
    int length_;
    std::vector<ModelState> states_;
    std::vector<std::vector<Edge>> edges_;
    std::vector<int> parent_;
    std::vector<char> parentKey_;
};

constexpr unsigned kLongerBit = 1u << static_cast<unsigned>(Exception::LongerThanThree);
constexpr unsigned kUnstorableBit = 1u << static_cast<unsigned>(Exception::NotStorable);

// The spellings of every spelling the model gives, with those that need an exception, and
// an example and the bound chain of each exception.
void CountSpellings(const ModelGraph& graph, const std::vector<SpellingCount>& all,
                    const std::vector<SpellingCount>& inScope, SpellingCheck& check) {
    check.spellings = all[0];
    check.inScope = inScope[0];
    check.longer = all[0] - graph.CountPaths(kLongerBit)[0];
    check.notStorable = all[0] - graph.CountPaths(kUnstorableBit)[0];
    for (int s = 0; s < static_cast<int>(graph.Size()); ++s) {
        for (const Edge& e : graph.Edges(s)) {
            if (e.kind == Exception::None || all[e.to] == 0 || all[s] == 0) continue;
            std::string& example = e.kind == Exception::LongerThanThree ? check.longerExample
                                                                        : check.notStorableExample;
            if (example.empty())
                example = graph.PathTo(s) + e.key + graph.PathFrom(e.to, all, true);
            check.exceptions.emplace(e.chain, e.kind);
        }
    }
}

// The model and the real matcher side by side: every spelling that needs no exception is
// typed key by key, over the pairs of their states. Records every key where the two part
// (a mistype, a line complete too early or too late, a wrong CharCount) and counts the
// spellings the matcher accepts.
class PairedRun {
public:
    PairedRun(const ModelGraph& graph, const std::vector<SpellingCount>& inScope,
              const KeyTable& table, std::string_view reading, int length)
        : graph_(graph), inScope_(inScope), reading_(reading), length_(length) {
        Matcher m(table);
        m.StartLine({}, reading);
        ids_.emplace(Key(0, m), 0);
        paired_.push_back({0, std::move(m), -1, 0});
        next_.emplace_back();
        completions_.push_back(0);
    }

    void Run(SpellingCheck& check, std::size_t maxFailures) {
        for (std::size_t i = 0; i < paired_.size(); ++i) {
            for (const Edge& e : graph_.Edges(paired_[i].model)) {
                if (e.kind == Exception::None && inScope_[e.to] > 0)
                    Step(static_cast<int>(i), e, check, maxFailures);
            }
        }
        check.pairedStates = paired_.size();
        if (failureCount_ > check.failures.size()) {
            check.failures.push_back("... and " +
                                     std::to_string(failureCount_ - check.failures.size()) +
                                     " more failing keys");
        }
        check.accepted = Accepted();
    }

private:
    struct Paired {
        int model;
        Matcher matcher;
        int parent;
        char key;
    };

    static std::string Key(int m, const Matcher& x) {
        std::string k = std::to_string(m) + '|' + std::to_string(x.ed_Yomi().size());
        for (const auto* list : {&x.lst_3(), &x.lst_2(), &x.lst_1()}) {
            k += '\x02';
            for (const auto& e : *list) {
                k += e;
                k += '\x01';
            }
        }
        return k;
    }

    std::string PathTo(int p) const {
        std::string keys;
        for (; p > 0; p = paired_[p].parent) keys += paired_[p].key;
        std::reverse(keys.begin(), keys.end());
        return keys;
    }

    void Fail(int p, const Edge& e, const std::string& what, SpellingCheck& check,
              std::size_t maxFailures) {
        ++failureCount_;
        if (check.failures.size() >= maxFailures) return;
        const std::string typed = PathTo(p) + e.key;
        const std::string whole = typed + graph_.PathFrom(e.to, inScope_, false);
        check.failures.push_back(Quoted(reading_) + ": the spelling \"" + whole + "\", at key " +
                                 std::to_string(typed.size()) + " ('" + std::string(1, e.key) +
                                 "'): " + what);
    }

    void Step(int i, const Edge& e, SpellingCheck& check, std::size_t maxFailures) {
        Matcher next = paired_[i].matcher;
        char k = e.key;
        const JudgeResult r = next.JudgeKey(k);
        const bool final = graph_.IsFinal(e.to);
        const std::string left(next.ed_Yomi().substr(0, next.ed_Yomi().size() - 2));
        if (r == JudgeResult::Mistype) {
            Fail(i, e, "a mistype where " + Quoted(left) + " is left", check, maxFailures);
            return;
        }
        if (r == JudgeResult::LineComplete) {
            if (!final) {
                Fail(i, e, "the line is complete before the spelling ends", check, maxFailures);
            } else if (next.Counts().CharCount != length_) {
                Fail(i, e,
                     "CharCount is " + std::to_string(next.Counts().CharCount) + ", not " +
                         std::to_string(length_),
                     check, maxFailures);
            } else {
                completions_[i] = AddCounts(completions_[i], 1);
            }
            return;
        }
        if (final) {
            Fail(i, e, "the spelling ends but " + Quoted(left) + " is left", check, maxFailures);
            return;
        }
        auto [it, added] = ids_.emplace(Key(e.to, next), static_cast<int>(paired_.size()));
        if (added) {
            paired_.push_back({e.to, std::move(next), i, e.key});
            next_.emplace_back();
            completions_.push_back(0);
        }
        next_[i].push_back(it->second);
    }

    // Accepted spellings: paths through the paired states that end in a complete line.
    SpellingCount Accepted() const {
        std::vector<SpellingCount> accepted(paired_.size());
        std::vector<char> done(paired_.size(), 0);
        auto from = [&](auto&& self, int p) -> SpellingCount {
            if (done[p]) return accepted[p];
            SpellingCount n = completions_[p];
            for (const int q : next_[p]) n = AddCounts(n, self(self, q));
            done[p] = 1;
            return accepted[p] = n;
        };
        return from(from, 0);
    }

    const ModelGraph& graph_;
    const std::vector<SpellingCount>& inScope_;
    std::string_view reading_;
    int length_;
    std::deque<Paired> paired_;
    std::unordered_map<std::string, int> ids_;
    std::vector<std::vector<int>> next_;
    std::vector<SpellingCount> completions_;
    std::size_t failureCount_ = 0;
};

}  // namespace

SpellingCheck CheckSpellings(const RomajiTable& romaji, const KeyTable& table,
                             std::string_view reading, std::size_t maxFailures) {
    SpellingCheck check;
    check.reading = SjisToUtf8(reading);
    const Model model(romaji, reading);
    const ModelGraph graph(romaji, model);
    check.modelStates = graph.Size();
    const std::vector<SpellingCount> all = graph.CountPaths(0);
    const std::vector<SpellingCount> inScope = graph.CountPaths(kLongerBit | kUnstorableBit);
    CountSpellings(graph, all, inScope, check);
    PairedRun(graph, inScope, table, reading, model.Length()).Run(check, maxFailures);
    return check;
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
