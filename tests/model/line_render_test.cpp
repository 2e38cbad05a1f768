#include "model/line_render.h"

#include <gtest/gtest.h>

#include <set>

#include "model/layout.h"

namespace lyricanvas {
namespace {

constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Black = qRgb(0, 0, 0);

/// The colours of the surface's pixels, from column `left` on.
std::set<QRgb> Colours(const Surface& s, int left = 0) {
  std::set<QRgb> colours;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = left; x < s.Width(); ++x) colours.insert(s.Pixel(x, y));
  return colours;
}

struct Run {
  int x;
  QString text;
  Font_Rec font;
};

/// The runs printed one by one: black outlines spread by two first when asked, then white bodies.
Surface Drawn_By_Hand(const std::vector<Run>& runs, int y, bool outline) {
  Surface s(300, 40, Blue);
  for (bool body : {false, true}) {
    if (!body && !outline) continue;
    s.Set_Color(body ? White : Black);
    for (const Run& run : runs) {
      s.Set_Font(run.font);
      s.Set_Pos(run.x, y);
      body ? s.Print(run.text) : s.Print_Spread(run.text, 2);
    }
  }
  return s;
}

TEST(RenderPasses, AMixedLineIsDrawnRunByRunInItsColoursOnlyAndTheOutlineFollowsTheStyle) {
  Song song;
  song.RTB_Raw.Set_Text("one bold word\r\nsecond line");
  song.RTB_Raw.Set_Bold(4, 4, true);
  Layout_Text(song);
  Surface rendered(300, 40, Blue);
  Render_Outline(song, Line_X(song, 1), 5, rendered, 1, false, {Black});
  Render_Body(song, Line_X(song, 1), 5, rendered, 1, {White});
  Font_Rec plain = song.RTB_Raw.Default_Font(), bold = plain;
  bold.Bold = true;
  const auto& x = song.Char_X;
  EXPECT_EQ(
      rendered.Image(),
      Drawn_By_Hand({{x[0], "one ", plain}, {x[4], "bold", bold}, {x[8], " word", plain}}, 5, true)
          .Image());
  // The bold run is really drawn bold: the plain line differs.
  EXPECT_NE(rendered.Image(), Drawn_By_Hand({{x[0], "one bold word", plain}}, 5, true).Image());
  Surface second(300, 40, Blue);
  Render_Body(song, 20, 3, second, 2, {White});
  EXPECT_EQ(second.Image(), Drawn_By_Hand({{20, "second line", plain}}, 3, false).Image());
  EXPECT_EQ(Colours(rendered), (std::set<QRgb>{Blue, White, Black}));  // no smoothing
  Apply_Wiping_Style(song, "Draw no outline");
  Layout_Text(song);
  Surface bare(300, 40, Blue);
  Render_Outline(song, Line_X(song, 1), 4, bare, 1, false, {White});
  EXPECT_EQ(Colours(bare), std::set<QRgb>{Blue});
  Render_Outline(song, Line_X(song, 1), 4, bare, 1, true, {White});
  EXPECT_EQ(Colours(bare), (std::set<QRgb>{Blue, White}));
}

TEST(RenderPasses, SingerColoursComeFromThePaletteAndUnknownColoursKeepThePrevious) {
  Song song;
  song.RTB_Raw.Set_Text("male  unknown");
  song.RTB_Raw.Set_Color(0, 6, song.Singers[2].Text_Color);
  song.RTB_Raw.Set_Color(6, 7, qRgb(1, 2, 3));  // no singer has this colour
  Layout_Text(song);
  Surface work(300, 40, Blue);
  Render_Body(song, Line_X(song, 1), 4, work, 1, {std::nullopt, Role_Wiped_Body});
  const QRgb male_wiped = song.Palette_RGB[11];
  EXPECT_EQ(Colours(work), (std::set<QRgb>{Blue, male_wiped}));
  // The unknown word is drawn too, in the male colour before it.
  EXPECT_EQ(Colours(work, song.Char_X[6]), (std::set<QRgb>{Blue, male_wiped}));
}

}  // namespace
}  // namespace lyricanvas
