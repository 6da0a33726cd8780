// Bytes allocated with operator new in this test program so far: the work of a step that
// copies what it works on shows in them, whatever the speed of the machine.
#pragma once

#include <cstddef>

namespace testutil {

std::size_t AllocatedBytes();

}  // namespace testutil
