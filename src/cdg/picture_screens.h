#pragma once
// Picture screens: a screen that holds a picture line shows the picture (before its lyrics,
// along with them, or over the last screen) and holds it for the picture's hold time.
#include <string>

#include "cdg/run_state.h"
#include "model/song.h"

namespace lyricanvas {

/// The first picture line of screen s that has an appearance effect, 0 when none.
int Picture_Line_Of_Screen(const Creation_Run& run, int s);

/// What showing the picture of a screen did.
struct Picture_Step {
  bool shown = false;       ///< the picture is on screen; the screen's own clearing is skipped
  bool update_now = true;   ///< the screen's lines are drawn at once (false: with the picture)
  std::string properties;
};

/// Shows the picture of screen s from Pack_Pointer on (prev_end: end of the screen before). When
/// the screen has no picture, or its picture cannot be read (said once through the Ui), nothing
/// is placed and the screen clears as usual.
Picture_Step Show_Picture(Creation_Run& run, const Song& song, int s, std::int64_t prev_end);
/// After the screen's lines: draws a picture that appears along with them, then holds.
void Finish_Picture(Creation_Run& run, const Picture_Step& step);

}  // namespace lyricanvas
