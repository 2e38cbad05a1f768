#pragma once
// Starting, stopping and moving the song: the handlers of the time box, the time scroll bar, the
// Start and Stop buttons, half speed and the song's file name, kept in step with the song clock.
// The window calls these with the widget's value and shows what they change in the controls.
#include <functional>
#include <string>

#include "model/song.h"
#include "model/ui.h"
#include "timing/song_clock.h"

namespace lyricanvas {

/// What the playback handlers ask of the rest of the timing editor and of the window.
struct Playback_Hooks {
  std::function<void()> Redraw_View;         ///< the timing view from its first visible line
  std::function<void()> Reset_Areas;         ///< the replay's wipe areas
  std::function<void(bool on)> Timer1;       ///< starts or stops the playback loop
  std::function<void()> Release_Keys;        ///< a held timing key no longer counts
  std::function<void()> Controls_Changed;    ///< Txt_Time, its enabled state or Hsc_Time moved
};

/// The playback state of the whole editor: the clock and what the handlers call back.
struct Playback {
  Song_Clock Clock;
  Playback_Hooks Hooks;
};

/// Media play states as the audio reports them.
enum class Play_State { Stopped = 0, Paused = 1, Running = 2 };

void Show_Time(Song& song, Playback& playback);
void Update_Song_Position(Song& song, Playback& playback, bool seek, bool update_scroll,
                          bool update_text);
void PlaySoundFile(Song& song, Playback& playback, const Ui& ui);
void StopSoundFile(Playback& playback);

void But_Start_Click(Song& song, Playback& playback, const Ui& ui);
void But_Stop_Click(Song& song, Playback& playback, const Ui& ui);
/// Key B while playing: back by `Txt_GoBack` seconds, playback goes on.
void warp_back(Song& song, Playback& playback, const Ui& ui);
void Chk_HalfSpeed_Click(Song& song, Playback& playback, const Ui& ui);
/// The song's file name box (index 0) changed to `text`.
void txt_Filename_Change(Song& song, Playback& playback, const Ui& ui, const std::string& text);
/// Leaving the song's file name box: a name that gave no playable song is reported.
void txt_Filename_LostFocus(const Song& song, const Playback& playback, const Ui& ui);
/// The song's name checked when the "Lyrics swiping" tab opens; false, after telling the user,
/// when the box names no existing file.
bool Check_Song_File_Name(const Song& song, const Ui& ui);
void Txt_Time_Change(Song& song, Playback& playback);
/// The time scroll bar moved (dragged or stepped) to `value` seconds.
void Hsc_Time_Change(Song& song, Playback& playback, int value);
/// Puts the time scroll bar on the whole second of the song time, at most at its end.
void Follow_Song_Time(const Song& song, Song_Clock& clock);
/// The audio reports a new play state (the song played to its end, or another program moved it).
void Media_Play_State_Change(Song& song, Playback& playback, const Ui& ui, Play_State state);
/// Called by the playback loop every frame: a song that has played to its end stops.
void Check_Song_End(Song& song, Playback& playback, const Ui& ui);

}  // namespace lyricanvas
