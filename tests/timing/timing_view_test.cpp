// The timing view: scrolling by raster copy shows what a full drawing shows, separators only in
// Tab mode, a marked syllable stays readable, a held syllable is shown wiped at once.
#include "timing/timing_view.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

TEST(TimingView, ScrollingShowsWhatAFullDrawingShows) {
  std::vector<std::string> lines;
  for (int n = 1; n <= 20; ++n) lines.push_back("line |" + std::to_string(n));
  for (auto [from, to] : {std::pair{1, 2}, {5, 4}, {2, 5}, {3, 8}, {9, 1}}) {
    SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
    Timing_Setup s(lines, 2);
    s.T().VSc_Line_Value = from;
    Redraw_View(s.T(), s.S(), from);
    const QImage before = s.T().Pic_Indication.Image().copy();
    VSc_Line_Change(s.T(), s.S(), to);
    const QImage scrolled = s.T().Pic_Indication.Image().copy();
    EXPECT_EQ(s.T().VSc_Line_Value, to);
    Redraw_View(s.T(), s.S(), to);
    EXPECT_EQ(scrolled, s.T().Pic_Indication.Image());
    const int kept = Timing_View_Height - View_Row_Height;
    if (to == from + 1) {
      EXPECT_EQ(scrolled.copy(0, 0, Timing_View_Width, kept),
                before.copy(0, View_Row_Height, Timing_View_Width, kept))
          << "one line moves the picture by one row";
    }
  }
}

TEST(TimingView, SeparatorsOnlyInTabMode) {
  for (int tab_mode : {0, 1}) {
    SCOPED_TRACE(tab_mode ? "Tab mode" : "no Tab mode");
    Timing_Setup s({"Mor|ning light"});
    s.S().Window_Controls.Set_Check("Chk_Tabmode", tab_mode);
    Redraw_View(s.T(), s.S(), 1);
    for (int f = 1; f <= 3; ++f) {
      const int x = std::max(Field_Left(s.S(), f), Line_Start_Column(s.S(), 1));
      EXPECT_EQ(s.Pixels(0, x, x, Mark_White), tab_mode ? View_Row_Height : 0) << "field " << f;
    }
  }
}

TEST(TimingView, AMarkedSyllableKeepsItsLettersAndUnmarkingRestoresIt) {
  Timing_Setup s({"Mor|ning"});
  s.S().Window_Controls.Set_Check("Chk_Tabmode", 0);
  Redraw_View(s.T(), s.S(), 1);
  const QImage plain = s.T().Pic_Indication.Image().copy();
  const int x0 = Field_Left(s.S(), 2);
  const int x1 = Field_Right(s.S(), 2) - 1;
  const QRgb marked = qRgb(255, 0, 0);
  const int letters = s.Pixels(0, x0, x1, s.Color(false));
  Mark_Field(s.T(), s.S(), 2, marked);
  EXPECT_EQ(s.Pixels(0, x0, x1, s.Color(false)), letters);
  EXPECT_GT(s.Pixels(0, x0, x1, marked), (x1 - x0) * 8);
  EXPECT_EQ(s.Pixels(0, Field_Left(s.S(), 1), x0 - 1, marked), 0) << "the neighbour is left alone";
  Mark_Field(s.T(), s.S(), 2, s.S().Palette_RGB[0]);
  EXPECT_EQ(s.T().Pic_Indication.Image(), plain);
}

TEST(TimingView, APressShowsTheHeldSyllableWipedAtOnce) {
  Timing_Setup s({"Mor|ning"});
  s.Click(1);
  s.Press(300);
  EXPECT_GT(s.Pixels(0, Field_Left(s.S(), 1), Field_Right(s.S(), 1) - 1, s.Color(true)), 30);
  EXPECT_EQ(s.Pixels(0, Field_Right(s.S(), 1) + 1, Timing_View_Width - 1, s.Color(true)), 0);
}

TEST(TimingView, GeometryOfLinesAndFields) {
  Timing_Setup s({"ab|cd ef", "gh"});
  EXPECT_EQ(Line_Of_Char(s.S(), 0), 0);
  EXPECT_EQ(Line_Of_Char(s.S(), 1), 1);
  EXPECT_EQ(Line_Of_Char(s.S(), 11), 2);
  EXPECT_EQ(Line_Chars(s.S(), 1), (std::pair{1, 7}));
  EXPECT_EQ(Line_Chars(s.S(), 2), (std::pair{10, 11}));
  const int m = s.S().Wipe_Margin;
  EXPECT_EQ(Field_Left(s.S(), 1), s.S().Char_X[0] - m) << "widened at the word's start";
  EXPECT_EQ(Field_Right(s.S(), 1), s.S().Char_X[2]) << "inside the word: no widening";
  EXPECT_EQ(Field_Right(s.S(), 2), s.S().Char_X[4] + m);
  EXPECT_EQ(Field_Width(s.S(), 2), Field_Right(s.S(), 2) - Field_Left(s.S(), 2));
}

}  // namespace
}  // namespace lyricanvas
