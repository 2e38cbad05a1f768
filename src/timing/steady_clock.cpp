#include "timing/steady_clock.h"

#include <chrono>
#include <algorithm>
#include <cmath>

namespace lyricanvas {

double Steady_Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Event_Steady_Seconds(std::uint64_t timestamp_ms, double now) {
  constexpr double Wrap = 4294967.296;  // 2^32 milliseconds
  double stamp = double(timestamp_ms % (std::uint64_t{1} << 32)) / 1000;
  stamp += std::round((now - stamp) / Wrap) * Wrap;
  constexpr double Latest = 0.05, Oldest = 2.0;  // seconds around now a stamp may lie
  return stamp <= now + Latest && stamp >= now - Oldest ? std::min(stamp, now) : now;
}

}  // namespace lyricanvas
