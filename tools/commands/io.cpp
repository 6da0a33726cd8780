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

std::optional<std::string> ReadInput(const fs::path& path, std::string_view ext, Io io,
                                     bool allowEmpty) {
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

bool WriteOutput(const fs::path& path, const std::string& bytes, Io io) {
    if (WriteFileAtomic(path, bytes)) return true;
    io.err << ShowPath(path) << ": cannot be written (nothing was changed)\n";
    return false;
}

}  // namespace kotopa::tool
