// Named steps of the program's file writes where a test build can make the step fail as an
// I/O error would, or stop the process there, to show that no step leaves files half-changed
// or litter behind. Built without KOTOPA_FAULT_INJECTION (the program) a point is the
// constant false and costs nothing.
#pragma once

#ifdef KOTOPA_FAULT_INJECTION
namespace kotopa::faultpoint {

// Called with the step's name each time a point is reached; true makes the step fail.
using Hook = bool (*)(const char* step);
void SetHook(Hook hook);
bool Reached(const char* step);

}  // namespace kotopa::faultpoint
#define KOTOPA_FAULT_POINT(step) (::kotopa::faultpoint::Reached(step))
#else
#define KOTOPA_FAULT_POINT(step) false
#endif
// A step that cannot fail, where a test can only stop the process.
#define KOTOPA_STOP_POINT(step) static_cast<void>(KOTOPA_FAULT_POINT(step))
