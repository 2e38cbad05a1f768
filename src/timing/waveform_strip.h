#pragma once
// The waveform strip above the timing view: the song's peaks around the playing position, the
// start of every timed syllable as a mark, and the playing position as a line in the middle.
#include <vector>

#include "model/song.h"
#include "model/surface.h"
#include "timing/waveform.h"

namespace lyricanvas {

/// Seconds of song shown on either side of the playing position.
constexpr double Waveform_Seconds_Around = 2.0;

/// Syllable starts (seconds) of the timed fields from `from` to `to`, in text order.
std::vector<double> Syllable_Starts(const Song& song, double from, double to);

/// Draws the strip for the song time `at`: one peak per column of the surface (as many peaks as
/// columns), the syllable starts and the playing position.
void Draw_Waveform_Strip(Surface& strip, const Song& song, const std::vector<Peak>& peaks,
                         double at);

}  // namespace lyricanvas
