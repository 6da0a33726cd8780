// Act scripts: any bytes parse; an accepted Act has at least five whole pairs, none empty.
#include <cstdint>
#include <string>

#include "act.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kotopa::ActScript act;
    const auto refusal = act.Parse(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(act.KanjiCount() == act.YomiCount() || act.KanjiCount() == act.YomiCount() + 1);
    if (refusal == kotopa::ActRefusal::None) {
        FUZZ_CHECK(act.PairCount() >= 5);
        for (std::size_t i = 0; i < act.PairCount(); ++i) {
            FUZZ_CHECK(!act.Kanji(i).empty() && !act.Yomi(i).empty());
            FUZZ_CHECK(act.Kanji(i).find_first_of("\r\n") == std::string_view::npos);
        }
    }
    return 0;
}
