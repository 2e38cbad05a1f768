#include "timing/waveform_strip.h"

#include <algorithm>
#include <cmath>

namespace lyricanvas {

namespace {

constexpr QRgb Strip_Background = qRgb(16, 16, 32);
constexpr QRgb Peak_Color = qRgb(96, 160, 224);
constexpr QRgb Start_Color = qRgb(255, 208, 64);
constexpr QRgb Now_Color = qRgb(255, 255, 255);

int Row_Of(float level, int height) {
  const double clamped = std::clamp(static_cast<double>(level), -1.0, 1.0);
  return static_cast<int>(std::lround((1.0 - clamped) / 2.0 * (height - 1)));
}

}  // namespace

std::vector<double> Syllable_Starts(const Song& song, double from, double to) {
  std::vector<double> starts;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    if (field.Events.empty() || Is_Picture_Field(field)) continue;
    const double t = Field_Time(song, f, 1);
    if (t >= from && t <= to) starts.push_back(t);
  }
  return starts;
}

void Draw_Waveform_Strip(Surface& strip, const Song& song, const std::vector<Peak>& peaks,
                         double at) {
  strip.Set_Background(Strip_Background);
  strip.Cls();
  const int width = strip.Width();
  const int height = strip.Height();
  const int columns = std::min(width, static_cast<int>(peaks.size()));
  for (int x = 0; x < columns; ++x) {
    const Peak& p = peaks[static_cast<std::size_t>(x)];
    strip.Line(x, Row_Of(p.High, height), x, Row_Of(p.Low, height), Peak_Color);
  }
  const double from = at - Waveform_Seconds_Around;
  const double span = 2 * Waveform_Seconds_Around;
  for (double t : Syllable_Starts(song, from, at + Waveform_Seconds_Around)) {
    const int x = static_cast<int>(std::floor((t - from) / span * width));
    strip.Line(x, 0, x, height / 4, Start_Color);
  }
  strip.Line(width / 2, 0, width / 2, height - 1, Now_Color);
}

}  // namespace lyricanvas
