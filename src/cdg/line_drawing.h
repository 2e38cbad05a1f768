#pragma once
// Lyrics lines on the CD+G screen: writing and erasing a line in its slot, and the wipe packs
// that recolour it column range by column range at the timed moments.
#include "cdg/run_state.h"
#include "model/song.h"
#include "model/surface.h"

namespace lyricanvas {

/// The hidden work picture of the engine (at least 289 x 257, background pure blue).
Surface Make_Work_Picture();

/// Top pixel row of slot k (1-based) on a screen of lines_per_screen lines.
int Slot_Top(int k, int lines_per_screen);

/// The line rendered for the run (cached), rows relative to its print origin.
const Line_Picture& Picture_Of(Creation_Run& run, const Song& song, Surface& work, int line);

void Write_Line(Creation_Run& run, const Song& song, Surface& work, int line, int slot,
                bool update_now);
void Erase_Line(Creation_Run& run, const Song& song, Surface& work, int line, int slot);
void Prepare_Wipe_Packs(Creation_Run& run, const Song& song, Surface& work, int line);
/// One XOR tile pack for the tile of work-picture pixel (x, y) at slot; repaints its red pixels.
void Write_Wipe_Tile(Creation_Run& run, Surface& work, int x, int y, std::int64_t slot);

/// What of a line a wiping style recolours.
enum class Wiped_Parts { None, Body, Body_And_Outline };
Wiped_Parts Wiped_Parts_Of(const std::string& style);
/// Whether a pixel of a rendered line is recoloured.
bool Is_Wiped_Part(const Line_Pixel& pixel, Wiped_Parts parts);
/// The XOR value a wiping style applies (3 swap, 2 the others and "", 0 unknown).
int Wipe_Xor_Value(const std::string& style);

}  // namespace lyricanvas
