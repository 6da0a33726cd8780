#include "text.h"

#include <iterator>

#include "sjis.h"

namespace kotopa::tool {

namespace {

struct CauseTexts {
    Cause cause;
    std::string_view english, japanese;
};

// In the order of Cause.
constexpr CauseTexts kCauses[] = {
    {Cause::None, "%1", "%1"},
    {Cause::NotUtf8, "bytes that are not UTF-8", "UTF-8 でないバイトがあります"},
    {Cause::ControlCharacter, "a control character \"%1\" (%2) is left out",
     "制御文字 (%2) は除きます"},
    {Cause::BarWithoutReading, "\"|\" without a reading in brackets is ignored",
     "「|」の後に括弧の読みがないので、「|」は無視します"},
    {Cause::BracketNotClosed,
     "\"[\" without \"]\": a reading in brackets ends on its line; the sentence is left out",
     "「[」を閉じる「]」がありません (括弧の読みはその行のうちに閉じます)。この文は入れません"},
    {Cause::BracketEmpty, "an empty reading in brackets; the sentence is left out",
     "括弧の読みが空です。この文は入れません"},
    {Cause::BracketNotKana,
     "the reading in brackets holds \"%1\" (%2): write it in kana; the sentence is left out",
     "括弧の読みに「%1」(%2) があります。読みはかなで書いてください。この文は入れません"},
    {Cause::BracketAfterNoKanji,
     "the reading in brackets follows no kanji: mark where the word begins with \"|\"; the "
     "sentence is left out",
     "括弧の読みの前に漢字がありません。語の始まりに「|」を付けてください。この文は入れません"},
    {Cause::AnalyserSplit, "the analyser split a character; the sentence is left out",
     "MeCab が文字を分けてしまいました。この文は入れません"},
    {Cause::GivenReadingLost,
     "the analyser did not keep a reading given in brackets; the sentence is left out",
     "括弧で書いた読みを MeCab が保ちませんでした。この文は入れません"},
    {Cause::KanjiNotSjis, "\"%1\" (%2) cannot be held in Shift_JIS; the sentence is left out",
     "「%1」(%2) は Shift_JIS にない文字です。この文は入れません"},
    {Cause::CharacterNotSjis, "\"%1\" (%2) cannot be held in Shift_JIS: it is left out",
     "「%1」(%2) は Shift_JIS にない文字なので除きます"},
    {Cause::SignNotTyped,
     "\"%1\" (%2) is not typed with this key table: it is shown in the written form only",
     "「%1」(%2) はこのキー定義では打てない記号なので、漢字の欄にだけ出します"},
    {Cause::UnknownWord,
     "\"%1\": no reading is known; give it in the text as %1[よみ]; the sentence is left out",
     "「%1」の読みがわかりません。文中に %1[よみ] と読みを書いてください。この文は入れません"},
    {Cause::NothingTyped, "nothing in this sentence is typed; it is left out",
     "この文には打つ文字がないので入れません"},
    {Cause::ReadingNotSjis,
     "the reading \"%1\" cannot be held in Shift_JIS; the sentence is left out",
     "読み「%1」は Shift_JIS で書けません。この文は入れません"},
    {Cause::SentenceUntypable,
     "the key table cannot type \"%1\" of the reading \"%2\"; the sentence is left out",
     "このキー定義では読み「%2」の「%1」を打てません。この文は入れません"},
    {Cause::SentenceEndUntypable,
     "the key table cannot type the end of the reading \"%1\"; the sentence is left out",
     "このキー定義では読み「%1」の終わりを打てません。この文は入れません"},
    {Cause::WordTooWide, "a word wider than the written-form box (%1 full-width characters)",
     "漢字の欄 (全角 %1 文字) より長い語です"},
    {Cause::ReadingEmpty, "the reading is empty", "読みが空です"},
    {Cause::Untypable, "the key table cannot type \"%1\"", "このキー定義では「%1」を打てません"},
    {Cause::EndUntypable, "the key table cannot type the end of the reading",
     "このキー定義では読みの終わりを打てません"},
    {Cause::OutOfStep, "the words are out of step: the written form has %1, the reading %2",
     "語の数が合いません: 漢字は %1 語、読みは %2 語です"},
    {Cause::TextNotUtf8, "the text is not UTF-8", "文章が UTF-8 ではありません"},
    {Cause::TooFewLines, "the text gives %1 lines to type; an Act needs at least 5",
     "打つ行が %1 行しかありません。Act には 5 行以上が要ります"},
    {Cause::MadeActFails, "the Act made fails its check: %1", "作った Act が検査を通りません: %1"},
};

constexpr bool InCauseOrder() {
    for (std::size_t i = 0; i < std::size(kCauses); ++i) {
        if (static_cast<std::size_t>(kCauses[i].cause) != i) return false;
    }
    return std::size(kCauses) == static_cast<std::size_t>(Cause::MadeActFails) + 1;
}
static_assert(InCauseOrder(), "every cause has its texts, in the order of Cause");

}  // namespace

std::string CauseText(Cause cause, const std::vector<std::string>& details, Language language) {
    const CauseTexts& texts = kCauses[static_cast<std::size_t>(cause)];
    const std::string_view form = language == Language::Japanese ? texts.japanese : texts.english;
    std::string text;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char next = i + 1 < form.size() ? form[i + 1] : '\0';
        if (form[i] == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '1');
            if (n < details.size()) text += details[n];
            ++i;
        } else {
            text += form[i];
        }
    }
    return text;
}

Finding Finding::Of(int line, int column, Cause cause, std::vector<std::string> details) {
    Finding f{line, column, CauseText(cause, details, Language::English), cause,
              std::move(details)};
    return f;
}

std::string Finding::Text(Language language) const {
    return cause == Cause::None ? message : CauseText(cause, details, language);
}

std::vector<std::string_view> SplitLinesKeepingNul(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::size_t Utf8CharBytes(std::string_view s, std::size_t pos) {
    std::size_t end = pos + 1;
    while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) ++end;
    return end - pos;
}

int Utf8Column(std::string_view line, std::size_t at) {
    int column = 1;
    for (std::size_t i = 0; i < at && i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
    }
    return column;
}

std::size_t SjisCharBytes(std::string_view s, std::size_t pos) {
    if (!IsLeadByte(s[pos]) || pos + 1 >= s.size()) return 1;
    const auto t = static_cast<unsigned char>(s[pos + 1]);
    return t >= 0x40 && t <= 0xFC && t != 0x7F ? 2 : 1;
}

int SjisColumn(std::string_view line, std::size_t at) {
    int column = 1;
    for (std::size_t i = 0; i < at && i < line.size(); i += SjisCharBytes(line, i)) ++column;
    return column;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8, int* badColumn) {
    SjisEncoding e = SjisFromUtf8(utf8);
    if (e.ok()) return std::move(e.bytes);
    if (badColumn) *badColumn = Utf8Column(utf8, static_cast<std::size_t>(e.badIndex));
    return std::nullopt;
}

std::string ShowPath(const std::filesystem::path& path) {
    return PathToUtf8(path);
}

std::filesystem::path ArgPath(std::string_view utf8) {
    return PathFromUtf8(utf8);
}

}  // namespace kotopa::tool
