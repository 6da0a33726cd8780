// kotopa-tool's commands. RunTool takes the arguments after the program name and writes
// to the two streams, so that tests can run every command in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kotopa::tool {

// Exit status: 0 done and clean, 1 findings (or refused content, nothing written),
// 2 unusable input (wrong arguments, missing, unreadable or empty files, a failed write).
// check judges an empty Act as content: the program refuses it as it refuses one of a
// single line, so both are findings.
enum ExitStatus { kClean = 0, kFindings = 1, kUnusable = 2 };

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kotopa::tool
