#include "timing/steady_clock.h"

#include <chrono>

namespace lyricanvas {

double Steady_Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace lyricanvas
