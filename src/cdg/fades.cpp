#include "cdg/fades.h"

#include <algorithm>
#include <cmath>

#include "cdg/packs.h"

namespace lyricanvas {

namespace {

constexpr int Fade_Length = 300;  ///< packs: one second

struct Fade_Schedule {
  int first_t = 0;
  int step = 2;
  bool single_switch = false;
  int shift = 0;  ///< packs added to each step's slot
};

/// "None" switches at once to the end colours: the screen plan reserves no time for it, so a
/// switch a second later would blank the next screen's first second and run past the track.
/// Anything but "Cheap DVD fading" fades smoothly.
Fade_Schedule Schedule_Of(const std::string& style) {
  if (style == "None") return {Fade_Length, Fade_Length, true, -Fade_Length};
  if (style == "Cheap DVD fading") return {0, 50, false};
  return {0, 2, false};
}

/// Rounded half up, as the fade has always rounded.
int Blend(int source, int target, int t) {
  const double value =
      (static_cast<double>(Fade_Length - t) * source + static_cast<double>(t) * target) /
      Fade_Length;
  return static_cast<int>(std::floor(value + 0.5));
}

/// Moves the current palette to its value at time t; returns which halves changed.
std::array<bool, 2> Step_Palette(Palette_Table& current, const Palette_Table& source,
                                 const std::array<int, 4>& target, int t) {
  std::array<bool, 2> half_changed{};
  for (std::size_t i = 0; i < 16; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      const int value = Blend(source[i][j], target[j], t);
      if (value == current[i][j]) continue;
      current[i][j] = value;
      half_changed[i / 8] = true;
    }
  }
  return half_changed;
}

}  // namespace

void Fade(Creation_Run& run, const Palette_Table& source, const Palette_Table& target, int k,
          const std::string& style) {
  const Fade_Schedule schedule = Schedule_Of(style);
  const std::int64_t start = run.Pack_Pointer;
  const auto& goal = target[static_cast<std::size_t>(k & 15)];
  Palette_Table current = source;
  bool placed = false;
  std::int64_t last = start;
  std::int64_t after = start;  ///< the slot after the last table placed
  for (int t = schedule.first_t; t <= Fade_Length; t += schedule.step) {
    const auto half_changed = Step_Palette(current, source, goal, t);
    for (int h = 0; h < 2; ++h) {
      if (!half_changed[static_cast<std::size_t>(h)]) continue;
      last = start + t + schedule.shift;
      placed = true;
      // A step whose slot holds a wipe pack comes a little late rather than lose the wipe.
      after = Put_In_Free_Slot(run, last + h, Make_Color_Table_Pack(current, h));
    }
  }
  // A switch that found nothing to change leaves the pointer where it was rather than moving
  // it back before the fade.
  if (schedule.single_switch && !placed) return;
  run.Pack_Pointer = std::max(last + 2, after);
}

}  // namespace lyricanvas
