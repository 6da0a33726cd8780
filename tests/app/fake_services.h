// The platform's fakes and the fake random source together, handed to a window as its
// services: the one set-up of the window tests and the window benchmarks.
#pragma once

#include "fake_random.h"
#include "fakes.h"
#include "platform.h"

namespace apptest {

struct FakeServices {
    kotopa::platform::FakeClock clock;
    kotopa::platform::FakeDialogs dialogs;
    kotopa::platform::FakeShell shell;
    testutil::FakeRandom random;
    kotopa::platform::FakeSoundDevice sound;

    kotopa::platform::Services services() { return {clock, dialogs, shell, random, sound}; }
};

}  // namespace apptest
