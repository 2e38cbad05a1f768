#include "timing/playback_control.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace lyricanvas {

namespace {

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

void Set_Enabled(Song& song, const std::string& name, int index, bool enabled) {
  if (Control* control = song.Window_Controls.Find(name, index)) control->Enabled = enabled;
}

/// Playing stops or starts: the time and file boxes are locked while the song plays.
void Set_Playing(Song& song, Playback& playback, bool playing) {
  Set_Enabled(song, "Txt_Time", -1, !playing);
  Set_Enabled(song, "txt_Filename", 0, !playing);
  playback.Clock.Is_Playing = playing;
  if (playback.Hooks.Timer1) playback.Hooks.Timer1(playing);
  Call(playback.Hooks.Controls_Changed);
}

/// `Song_Time` := the time in `Txt_Time`; a text that says no time leaves the clock as it is.
void Take_Typed_Time(Song& song) {
  if (auto typed = Typed_Time(song.Window_Controls.Text("Txt_Time"))) song.Song_Time = *typed;
}

/// Back by `Txt_GoBack` seconds when it holds a number, never before the start.
void Go_Back(Song& song) {
  if (auto back = Numeric_Text(song.Window_Controls.Text("Txt_GoBack")))
    song.Song_Time = std::max(0.0, song.Song_Time - *back);
}

/// The audio and the steady clock both continue from `Song_Time`.
void Seek(Song& song, Song_Clock& clock) {
  if (Has_Sound(clock)) clock.Player->Set_Position(song.Song_Time);
  Restart_Timer(song, clock);
}

void End_Own_Action(Song_Clock& clock, const char* action) {
  if (clock.Last_Action == action) clock.Last_Action.clear();
}

bool Names_File(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

void Show_Time(Song& song, Playback& playback) {
  song.Window_Controls.Set_Text("Txt_Time", Time_Text(song.Song_Time));
  Call(playback.Hooks.Controls_Changed);
}

void Follow_Song_Time(const Song& song, Song_Clock& clock) {
  const double whole = std::floor(std::max(0.0, song.Song_Time));
  clock.Hsc_Time_Value = whole >= clock.Hsc_Time_Max ? clock.Hsc_Time_Max : static_cast<int>(whole);
}

void Update_Song_Position(Song& song, Playback& playback, bool seek, bool update_scroll,
                          bool update_text) {
  Song_Clock& clock = playback.Clock;
  if (seek) Seek(song, clock);
  Call(playback.Hooks.Redraw_View);
  if (song.Window_Controls.Checked("Chk_Replay")) Call(playback.Hooks.Reset_Areas);
  if (update_scroll) {
    Follow_Song_Time(song, clock);
    Call(playback.Hooks.Controls_Changed);
  }
  if (update_text) Show_Time(song, playback);
}

void PlaySoundFile(Song& song, Playback& playback, const Ui& ui) {
  Song_Clock& clock = playback.Clock;
  if (clock.Last_Action != "MouseDown" && clock.Player != nullptr && Names_File(clock.Sound_File)) {
    Audio_Error error;
    if (!clock.Player->Is_Open() && !clock.Player->Open(clock.Sound_File, error)) {
      Show_Message(ui, "This file cannot be played!");
      clock.Sound_File.clear();
    }
    Seek(song, clock);
  }
  if (!Has_Sound(clock)) return;
  clock.Player->Stop();
  clock.Player->Set_Rate(Speed_Factor(song));
  clock.Player->Run();
}

void StopSoundFile(Playback& playback) {
  if (Has_Sound(playback.Clock)) playback.Clock.Player->Stop();
}

void But_Start_Click(Song& song, Playback& playback, const Ui& ui) {
  Song_Clock& clock = playback.Clock;
  if (clock.Is_Playing) return;
  const std::string& action = clock.Last_Action;
  if (action == "PlayStateChange" || action == "MouseDown")
    Read_Song_Time(song, clock, false);
  else
    Take_Typed_Time(song);
  if (Has_Sound(clock) && action != "PlayStateChange" && action != "StartPlay")
    PlaySoundFile(song, playback, ui);
  Restart_Timer(song, clock);
  Set_Playing(song, playback, true);
  if (song.Window_Controls.Checked("Chk_Replay")) Call(playback.Hooks.Reset_Areas);
  if (song.Window_Controls.Checked("Chk_Tabmode")) Focus(ui, "Pic_Indication");
}

void But_Stop_Click(Song& song, Playback& playback, const Ui&) {
  Song_Clock& clock = playback.Clock;
  Call(playback.Hooks.Release_Keys);
  if (clock.Last_Action.empty()) clock.Last_Action = "But_Stop_Click";
  Set_Playing(song, playback, false);
  StopSoundFile(playback);
  if (clock.Last_Action == "PlayStateChange")
    Read_Song_Time(song, clock, true);
  else
    Take_Typed_Time(song);
  Go_Back(song);
  Seek(song, clock);
  Show_Time(song, playback);
  Update_Song_Position(song, playback, false, true, true);
  End_Own_Action(clock, "But_Stop_Click");
}

void warp_back(Song& song, Playback& playback, const Ui&) {
  Song_Clock& clock = playback.Clock;
  if (clock.Last_Action.empty()) clock.Last_Action = "But_Stop_Click";
  if (Has_Sound(clock))
    Read_Song_Time(song, clock, false);
  else
    Take_Typed_Time(song);
  Go_Back(song);
  // Without audio the steady clock moves too, so the jump is not undone by the next reading.
  Update_Song_Position(song, playback, true, true, true);
  End_Own_Action(clock, "But_Stop_Click");
}

void Chk_HalfSpeed_Click(Song& song, Playback& playback, const Ui&) {
  Song_Clock& clock = playback.Clock;
  // The box has already changed: the clock ran at the other speed until now.
  double old_factor = Speed_Factor(song) == 0.5 ? 1.0 : 0.5;
  if (Has_Sound(clock)) {
    Read_Song_Time(song, clock, false);
    clock.Player->Set_Rate(Speed_Factor(song));
  } else if (clock.Is_Playing) {
    song.Song_Time = (clock.Now() - clock.Play_Start_Timer) * old_factor;
  }
  Restart_Timer(song, clock);
}

void txt_Filename_Change(Song& song, Playback& playback, const Ui& ui, const std::string& text) {
  Song_Clock& clock = playback.Clock;
  clock.Sound_File.clear();
  if (clock.Player != nullptr && clock.Player->Is_Open()) {
    clock.Player->Stop();
    clock.Player->Close();
  }
  // Only a name of an existing file is opened, so typing a path does not report every keystroke.
  if (clock.Player == nullptr || !Names_File(text)) return;
  Audio_Error error;
  if (!clock.Player->Open(text, error)) {
    // Nothing of the user's work depends on the song: report it and go on without one.
    Show_Message(ui, "Error No. " + std::to_string(error.Number) +
                         " occured on changing filename 0, Rendering file - " + error.Description);
    return;
  }
  clock.Sound_File = text;
  clock.Hsc_Time_Max = static_cast<int>(std::floor(clock.Player->Duration()));
  Read_Song_Time(song, clock, false);
  if (!song.Suppress_Text_Events) Update_Song_Position(song, playback, true, true, true);
  Set_Enabled(song, "Chk_MouseTimer", -1, true);
  Call(playback.Hooks.Controls_Changed);
}

void txt_Filename_LostFocus(const Song& song, const Playback& playback, const Ui& ui) {
  if (!song.Window_Controls.Text("txt_Filename", 0).empty() && playback.Clock.Sound_File.empty())
    Show_Message(ui, "This file cannot be played!");
}

bool Check_Song_File_Name(const Song& song, const Ui& ui) {
  std::string name = song.Window_Controls.Text("txt_Filename", 0);
  name.erase(0, name.find_first_not_of(' '));
  name.erase(name.find_last_not_of(' ') + 1);
  if (name.empty() || Names_File(name)) return true;
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(name, error).parent_path();
  if (!error && !std::filesystem::is_directory(folder, error))
    Show_Message(ui, "Error! The volume for file '" + name +
                         "' could not be found or does not contain any media!");
  else
    Show_Message(ui, "There is no such file!");
  return false;
}

void Txt_Time_Change(Song& song, Playback& playback) {
  Song_Clock& clock = playback.Clock;
  if (song.Suppress_Text_Events) {
    Take_Typed_Time(song);
    return;
  }
  if (clock.Is_Playing || !clock.Last_Action.empty()) return;
  clock.Last_Action = "TimeEdit";
  Take_Typed_Time(song);
  Update_Song_Position(song, playback, true, true, false);
  clock.Last_Action.clear();
}

void Hsc_Time_Change(Song& song, Playback& playback, int value) {
  Song_Clock& clock = playback.Clock;
  if (song.Suppress_Text_Events) {
    song.Song_Time = value;
    return;
  }
  if (clock.Is_Playing || !clock.Last_Action.empty()) return;
  clock.Last_Action = "TimeDrag";
  song.Song_Time = value;
  clock.Hsc_Time_Value = value;
  Update_Song_Position(song, playback, true, false, true);
  clock.Last_Action.clear();
}

void Media_Play_State_Change(Song& song, Playback& playback, const Ui& ui, Play_State state) {
  Song_Clock& clock = playback.Clock;
  if (clock.Last_Action == "PlayStateChange") return;
  bool own = clock.Last_Action.empty();
  if (own) clock.Last_Action = "PlayStateChange";
  if (state == Play_State::Running) {
    if (clock.Last_Action != "But_Start_Click") But_Start_Click(song, playback, ui);
  } else if (clock.Last_Action != "But_Stop_Click") {
    But_Stop_Click(song, playback, ui);
  }
  Process_Events(ui);
  if (own) clock.Last_Action.clear();
}

void Check_Song_End(Song& song, Playback& playback, const Ui& ui) {
  const Song_Clock& clock = playback.Clock;
  if (clock.Is_Playing && Has_Sound(clock) && !clock.Player->Is_Running())
    Media_Play_State_Change(song, playback, ui, Play_State::Stopped);
}

}  // namespace lyricanvas
