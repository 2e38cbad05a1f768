#pragma once
// The pack interpreter: brings Target_Screen and Shown_Screen forward over the packs already in
// the stream. It knows what the engine emits and works on the inner 288 x 192 area only.
#include <cstdint>

#include "cdg/run_state.h"

namespace lyricanvas {

/// Applies one pack to one screen. Returns false for instructions the interpreter does not
/// follow (anything but presets, tile blocks and colour tables); those change nothing.
bool Apply_Pack(Screen_Pixels& screen, const Pack& pack);

/// Applies the pack in the slot to both screens alike.
void Interpret_Pack(Creation_Run& run, std::int64_t slot);
/// Interprets every non-empty slot from Interpreted_Up_To + 1 up to end - 1. Moves Pack_Pointer.
void Interpret_Packs_Up_To(Creation_Run& run, std::int64_t end);

}  // namespace lyricanvas
