// The timing view: scrolling by raster copy shows what a full drawing shows, separators only in
// Tab mode, a marked syllable stays readable, a held syllable is shown wiped at once.
#include "timing/timing_view.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Song_Line;
using testing::Timing_Setup;

std::vector<Song_Line> Numbered_Lines(int count, int singer) {
  std::vector<Song_Line> lines;
  for (int n = 1; n <= count; ++n)
    lines.push_back({{{"line ", 0, 0}, {std::to_string(n), 0, 0}}, singer});
  return lines;
}

QImage Full_Drawing(Timing_Setup& s, int first_line) {
  Redraw_View(s.T(), s.S(), first_line);
  return s.T().Pic_Indication.Image().copy();
}

TEST(TimingView, ScrollingShowsWhatAFullDrawingShows) {
  struct Case {
    int from, to;
  };
  for (Case c : {Case{1, 2}, Case{5, 4}, Case{2, 5}, Case{3, 8}, Case{9, 1}}) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    Timing_Setup s(Numbered_Lines(20, 2), true);
    s.T().VSc_Line_Value = c.from;
    const QImage before = Full_Drawing(s, c.from);
    VSc_Line_Change(s.T(), s.S(), c.to);
    const QImage scrolled = s.T().Pic_Indication.Image().copy();
    EXPECT_EQ(s.T().VSc_Line_Value, c.to);
    EXPECT_EQ(scrolled, Full_Drawing(s, c.to));
    if (c.to == c.from + 1) {
      EXPECT_EQ(
          scrolled.copy(0, 0, Timing_View_Width, Timing_View_Height - View_Row_Height),
          before.copy(0, View_Row_Height, Timing_View_Width, Timing_View_Height - View_Row_Height))
          << "one line moves the picture by 32 pixels";
    }
  }
}

TEST(TimingView, SeparatorsOnlyInTabMode) {
  for (int tab_mode : {0, 1}) {
    SCOPED_TRACE(tab_mode ? "Tab mode" : "no Tab mode");
    Timing_Setup s(testing::Untimed_Lines({"Mor|ning light"}), true);
    s.S().Window_Controls.Set_Check("Chk_Tabmode", tab_mode);
    Redraw_View(s.T(), s.S(), 1);
    for (int f = 1; f <= 3; ++f) {
      const int x = std::max(Field_Left(s.S(), f), Line_Start_Column(s.S(), 1));
      EXPECT_EQ(testing::Row_Pixels(s.T(), 0, x, x, Mark_White), tab_mode ? View_Row_Height : 0)
          << "field " << f;
    }
  }
}

TEST(TimingView, AMarkedSyllableKeepsItsLettersAndUnmarkingRestoresIt) {
  Timing_Setup s(testing::Untimed_Lines({"Mor|ning"}), true);
  s.S().Window_Controls.Set_Check("Chk_Tabmode", 0);
  Redraw_View(s.T(), s.S(), 1);
  const QImage plain = s.T().Pic_Indication.Image().copy();
  const int x0 = Field_Left(s.S(), 2);
  const int x1 = Field_Right(s.S(), 2) - 1;
  const QRgb letters = testing::Singer_Color(s.S(), 1, Role_Unwiped_Body);
  const QRgb marked = qRgb(255, 0, 0);
  const int before = testing::Row_Pixels(s.T(), 0, x0, x1, letters);
  Mark_Field(s.T(), s.S(), 2, marked);
  EXPECT_EQ(testing::Row_Pixels(s.T(), 0, x0, x1, letters), before);
  EXPECT_GT(testing::Row_Pixels(s.T(), 0, x0, x1, marked), (x1 - x0) * 8);
  EXPECT_EQ(testing::Row_Pixels(s.T(), 0, Field_Left(s.S(), 1), x0 - 1, marked), 0)
      << "the neighbour is left alone";
  Mark_Field(s.T(), s.S(), 2, s.S().Palette_RGB[0]);
  EXPECT_EQ(s.T().Pic_Indication.Image(), plain);
}

TEST(TimingView, APressShowsTheHeldSyllableWipedAtOnce) {
  Timing_Setup s(testing::Untimed_Lines({"Mor|ning"}), true);
  s.Click(1);
  s.Press(300);
  const QRgb wiped = testing::Singer_Color(s.S(), 1, Role_Wiped_Body);
  EXPECT_GT(testing::Row_Pixels(s.T(), 0, Field_Left(s.S(), 1), Field_Right(s.S(), 1) - 1, wiped),
            30);
  EXPECT_EQ(testing::Row_Pixels(s.T(), 0, Field_Right(s.S(), 1) + 1, Timing_View_Width - 1, wiped),
            0);
}

TEST(TimingView, GeometryOfLinesAndFields) {
  Timing_Setup s(testing::Untimed_Lines({"ab|cd ef", "gh"}), true);
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
