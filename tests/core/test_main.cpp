// The tests' entry: every test binary runs with its temporary folder (TMPDIR, TEMP and TMP)
// set to a fresh folder with a Japanese name, as a Japanese user's profile folder gives it,
// so that whatever a test writes there proves that such paths work.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "sjiscodec.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void SetTemporaryFolder(const std::filesystem::path& folder) {
#ifdef _WIN32
    const std::wstring& w = folder.native();
    for (const wchar_t* name : {L"TEMP", L"TMP"}) {
        SetEnvironmentVariableW(name, w.c_str());
        _wputenv_s(name, w.c_str());
    }
#else
    setenv("TMPDIR", folder.c_str(), 1);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder =
        fs::temp_directory_path(ec) /
        kotopa::PathFromUtf8("一時フォルダ-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder, ec);
    if (!ec) SetTemporaryFolder(folder);
    const fs::path temp = fs::temp_directory_path(ec);
    if (ec || (temp != folder && temp != folder / "")) {  // Windows ends it with a separator
        std::fprintf(stderr, "cannot set up a temporary folder with a Japanese name: %s (%s)\n",
                     kotopa::PathToUtf8(folder).c_str(), kotopa::PathToUtf8(temp).c_str());
        return 1;
    }
    const int status = RUN_ALL_TESTS();
    fs::remove_all(folder, ec);
    return status;
}
