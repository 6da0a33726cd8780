// Where the random problem order draws from. The play asks for a seed at the start of every
// random-order play and then draws positions; the core never reads a clock, so the system
// implementation (seeded from the clock) lives with the platform, and the tests script it.
#pragma once

#include <cstdint>

namespace kotopa {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Called once at the start of every random-order play.
    virtual void SeedFromClock() = 0;
    // Uniform in 0 to n - 1; n is at least 1.
    virtual uint32_t Below(uint32_t n) = 0;
};

}  // namespace kotopa
