#pragma once
// Timing with the mouse: without Tab mode a drag across a line while the song plays makes every
// character passed over a field of its own, timed when the pointer crossed it. With Tab mode a
// left click picks the field the keys time next and a right click moves a syllable boundary.
#include "model/song.h"
#include "model/ui.h"
#include "timing/timing_editor.h"

namespace lyricanvas {

enum class Mouse_Button { Left, Right, Middle };

struct Mouse_Result {
  bool start_playback = false;  ///< the mouse timer is on: the press starts the song
  bool stop_playback = false;   ///< the mouse timer is on: the release of a wipe stops it
};

/// Press on the view at (x, y) in view pixels; song_time is the clock at the event (seconds) and
/// playing tells whether it runs.
Mouse_Result Pic_Indication_MouseDown(Timing_Editor& te, Song& song, Mouse_Button button, int x,
                                      int y, double song_time, bool playing);
/// Pointer motion with a button held.
void Pic_Indication_MouseMove(Timing_Editor& te, const Song& song, int x, double song_time);
/// Release: a drag becomes fields and events.
Mouse_Result Pic_Indication_MouseUp(Timing_Editor& te, Song& song, const Ui& ui);

/// Joins the two fields at the boundary nearest to x, or splits the field there.
void Toggle_Syllable_Break(Timing_Editor& te, Song& song, int x, int y);
/// Makes the field under (x, y) the current one, as a click in Tab mode does.
void Select_Field_At(Timing_Editor& te, Song& song, int x, int y);
/// Turns the samples of a drag into one-character fields with their events.
void Finish_Mouse_Wipe(Timing_Editor& te, Song& song, const Ui& ui);

/// The character (1-based position) of a line under pixel column x; 0 for no such line.
int Char_Under(const Song& song, int line, int x);

}  // namespace lyricanvas
