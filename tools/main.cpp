// kotopa-tool: checks and converts the Acts and key tables of KotoPA for their authors.
#include <iostream>

#include "cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return kotopa::tool::RunTool(args, std::cout, std::cerr);
}
