// Wipe areas: how they are built from the fields, cut and split by new timing, brought in line
// with a new song position, and replayed into the view.
#include "timing/areas.h"

#include <gtest/gtest.h>

#include <sstream>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

struct Span {
  int first, last;
  double start, end;
  bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& s) {
  return out << "[" << s.first << ".." << s.last << " " << s.start << "-" << s.end << "]";
}

std::vector<Span> Spans(const Timing_Editor& te) {
  std::vector<Span> out;
  for (int i = 1; i <= te.Area_Count; ++i) {
    const Area_Rec& a = te.Areas[static_cast<std::size_t>(i)];
    out.push_back({a.Starting_Character, a.Ending_Character, a.Starting_Time, a.Ending_Time});
  }
  return out;
}

TEST(BuildAreas, RunsOfTimedCharacters) {
  struct Case {
    std::vector<std::string> lines;
    std::vector<Span> expected;
    int picture = 0;  ///< a field made a picture
  };
  const Case cases[] = {
      {{"Mor@1-2|nin@2-3|gly@3-4"}, {{1, 9, 1, 4}}},            // syllables of one word: one area
      {{"Mor@1-2 nin@2-3"}, {{1, 3, 1, 2}, {5, 7, 2, 3}}},      // a blank ends it
      {{"Mor@1-2.5|nin@2-3"}, {{1, 3, 1, 2.5}, {4, 6, 2, 3}}},  // so does a field starting early
      {{"Mor@1-2", "nin@2-3"}, {{1, 3, 1, 2}, {6, 8, 2, 3}}},   // and a line break
      {{"Mor@1-2|nin|gly@3-4|ly@4-5"}, {{1, 3, 1, 2}, {7, 9, 3, 4}}, 4},  // untimed or picture
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    Timing_Setup s(c.lines);
    if (c.picture) {
      s.S().Fields[c.picture].Events = std::string(1, Picture_Record_Mark) + "<x=1>";
      Build_Areas(s.T(), s.S());
    }
    EXPECT_EQ(Spans(s.T()), c.expected);
  }
}

TEST(AddArea, ShortenedPastBlanksAndEmptyWhenOnlyBlanks) {
  Timing_Setup s({"ta@1-2 bra@3-4"});
  Cut_Areas(s.T(), s.S(), 1, 7);
  ASSERT_EQ(s.T().Area_Count, 0);
  Add_Area(s.T(), s.S(), 1, 3, 600, 1, false);
  EXPECT_EQ(Spans(s.T()), (std::vector<Span>{{1, 2, 1, 2}}));
  Add_Area(s.T(), s.S(), 3, 3, 900, 1, false);
  const Area_Rec& blanks = s.T().Areas[static_cast<std::size_t>(s.T().Last_Area)];
  EXPECT_GT(blanks.Starting_Character, blanks.Ending_Character);
  EXPECT_EQ(blanks.Starting_Time, 0);
  EXPECT_EQ(blanks.Ending_Time, 0);
  Replay_Events(s.T(), s.S(), s.ui, 5);
  EXPECT_FALSE(blanks.Started) << "an empty area never starts";
}

TEST(CutAreas, TimingASyllableInsideAnAreaSplitsIt) {
  Timing_Setup s({"Mor@1-2|nin@2-3|gly@3-4"});
  s.Click(2);
  s.Press(750);
  EXPECT_EQ(Spans(s.T()), (std::vector<Span>{{1, 3, 1, 4}, {4, 6, 2.4, 2.5}, {7, 9, 3, 4}}));
  EXPECT_EQ(s.T().Last_Area, 2);
  s.Release(800);
  EXPECT_NEAR(s.T().Areas[2].Ending_Time, 800 / 300.0, 1e-9);
}

TEST(CutAreas, RemovesInsideTrimsOverlaps) {
  struct Case {
    int first, last;
    std::vector<Span> expected;
  };
  // Areas [1..3] and [5..7] ("Mor nin", times 1-2 and 2-3).
  const Case cases[] = {
      {1, 3, {{5, 7, 2, 3}}},
      {2, 5, {{1, 1, 1, 2}, {6, 7, 2, 3}}},
      {0, 9, {}},
      {4, 4, {{1, 3, 1, 2}, {5, 7, 2, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.last));
    Timing_Setup s({"Mor@1-2 nin@2-3"});
    Cut_Areas(s.T(), s.S(), c.first, c.last);
    EXPECT_EQ(Spans(s.T()), c.expected);
  }
}

TEST(ReplayEvents, WipesInStepWithTheSongAndItsPosition) {
  struct Case {
    const char* script;  ///< "replay T", "reset T" (a new song position), "redraw", and "same"
                         ///< (the view is what a full redraw shows)
    const char* wiped;   ///< "none", "half" (the left half) or "all"
    bool started, finished;
  };
  const Case cases[] = {
      {"replay 0.9", "none", false, false},
      {"replay 1.5 same", "half", true, false},
      {"replay 1.5 replay 2.2 same", "all", true, true},
      {"replay 1.5 reset 0.5 redraw", "none", false, false},
      {"reset 30 replay 30", "none", true, true},  // the replay draws no intermediate columns
      {"reset 30 replay 30 redraw", "all", true, true},
      {"reset 1.5 replay 1.5", "half", true, false},
  };
  for (const Case& c : cases) {
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
    const std::string wiped = c.wiped;
    const int wiped_left = s.Pixels(0, 0, middle - 3, s.Color(true));
    const int wiped_right = s.Pixels(0, middle + 3, Timing_View_Width - 1, s.Color(true));
    EXPECT_EQ(wiped_left > 0, wiped != "none");
    EXPECT_EQ(wiped_right > 0, wiped == "all");
    if (wiped == "all") {
      EXPECT_EQ(s.Pixels(0, left, right, s.Color(false)), 0);
      EXPECT_EQ(s.Pixels(0, left, right, s.Color(true)), letters);
    }
    EXPECT_EQ(s.T().Areas[1].Started, c.started);
    EXPECT_EQ(s.T().Areas[1].Finished, c.finished);
  }
}

TEST(ReplayEvents, LinesOutOfViewAreWipedUnseenAndAutoScrollFollowsTheSungLine) {
  std::vector<std::string> lines;
  for (int n = 1; n <= 30; ++n)
    lines.push_back("la@" + std::to_string(n) + "-" + std::to_string(n + 0.5));
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
}

TEST(FindGaps, PausesOfMoreThanFourSeconds) {
  Timing_Setup s({"la@1-2 la@6.5-7 la@9-10 la@14.5-15"});
  EXPECT_EQ(Find_Gaps(s.T(), s.S()), (std::vector<Gap>{{2, 6.5}, {10, 14.5}}));
}

TEST(Dumps, AreaTableAndFieldPoints) {
  Timing_Setup s({"Mor@1-2 nin@2-3"});
  Dump_Areas(s.T(), s.S(), s.ui);
  const auto& log = s.recorder.log;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "Number of areas: 2");
  EXPECT_NE(std::find(log.begin(), log.end(), "Area text: 'nin'"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "   Field of char 6 = 2"), log.end());
  const std::string points = Field_Points_Text(s.S());
  EXPECT_NE(points.find("Text 'nin' (at char no. 5) has the following points:"), std::string::npos);
  EXPECT_NE(points.find("Time: 3\r\n"), std::string::npos);
  testing::Temp_Dir dir;
  s.S().Project_File = dir.File("song.cgp");
  EXPECT_EQ(Field_Points_File_Name(s.S()), dir.File("song_Debug.txt"));
  ASSERT_TRUE(Dump_Field_Points(s.S(), s.ui, Field_Points_File_Name(s.S())));
  EXPECT_EQ(testing::Read_File(dir.File("song_Debug.txt")), points);
  EXPECT_FALSE(Dump_Field_Points(s.S(), s.ui, dir.File("missing/dir/x.txt")));
  EXPECT_EQ(s.recorder.messages.size(), 1u);
}

}  // namespace
}  // namespace lyricanvas
