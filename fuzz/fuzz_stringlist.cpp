// String lists: splitting, joining with CR LF and splitting again gives the same lines.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = kotopa::SplitLines(bytes);
    for (const auto& l : lines) FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(kotopa::SplitLines(kotopa::JoinLines(lines)) == lines);
    return 0;
}
