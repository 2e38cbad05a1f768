#include "model/palette_edit.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

/// The dialog's custom colours with entry i set to (r, g, b).
std::string Custom_With(const Palette_Table& palette, int i, int r, int g, int b) {
  std::string custom = Palette_Custom_Colors(palette);
  custom[4 * i] = static_cast<char>(r);
  custom[4 * i + 1] = static_cast<char>(g);
  custom[4 * i + 2] = static_cast<char>(b);
  return custom;
}

TEST(PaletteEdit, AChosenColourBecomesItsLevels) {
  struct Case {
    Dialog_Color chosen;
    std::array<int, 3> levels;
  };
  for (const Case& c : {Case{0xFFFFFF, {15, 15, 15}}, Case{136 + 256 * 68, {8, 4, 0}},
                        Case{0, {0, 0, 0}}, Case{15 + 256 * 16 + 65536 * 255, {0, 1, 15}}}) {
    Song song;
    Apply_Color_Dialog(song, 9, c.chosen, Palette_Custom_Colors(song.Palette));
    EXPECT_EQ((std::array{song.Palette[9][1], song.Palette[9][2], song.Palette[9][3]}), c.levels)
        << c.chosen;
    EXPECT_EQ(song.Palette_RGB[9],
              qRgb(c.levels[0] * 17, c.levels[1] * 17, c.levels[2] * 17));
  }
}

TEST(PaletteEdit, EveryLevelSurvivesTheWayThroughTheDialog) {
  Song song;
  for (int i = 0; i < 16; ++i)
    for (int j = 1; j <= 3; ++j) song.Palette[i][j] = (i + 5 * j) % 16;
  const Palette_Table before = song.Palette;
  for (int k = 0; k < 16; ++k)
    Apply_Color_Dialog(song, k, Palette_Dialog_Color(song.Palette, k),
                       Palette_Custom_Colors(song.Palette));
  EXPECT_EQ(song.Palette, before);
}

TEST(PaletteEdit, CustomColoursEditedInTheDialogAreKeptEvenWhenItIsCancelled) {
  Song song;
  const Palette_Table before = song.Palette;
  Apply_Color_Dialog(song, 3, -1, Palette_Custom_Colors(song.Palette));
  EXPECT_EQ(song.Palette, before);

  Apply_Color_Dialog(song, 3, -1, Custom_With(song.Palette, 12, 255, 16, 0));
  EXPECT_EQ(song.Palette[12][1], 15);
  EXPECT_EQ(song.Palette[12][2], 1);
  EXPECT_EQ(song.Palette[12][3], 0);
  EXPECT_EQ(song.Palette[3], before[3]);
}

TEST(PaletteEdit, TheChosenColourWinsOverItsOwnCustomColour) {
  Song song;
  Apply_Color_Dialog(song, 2, 0xFFFFFF, Custom_With(song.Palette, 2, 0, 0, 0));
  EXPECT_EQ(song.Palette[2][1], 15);
}

TEST(PaletteEdit, ASwatchIsHitFromItsEdgeToItsEdgePlusItsSize) {
  Swatch_Grid grid{{10, 30, 50, 70}, {5, 25, 45, 65}, 10, 10};
  struct Case {
    int x, y, entry;
  };
  for (const Case& c : {Case{10, 5, 0}, Case{20, 15, 0}, Case{21, 5, -1}, Case{30, 25, 5},
                        Case{79, 74, 15}, Case{80, 75, 15}, Case{81, 75, -1}, Case{9, 5, -1},
                        Case{55, 4, -1}, Case{55, 50, 10}})
    EXPECT_EQ(Swatch_At(grid, c.x, c.y), c.entry) << c.x << "," << c.y;
}

}  // namespace
}  // namespace lyricanvas
