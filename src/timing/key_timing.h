#pragma once
// Timing with the keyboard while the song plays: Space down at a syllable's vowel, up at its
// end; C clears a syllable, S skips it, the arrows move between lines, B goes back in the song
// (releasing a syllable still held first).
// Times come in as song seconds at the moment of the key event, not when a handler runs.
#include "model/song.h"
#include "model/ui.h"
#include "timing/timing_editor.h"

namespace lyricanvas {

enum class Timing_Key { Space, C, S, Up, Down, B, Other };

struct Key_Result {
  bool consumed = false;   ///< the key does not reach the focused control
  bool warp_back = false;  ///< the caller moves the song back (key B)
};

/// Key down on the "Lyrics swiping" tab. song_time: the clock at the key event, seconds;
/// playing: the song clock runs (Space times nothing while it stands).
Key_Result Form_KeyDown(Timing_Editor& te, Song& song, const Ui& ui, Timing_Key key,
                        double song_time, bool playing);
/// Key up on the "Lyrics swiping" tab.
void Form_KeyUp(Timing_Editor& te, Song& song, Timing_Key key, double song_time);
/// Ends a Space press still held at song_time, as its key up would: the song stops or goes back
/// while the key is down. The key itself stays down (its auto-repeats still do nothing).
void Release_Held_Press(Timing_Editor& te, Song& song, double song_time);

/// The Tab mode check box changed to its current value: switched on, the lyrics are broken into
/// syllable fields and the view is drawn again with the separators; off, it is drawn without.
/// Nothing happens while the program itself sets the box (`Suppress_Text_Events`).
void Chk_Tabmode_Click(Timing_Editor& te, Song& song, const Ui& ui);

/// Packs of a key event at a song time, less the "Key delay (ms)" option (in song time).
double Key_Time_Packs(const Song& song, double song_time);

/// Times the current field at press_time (packs) and moves on to the next field.
void Press_Timing_Key(Timing_Editor& te, Song& song, const Ui& ui, double press_time);
/// Stamps the end of the held field at release_time (packs).
void Release_Timing_Key(Timing_Editor& te, Song& song, double release_time);
/// Moves on to the next field (keys C and S), emptying the current one's events when clear.
void Advance_Field(Timing_Editor& te, Song& song, bool clear);
/// Makes the first field of the previous (-1) or next (+1) line current.
void Jump_Line(Timing_Editor& te, Song& song, int step);

}  // namespace lyricanvas
