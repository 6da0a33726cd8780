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

}  // namespace kotopa::tool
