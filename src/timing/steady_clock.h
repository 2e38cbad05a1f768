#pragma once
// Seconds on a steady clock (never jumps, never wraps at midnight). The song clock runs from it
// when there is no audio file; tests put a fake in its place.
#include <cstdint>
#include <functional>

namespace lyricanvas {

using Steady_Clock = std::function<double()>;

/// The machine's monotonic clock in seconds from an arbitrary start.
double Steady_Seconds();

/// The steady-clock time of an input event that the windowing system stamped `timestamp_ms`.
/// X11 and Wayland stamp events in milliseconds of the machine's monotonic clock, wrapped at
/// 32 bits; a stamp that does not lie in the two seconds before `now` comes from some other
/// clock and gives `now`.
double Event_Steady_Seconds(std::uint64_t timestamp_ms, double now);

}  // namespace lyricanvas
