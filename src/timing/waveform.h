#pragma once
// The waveform strip above the timing view: the loudest and softest sample of every pixel
// column of the decoded song, so the user sees where words and beats begin.
#include <vector>

#include "timing/audio_player.h"

namespace lyricanvas {

/// Lowest and highest sample of a column, both channels together, from -1 to 1.
struct Peak {
  float Low = 0;
  float High = 0;
  bool operator==(const Peak&) const = default;
};

/// Peaks of the song from `from` to `to` seconds in `columns` equal columns. Columns before the
/// start or beyond what has been decoded are silent.
std::vector<Peak> Waveform_Peaks(const Audio_Player& player, double from, double to, int columns);

}  // namespace lyricanvas
