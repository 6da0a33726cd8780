// Key files: any bytes load into a table whose candidates are never empty, sign rows survive
// an encode and a decode, and the look-ups answer for any reading.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "keytable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kotopa::KeyTable table;
    table.LoadKeyBytes(bytes);
    for (const auto& row : table.Rows()) {
        for (const auto& c : row.candidates) FUZZ_CHECK(!c.empty());
    }
    const auto decoded = table.Rows();
    table.EncodeSignRows();
    table.DecodeSignRows();
    FUZZ_CHECK(table.Rows().size() == decoded.size());
    table.DecodeSignRows();  // decoding is idempotent
    std::vector<std::string> l3, l2, l1;
    const std::string_view reading = bytes.substr(0, 64);
    table.FindCandidates6(reading, l3);
    table.FindCandidates4(reading, l2);
    table.FindCandidates2(reading, l1);
    table.FindCandidates1(reading, l1);
    for (const auto& c : l3) FUZZ_CHECK(!c.empty());
    // Every row survives its own stored value, but for what blanks, commas and quotes split.
    for (const auto& row : table.Rows())
        (void)kotopa::SplitStoredValue(kotopa::BuildStoredValue(row));
    return 0;
}
