#pragma once
// The creation run: the create button's checks, the settings it reads, and Create_CDG, which
// fills the pack stream and writes the .cdg file or the .bin image.
#include <string>

#include "cdg/run_state.h"
#include "model/song.h"

namespace lyricanvas {

/// The create button. Returns true when a file was written.
bool But_CDG_Create_Click(Song& song, const Ui& ui);
/// Reads the creation tab into run.Settings and lays the lyrics out; returns the warning text.
std::string Read_Creation_Settings(Creation_Run& run, Song& song);
/// Fills the stream and writes the output; a failure is reported through run.ui with the phase
/// in run.Status_Text. Returns true when the file was written.
bool Create_CDG(Creation_Run& run, Song& song);
/// The latest timing event of any field, in seconds (0 when nothing is timed).
double Last_Timing_Point(const Song& song);
/// Measures the fonts of the laid-out song and sets run.Line_Y_Offset.
void Measure_Line_Y_Offset(Creation_Run& run, const Song& song);

/// Minimum_Gap and Minimum_Shown as the creation tab gives them, in seconds: the gap is 4 and
/// the shown time the gap when their texts are not valid times.
struct Minimum_Times {
  double gap = 4;
  double shown = 4;
};
Minimum_Times Read_Minimum_Times(const Controls& controls);

}  // namespace lyricanvas
