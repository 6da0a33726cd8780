#include "cli.h"

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

namespace {

constexpr const char* kUsage =
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

struct Io {
    std::ostream& out;
    std::ostream& err;
};

// Reads an input file the command needs; on any problem says so and returns nothing. An
// empty file is a problem unless the command judges its content (allowEmpty).
std::optional<std::string> ReadInput(const fs::path& path, std::string_view ext, Io io,
                                     bool allowEmpty = false) {
    if (!HasExtension(path, ext)) {
        io.err << ShowPath(path) << ": not a " << ext << " file (wrong extension)\n";
        return std::nullopt;
    }
    // Far above any Act source, Act or key file; a larger input is not read at all.
    constexpr std::uintmax_t kInputLimit = 256 * kMiB;
    std::string bytes;
    switch (ReadFileBytes(path, bytes, kInputLimit)) {
        case ReadStatus::Missing:
            io.err << ShowPath(path) << ": no such file\n";
            return std::nullopt;
        case ReadStatus::Unreadable:
            io.err << ShowPath(path) << ": cannot be read\n";
            return std::nullopt;
        case ReadStatus::TooLarge:
            io.err << ShowPath(path) << ": larger than 256 MiB, not read\n";
            return std::nullopt;
        case ReadStatus::Ok:
            break;
    }
    if (bytes.empty() && !allowEmpty) {
        io.err << ShowPath(path) << ": the file is empty\n";
        return std::nullopt;
    }
    return bytes;
}

std::optional<KeyTable> ReadKeyFile(const fs::path& path, Io io) {
    const auto bytes = ReadInput(path, ".key", io);
    if (!bytes) return std::nullopt;
    KeyTable table;
    table.LoadKeyBytes(*bytes);
    if (table.Rows().empty()) {
        io.err << ShowPath(path) << ": holds no key table (no section [MOZI] with KAZU above 0)\n";
        return std::nullopt;
    }
    return table;
}

void Report(std::ostream& os, const fs::path& path, const Finding& f) {
    os << ShowPath(path);
    if (f.line > 0) os << ':' << f.line;
    if (f.line > 0 && f.column > 0) os << ':' << f.column;
    os << ": " << f.message << '\n';
}

// Arguments of one command: positional ones in order, and the values of options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::vector<std::string> flags;
    bool help = false;
    std::string error;
};

Args ParseArgs(const std::vector<std::string>& args, std::size_t from,
               const std::vector<std::string>& withValue, const std::vector<std::string>& flags) {
    Args a;
    bool optionsEnd = false;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (optionsEnd) {
            a.positional.push_back(s);
        } else if (s == "--") {
            optionsEnd = true;  // what follows is positional even if it begins with "-"
        } else if (s == "--help" || s == "-h") {
            a.help = true;
        } else if (std::find(withValue.begin(), withValue.end(), s) != withValue.end()) {
            if (i + 1 >= args.size()) {
                a.error = s + " needs a value";
                return a;
            }
            a.options[s] = args[++i];
        } else if (std::find(flags.begin(), flags.end(), s) != flags.end()) {
            a.flags.push_back(s);
        } else if (s.size() > 1 && s[0] == '-') {
            a.error = "unknown option " + s;
            return a;
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

int Usage(Io io, const std::string& command, const std::string& problem) {
    io.err << "kotopa-tool " << command << ": " << problem << "\n\n" << kHelp.at(command);
    return kUnusable;
}

int Check(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 1, {"--keys"}, {});
    if (a.help) return io.out << kHelp.at("check"), kClean;
    if (!a.error.empty()) return Usage(io, "check", a.error);
    if (a.positional.size() != 1) return Usage(io, "check", "give one Act");
    const fs::path act = ArgPath(a.positional[0]);
    // An empty Act is refused by the program like one of a single line: a finding.
    const auto bytes = ReadInput(act, ".ktp", io, true);
    if (!bytes) {
        // Say also what the program itself would answer.
        const ActRefusal refusal = ReadAct(act).refusal;
        if (refusal == ActRefusal::BadExtension || refusal == ActRefusal::Missing ||
            refusal == ActRefusal::Unreadable) {
            io.err << "the program refuses it: " << SjisToUtf8(RefusalMessage(refusal)) << '\n';
        }
        return kUnusable;
    }

    std::optional<KeyTable> keys;
    fs::path keyPath;
    if (a.options.count("--keys")) {
        keyPath = ArgPath(a.options.at("--keys"));
    } else {
        const fs::path beside = act.parent_path() / ".." / "key" / "mykey.key";
        std::error_code ec;
        if (fs::exists(beside, ec)) keyPath = beside;
    }
    if (!keyPath.empty()) {
        keys = ReadKeyFile(keyPath, io);
        if (!keys) return kUnusable;
        io.out << "keys: " << ShowPath(keyPath) << " (" << keys->Rows().size() << " rows)\n";
    } else {
        io.out << "keys: none given and none beside the Act; readings are not checked for typing\n";
    }

    const ActCheck check = CheckAct(*bytes, keys ? &*keys : nullptr);
    for (const auto& f : check.findings) Report(io.out, act, f);
    if (check.findings.empty()) {
        io.out << ShowPath(act) << ": clean, " << check.pairs << " pairs\n";
        return kClean;
    }
    io.out << ShowPath(act) << ": " << check.findings.size() << " finding"
           << (check.findings.size() == 1 ? "" : "s") << ", " << check.pairs << " pairs\n";
    return kFindings;
}

bool WriteOutput(const fs::path& path, const std::string& bytes, Io io) {
    if (WriteFileAtomic(path, bytes)) return true;
    io.err << ShowPath(path) << ": cannot be written (nothing was changed)\n";
    return false;
}

int Convert(const std::vector<std::string>& args, Io io, bool import) {
    const std::string command = import ? "import" : "export";
    const Args a = ParseArgs(args, 1, {"-o"}, {});
    if (a.help) return io.out << kHelp.at(command), kClean;
    if (!a.error.empty()) return Usage(io, command, a.error);
    if (a.positional.size() != 1 || !a.options.count("-o"))
        return Usage(io, command, "give one input and -o OUTPUT");
    const fs::path input = ArgPath(a.positional[0]);
    const fs::path output = ArgPath(a.options.at("-o"));
    const char* inExt = import ? ".txt" : ".ktp";
    const char* outExt = import ? ".ktp" : ".txt";
    if (!HasExtension(output, outExt)) {
        io.err << ShowPath(output) << ": not a " << outExt << " file (wrong extension)\n";
        return kUnusable;
    }
    const auto bytes = ReadInput(input, inExt, io);
    if (!bytes) return kUnusable;
    const Converted c = import ? ActTextToSjis(*bytes) : ActSjisToText(*bytes);
    if (!c.ok()) {
        for (const auto& p : c.problems) Report(io.err, input, p);
        io.err << ShowPath(input) << ": " << c.problems.size() << " problem"
               << (c.problems.size() == 1 ? "" : "s") << "; nothing was written\n";
        return kFindings;
    }
    if (!WriteOutput(output, c.bytes, io)) return kUnusable;
    io.out << "wrote " << ShowPath(output) << '\n';
    if (import) {
        ActScript script;
        const ActRefusal r = script.Parse(c.bytes);
        if (r != ActRefusal::None) {
            io.out << "note: the program would refuse this Act: " << SjisToUtf8(RefusalMessage(r))
                   << " (see kotopa-tool check)\n";
        }
    }
    return kClean;
}

int Make(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 1, {"-o", "--keys", "--title", "--comment", "--dic"}, {});
    if (a.help) return io.out << kHelp.at("make"), kClean;
    if (!a.error.empty()) return Usage(io, "make", a.error);
    if (a.positional.size() != 1 || !a.options.count("-o"))
        return Usage(io, "make", "give one text and -o ACT");
    const fs::path input = ArgPath(a.positional[0]);
    const fs::path output = ArgPath(a.options.at("-o"));
    std::string error;
    const auto analyzer =
        OpenMecab(a.options.count("--dic") ? a.options.at("--dic") : DefaultDictionary(), error);
    if (!analyzer) {
        io.err << "kotopa-tool make: " << error << '\n';
        return kUnusable;
    }
    if (!HasExtension(output, ".ktp")) {
        io.err << ShowPath(output) << ": not a .ktp file (wrong extension)\n";
        return kUnusable;
    }
    const auto bytes = ReadInput(input, ".txt", io);
    if (!bytes) return kUnusable;
    const fs::path keyPath = a.options.count("--keys")
                                 ? ArgPath(a.options.at("--keys"))
                                 : output.parent_path() / ".." / "key" / "mykey.key";
    std::error_code ec;
    if (!a.options.count("--keys") && !fs::exists(keyPath, ec)) {
        io.err << "no key table beside the Act (" << ShowPath(keyPath)
               << "): give --keys KEYFILE, the table every reading is checked against\n";
        return kUnusable;
    }
    const auto keys = ReadKeyFile(keyPath, io);
    if (!keys) return kUnusable;
    MakeOptions options;
    options.title = a.options.count("--title") ? a.options.at("--title") : PathToUtf8(input.stem());
    if (a.options.count("--comment")) options.comment = a.options.at("--comment");

    std::string why;
    const std::optional<std::string> text = DecodeText(*bytes, why);
    if (!text) {
        io.err << ShowPath(input) << ": " << why << "; nothing was written\n";
        return kUnusable;
    }
    const MadeAct made = MakeAct(*text, *analyzer, *keys, options);
    for (const auto& f : made.findings) Report(io.out, input, f);
    if (!made.ok()) {
        io.err << ShowPath(input) << ": " << made.refusal << "; nothing was written\n";
        return kUnusable;
    }
    if (!WriteOutput(output, made.bytes, io)) return kUnusable;
    io.out << "wrote " << ShowPath(output) << ": " << made.pairs.size() << " lines, keys "
           << ShowPath(keyPath);
    if (!made.findings.empty())
        io.out << "; " << made.findings.size() << " finding"
               << (made.findings.size() == 1 ? "" : "s") << " to review";
    io.out << '\n';
    return made.findings.empty() ? kClean : kFindings;
}

int KeysBuild(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 2, {"-o"}, {});
    if (a.help) return io.out << kHelp.at("keys"), kClean;
    if (!a.error.empty()) return Usage(io, "keys", a.error);
    if (a.positional.size() != 1 || !a.options.count("-o"))
        return Usage(io, "keys", "build needs SOURCE and -o KEYFILE");
    const fs::path source = ArgPath(a.positional[0]);
    const fs::path output = ArgPath(a.options.at("-o"));
    if (!HasExtension(output, ".key")) {
        io.err << ShowPath(output) << ": not a .key file (wrong extension)\n";
        return kUnusable;
    }
    const auto bytes = ReadInput(source, ".txt", io);
    if (!bytes) return kUnusable;
    std::vector<SourceError> errors;
    const KeySource src = ParseKeySource(*bytes, errors);
    if (errors.empty() && src.table.Rows().empty())
        errors.push_back({0, "the source holds no rows"});
    if (!errors.empty()) {
        for (const auto& e : errors) Report(io.err, source, {e.line, e.column, e.message});
        io.err << ShowPath(source) << ": " << errors.size() << " error"
               << (errors.size() == 1 ? "" : "s") << "; nothing was written\n";
        return kFindings;
    }
    std::string error;
    if (!BuildKeyFile(src.table, output, error)) {
        io.err << error << '\n';
        return kUnusable;
    }
    io.out << "wrote " << ShowPath(output) << ": " << src.table.Rows().size() << " rows\n";
    return kClean;
}

int KeysDump(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 2, {}, {});
    if (a.help) return io.out << kHelp.at("keys"), kClean;
    if (!a.error.empty()) return Usage(io, "keys", a.error);
    if (a.positional.size() != 1) return Usage(io, "keys", "dump needs one KEYFILE");
    const fs::path keyFile = ArgPath(a.positional[0]);
    const auto table = ReadKeyFile(keyFile, io);
    if (!table) return kUnusable;
    std::vector<SourceError> errors;
    const std::string text = FormatKeySource(*table, errors);
    io.out << "# " << table->Rows().size() << " rows\n" << text;
    for (const auto& e : errors) io.err << ShowPath(keyFile) << ": " << e.message << '\n';
    return errors.empty() ? kClean : kFindings;
}

// Readings of an Act, as Shift_JIS: from the program's file, or imported from its text.
std::optional<std::vector<std::string>> ActReadings(const fs::path& path, Io io) {
    const bool text = HasExtension(path, ".txt");
    const auto bytes = ReadInput(path, text ? ".txt" : ".ktp", io);
    if (!bytes) return std::nullopt;
    std::string sjis = *bytes;
    if (text) {
        const Converted c = ActTextToSjis(*bytes);
        if (!c.ok()) {
            for (const auto& p : c.problems) Report(io.err, path, p);
            return std::nullopt;
        }
        sjis = c.bytes;
    }
    ActScript script;
    const ActRefusal r = script.Parse(sjis);
    if (r != ActRefusal::None) {
        io.err << ShowPath(path) << ": " << SjisToUtf8(RefusalMessage(r)) << '\n';
        return std::nullopt;
    }
    std::vector<std::string> readings;
    for (std::size_t i = 0; i < script.PairCount(); ++i) readings.emplace_back(script.Yomi(i));
    return readings;
}

int KeysVerify(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 2, {"--romaji"}, {"--pairs"});
    if (a.help) return io.out << kHelp.at("keys"), kClean;
    if (!a.error.empty()) return Usage(io, "keys", a.error);
    if (a.positional.empty() || !a.options.count("--romaji")) {
        return Usage(io, "keys", "verify needs KEYFILE and --romaji TABLE");
    }
    const auto table = ReadKeyFile(ArgPath(a.positional[0]), io);
    if (!table) return kUnusable;
    const auto tsv = ReadInput(ArgPath(a.options.at("--romaji")), ".tsv", io);
    if (!tsv) return kUnusable;
    RomajiTable romaji;
    std::string error;
    if (!romaji.Load(*tsv, error)) {
        io.err << a.options.at("--romaji") << ": " << error << '\n';
        return kUnusable;
    }
    Coverage units, acts;
    const bool pairs = !a.flags.empty();
    for (const auto& seq : UnitSequences(romaji, pairs))
        units.Add(CheckSpellings(romaji, *table, seq));
    io.out << (pairs ? "kana, groups and pairs of them:\n" : "kana and groups:\n")
           << units.Summary();
    for (std::size_t i = 1; i < a.positional.size(); ++i) {
        const auto readings = ActReadings(ArgPath(a.positional[i]), io);
        if (!readings) return kUnusable;
        for (const auto& r : *readings) acts.Add(CheckSpellings(romaji, *table, r));
    }
    if (a.positional.size() > 1) io.out << "readings of the Acts:\n" << acts.Summary();
    return units.ok() && acts.ok() ? kClean : kFindings;
}

int Keys(const std::vector<std::string>& args, Io io) {
    if (args.size() < 2 || args[1] == "--help" || args[1] == "-h") {
        (args.size() < 2 ? io.err : io.out) << kHelp.at("keys");
        return args.size() < 2 ? kUnusable : kClean;
    }
    if (args[1] == "build") return KeysBuild(args, io);
    if (args[1] == "dump") return KeysDump(args, io);
    if (args[1] == "verify") return KeysVerify(args, io);
    return Usage(io, "keys", "unknown keys command " + args[1]);
}

// Byte offset of character index (0-based) in Shift_JIS text.
std::size_t CharOffset(std::string_view s, int index) {
    std::size_t at = 0;
    for (int i = 0; i < index && at < s.size(); ++i) at += CharLength(s, at);
    return at;
}

int Try(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 1, {"--keys"}, {});
    if (a.help) return io.out << kHelp.at("try"), kClean;
    if (!a.error.empty()) return Usage(io, "try", a.error);
    if (a.positional.size() != 2 || !a.options.count("--keys")) {
        return Usage(io, "try", "give --keys KEYFILE, the reading and the keys");
    }
    const auto table = ReadKeyFile(ArgPath(a.options.at("--keys")), io);
    if (!table) return kUnusable;
    int column = 0;
    const auto reading = Utf8ToSjis(a.positional[0], &column);
    if (FirstInvalidUtf8(a.positional[0]) != std::string::npos) {
        io.err << "READING is not UTF-8 text\n";
        return kUnusable;
    }
    if (!reading) {
        io.err << "READING: character " << column << " cannot be held in Shift_JIS\n";
        return kUnusable;
    }
    if (reading->empty()) {
        io.err << "READING is empty\n";
        return kUnusable;
    }
    const std::string& keys = a.positional[1];
    for (const char c : keys) {
        if (c < 0x20 || c > 0x7E) {
            io.err << "ROMAJI: keys are ASCII letters, digits, signs and blanks\n";
            return kUnusable;
        }
    }
    const TryResult r = TryTyping(*table, *reading, keys);
    io.out << "KeyCount  " << r.KeyCount << '\n'
           << "CharCount " << r.CharCount << '\n'
           << "MissCount " << r.MissCount << '\n'
           << "completed " << (r.completed ? "yes" : "no") << '\n';
    if (r.firstMissKey < 0) {
        io.out << "first mistype: none\n";
    } else {
        io.out << "first mistype: key " << r.firstMissKey + 1 << " '"
               << keys[static_cast<std::size_t>(r.firstMissKey)] << "', at character "
               << r.firstMissChar + 1 << " of the reading ("
               << SjisToUtf8(MbCopy(
                      std::string_view(*reading).substr(CharOffset(*reading, r.firstMissChar)), 2))
               << ")\n";
    }
    io.out << "units:";
    for (const auto& u : r.units) io.out << ' ' << SjisToUtf8(u.text) << '=' << u.keys;
    io.out << '\n';
    if (r.keysAfterEnd > 0) io.out << r.keysAfterEnd << " keys after the line was complete\n";
    return r.completed && r.MissCount == 0 && r.keysAfterEnd == 0 ? kClean : kFindings;
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Io io{out, err};
    if (args.empty()) {
        err << kUsage;
        return kUnusable;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kClean;
    }
    if (command == "check") return Check(args, io);
    if (command == "import") return Convert(args, io, true);
    if (command == "export") return Convert(args, io, false);
    if (command == "make") return Make(args, io);
    if (command == "keys") return Keys(args, io);
    if (command == "try") return Try(args, io);
    err << "kotopa-tool: unknown command " << command << "\n\n" << kUsage;
    return kUnusable;
}

}  // namespace kotopa::tool
