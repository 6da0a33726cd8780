// kotopa-tool: checks and converts the Acts and key tables of KotoPA for their authors.
// The commands take and print UTF-8; on Windows the arguments arrive as UTF-16 and the
// console is switched to UTF-8 while the tool runs, so Japanese file names and texts pass
// whole in both directions.
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

#ifdef _WIN32
#include <windows.h>

#include "sjiscodec.h"

int wmain(int argc, wchar_t** argv) {
    const UINT outputCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(kotopa::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    const int status = kotopa::tool::RunTool(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    if (outputCodePage != 0) SetConsoleOutputCP(outputCodePage);
    return status;
}
#else
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kotopa::tool::RunTool(args, std::cout, std::cerr);
}
#endif
