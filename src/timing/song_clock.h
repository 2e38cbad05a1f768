#pragma once
// The song clock: the position in the song, in seconds, that every key press, mouse wipe and
// replay step reads. With an audio file it is the position of the samples actually heard; without
// one it runs from a steady clock, at half the pace when half speed is on, so a silent timing
// session still records song time.
#include <optional>
#include <string>

#include "model/song.h"
#include "timing/audio_player.h"
#include "timing/steady_clock.h"

namespace lyricanvas {

struct Song_Clock {
  Audio_Player* Player = nullptr;  ///< the audio engine (lives as long as the window), or none
  Steady_Clock Now = Steady_Seconds;
  std::string Sound_File;          ///< the song being played; "" when there is none
  double Play_Start_Timer = 0;     ///< steady-clock seconds at song position 0 at the current speed
  bool Is_Playing = false;
  std::string Last_Action;         ///< the operation in progress, guards against feedback
  bool Position_Changed = false;   ///< the playback loop skips one clock reading when set
  int Hsc_Time_Value = 0;          ///< the time scroll bar, whole seconds
  int Hsc_Time_Max = 32767;       ///< the song's length once a song is open
};

/// True when a song file is open for playback.
bool Has_Sound(const Song_Clock& clock);
/// 0.5 when `Chk_HalfSpeed` is checked, else 1.0.
double Speed_Factor(const Song& song);

/// Song time, in seconds, at the steady-clock instant `at` (a key event's own timestamp): the
/// clock now, less the song time that has passed since then. Changes nothing.
double Song_Time_At(const Song& song, const Song_Clock& clock, double at);

/// Refreshes `Song_Time` from the audio (never past the song's end), or without audio from the
/// steady clock when `allow_timer` is true.
void Read_Song_Time(Song& song, Song_Clock& clock, bool allow_timer);

/// Puts `Play_Start_Timer` where the steady clock reads `Song_Time` at the current speed.
void Restart_Timer(const Song& song, Song_Clock& clock);

/// A text that is a plain number, blanks around it allowed.
std::optional<double> Numeric_Text(const std::string& text);
/// The time typed in a time box: a number of seconds, or minutes, a colon and the value of the
/// last two characters ("1:5" is 60, since ":5" counts 0). Empty when the text says no time.
std::optional<double> Typed_Time(const std::string& text);
/// Seconds as minutes:seconds, seconds two digits ("3:07").
std::string Time_Text(double seconds);

}  // namespace lyricanvas
