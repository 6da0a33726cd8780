#include "actmake.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "actcheck.h"
#include "sjiscodec.h"
#include "typing.h"

namespace kotopa::tool {

namespace {

// ---- characters --------------------------------------------------------------------------

constexpr std::u32string_view kOpeners = U"「『（(［｛{〈《【〔“‘";
constexpr std::u32string_view kClosers = U"」』）)］｝}〉》】〕”’";
constexpr std::u32string_view kSentenceEnds = U"。！？!?．";
constexpr std::u32string_view kCommas = U"、，,";
// Katakana whose hiragana Shift_JIS lacks (ゔ ゕ ゖ ...): a word holding one keeps its
// reading in katakana, which the key table types as well.
constexpr std::u32string_view kKatakanaOnly = U"ヴヵヶヷヸヹヺ";

bool Among(char32_t c, std::u32string_view set) {
    return set.find(c) != std::u32string_view::npos;
}
bool IsHiragana(char32_t c) {
    return c >= 0x3041 && c <= 0x3096;
}
bool IsKatakana(char32_t c) {
    return c >= 0x30A1 && c <= 0x30FA;
}
bool IsKana(char32_t c) {
    return IsHiragana(c) || IsKatakana(c) || c == U'ー' || (c >= 0x309D && c <= 0x309E) ||
           (c >= 0x30FD && c <= 0x30FE);
}
// Characters that a reading in brackets covers when no bar marks where the word begins.
bool IsKanji(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF) || c == U'々' ||
           c == U'〆' || c == U'ヵ' || c == U'ヶ';
}

// A character as a finding names it: itself, and its code.
std::vector<std::string> Show(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return {Utf32ToUtf8(std::u32string(1, c)), code};
}

// Half-width katakana as full-width ones, from U+FF61; a sound mark after a kana that takes
// it is joined to it (ｶﾞ is ガ).
constexpr std::u32string_view kHalfWidth =
    U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
    U"マミムメモヤユヨラリルレロワン゛゜";

// Characters as the rest of make wants them: half-width katakana made full-width, ゔ (which
// Shift_JIS lacks) made ヴ, tabs and the other spaces of Unicode made blanks.
std::vector<SourceChar> Normalize(std::u32string_view line) {
    std::vector<SourceChar> out;
    int column = 0;
    for (const char32_t raw : line) {
        ++column;
        char32_t c = raw;
        if (c >= 0xFF61 && c <= 0xFF9F) c = kHalfWidth[c - 0xFF61];
        if (c == U'ゔ') c = U'ヴ';
        if (c == U'\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F)
            c = U' ';
        if ((c == U'゛' || c == U'゜') && raw != c && !out.empty()) {
            char32_t& prev = out.back().c;
            const bool voiced = c == U'゛';
            if (voiced && prev == U'ウ') {
                prev = U'ヴ';
                continue;
            }
            const bool h = Among(prev, U"ハヒフヘホ");
            if (voiced && (h || Among(prev, U"カキクケコサシスセソタチツテト"))) {
                ++prev;
                continue;
            }
            if (!voiced && h) {
                prev += 2;
                continue;
            }
        }
        out.push_back({c, column});
    }
    return out;
}

// ---- sentences ---------------------------------------------------------------------------

// One line of the text: its characters with the notation of given readings taken out.
struct Line {
    int number = 0;
    std::vector<SourceChar> chars;
    std::vector<GivenReading> readings;
    std::vector<std::size_t> broken;  // places of notation errors, as chars indices
};

// Reads the given readings out of one line: "|" marks where the next reading's word begins,
// "[...]" holds a reading in kana for the kanji before it (or from the "|").
class NotationReader {
public:
    NotationReader(int number, const std::vector<SourceChar>& in, std::vector<Finding>& findings)
        : in_(in), findings_(findings) {
        line_.number = number;
    }

    Line Read() {
        for (std::size_t i = 0; i < in_.size(); ++i) {
            const auto [c, column] = in_[i];
            if (c < 0x20 || c == 0x7F) {
                Report(column, Cause::ControlCharacter, Show(c));
            } else if (c == U'|' || c == U'｜') {
                bar_ = line_.chars.size();
                barColumn_ = column;
            } else if (c != U'[') {
                line_.chars.push_back({c, column});
            } else {
                i = ReadBracket(i);
            }
        }
        if (bar_ != kNoBar) Report(barColumn_, Cause::BarWithoutReading);
        return std::move(line_);
    }

private:
    static constexpr std::size_t kNoBar = static_cast<std::size_t>(-1);

    void Report(int column, Cause cause, std::vector<std::string> details = {}) {
        findings_.push_back(Finding::Of(line_.number, column, cause, std::move(details)));
    }
    // A notation error: the sentence it stands in is not made.
    void Broken(int column, Cause cause, std::vector<std::string> details = {}) {
        Report(column, cause, std::move(details));
        line_.broken.push_back(line_.chars.size());
    }

    // The first "]" after the bracket at i: looked for once, and again only when passed.
    std::size_t CloseAfter(std::size_t i) {
        if (nextClose_ <= i) {
            nextClose_ = i + 1;
            while (nextClose_ < in_.size() && in_[nextClose_].c != U']') ++nextClose_;
        }
        return nextClose_;
    }

    // Where the word that the reading ending at end belongs to begins: at the "|", or else at
    // the start of the kanji just before it.
    std::size_t WordBegin(std::size_t end) const {
        if (bar_ != kNoBar) return bar_;
        std::size_t begin = end;
        while (begin > lastEnd_ && IsKanji(line_.chars[begin - 1].c)) --begin;
        return begin;
    }

    // The bracket at open; gives the place to go on from.
    std::size_t ReadBracket(std::size_t open) {
        const int column = in_[open].column;
        const std::size_t close = CloseAfter(open);
        if (close == in_.size()) {
            Broken(column, Cause::BracketNotClosed);
            return open;
        }
        std::u32string reading;
        std::optional<char32_t> notKana;
        for (std::size_t k = open + 1; k < close; ++k) {
            if (!IsKana(in_[k].c) && !notKana) notKana = in_[k].c;
            reading += in_[k].c;
        }
        const std::size_t end = line_.chars.size();
        const std::size_t begin = WordBegin(end);
        if (reading.empty()) {
            Broken(column, Cause::BracketEmpty);
        } else if (notKana) {
            Broken(column, Cause::BracketNotKana, Show(*notKana));
        } else if (begin == end) {
            Broken(column, Cause::BracketAfterNoKanji);
        } else {
            line_.readings.push_back({begin, end, reading});
            lastEnd_ = end;
        }
        bar_ = kNoBar;
        return close;
    }

    const std::vector<SourceChar>& in_;
    std::vector<Finding>& findings_;
    Line line_;
    std::size_t bar_ = kNoBar;  // where a "|" marks the start of the next reading
    int barColumn_ = 0;
    std::size_t lastEnd_ = 0;  // a reading never reaches back into the one before it
    std::size_t nextClose_ = 0;
};

Line ReadNotation(int number, const std::vector<SourceChar>& in, std::vector<Finding>& findings) {
    return NotationReader(number, in, findings).Read();
}

// Characters of a sentence, at most: a longer one is made as several. The analyser's work on
// a run of characters it does not know grows with the square of the run, and a sentence is
// held whole while it is made.
constexpr std::size_t kSentenceChars = 256;

// Where the part of s that starts at from ends: the sentence's end when that is near; else
// after the last "、" within reach, or else at the last blank, or else where kana and kanji
// meet, or else at the limit. A reading given in the text is never cut; readings before
// next end before from.
std::size_t PartEnd(const Sentence& s, std::size_t from, std::size_t next) {
    const std::size_t n = s.chars.size();
    if (n - from <= kSentenceChars) return n;
    const std::size_t limit = from + kSentenceChars;
    auto cutsReading = [&](std::size_t at) {
        for (std::size_t k = next; k < s.readings.size() && s.readings[k].begin < at; ++k) {
            if (s.readings[k].end > at) return true;
        }
        return false;
    };
    auto kind = [](char32_t c) { return IsKanji(c) ? 1 : IsKana(c) ? 2 : 0; };
    std::size_t comma = 0, blank = 0, change = 0;
    for (std::size_t at = from + 1; at <= limit; ++at) {
        const char32_t before = s.chars[at - 1].c, after = s.chars[at].c;
        if (Among(before, kCommas)) comma = at;
        if (after == U' ') blank = at;
        if (kind(before) != kind(after)) change = at;
    }
    for (const std::size_t at : {comma, blank, change, limit}) {
        if (at > from && !cutsReading(at)) return at;
    }
    // The limit falls inside a reading: the piece ends before it, or after it when it began
    // the piece.
    for (std::size_t k = next; k < s.readings.size(); ++k) {
        const GivenReading& g = s.readings[k];
        if (g.begin < limit && g.end > limit) return g.begin > from ? g.begin : g.end;
    }
    return limit;
}

// s as sentences of kSentenceChars at most.
void AddSentence(Sentence s, std::vector<Sentence>& out) {
    if (s.chars.size() <= kSentenceChars) {
        out.push_back(std::move(s));
        return;
    }
    std::size_t next = 0;
    for (std::size_t from = 0; from < s.chars.size();) {
        const std::size_t to = PartEnd(s, from, next);
        Sentence part;
        part.line = s.line;
        part.broken = s.broken;
        std::size_t b = from, e = to;
        while (b < e && s.chars[b].c == U' ') ++b;
        while (e > b && s.chars[e - 1].c == U' ') --e;
        part.chars.assign(s.chars.begin() + static_cast<std::ptrdiff_t>(b),
                          s.chars.begin() + static_cast<std::ptrdiff_t>(e));
        for (; next < s.readings.size() && s.readings[next].end <= to; ++next) {
            const GivenReading& g = s.readings[next];
            if (g.begin >= b && g.end <= e)
                part.readings.push_back({g.begin - b, g.end - b, g.reading});
        }
        if (!part.chars.empty()) out.push_back(std::move(part));
        from = to;
    }
}

// Cuts a line into sentences: after a sentence end outside brackets (with the ends and
// closing brackets right after it), and after a closing bracket that closes a sentence and
// is followed by a blank, another opening bracket or the line end.
void CutSentences(const Line& line, std::vector<Sentence>& out) {
    const auto& chars = line.chars;
    const std::size_t n = chars.size();
    // The readings and the notation errors are in order, and so are the sentences: each is
    // looked at from where the sentence before left off.
    std::size_t reading = 0, broken = 0, probe = 0;
    auto insideReading = [&](std::size_t at) {  // at grows from call to call
        while (probe < line.readings.size() && line.readings[probe].end <= at) ++probe;
        return probe < line.readings.size() && line.readings[probe].begin < at;
    };
    std::size_t start = 0;
    auto emit = [&](std::size_t end) {
        if (end < n && insideReading(end)) return;
        std::size_t b = start, e = end;
        while (b < e && chars[b].c == U' ') ++b;
        while (e > b && chars[e - 1].c == U' ') --e;
        Sentence s;
        s.line = line.number;
        s.chars.assign(chars.begin() + static_cast<std::ptrdiff_t>(b),
                       chars.begin() + static_cast<std::ptrdiff_t>(e));
        for (; reading < line.readings.size() && line.readings[reading].end <= end; ++reading) {
            const GivenReading& g = line.readings[reading];
            if (g.begin >= b && g.end <= e)
                s.readings.push_back({g.begin - b, g.end - b, g.reading});
        }
        for (; broken < line.broken.size() &&
               (line.broken[broken] < end || (end == n && line.broken[broken] == n));
             ++broken) {
            s.broken = true;
        }
        if (!s.chars.empty()) AddSentence(std::move(s), out);
        start = end;
    };
    int depth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = chars[i].c;
        if (Among(c, kOpeners)) {
            ++depth;
        } else if (Among(c, kClosers)) {
            depth = std::max(0, depth - 1);
            const bool closesSentence = depth == 0 && i > 0 && Among(chars[i - 1].c, kSentenceEnds);
            if (closesSentence &&
                (i + 1 == n || chars[i + 1].c == U' ' || Among(chars[i + 1].c, kOpeners)))
                emit(i + 1);
        } else if (depth == 0 && Among(c, kSentenceEnds)) {
            std::size_t j = i + 1;
            while (j < n && (Among(chars[j].c, kSentenceEnds) || Among(chars[j].c, kClosers))) ++j;
            emit(j);
            i = j - 1;
        }
    }
    if (start < n) emit(n);
}

// ---- words and phrases -------------------------------------------------------------------

// How a word joins the phrase around it.
enum class Role {
    Content,  // begins a phrase, unless it continues a compound (below)
    Attach,   // particles, auxiliaries, suffixes, closing brackets and punctuation
    Open,     // an opening bracket: the phrase begins with it and goes on after it
    Prefix,   // a prefix: likewise
    Join,     // a middle dot between two words of one name
};

struct Piece {
    std::u32string surface;
    std::string written;  // Shift_JIS
    std::u32string reading;
    Role role = Role::Content;
    std::string pos, pos1, form, base;
    int column = 0;
    bool blankBefore = false;
};

Role RoleOf(const Morpheme& m, std::u32string_view surface) {
    if (m.pos == "記号") {
        if (m.pos1 == "括弧開") return Role::Open;
        if (surface == U"・") return Role::Join;
        return Role::Attach;
    }
    if (m.pos == "助詞" || m.pos == "助動詞") return Role::Attach;
    if (m.pos == "名詞" && (m.pos1 == "接尾" || m.pos1 == "特殊")) return Role::Attach;
    if (m.pos == "名詞" && m.pos1 == "非自立" && (m.base == "の" || m.base == "ん"))
        return Role::Attach;
    if ((m.pos == "動詞" || m.pos == "形容詞") && m.pos1 == "接尾") return Role::Attach;
    if (m.pos == "接頭詞") return Role::Prefix;
    return Role::Content;
}

bool IsCompoundNoun(const Piece& p) {
    return p.pos == "名詞" && p.pos1 != "副詞可能" && p.pos1 != "代名詞" && p.pos1 != "非自立";
}

// Whether cur begins a new phrase after prev.
bool BeginsPhrase(const Piece& prev, const Piece& cur) {
    if (cur.blankBefore) return true;
    if (prev.role == Role::Open || prev.role == Role::Prefix || prev.role == Role::Join)
        return false;
    switch (cur.role) {
        case Role::Attach:
        case Role::Join:
            return false;
        case Role::Open:
        case Role::Prefix:
            return true;
        case Role::Content:
            break;
    }
    // Nouns in a row make one compound (立入禁止), except after a time word (毎日 灯台).
    if (IsCompoundNoun(prev) && IsCompoundNoun(cur)) return false;
    // A verbal noun with する (勉強する).
    if (cur.pos == "動詞" && prev.pos == "名詞" && prev.pos1 == "サ変接続" &&
        (cur.base == "する" || cur.base == "できる" || cur.base == "出来る"))
        return false;
    // A verb or adjective right after a verb's stem (書き始める, 読みやすい); after a
    // particle it is a phrase of its own (書いて ある).
    if ((cur.pos == "動詞" || cur.pos == "形容詞") && prev.pos == "動詞" &&
        prev.form.rfind("連用", 0) == 0)
        return false;
    return true;
}

struct Phrase {
    std::vector<Piece> pieces;
    std::size_t Width() const {
        std::size_t w = 0;
        for (const Piece& p : pieces) w += p.written.size();
        return w;
    }
    std::u32string Reading() const {
        std::u32string r;
        for (const Piece& p : pieces) r += p.reading;
        return r;
    }
};

// The reading as typed: katakana made hiragana, except in a word holding a katakana whose
// hiragana Shift_JIS lacks.
std::u32string TypedReading(std::u32string reading) {
    if (std::any_of(reading.begin(), reading.end(),
                    [](char32_t c) { return Among(c, kKatakanaOnly); }))
        return reading;
    for (char32_t& c : reading) {
        if (c >= 0x30A1 && c <= 0x30F6) c -= 0x60;
    }
    return reading;
}

// ---- making ------------------------------------------------------------------------------

class Maker {
public:
    Maker(Analyzer& analyzer, const KeyTable& keys, std::vector<Finding>& findings)
        : analyzer_(analyzer), keys_(keys), findings_(findings) {}

    // The pairs of one sentence; none when it is left out (with the reason in findings).
    std::vector<MadePair> Make(const Sentence& s) {
        if (s.broken) return {};
        sentence_ = &s;
        broken_ = false;
        std::vector<Piece> pieces = Pieces(s);
        std::vector<Phrase> phrases = Group(std::move(pieces));
        if (broken_) return {};
        if (phrases.empty()) {
            Report(s.chars.front().column, Cause::NothingTyped);
            return {};
        }
        std::vector<MadePair> pairs;
        for (const auto& part : FitToBox(std::move(phrases))) {
            MadePair pair{s.line, {}, {}};
            for (const Phrase& ph : part) {
                const std::optional<std::string> reading = Utf8ToSjis(Utf32ToUtf8(ph.Reading()));
                if (!reading) {
                    Report(ph.pieces.front().column, Cause::ReadingNotSjis,
                           {Utf32ToUtf8(ph.Reading())});
                    return {};
                }
                pair.written += (pair.written.empty() ? "" : " ");
                pair.reading += (pair.reading.empty() ? "" : " ");
                for (const Piece& p : ph.pieces) pair.written += p.written;
                pair.reading += *reading;
            }
            for (const Blocked& b : UntypableCharacters(keys_, pair.reading)) {
                if (b.character.empty()) {
                    Report(s.chars.front().column, Cause::SentenceEndUntypable,
                           {SjisToUtf8(pair.reading)});
                } else {
                    Report(s.chars.front().column, Cause::SentenceUntypable,
                           {SjisToUtf8(b.character), SjisToUtf8(pair.reading)});
                }
                return {};
            }
            pairs.push_back(std::move(pair));
        }
        return pairs;
    }

private:
    void Report(int column, Cause cause, std::vector<std::string> details = {}) {
        findings_.push_back(Finding::Of(sentence_->line, column, cause, std::move(details)));
    }
    // A finding that leaves the sentence out.
    void Refuse(int column, Cause cause, std::vector<std::string> details = {}) {
        Report(column, cause, std::move(details));
        broken_ = true;
    }

    const std::optional<std::string>& Sjis(char32_t c) {
        auto it = sjis_.find(c);
        if (it == sjis_.end())
            it = sjis_.emplace(c, Utf8ToSjis(Utf32ToUtf8(std::u32string(1, c)))).first;
        return it->second;
    }
    bool Typed(const std::string& sjis) {
        auto it = typed_.find(sjis);
        if (it == typed_.end())
            it = typed_.emplace(sjis, UntypableCharacters(keys_, sjis).empty()).first;
        return it->second;
    }

    // The words of the sentence with their written forms and readings.
    // The words of the sentence as spans of its characters, in order; characters the
    // analyser passed over (other than blanks) are kept as signs of their own. Nothing when
    // the analyser split a character.
    struct Span {
        std::size_t begin, end;
        Morpheme m;
    };
    std::optional<std::vector<Span>> Spans(const Sentence& s) {
        std::string text;
        std::vector<std::size_t> byteOf;  // of each character, and of the end
        std::map<std::size_t, std::size_t> charAt;
        for (std::size_t i = 0; i < s.chars.size(); ++i) {
            byteOf.push_back(text.size());
            charAt[text.size()] = i;
            text += Utf32ToUtf8(std::u32string(1, s.chars[i].c));
        }
        byteOf.push_back(text.size());
        charAt[text.size()] = s.chars.size();
        std::vector<FixedWord> fixed;
        for (const GivenReading& g : s.readings) fixed.push_back({byteOf[g.begin], byteOf[g.end]});

        std::vector<Span> spans;
        spans.reserve(s.chars.size());  // a sentence is short; one word a character at most
        std::size_t lastEnd = 0;
        auto gap = [&](std::size_t to) {
            for (std::size_t i = lastEnd; i < to;) {
                std::size_t j = i;
                while (j < to && s.chars[j].c != U' ') ++j;
                if (j > i) spans.push_back({i, j, Morpheme{0, 0, "記号", "一般", "*", "*", ""}});
                i = std::max(j, i + 1);
            }
        };
        for (const Morpheme& m : analyzer_.Analyze(text, fixed)) {
            const auto b = charAt.find(m.begin);
            const auto e = charAt.find(m.end);
            if (b == charAt.end() || e == charAt.end() || b->second < lastEnd) return std::nullopt;
            gap(b->second);
            spans.push_back({b->second, e->second, m});
            lastEnd = e->second;
        }
        gap(s.chars.size());
        return spans;
    }

    // The words of the sentence with their written forms and readings.
    std::vector<Piece> Pieces(const Sentence& s) {
        const std::optional<std::vector<Span>> spans = Spans(s);
        if (!spans) {
            Refuse(s.chars.front().column, Cause::AnalyserSplit);
            return {};
        }
        std::vector<Piece> pieces;
        pieces.reserve(spans->size());
        std::size_t given = 0, lastEnd = 0;
        for (const Span& span : *spans) {
            const GivenReading* reading = nullptr;
            for (const GivenReading& g : s.readings) {
                if (g.begin == span.begin && g.end == span.end) reading = &g;
            }
            given += reading ? 1 : 0;
            bool blank = false;
            for (std::size_t i = lastEnd; i < span.begin; ++i)
                blank = blank || s.chars[i].c == U' ';
            lastEnd = span.end;
            std::optional<Piece> piece = MakePiece(s, span.m, span.begin, span.end, reading);
            if (!piece) continue;
            piece->blankBefore = blank;
            pieces.push_back(std::move(*piece));
        }
        if (given < s.readings.size()) {
            Refuse(s.chars.front().column, Cause::GivenReadingLost);
            return {};
        }
        return pieces;
    }

    std::optional<Piece> MakePiece(const Sentence& s, const Morpheme& m, std::size_t begin,
                                   std::size_t end, const GivenReading* given) {
        std::u32string surface;
        for (std::size_t i = begin; i < end; ++i) surface += s.chars[i].c;
        Piece p;
        p.surface = surface;
        p.column = s.chars[begin].column;
        p.role = given ? Role::Content : RoleOf(m, surface);
        p.pos = given ? "名詞" : m.pos;
        p.pos1 = given ? "一般" : m.pos1;
        p.form = m.form;
        p.base = m.base;
        const bool hasKanji = std::any_of(surface.begin(), surface.end(), IsKanji);
        const bool allKana = std::all_of(surface.begin(), surface.end(), IsKana);
        // Without kanji or a reading given, a word is read as it is written: its kana as
        // they are, signs, digits and letters typed as themselves where the key table has them.
        const bool asWritten = !given && !hasKanji && !allKana;
        for (std::size_t i = begin; i < end; ++i) {
            const auto [c, column] = s.chars[i];
            if (c == U' ') continue;  // blanks part phrases; the Act has its own
            const std::optional<std::string>& sj = Sjis(c);
            if (!sj && (IsKanji(c) || IsKana(c))) {
                Refuse(column, Cause::KanjiNotSjis, Show(c));
            } else if (!sj) {
                Report(column, Cause::CharacterNotSjis, Show(c));
            } else if (asWritten && !IsKana(c) && !Typed(*sj)) {
                p.written += *sj;
                Report(column, Cause::SignNotTyped, Show(c));
            } else {
                p.written += *sj;
                if (asWritten) p.reading += c;
            }
        }
        if (given) {
            p.reading = given->reading;
        } else if (allKana) {
            p.reading = surface;
        } else if (hasKanji && m.reading.empty()) {
            const std::string word = Utf32ToUtf8(surface);
            Refuse(p.column, Cause::UnknownWord, {word});
        } else if (hasKanji) {
            p.reading = Utf8ToUtf32(m.reading);
        }
        p.reading = TypedReading(std::move(p.reading));
        if (p.written.empty()) return std::nullopt;
        return p;
    }

    // Pieces into phrases; a phrase with nothing to type goes with the phrase before it.
    std::vector<Phrase> Group(std::vector<Piece> pieces) {
        std::vector<Phrase> phrases;
        for (std::size_t i = 0; i < pieces.size();) {
            std::size_t end = i + 1;
            while (end < pieces.size() && !BeginsPhrase(pieces[end - 1], pieces[end])) ++end;
            phrases.emplace_back();
            phrases.back().pieces.assign(
                std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(i)),
                std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(end)));
            i = end;
        }
        std::vector<Phrase> typed;
        std::vector<Piece> carry;  // untyped phrases before the first typed one
        for (Phrase& ph : phrases) {
            if (ph.Reading().empty()) {
                auto& into = typed.empty() ? carry : typed.back().pieces;
                into.insert(into.end(), ph.pieces.begin(), ph.pieces.end());
                continue;
            }
            ph.pieces.insert(ph.pieces.begin(), carry.begin(), carry.end());
            carry.clear();
            typed.push_back(std::move(ph));
        }
        return typed;
    }

    // Phrases no wider than the box: one too wide is cut into the most words that fit, each
    // part a line of its own, the last one followed by what fits after it. Its parts are
    // written with no blank between them, which CutPhrases::Width keeps in mind.
    struct CutPhrases {
        std::vector<Phrase> phrases;
        std::vector<char> joined;                   // to the phrase before, as parts of one
        std::vector<char> starts;                   // the first part of a phrase that was cut
        std::vector<std::size_t> sum{0}, joins{0};  // of the phrases before each

        void Add(Phrase ph, bool join, bool start) {
            sum.push_back(sum.back() + ph.Width());
            joins.push_back(joins.back() + (join ? 1 : 0));
            phrases.push_back(std::move(ph));
            joined.push_back(join ? 1 : 0);
            starts.push_back(start ? 1 : 0);
        }
        // Of the phrases from one to the one before to, with the blanks between.
        std::size_t Width(std::size_t from, std::size_t to) const {
            return sum[to] - sum[from] + (to - from - 1) - (joins[to] - joins[from + 1]);
        }
    };
    CutPhrases CutWidePhrases(std::vector<Phrase> wide, std::size_t limit) {
        CutPhrases cut;
        cut.phrases.reserve(wide.size());
        for (Phrase& ph : wide) {
            if (ph.Width() <= limit) {
                cut.Add(std::move(ph), false, false);
                continue;
            }
            auto& pieces = ph.pieces;
            for (std::size_t k = 0; k < pieces.size();) {
                std::size_t end = k, w = 0;
                while (end < pieces.size() && w + pieces[end].written.size() <= limit)
                    w += pieces[end++].written.size();
                if (end == k) {
                    Report(pieces[k].column, Cause::WordTooWide, {std::to_string(kKanjiBoxChars)});
                    end = k + 1;
                }
                Phrase part;
                part.pieces.assign(
                    std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(k)),
                    std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(end)));
                cut.Add(std::move(part), k != 0, k == 0);
                k = end;
            }
        }
        return cut;
    }

    // Where the line from phrase i ends: after the last "、" that fits; else between phrases,
    // into lines of about even width; a single phrase wider than the box stays whole.
    static std::size_t LineEnd(const CutPhrases& cut, std::size_t i, std::size_t limit) {
        const std::size_t n = cut.phrases.size();
        std::size_t fit = i, comma = i;
        while (fit < n && cut.Width(i, fit + 1) <= limit && (fit == i || !cut.starts[fit])) {
            ++fit;
            if (Among(cut.phrases[fit - 1].pieces.back().surface.back(), kCommas)) comma = fit;
        }
        if (fit == i) return i + 1;  // one word wider than the box
        if (fit == n) return fit;
        if (comma > i) return comma;
        const std::size_t rest = cut.Width(i, n);
        const std::size_t count = (rest + limit) / (limit + 1);  // lines it needs
        const std::size_t target = (rest + 1) / count;
        const auto off = [&](std::size_t to) {
            const std::size_t w = cut.Width(i, to);
            return w > target ? w - target : target - w;
        };
        std::size_t end = fit;
        for (std::size_t k = i + 1; k < fit; ++k) {
            if (off(k) < off(end)) end = k;
        }
        return end;
    }

    // Cuts the phrases into lines whose written form fits the box with the line-end marker:
    // after the last "、" that fits; else between phrases, into lines of about even width;
    // else inside a phrase between its words. A single word wider than the box stays whole.
    std::vector<std::vector<Phrase>> FitToBox(std::vector<Phrase> wide) {
        const std::size_t limit = 2 * static_cast<std::size_t>(kKanjiBoxChars) - 2;
        CutPhrases cut = CutWidePhrases(std::move(wide), limit);
        std::vector<std::vector<Phrase>> lines;
        for (std::size_t i = 0; i < cut.phrases.size();) {
            const std::size_t end = LineEnd(cut, i, limit);
            lines.emplace_back(
                std::make_move_iterator(cut.phrases.begin() + static_cast<std::ptrdiff_t>(i)),
                std::make_move_iterator(cut.phrases.begin() + static_cast<std::ptrdiff_t>(end)));
            i = end;
        }
        return lines;
    }

    Analyzer& analyzer_;
    const KeyTable& keys_;
    std::vector<Finding>& findings_;
    const Sentence* sentence_ = nullptr;
    bool broken_ = false;
    std::unordered_map<char32_t, std::optional<std::string>> sjis_;
    std::unordered_map<std::string, bool> typed_;
};

std::optional<std::string> HeaderLine(const std::string& utf8, const char* option,
                                      std::string& refusal) {
    int column = 0;
    if (utf8.find_first_of("\r\n") != std::string::npos ||
        FirstInvalidUtf8(utf8) != std::string::npos) {
        refusal = std::string(option) + " must be one line of text";
        return std::nullopt;
    }
    auto sjis = Utf8ToSjis(utf8, &column);
    if (!sjis)
        refusal = std::string(option) + ": character " + std::to_string(column) +
                  " cannot be held in Shift_JIS";
    return sjis;
}

}  // namespace

std::vector<Sentence> ReadSentences(std::string_view utf8, std::vector<Finding>& findings) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    std::vector<Sentence> sentences;
    int number = 0;
    for (const std::string_view text : SplitLinesKeepingNul(utf8)) {
        const Line line = ReadNotation(++number, Normalize(Utf8ToUtf32(text)), findings);
        CutSentences(line, sentences);
    }
    return sentences;
}

std::optional<std::string> DecodeText(std::string_view bytes, std::string& why) {
    const auto utf16 = [&](bool big) {
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto hi = static_cast<unsigned char>(bytes[big ? i : i + 1]);
            const auto lo = static_cast<unsigned char>(bytes[big ? i + 1 : i]);
            units.push_back(static_cast<char16_t>(hi << 8 | lo));
        }
        return Utf16ToUtf8(units);
    };
    if (bytes.substr(0, 2) == "\xFF\xFE") return utf16(false);
    if (bytes.substr(0, 2) == "\xFE\xFF") return utf16(true);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::size_t bad = FirstInvalidUtf8(bytes);
    if (bad == std::string_view::npos) return std::string(bytes);
    // UTF-8 Japanese is often valid Shift_JIS too: a text is taken as Shift_JIS only when
    // nothing before its first byte that is not UTF-8 was a UTF-8 character of more than
    // one byte. A UTF-8 text with a broken byte is given as it is, so that making reports
    // where.
    const bool asciiBefore =
        std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bad),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!asciiBefore) return std::string(bytes);
    if (FirstInvalidSjis(bytes) < 0) return SjisToUtf8(bytes);
    why = "the text is neither UTF-8, UTF-16 with a byte order mark, nor Shift_JIS";
    return std::nullopt;
}

std::vector<Finding> CheckMadePair(const MadePair& pair, const KeyTable& keys) {
    std::vector<Finding> why;
    if (pair.reading.empty()) {
        why.push_back(Finding::Of(pair.line, 0, Cause::ReadingEmpty));
        return why;
    }
    for (const Blocked& b : UntypableCharacters(keys, pair.reading)) {
        why.push_back(b.character.empty()
                          ? Finding::Of(pair.line, 0, Cause::EndUntypable)
                          : Finding::Of(pair.line, 0, Cause::Untypable, {SjisToUtf8(b.character)}));
    }
    const int written = CountSpaces(pair.written), reading = CountSpaces(pair.reading);
    if (written != reading)
        why.push_back(Finding::Of(pair.line, 0, Cause::OutOfStep,
                                  {std::to_string(written + 1), std::to_string(reading + 1)}));
    return why;
}

namespace {

// Lines 1 to 5 of an Act: title, comment, a blank line, and both again for the two boxes.
std::optional<std::string> Header(const MakeOptions& options, std::string& refusal) {
    std::string header;
    for (const std::string* h : {&options.title, &options.comment}) {
        const auto sjis = HeaderLine(*h, h == &options.title ? "--title" : "--comment", refusal);
        if (!sjis) return std::nullopt;
        header += *sjis + "\r\n";
    }
    return header + "\r\n" + header;
}

std::string Body(const std::vector<MadePair>& pairs) {
    std::string bytes;
    for (const MadePair& p : pairs) bytes += "\r\n" + p.written + "\r\n" + p.reading + "\r\n";
    return bytes;
}

std::string TooFew(std::size_t pairs) {
    return CauseText(Cause::TooFewLines, {std::to_string(pairs)}, Language::English);
}

// The act refused for the cause.
void Refuse(MadeAct& act, Cause cause, std::vector<std::string> details = {}) {
    act.refused = Finding::Of(0, 0, cause, std::move(details));
    act.refusal = act.refused.message;
}

}  // namespace

std::string WriteMadeAct(const std::vector<MadePair>& pairs, const MakeOptions& options,
                         const KeyTable& keys, std::string& why) {
    const auto header = Header(options, why);
    if (!header) return {};
    if (pairs.size() < 5) {
        why = TooFew(pairs.size());
        return {};
    }
    std::string bytes = *header + Body(pairs);
    const ActCheck check = CheckAct(bytes, &keys);
    if (!check.findings.empty()) {
        const Finding& f = check.findings.front();
        why = (f.line > 0 ? "line " + std::to_string(f.line) + " of the Act: " : std::string()) +
              f.message;
        return {};
    }
    return bytes;
}

MadeAct MakeAct(std::string_view utf8, Analyzer& analyzer, const KeyTable& keys,
                const MakeOptions& options, const MakeProgress& progress) {
    MadeAct act;
    auto sortFindings = [&] {
        std::stable_sort(act.findings.begin(), act.findings.end(),
                         [](const Finding& a, const Finding& b) {
                             return std::tie(a.line, a.column) < std::tie(b.line, b.column);
                         });
    };
    int number = 0;
    for (const std::string_view line : SplitLinesKeepingNul(utf8)) {
        ++number;
        if (const std::size_t bad = FirstInvalidUtf8(line); bad != std::string_view::npos)
            act.findings.push_back(Finding::Of(number, Utf8Column(line, bad), Cause::NotUtf8));
    }
    if (!act.findings.empty()) {
        Refuse(act, Cause::TextNotUtf8);
        return act;
    }
    const auto header = Header(options, act.refusal);
    if (!header) return act;

    Maker maker(analyzer, keys, act.findings);
    const std::vector<Sentence> sentences = ReadSentences(utf8, act.findings);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (progress && i % 16 == 0 && !progress(i, sentences.size())) {
            act.pairs.clear();
            act.refusal = "cancelled";
            return act;
        }
        for (MadePair& p : maker.Make(sentences[i])) act.pairs.push_back(std::move(p));
    }
    if (progress) progress(sentences.size(), sentences.size());
    sortFindings();
    std::string bytes = *header + Body(act.pairs);
    if (act.pairs.size() < 5) {
        Refuse(act, Cause::TooFewLines, {std::to_string(act.pairs.size())});
        return act;
    }
    // Every reading was typed against the table as it was made; the check need not type it
    // again (that is most of its work).
    const ActCheck check = CheckAct(bytes, nullptr);
    if (!check.findings.empty()) {
        Refuse(act, Cause::MadeActFails, {check.findings.front().message});
        return act;
    }
    act.bytes = std::move(bytes);
    return act;
}

}  // namespace kotopa::tool
