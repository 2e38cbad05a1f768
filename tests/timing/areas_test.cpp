// The timing view and its wipe areas: brought in line with a new song position and replayed into
// the view, also when scrolled by raster copy; separators only in Tab mode, marks that keep the
// letters readable. How areas are built, cut and added is in the key script and drag goldens.
#include "timing/areas.h"

#include <gtest/gtest.h>

#include <sstream>

#include "timing/timing_view.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

TEST(ReplayEvents, WipesInStepWithTheSongAndItsPosition) {
  struct Case {
    const char* script;      ///< "replay T", "reset T" (a new song position), "redraw", and "same"
                             ///< (the view is what a full redraw shows)
    std::string_view wiped;  ///< "none", "half" (the left half) or "all"
  };
  // "reset 30 replay 30" draws no intermediate columns; a redraw shows the area whole.
  for (const Case& c :
       {Case{"replay 0.9", "none"}, Case{"replay 1.5 same", "half"},
        Case{"replay 1.5 replay 2.2 same", "all"}, Case{"replay 1.5 reset 0.5 redraw", "none"},
        Case{"reset 30 replay 30", "none"}, Case{"reset 30 replay 30 redraw", "all"},
        Case{"reset 1.5 replay 1.5", "half"}}) {
    SCOPED_TRACE(c.script);
    Timing_Setup s({"Morning@1-2"});
    s.S().Window_Controls.Set_Check("Chk_Tabmode", 0);  // no separator among the letters
    Redraw_View(s.T(), s.S(), 1);
    const int left = Field_Left(s.S(), 1);
    const int right = Field_Right(s.S(), 1) - 1;
    const int middle = (left + right) / 2;
    const int letters = s.Pixels(0, left, right, s.Color(false));
    ASSERT_GT(letters, 50);
    std::istringstream in(c.script);
    for (std::string op; in >> op;) {
      double t = 0;
      if (op == "replay" && in >> t) {
        Replay_Events(s.T(), s.S(), s.ui, t);
      } else if (op == "reset" && in >> t) {
        Reset_Areas(s.T(), s.S(), s.ui, t);
      } else if (op == "redraw" || op == "same") {
        const QImage stepped = s.T().Pic_Indication.Image().copy();
        Redraw_View(s.T(), s.S(), 1);
        if (op == "same") {
          EXPECT_EQ(s.T().Pic_Indication.Image(), stepped);
        }
      }
    }
    const int wiped_left = s.Pixels(0, 0, middle - 3, s.Color(true));
    const int wiped_right = s.Pixels(0, middle + 3, Timing_View_Width - 1, s.Color(true));
    EXPECT_EQ(wiped_left > 0, c.wiped != "none");
    EXPECT_EQ(wiped_right > 0, c.wiped == "all");
    if (c.wiped == "all") {
      EXPECT_EQ(s.Pixels(0, left, right, s.Color(false)), 0);
      EXPECT_EQ(s.Pixels(0, left, right, s.Color(true)), letters);
    }
  }
}

TEST(ReplayEvents, LinesOutOfViewAreWipedUnseenAutoScrollFollowsAndScrollingShowsTheSame) {
  std::vector<std::string> lines;
  // Two syllables a line, split at a column that differs from the next line's.
  for (int n = 1; n <= 30; ++n)
    lines.push_back((n % 2 ? "la@" : "lala@") + std::to_string(n) + "|" + std::to_string(n) + "@" +
                    std::to_string(n + 0.25) + "-" + std::to_string(n + 0.5));
  Timing_Setup s(lines);
  auto wiped_in_row = [&](int row) {
    return s.Pixels(row, 0, Timing_View_Width - 1, s.Color(true));
  };
  auto replay = [&](double from, double to) {
    for (double t = from; t <= to; t += 0.25) Replay_Events(s.T(), s.S(), s.ui, t);
  };
  s.S().Window_Controls.Set_Check("Chk_AutoScroll", 0);
  VSc_Line_Change(s.T(), s.S(), 25);
  replay(0, 3);
  for (int row = 0; row < Timing_View_Rows; ++row) EXPECT_EQ(wiped_in_row(row), 0) << row;
  EXPECT_TRUE(s.recorder.messages.empty()) << "nothing to report about rows out of view";
  VSc_Line_Change(s.T(), s.S(), 1);
  EXPECT_GT(wiped_in_row(0), 0) << "shown wiped when it comes back";
  EXPECT_EQ(wiped_in_row(3), 0);
  replay(3.25, 10);
  EXPECT_EQ(s.T().VSc_Line_Value, 1) << "no auto-scroll";
  s.S().Window_Controls.Set_Check("Chk_AutoScroll", 1);
  replay(10.25, 12.25);
  EXPECT_EQ(s.T().VSc_Line_Value, 12 - 4) << "the line sung at 12 s stands in the fifth row";
  // Scrolling copies what stays in view and shows what a full drawing shows, also of what the
  // replay drew.
  const int kept = Timing_View_Height - View_Row_Height;
  for (int from = 8; int to : {9, 8, 5, 8, 10, 2}) {
    SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
    const QImage before = s.T().Pic_Indication.Image().copy();
    VSc_Line_Change(s.T(), s.S(), to);
    const QImage scrolled = s.T().Pic_Indication.Image().copy();
    EXPECT_EQ(s.T().VSc_Line_Value, to);
    Redraw_View(s.T(), s.S(), to);
    EXPECT_EQ(scrolled, s.T().Pic_Indication.Image());
    if (to == from + 1) {
      EXPECT_EQ(scrolled.copy(0, 0, Timing_View_Width, kept),
                before.copy(0, View_Row_Height, Timing_View_Width, kept));
    }
    from = to;
  }
}

TEST(FindGaps, PausesOfMoreThanFourSeconds) {
  Timing_Setup s({"la@1-2 la@6.5-7 la@9-10 la@14.5-15"});
  EXPECT_EQ(Find_Gaps(s.T(), s.S()), (std::vector<Gap>{{2, 6.5}, {10, 14.5}}));
}

TEST(TimingView, SeparatorsInTabModeMarksAndAPressShowingTheHeldSyllableWipedAtOnce) {
  for (int tab_mode : {1, 0}) {
    SCOPED_TRACE(tab_mode ? "Tab mode" : "no Tab mode");
    Timing_Setup s({"Mor|ning light"});
    s.S().Window_Controls.Set_Check("Chk_Tabmode", tab_mode);
    Redraw_View(s.T(), s.S(), 1);
    for (int f = 1; f <= 3; ++f) {
      const int x = std::max(Field_Left(s.S(), f), Line_Start_Column(s.S(), 1));
      EXPECT_EQ(s.Pixels(0, x, x, Mark_White), tab_mode ? View_Row_Height : 0) << "field " << f;
    }
    const QImage plain = s.T().Pic_Indication.Image().copy();
    if (tab_mode) {
      Mark_Field(s.T(), s.S(), 2, qRgb(255, 0, 0));
      Mark_Field(s.T(), s.S(), 2, s.S().Palette_RGB[0]);
      EXPECT_EQ(s.T().Pic_Indication.Image(), plain) << "the separator comes back with the row";
      continue;
    }
    const int m = s.S().Wipe_Margin;  // fields widened at the word's edges only
    EXPECT_EQ(Field_Left(s.S(), 3), s.S().Char_X[8] - m);
    EXPECT_EQ(Field_Right(s.S(), 1), s.S().Char_X[3]);
    EXPECT_EQ(Field_Right(s.S(), 2), s.S().Char_X[7] + m);
    const int x0 = Field_Left(s.S(), 2);
    const int x1 = Field_Right(s.S(), 2) - 1;
    const QRgb marked = qRgb(255, 0, 0);
    const int letters = s.Pixels(0, x0, x1, s.Color(false));
    Mark_Field(s.T(), s.S(), 2, marked);
    EXPECT_EQ(s.Pixels(0, x0, x1, s.Color(false)), letters) << "a marked syllable stays readable";
    EXPECT_GT(s.Pixels(0, x0, x1, marked), (x1 - x0) * 8);
    EXPECT_EQ(s.Pixels(0, 0, x0 - 1, marked) + s.Pixels(0, x1 + 1, Timing_View_Width - 1, marked),
              0);
    Mark_Field(s.T(), s.S(), 2, s.S().Palette_RGB[0]);
    EXPECT_EQ(s.T().Pic_Indication.Image(), plain);
    s.Click(1);
    Press_Timing_Key(s.T(), s.S(), s.ui, 300);
    EXPECT_GT(s.Pixels(0, 0, x0 - 1, s.Color(true)), 30);
    EXPECT_EQ(s.Pixels(0, x0 + 1, Timing_View_Width - 1, s.Color(true)), 0);
  }
}

}  // namespace
}  // namespace lyricanvas
