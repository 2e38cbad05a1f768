#include "timing/waveform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lyricanvas {

namespace {

constexpr float Full_Scale = 32768.0f;

/// Peak of the frames [first, last) of the song; nothing decoded there gives silence.
Peak Column_Peak(const Audio_Player& player, std::int64_t first, std::int64_t last,
                 std::vector<std::int16_t>& buffer) {
  first = std::max<std::int64_t>(first, 0);
  if (last <= first) return {};
  buffer.resize(static_cast<std::size_t>(last - first) * Audio_Channels);
  std::int64_t copied = player.Copy_Frames(first, buffer);
  if (copied <= 0) return {};
  auto end = buffer.begin() + copied * Audio_Channels;
  auto [low, high] = std::minmax_element(buffer.begin(), end);
  return {*low / Full_Scale, *high / Full_Scale};
}

}  // namespace

std::vector<Peak> Waveform_Peaks(const Audio_Player& player, double from, double to, int columns) {
  std::vector<Peak> peaks(static_cast<std::size_t>(std::max(columns, 0)));
  if (columns <= 0 || !(to > from)) return peaks;
  const double frames_per_column = (to - from) * Audio_Sample_Rate / columns;
  const double start = from * Audio_Sample_Rate;
  std::vector<std::int16_t> buffer;
  for (int c = 0; c < columns; ++c) {
    auto first = static_cast<std::int64_t>(std::floor(start + c * frames_per_column));
    auto last = static_cast<std::int64_t>(std::floor(start + (c + 1) * frames_per_column));
    peaks[static_cast<std::size_t>(c)] = Column_Peak(player, first, std::max(last, first + 1), buffer);
  }
  return peaks;
}

}  // namespace lyricanvas
