// Text helpers of kotopa-tool: UTF-8 as authors write it, Shift_JIS as the program reads
// it (converted by src/text), and the places (line, column) that messages about either
// point at.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sjiscodec.h"  // SjisToUtf8, FirstInvalidUtf8
#include "textfile.h"   // HasExtension

namespace kotopa::tool {

// What making an Act finds in a text or in an edited reading. Each cause has one text in
// English, which kotopa-tool writes, and one in Japanese, which the window "Act を作る" shows;
// %1, %2 in them stand for the finding's details.
enum class Cause {
    None,  // the finding's message alone says it
    NotUtf8,
    ControlCharacter,  // details: the character, its code
    BarWithoutReading,
    BracketNotClosed,
    BracketEmpty,
    BracketNotKana,  // the character, its code
    BracketAfterNoKanji,
    AnalyserSplit,
    GivenReadingLost,
    KanjiNotSjis,      // the character, its code (the sentence is left out)
    CharacterNotSjis,  // the character, its code (the character is left out)
    SignNotTyped,      // the character, its code
    UnknownWord,       // the word
    NothingTyped,
    ReadingNotSjis,        // the reading
    SentenceUntypable,     // the character, the reading
    SentenceEndUntypable,  // the reading
    WordTooWide,           // full-width characters of the box
    ReadingEmpty,
    Untypable,  // the character
    EndUntypable,
    OutOfStep,  // words of the written form, of the reading
    // Why a text gives no Act.
    TextNotUtf8,
    TooFewLines,   // the lines it gives
    MadeActFails,  // what the check of the made Act found first
};

enum class Language { English, Japanese };

// The text of a cause with its details (UTF-8).
std::string CauseText(Cause cause, const std::vector<std::string>& details, Language language);

// Something found in a file, at a place: line and column count from 1; 0 means the whole
// line or the whole file.
struct Finding {
    int line = 0;
    int column = 0;
    std::string message;  // UTF-8, in English
    Cause cause = Cause::None;
    std::vector<std::string> details{};  // UTF-8

    // A finding of a cause; its message is the cause's English text.
    static Finding Of(int line, int column, Cause cause, std::vector<std::string> details = {});
    // What it says in the language: the cause's text, or the message when it has none.
    std::string Text(Language language) const;
};

// The lines of text as the program splits them (CR LF, LF or CR end a line; a final line end
// adds no empty line), except that a NUL byte is kept instead of ending the text.
std::vector<std::string_view> SplitLinesKeepingNul(std::string_view text);

// Bytes of the UTF-8 character that starts at pos of well-formed text.
std::size_t Utf8CharBytes(std::string_view s, std::size_t pos);
// Characters (code points) before byte offset at of UTF-8 text, plus one: a column.
int Utf8Column(std::string_view line, std::size_t at);
// Bytes of the Shift_JIS character at pos as an editor shows it: two for a lead byte with a
// trail byte (40-7E, 80-FC) after it, else one, so that a broken pair does not hide the
// character after it.
std::size_t SjisCharBytes(std::string_view s, std::size_t pos);
// Characters (in that sense) before byte offset at of Shift_JIS text, plus one.
int SjisColumn(std::string_view line, std::size_t at);

// UTF-8 text as Shift_JIS (look-alikes mapped as the program maps them). When a character
// cannot be held, nothing is returned and badColumn (if given) is its column.
std::optional<std::string> Utf8ToSjis(std::string_view utf8, int* badColumn = nullptr);

// A path as the user wrote it, for messages (UTF-8).
std::string ShowPath(const std::filesystem::path& path);

// A path from a command-line argument or a file (UTF-8).
std::filesystem::path ArgPath(std::string_view utf8);

}  // namespace kotopa::tool
