// The matcher: a key file, a reading and keys, split at the first two NUL bytes. Whatever is
// typed, the reading only ever loses characters from its front and the counts add up.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "keytable.h"
#include "matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t a = in.find('\0');
    if (a == std::string_view::npos) return 0;
    const std::size_t b = in.find('\0', a + 1);
    if (b == std::string_view::npos) return 0;
    kotopa::KeyTable table;
    table.LoadKeyBytes(in.substr(0, a));
    const std::string reading(in.substr(a + 1, std::min<std::size_t>(b - a - 1, 200)));
    const std::string_view keys = in.substr(b + 1);

    kotopa::Matcher m(table);
    m.StartLine({}, reading);
    const std::string full(m.ed_Yomi());
    int32_t typed = 0;
    for (char k : keys) {
        if (k == 27) continue;
        char key = k;
        const auto r = m.JudgeKey(key);
        ++typed;
        const std::string_view left = m.ed_Yomi();
        FUZZ_CHECK(full.size() >= left.size());
        FUZZ_CHECK(full.compare(full.size() - left.size(), std::string::npos, left) == 0);
        FUZZ_CHECK(m.ed_Nyuuryoku().size() <= kotopa::Matcher::kInputLimit);
        if (r == kotopa::JudgeResult::LineComplete) break;
    }
    const kotopa::Counters& c = m.Counts();
    FUZZ_CHECK(c.KeyCount + c.MissCount == typed && c.TypeCount == typed);
    FUZZ_CHECK(c.CharCount <= static_cast<int32_t>(full.size()));
    return 0;
}
