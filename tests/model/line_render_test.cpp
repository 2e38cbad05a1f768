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

Song Laid_Out(const QString& text) {
  Song song;
  song.RTB_Raw.Set_Text(text);
  Layout_Text(song);
  return song;
}

TEST(RenderPasses, OnlyTheDrawnColoursAppearAndTheOutlineFollowsTheStyleUnlessForced) {
  Song song = Laid_Out("Wavy glyphs, no smoothing!");
  Surface work(300, 40, Blue);
  Render_Body(song, Line_X(song, 1), 4, work, 1, {White});
  EXPECT_EQ(Colours(work), (std::set<QRgb>{Blue, White}));
  Render_Outline(song, Line_X(song, 1), 4, work, 1, false, {Black});
  Render_Body(song, Line_X(song, 1), 4, work, 1, {White});
  EXPECT_EQ(Colours(work), (std::set<QRgb>{Blue, White, Black}));
  Apply_Wiping_Style(song, "Draw no outline");
  Layout_Text(song);
  Surface bare(300, 40, Blue);
  Render_Outline(song, Line_X(song, 1), 4, bare, 1, false, {White});
  EXPECT_EQ(Colours(bare), std::set<QRgb>{Blue});
  Render_Outline(song, Line_X(song, 1), 4, bare, 1, true, {White});
  EXPECT_EQ(Colours(bare), (std::set<QRgb>{Blue, White}));
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

TEST(RenderPasses, AMixedLineIsDrawnRunByRunAndAUniformOneWholeAtTheGivenX) {
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

TEST(RenderViewLine, UnchangedRowIsSkippedAndChangesRedraw) {
  Song song = Laid_Out("row one\r\nrow two");
  Surface view(288, 160, Blue);
  View_Rows rows;
  Render_View_Line(song, 2, view, rows, 1, false, 1);
  EXPECT_EQ(view.Pixel(0, 32), song.Palette_RGB[0]);
  EXPECT_EQ(view.Pixel(0, 31), Blue);             // row 0 untouched
  EXPECT_EQ(view.Pixel(0, 64), Blue);             // row 2 untouched
  const QRgb unwiped_body = song.Palette_RGB[5];  // singer 1
  EXPECT_TRUE(Colours(view).contains(unwiped_body));

  view.Set_Pixel(1, 33, Black);  // a mark the skipped redraw must leave
  Render_View_Line(song, 2, view, rows, 1, false, 1);
  EXPECT_EQ(view.Pixel(1, 33), Black);

  Render_View_Line(song, 2, view, rows, 1, true, 1);
  EXPECT_EQ(view.Pixel(1, 33), song.Palette_RGB[0]);
  EXPECT_FALSE(Colours(view).contains(unwiped_body));
  EXPECT_TRUE(Colours(view).contains(song.Palette_RGB[7]));  // wiped body of singer 1

  view.Set_Pixel(1, 33, Black);
  song.Palette[7] = {0, 1, 2, 3};
  Update_Palette_RGB(song);
  Render_View_Line(song, 2, view, rows, 1, true, 1);
  EXPECT_EQ(view.Pixel(1, 33), song.Palette_RGB[0]);
}

}  // namespace
}  // namespace lyricanvas
