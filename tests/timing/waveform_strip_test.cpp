// The waveform strip: peaks drawn column by column, the timed syllables' starts marked where
// they fall, the playing position in the middle.
#include "timing/waveform_strip.h"

#include <gtest/gtest.h>

#include "support/song_builder.h"

namespace lyricanvas {
namespace {

int Column_Pixels_Not(const Surface& s, int x, QRgb background) {
  int count = 0;
  for (int y = 0; y < s.Height(); ++y) count += s.Pixel(x, y) != (background | 0xff000000u);
  return count;
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
  struct Column {
    int x;
    int drawn;
  };
  // Silent columns draw their one middle pixel; syllables at 9 s and 10.5 s fall at columns
  // (9 - 8) / 4 * 100 = 25 and 62 (a mark and the silent pixel); the position stands at 50.
  for (Column c : {Column{10, 41}, Column{30, 21}, Column{5, 1}, Column{50, 41}, Column{25, 12},
                   Column{62, 12}}) {
    EXPECT_EQ(Column_Pixels_Not(strip, c.x, background), c.drawn) << "column " << c.x;
  }
  EXPECT_EQ(Syllable_Starts(song, 8, 12), (std::vector<double>{9.0, 10.5}));
}

}  // namespace
}  // namespace lyricanvas
