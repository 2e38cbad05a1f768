#pragma once
// Screen planning: lines grouped into screens, and each screen placed around the wipe packs
// with a hard change (fade, clear, redraw) or a soft change (line by line).
#include "cdg/run_state.h"
#include "model/song.h"
#include "model/surface.h"

namespace lyricanvas {

/// Assigns lines 1 .. line count to screens and slots (bottom aligned).
void Assign_Lines_To_Screens(Creation_Run& run, const Song& song);
/// Builds screen s (1 .. Screen_Count + 1, the last being the closing screen).
void Create_Screen(Creation_Run& run, const Song& song, Surface& work, int s);

}  // namespace lyricanvas
