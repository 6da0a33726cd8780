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

}  // namespace kotopa::tool
