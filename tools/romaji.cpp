// The check of a reading's spellings: the romaji model's states and transitions, the
// spellings counted over them, and the model walked beside the real matcher.
#include "romaji.h"

#include <algorithm>

#include "keysource.h"
#include "matcher.h"
#include "matchersearch.h"
#include "sjis.h"
#include "text.h"
#include "textfile.h"

namespace kotopa::tool {

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
        : graph_(graph),
          inScope_(inScope),
          reading_(reading),
          length_(length),
          search_(LineStart(table, reading)) {
        next_.emplace_back();
        completions_.push_back(0);
    }

    void Run(SpellingCheck& check, std::size_t maxFailures) {
        for (std::size_t i = 0; i < search_.Size(); ++i) {
            for (const Edge& e : graph_.Edges(search_.Tag(static_cast<int>(i)))) {
                if (e.kind == Exception::None && inScope_[e.to] > 0)
                    Step(static_cast<int>(i), e, check, maxFailures);
            }
        }
        check.pairedStates = search_.Size();
        if (failureCount_ > check.failures.size()) {
            check.failures.push_back("... and " +
                                     std::to_string(failureCount_ - check.failures.size()) +
                                     " more failing keys");
        }
        check.accepted = Accepted();
    }

private:
    static Matcher LineStart(const KeyTable& table, std::string_view reading) {
        Matcher m(table);
        m.StartLine({}, reading);
        return m;
    }

    void Fail(int p, const Edge& e, const std::string& what, SpellingCheck& check,
              std::size_t maxFailures) {
        ++failureCount_;
        if (check.failures.size() >= maxFailures) return;
        const std::string typed = search_.PathTo(p) + e.key;
        const std::string whole = typed + graph_.PathFrom(e.to, inScope_, false);
        check.failures.push_back(Quoted(reading_) + ": the spelling \"" + whole + "\", at key " +
                                 std::to_string(typed.size()) + " ('" + std::string(1, e.key) +
                                 "'): " + what);
    }

    void Step(int i, const Edge& e, SpellingCheck& check, std::size_t maxFailures) {
        MatcherSearch::Move move = search_.Play(i, e.key);
        const Matcher& next = move.matcher;
        const bool final = graph_.IsFinal(e.to);
        const std::string left(next.ed_Yomi().substr(0, next.ed_Yomi().size() - 2));
        if (move.result == JudgeResult::Mistype) {
            Fail(i, e, "a mistype where " + Quoted(left) + " is left", check, maxFailures);
            return;
        }
        if (move.result == JudgeResult::LineComplete) {
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
        const MatcherSearch::Reached to = search_.Add(std::move(move.matcher), e.to, i, e.key);
        if (to.added) {
            next_.emplace_back();
            completions_.push_back(0);
        }
        next_[i].push_back(to.state);
    }

    // Accepted spellings: paths through the paired states that end in a complete line.
    SpellingCount Accepted() const {
        std::vector<SpellingCount> accepted(search_.Size());
        std::vector<char> done(search_.Size(), 0);
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
    MatcherSearch search_;  // each state tagged with the model's state typed beside it
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

}  // namespace kotopa::tool
