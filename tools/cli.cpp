#include "cli.h"

#include "commands.h"

namespace kotopa::tool {

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
