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

namespace {

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

}  // namespace

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

}  // namespace kotopa::tool
