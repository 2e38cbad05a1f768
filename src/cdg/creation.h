#pragma once
// The creation run: the create button's checks, the settings it reads, and Create_CDG, which
// fills the pack stream and writes the .cdg file or the .bin image.
#include "cdg/run_state.h"
#include "model/song.h"

namespace lyricanvas {

/// The create button. Returns true when a file was written.
bool But_CDG_Create_Click(Song& song, const Ui& ui);
/// Reads the creation tab into run.Settings and lays the lyrics out; returns the warning text.
std::string Read_Creation_Settings(Creation_Run& run, Song& song);
/// Fills the stream and writes the output. Returns true on success.
bool Create_CDG(Creation_Run& run, Song& song);
/// The latest timing event of any field, in seconds.
double Last_Timing_Point(const Song& song);
/// Measures the fonts of the laid-out song and sets run.Line_Y_Offset.
void Measure_Line_Y_Offset(Creation_Run& run, const Song& song);

}  // namespace lyricanvas
