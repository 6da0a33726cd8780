// A typist for the tests of what the key records say: plays written unit by unit into a
// key record, with the mistypes, keys and times chosen.
#pragma once

#include <string>
#include <string_view>

#include "keyrecordfile.h"
#include "test_util.h"

namespace testutil {

// Appends one unit to a record: its mistypes first (the wrong key, with the first key of the
// spelling expected), then its keys, each step taking stepMs.
struct Typist {
    kotopa::KeyRecord r;
    uint32_t ms = 0;

    Typist& Unit(const std::string& item, std::string_view keys, int misses = 0,
                 uint32_t stepMs = 100, char wrong = 'q') {
        for (int i = 0; i < misses; ++i) r.Mistype(ms += stepMs, wrong, item, keys.substr(0, 1));
        for (std::size_t i = 0; i + 1 < keys.size(); ++i) r.Keystroke(ms += stepMs, keys[i]);
        r.Unit(ms += stepMs, keys.back(), item);
        return *this;
    }
    Typist& LineEnd(int misses = 0) {
        for (int i = 0; i < misses; ++i) r.Mistype(ms += 100, 'x', testutil::Sj("〆"), "\r");
        r.LineEnd(ms += 100);
        return *this;
    }
    kotopa::PlayKeys Play(std::string act = "Act01") {
        kotopa::PlayKeys p;
        p.stamp = "20240101000000";
        p.elapsedMs = ms;
        p.actName = std::move(act);
        p.record = std::move(r);
        r = kotopa::KeyRecord{};
        ms = 0;
        return p;
    }
};

}  // namespace testutil
