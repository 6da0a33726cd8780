// make_messages TABLE.txt CONSTANTS.inc: writes the Shift_JIS constants of the message table
// (see messagetable.h), whole or not at all; on a wrong line names it and writes nothing.
// scripts/build-data.sh runs it for src/messages/messages.txt.
#include <iostream>

#include "messagetable.h"
#include "text.h"
#include "textfile.h"

int main(int argc, char** argv) {
    using namespace kotopa;
    if (argc != 3) {
        std::cerr << "usage: make_messages TABLE.txt CONSTANTS.inc\n";
        return 2;
    }
    const std::filesystem::path table = tool::ArgPath(argv[1]);
    const std::filesystem::path header = tool::ArgPath(argv[2]);
    std::string bytes;
    if (ReadFileBytes(table, bytes, 16 * kMiB) != ReadStatus::Ok) {
        std::cerr << tool::ShowPath(table) << ": cannot be read\n";
        return 2;
    }
    std::vector<tool::Finding> findings;
    const std::optional<std::string> text = tool::MessagesHeader(bytes, findings);
    for (const tool::Finding& f : findings) {
        std::cerr << tool::ShowPath(table) << ":" << f.line << ":" << f.column << ": " << f.message
                  << "\n";
    }
    if (!text) return 1;
    if (!WriteFileAtomic(header, *text)) {
        std::cerr << tool::ShowPath(header) << ": cannot be written\n";
        return 2;
    }
    return 0;
}
