// Runs kotopa-tool in-process for the tests: its exit status and what it wrote.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

struct ToolRun {
    int status;
    std::string out, err;
};

inline ToolRun Tool(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = kotopa::tool::RunTool(args, out, err);
    return {status, out.str(), err.str()};
}
