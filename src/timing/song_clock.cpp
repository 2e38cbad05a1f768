#include "timing/song_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cdg/time_entry.h"

namespace lyricanvas {

namespace {

/// Song time of the steady-clock instant `at` when no audio plays.
double Timer_Song_Time(const Song& song, const Song_Clock& clock, double at) {
  return (at - clock.Play_Start_Timer) * Speed_Factor(song);
}

/// The audio's position, never past the song's end.
double Heard_Position(const Audio_Player& player) {
  return std::min(player.Position(), player.Duration());
}

}  // namespace

std::optional<double> Numeric_Text(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return std::nullopt;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return std::nullopt;
  return value;
}

bool Has_Sound(const Song_Clock& clock) {
  return !clock.Sound_File.empty() && clock.Player != nullptr && clock.Player->Is_Open();
}

double Speed_Factor(const Song& song) {
  return song.Window_Controls.Checked("Chk_HalfSpeed") ? 0.5 : 1.0;
}

double Song_Time_At(const Song& song, const Song_Clock& clock, double at) {
  if (Has_Sound(clock)) {
    double position = Heard_Position(*clock.Player);
    if (!clock.Player->Is_Running()) return position;
    return std::max(0.0, position - (clock.Now() - at) * clock.Player->Rate());
  }
  if (!clock.Is_Playing) return song.Song_Time;
  return Timer_Song_Time(song, clock, at);
}

void Read_Song_Time(Song& song, Song_Clock& clock, bool allow_timer) {
  if (Has_Sound(clock))
    song.Song_Time = Heard_Position(*clock.Player);
  else if (allow_timer)
    song.Song_Time = Timer_Song_Time(song, clock, clock.Now());
}

void Restart_Timer(const Song& song, Song_Clock& clock) {
  clock.Play_Start_Timer = clock.Now() - song.Song_Time / Speed_Factor(song);
}

std::optional<double> Typed_Time(const std::string& text) {
  std::size_t colon = text.find(':');
  if (colon == std::string::npos) return Numeric_Text(text);
  std::string seconds = text.size() >= 2 ? text.substr(text.size() - 2) : text;
  return Val(text.substr(0, colon)) * 60 + Val(seconds);
}

std::string Time_Text(double seconds) {
  long long whole = seconds > 0 ? static_cast<long long>(std::floor(seconds)) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

}  // namespace lyricanvas
