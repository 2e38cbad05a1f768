#pragma once
// Palette fades: a run of Load Colour Table packs that moves every colour of a source palette
// towards one colour of a target palette.
#include <string>

#include "cdg/run_state.h"

namespace lyricanvas {

/// Fades every colour of source towards colour k of target in the given style ("Smooth fading",
/// "Cheap DVD fading", "None"; "" counts as smooth), placing packs from Pack_Pointer on.
void Fade(Creation_Run& run, const Palette_Table& source, const Palette_Table& target, int k,
          const std::string& style);

}  // namespace lyricanvas
