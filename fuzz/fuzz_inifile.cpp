// INI files: any bytes load, give back exactly the same bytes, and a written value reads back.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kotopa::IniFile ini;
    ini.LoadBytes(bytes);
    FUZZ_CHECK(ini.Bytes() == bytes);
    for (const char* section : {"MOZI", "PLAY", "TOP", "FILE"}) {
        (void)ini.ReadString(section, "KAZU", "d");
        (void)ini.ReadInteger(section, "VALUE", 60);
        (void)ini.ReadBool(section, "SOUND", true);
        ini.ForEachKey(section,
                       [](std::string_view, std::string_view v) { FUZZ_CHECK(v.size() <= 2047); });
    }
    ini.WriteInteger("PLAY", "VALUE", 90);
    ini.WriteString("FILE", "LAST", "\"C:\\a b\\Act02.ktp\"");
    ini.WriteBool("TOP", "k", false);
    FUZZ_CHECK(ini.ReadInteger("play", "value", 0) == 90);
    FUZZ_CHECK(ini.ReadString("file", "last", "") == "C:\\a b\\Act02.ktp");
    FUZZ_CHECK(!ini.ReadBool("TOP", "K", true));
    // What was written survives being saved and read again.
    kotopa::IniFile again;
    again.LoadBytes(ini.Bytes());
    FUZZ_CHECK(again.ReadInteger("PLAY", "VALUE", 0) == 90);
    return 0;
}
