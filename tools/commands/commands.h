// What kotopa-tool's commands share: the two output streams, reading the files they take,
// their arguments, and the help texts. One file per command beside it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "actcheck.h"
#include "cli.h"
#include "keytable.h"

namespace kotopa::tool {

struct Io {
    std::ostream& out;
    std::ostream& err;
};

// The overview of every command, and each command's own help.
extern const char* const kUsage;
extern const std::map<std::string, const char*> kHelp;

// Reads an input file the command needs; on any problem says so and returns nothing. An
// empty file is a problem unless the command judges its content (allowEmpty).
std::optional<std::string> ReadInput(const std::filesystem::path& path, std::string_view ext, Io io,
                                     bool allowEmpty = false);
std::optional<KeyTable> ReadKeyFile(const std::filesystem::path& path, Io io);
void Report(std::ostream& os, const std::filesystem::path& path, const Finding& f);
// Writes an output file whole; says so and returns false when it cannot.
bool WriteOutput(const std::filesystem::path& path, const std::string& bytes, Io io);

// Arguments of one command: positional ones in order, and the values of options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::vector<std::string> flags;
    bool help = false;
    std::string error;
};

Args ParseArgs(const std::vector<std::string>& args, std::size_t from,
               const std::vector<std::string>& withValue, const std::vector<std::string>& flags);

// The command's problem and its help, on the error stream: kUnusable.
int Usage(Io io, const std::string& command, const std::string& problem);

// The commands, each given every argument (the command's name first).
int Check(const std::vector<std::string>& args, Io io);
int Convert(const std::vector<std::string>& args, Io io, bool import);  // import / export
int Make(const std::vector<std::string>& args, Io io);
int Keys(const std::vector<std::string>& args, Io io);  // keys build / dump / verify
int Try(const std::vector<std::string>& args, Io io);

}  // namespace kotopa::tool
