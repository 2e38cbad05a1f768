// The waveform: peaks of the decoded frames column by column, and the strip drawn from them with
// the timed syllables' starts marked and the playing position in the middle.
#include "timing/waveform.h"

#include <gtest/gtest.h>

#include "support/song_builder.h"
#include "timing/fake_audio_player.h"
#include "timing/waveform_strip.h"

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
  EXPECT_TRUE(Waveform_Peaks(player, 0, 1, 0).empty());
  EXPECT_EQ(Waveform_Peaks(player, 1, 0.5, 3), std::vector<Peak>(3)) << "a reversed range";
  EXPECT_EQ(Waveform_Peaks(player, 0.5, 0.5, 2), std::vector<Peak>(2)) << "an empty range";
}

TEST(WaveformStrip, PeaksMarksAndThePlayingPosition) {
  Song song;
  testing::Build_Song(song, {{{{"la ", 9.0, 9.5}, {"la ", 10.5, 11}, {"la", 20, 21}}, 1}});
  Surface strip(100, 41);
  std::vector<Peak> peaks(100);
  peaks[10] = {-1.0f, 1.0f};  // full height
  peaks[30] = {-0.5f, 0.5f};  // half
  Draw_Waveform_Strip(strip, song, peaks, 10.0);
  const QRgb background = strip.Pixel(99, 40);
  // Silent columns draw their one middle pixel; syllables at 9 s and 10.5 s fall at columns
  // (9 - 8) / 4 * 100 = 25 and 62 (a mark and the silent pixel); the position stands at 50.
  for (auto [x, drawn] : {std::pair{10, 41}, {30, 21}, {5, 1}, {50, 41}, {25, 12}, {62, 12}}) {
    int count = 0;
    for (int y = 0; y < strip.Height(); ++y)
      count += strip.Pixel(x, y) != (background | 0xff000000u);
    EXPECT_EQ(count, drawn) << "column " << x;
  }
  EXPECT_EQ(Syllable_Starts(song, 8, 12), (std::vector<double>{9.0, 10.5}));
}

}  // namespace
}  // namespace lyricanvas
