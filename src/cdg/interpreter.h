#pragma once
// The pack interpreter: brings Target_Screen and Shown_Screen forward over the packs already in
// the stream. It knows what the engine emits and works on the inner 288 x 192 area only.
#include <cstdint>

#include "cdg/run_state.h"

namespace lyricanvas {

/// Applies one pack to one screen. Returns false for instructions the interpreter does not
/// follow (anything but presets, tile blocks and colour tables); those change nothing.
bool Apply_Pack(Screen_Pixels& screen, const Pack& pack);

/// Whether tile (column 1..48, row 1..16) of the inner area shows what the target holds.
bool Tile_Shows_Target(const Creation_Run& run, int column, int row);

/// Applies the pack in the slot to both screens alike. A wipe pack that comes before its line
/// stands on the screen, or before its tile of the line is drawn, is taken out of the stream
/// instead: it would only recolour what stands there now, and the tile shows the wipe once
/// drawn.
void Interpret_Pack(Creation_Run& run, std::int64_t slot);
/// Marks the slots up to `last` as interpreted without applying them (a clear has made them
/// moot), withholding the wipe packs among them of lines not yet drawn.
void Skip_Interpretation_To(Creation_Run& run, std::int64_t last);
/// Interprets every non-empty slot from Interpreted_Up_To + 1 up to end - 1. Moves Pack_Pointer.
void Interpret_Packs_Up_To(Creation_Run& run, std::int64_t end);

}  // namespace lyricanvas
