#pragma once
// Seconds on a steady clock (never jumps, never wraps at midnight). The song clock runs from it
// when there is no audio file; tests put a fake in its place.
#include <functional>

namespace lyricanvas {

using Steady_Clock = std::function<double()>;

/// The machine's monotonic clock in seconds from an arbitrary start.
double Steady_Seconds();

}  // namespace lyricanvas
