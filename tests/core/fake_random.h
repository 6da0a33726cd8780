// The one stand-in for the random source, in tests, benchmarks and fuzz targets: the draws
// come from a script, so that a test decides the problem order; once the script has run out
// it counts up from 0. Each value is taken modulo n; what the play asked of it is counted.
#pragma once

#include <cstdint>
#include <deque>

#include "randomsource.h"

namespace testutil {

class FakeRandom final : public kotopa::RandomSource {
public:
    std::deque<uint32_t> script;  // the next draws
    int seeds = 0;                // random-order plays started
    int unscripted = 0;           // draws made after the script had run out
    int outOfRange = 0;           // scripted draws that were not below n

    void SeedFromClock() override { ++seeds; }
    uint32_t Below(uint32_t n) override {
        if (n == 0) return 0;
        if (script.empty()) {
            ++unscripted;
            return next_++ % n;
        }
        const uint32_t v = script.front();
        script.pop_front();
        if (v >= n) ++outOfRange;
        return v % n;
    }

private:
    uint32_t next_ = 0;
};

}  // namespace testutil
