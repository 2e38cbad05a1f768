#include "timing/waveform.h"

#include <gtest/gtest.h>

#include "timing/fake_audio_player.h"

namespace lyricanvas {
namespace {

constexpr float Scale = 32768.0f;

TEST(WaveformPeaks, ColumnsTakeTheExtremesOfBothChannelsOfTheirOwnFrames) {
  double now = 0;
  testing::Fake_Audio_Player player(now);
  player.decoded_frames = Audio_Sample_Rate;  // one second decoded
  struct Case {
    double from, to;
    int columns;
    std::size_t column;
    Peak expected;
  };
  const double f = 1.0 / Audio_Sample_Rate;  // one frame in seconds
  for (const Case& c : {
           // Frames 0..99: left -15000..-14901, right -7500..-7450.
           Case{0, 100 * f, 1, 0, {-15000 / Scale, -7450 / Scale}},
           // The second of two columns over frames 0..199 holds frames 100..199 only.
           Case{0, 200 * f, 2, 1, {-14900 / Scale, -7400 / Scale}},
           // Frames 29990..30009 wrap from the top back to the bottom.
           Case{29990 * f, 30010 * f, 1, 0, {-15000 / Scale, 14999 / Scale}},
           // Before the start of the song and past what is decoded there is silence.
           Case{-1, 0, 4, 3, {0, 0}},
           Case{1.5, 2, 2, 0, {0, 0}},
           // A column half decoded shows its decoded half, frames 44000..44099.
           Case{44000 * f, 44200 * f, 1, 0, {-1000 / Scale, -450 / Scale}},
       }) {
    std::vector<Peak> peaks = Waveform_Peaks(player, c.from, c.to, c.columns);
    ASSERT_EQ(peaks.size(), static_cast<std::size_t>(c.columns));
    EXPECT_FLOAT_EQ(peaks[c.column].Low, c.expected.Low) << c.from;
    EXPECT_FLOAT_EQ(peaks[c.column].High, c.expected.High) << c.from;
  }
}

TEST(WaveformPeaks, AnEmptyOrReversedRangeGivesSilentColumns) {
  double now = 0;
  testing::Fake_Audio_Player player(now);
  player.decoded_frames = Audio_Sample_Rate;
  EXPECT_TRUE(Waveform_Peaks(player, 0, 1, 0).empty());
  EXPECT_EQ(Waveform_Peaks(player, 1, 0.5, 3), std::vector<Peak>(3));
  EXPECT_EQ(Waveform_Peaks(player, 0.5, 0.5, 2), std::vector<Peak>(2));
}

}  // namespace
}  // namespace lyricanvas
