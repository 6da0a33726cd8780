// Key records made up for the benches: plays of a given number of keys over a dozen kana.
#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "keyrecord.h"
#include "keyrecordfile.h"

namespace benchkeys {

// A play's key record of about the given number of keys: kana of two or three spellings,
// a mistype now and then, a line end every thirty units. Drawn from the seed.
inline kotopa::KeyRecord SyntheticRecord(std::size_t keys, unsigned seed) {
    struct Kana {
        const char* item;
        std::vector<const char*> spellings;
    };
    static const std::vector<Kana> kana = {
        {"\x82\xA0", {"a"}},         {"\x82\xA9", {"ka", "ca"}},  {"\x82\xB5", {"si", "shi"}},
        {"\x82\xBF", {"ti", "chi"}}, {"\x82\xC2", {"tu", "tsu"}}, {"\x82\xCD", {"ha"}},
        {"\x82\xD3", {"hu", "fu"}},  {"\x82\xF1", {"nn", "n'"}},  {"\x82\xB7", {"su"}},
        {"\x82\xE9", {"ru"}},        {"\x82\xC6", {"to"}},        {"\x82\xA2", {"i"}},
    };
    std::mt19937 rng(seed);
    kotopa::KeyRecord r;
    r.Reserve(keys + 64);
    uint32_t ms = 0;
    std::size_t units = 0;
    while (r.Events().size() < keys) {
        const Kana& k = kana[rng() % kana.size()];
        const std::string keysOf = k.spellings[rng() % k.spellings.size()];
        for (std::size_t i = 0; i < keysOf.size(); ++i) {
            ms += 80 + rng() % 200;
            if (rng() % 20 == 0)
                r.Mistype(ms, 'q', std::string_view(k.item, 2), keysOf.substr(i, 1));
            ms += 80 + rng() % 200;
            if (i + 1 < keysOf.size()) {
                r.Keystroke(ms, keysOf[i]);
            } else {
                r.Unit(ms, keysOf[i], std::string_view(k.item, 2));
            }
        }
        if (++units % 30 == 0) r.LineEnd(ms += 300);
    }
    return r;
}

// A key record file of the given plays of the given keys each, drawn from seeds 0, 1, ...
inline std::string SyntheticFile(unsigned plays, std::size_t keys) {
    std::string bytes(kotopa::kKeyRecordHeader);
    bytes += "\r\n";
    for (unsigned i = 0; i < plays; ++i) {
        bytes += kotopa::KeyRecordBlock("20240101000000", 60000, "Act01", SyntheticRecord(keys, i));
    }
    return bytes;
}

}  // namespace benchkeys
