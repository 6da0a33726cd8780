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

}  // namespace kotopa::tool
