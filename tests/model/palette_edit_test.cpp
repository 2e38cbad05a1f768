#include "model/palette_edit.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

TEST(PaletteEdit, TheChosenAndTheEditedCustomColoursBecomeLevelsAndLevelsSurviveTheDialog) {
  struct Case {
    int entry;            ///< the dialog was opened for this entry
    Dialog_Color chosen;  ///< -1: cancelled
    int custom;           ///< a custom colour edited in the dialog, -1 for none
    Dialog_Color custom_color;
    int changed;  ///< the only entry that changes, -1 for none
    std::array<int, 3> levels;
  };
  for (const Case& c : {Case{9, 136 + 256 * 68, -1, 0, 9, {8, 4, 0}},
                        {9, 15 + 256 * 16 + 65536 * 255, -1, 0, 9, {0, 1, 15}},
                        {3, -1, -1, 0, -1, {}},
                        {3, -1, 12, 255 + 256 * 16, 12, {15, 1, 0}},
                        {2, 0xFFFFFF, 2, 0, 2, {15, 15, 15}}}) {
    SCOPED_TRACE(std::to_string(c.entry) + " " + std::to_string(c.chosen));
    Song song;
    const Palette_Table before = song.Palette;
    std::string custom = Palette_Custom_Colors(song.Palette);
    if (c.custom >= 0) custom.replace(4 * c.custom, 3, testing::Le(c.custom_color, 3));
    Apply_Color_Dialog(song, c.entry, c.chosen, custom);
    for (int k = 0; k < 16; ++k) {
      if (k != c.changed) {
        EXPECT_EQ(song.Palette[k], before[k]) << k;
        continue;
      }
      EXPECT_EQ((std::array{song.Palette[k][1], song.Palette[k][2], song.Palette[k][3]}), c.levels);
      EXPECT_EQ(song.Palette_RGB[k], qRgb(c.levels[0] * 17, c.levels[1] * 17, c.levels[2] * 17));
    }
  }
  // Every level survives the way through the dialog.
  Song song;
  for (int i = 0; i < 16; ++i)
    for (int j = 1; j <= 3; ++j) song.Palette[i][j] = (i + 5 * j) % 16;
  const Palette_Table before = song.Palette;
  for (int k = 0; k < 16; ++k)
    Apply_Color_Dialog(song, k, Palette_Dialog_Color(song.Palette, k),
                       Palette_Custom_Colors(song.Palette));
  EXPECT_EQ(song.Palette, before);
}

}  // namespace
}  // namespace lyricanvas
