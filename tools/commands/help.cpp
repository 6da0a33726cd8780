#include "commands.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "act.h"
#include "actcheck.h"
#include "actfiles.h"
#include "actmake.h"
#include "keysource.h"
#include "keytable.h"
#include "romaji.h"
#include "sjis.h"
#include "text.h"
#include "textfile.h"
#include "typing.h"

namespace kotopa::tool {

namespace fs = std::filesystem;

const char* const kUsage =
    "kotopa-tool: checks and converts the Acts and key tables of KotoPA.\n"
    "\n"
    "  kotopa-tool check ACT.ktp [--keys KEYFILE.key]\n"
    "  kotopa-tool import TEXT.txt -o ACT.ktp\n"
    "  kotopa-tool export ACT.ktp -o TEXT.txt\n"
    "  kotopa-tool make TEXT.txt -o ACT.ktp [--keys KEYFILE.key] [--title T] [--comment C]\n"
    "  kotopa-tool keys build SOURCE.txt -o KEYFILE.key\n"
    "  kotopa-tool keys dump KEYFILE.key\n"
    "  kotopa-tool keys verify KEYFILE.key --romaji TABLE.tsv [--pairs] [ACT.ktp|ACT.txt ...]\n"
    "  kotopa-tool try --keys KEYFILE.key [--] READING ROMAJI\n"
    "\n"
    "\"kotopa-tool COMMAND --help\" tells more. Exit status: 0 clean, 1 findings (nothing\n"
    "written), 2 unusable input.\n";

const std::map<std::string, const char*> kHelp = {
    {"check",
     "kotopa-tool check ACT.ktp [--keys KEYFILE.key]\n"
     "\n"
     "Reports what the program would refuse (with its own message), bytes that are not\n"
     "Shift_JIS (line and column), every reading with a character the key table cannot type\n"
     "(line and character), and readings whose spaces do not match their written form's.\n"
     "Without --keys the key table is the one the program would load beside the Act\n"
     "(../key/mykey.key from the Act's folder), when there is one. Findings are listed in\n"
     "line and column order; nothing after a NUL byte is read, as the program reads nothing\n"
     "there.\n"
     "Exit status: 0 clean, 1 findings (also an Act the program refuses to load: empty, too\n"
     "short, not Shift_JIS), 2 unusable input (no such file, wrong extension, bad key file).\n"},
    {"import",
     "kotopa-tool import TEXT.txt -o ACT.ktp\n"
     "\n"
     "Turns an Act written as UTF-8 text into the Shift_JIS file the program reads, with CR LF\n"
     "line ends. The wave dash and its look-alikes become the one Shift_JIS holds. Characters\n"
     "that Shift_JIS cannot hold are named with line and column, and nothing is written then.\n"
     "Exit status: 0 written, 1 refused, 2 unusable input.\n"},
    {"export",
     "kotopa-tool export ACT.ktp -o TEXT.txt\n"
     "\n"
     "Turns an Act into UTF-8 text with LF line ends, for editing. Bytes that are not\n"
     "Shift_JIS are named with line and column, and nothing is written then.\n"
     "Exit status: 0 written, 1 refused, 2 unusable input.\n"},
    {"make",
     "kotopa-tool make TEXT.txt -o ACT.ktp [--keys KEYFILE.key] [--title TITLE] [--comment C]\n"
     "               [--dic FOLDER]\n"
     "\n"
     "Makes an Act of any Japanese text (UTF-8, UTF-16 with a BOM, or Shift_JIS): each\n"
     "sentence (cut at 。！？ and line ends, and where it is wider than the written-form box\n"
     "at 、 or between phrases) with its hiragana reading from MeCab, both split into the\n"
     "same phrases with one blank between.\n"
     "A reading MeCab does not know or gets wrong is given in the text: 漢字[かんじ] reads the\n"
     "kanji before the bracket, |入り口[いりぐち] everything from the bar. Words without a\n"
     "reading, characters Shift_JIS lacks and readings the key table cannot type are reported\n"
     "with line and column, and their sentences left out; the Act is checked as check does\n"
     "and written whole or not at all. Without --keys the key table is ../key/mykey.key from\n"
     "the Act's folder. TITLE (default: the text's file name) and C head the Act; --dic names\n"
     "the IPA dictionary's folder.\n"
     "Exit status: 0 written, 1 written with findings to review, 2 nothing written.\n"},
    {"keys",
     "kotopa-tool keys build SOURCE.txt -o KEYFILE.key\n"
     "kotopa-tool keys dump KEYFILE.key\n"
     "kotopa-tool keys verify KEYFILE.key --romaji TABLE.tsv [--pairs] [ACT.ktp|ACT.txt ...]\n"
     "\n"
     "build: reads a key table source (UTF-8, one row a line: the item, then its candidates,\n"
     "separated by blanks; \"#\" begins a comment line; <sp>, <idsp> and <hash> stand for a\n"
     "blank, an ideographic space and \"#\") and writes it through the program's own key file\n"
     "writer into a fresh file, which replaces KEYFILE only when it reads back as the source.\n"
     "dump: prints a key file in the source notation.\n"
     "verify: checks that every spelling an input method's romaji table (keys TAB kana\n"
     "[TAB pending key]) gives for each of its kana and groups, with --pairs for every two of\n"
     "them, and for every reading of the given Acts, types through the matcher with this key\n"
     "table; prints the figures and the exceptions.\n"
     "Exit status: 0 clean, 1 errors or failures, 2 unusable input.\n"},
    {"try",
     "kotopa-tool try --keys KEYFILE.key [--] READING ROMAJI\n"
     "\n"
     "Types ROMAJI key by key against READING (UTF-8) through the matcher, as a play does, and\n"
     "prints KeyCount, CharCount, MissCount, whether the line was completed, the first mistype\n"
     "and the units typed. Put -- before ROMAJI that begins with \"-\".\n"
     "Exit status: 0 completed without a mistype, 1 otherwise, 2 unusable input.\n"},
};

int Usage(Io io, const std::string& command, const std::string& problem) {
    io.err << "kotopa-tool " << command << ": " << problem << "\n\n" << kHelp.at(command);
    return kUnusable;
}

}  // namespace kotopa::tool
