// Wipe areas: how they are built from the fields, cut and split by new timing, brought in line
// with a new song position, and replayed into the view.
#include "timing/areas.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Song_Line;
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

Song_Line Line(std::vector<testing::Syllable> syllables) { return {std::move(syllables), 1}; }

TEST(BuildAreas, RunsOfTimedCharacters) {
  struct Case {
    const char* name;
    std::vector<Song_Line> lines;
    std::vector<Span> expected;
  };
  const Case cases[] = {
      {"syllables of one word make one area",
       {Line({{"Mor", 1, 2}, {"nin", 2, 3}, {"gly", 3, 4}})},
       {{1, 9, 1, 4}}},
      {"a blank between words ends the area",
       {Line({{"Mor ", 1, 2}, {"nin", 2, 3}})},
       {{1, 3, 1, 2}, {5, 7, 2, 3}}},
      {"a field that starts before the previous one ends starts a new area",
       {Line({{"Mor", 1, 2.5}, {"nin", 2, 3}})},
       {{1, 3, 1, 2.5}, {4, 6, 2, 3}}},
      {"a line break ends the area",
       {Line({{"Mor", 1, 2}}), Line({{"nin", 2, 3}})},
       {{1, 3, 1, 2}, {6, 8, 2, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s(c.lines);
    EXPECT_EQ(Spans(s.T()), c.expected);
  }
}

TEST(BuildAreas, UntimedAndPictureFieldsEndTheArea) {
  Timing_Setup s({Line({{"Mor", 1, 2}, {"nin", 2, 3}, {"gly", 3, 4}, {"ly", 4, 5}})});
  s.S().Fields[2].Events.clear();
  s.S().Fields[4].Events = std::string(1, Picture_Record_Mark) + "<x=1>";
  Build_Areas(s.T(), s.S());
  EXPECT_EQ(Spans(s.T()), (std::vector<Span>{{1, 3, 1, 2}, {7, 9, 3, 4}}));
}

TEST(AddArea, ShortenedPastBlanksAndEmptyWhenOnlyBlanks) {
  Timing_Setup s({Line({{"ta ", 1, 2}, {"bra", 3, 4}})});
  Cut_Areas(s.T(), s.S(), 1, 7);
  ASSERT_EQ(s.T().Area_Count, 0);
  Add_Area(s.T(), s.S(), 1, 3, 600, 1, false);
  EXPECT_EQ(Spans(s.T()), (std::vector<Span>{{1, 2, 1, 2}}));
  Add_Area(s.T(), s.S(), 3, 3, 900, 1, false);
  const Area_Rec& blanks = s.T().Areas[static_cast<std::size_t>(s.T().Last_Area)];
  EXPECT_GT(blanks.Starting_Character, blanks.Ending_Character);
  EXPECT_EQ(blanks.Starting_Time, 0);
  EXPECT_EQ(blanks.Ending_Time, 0);
  // An empty area draws nothing and never starts.
  Replay_Events(s.T(), s.S(), s.ui, 5);
  EXPECT_FALSE(blanks.Started);
}

TEST(CutAreas, TimingASyllableInsideAnAreaSplitsIt) {
  Timing_Setup s({Line({{"Mor", 1, 2}, {"nin", 2, 3}, {"gly", 3, 4}})});
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
    Timing_Setup s({Line({{"Mor ", 1, 2}, {"nin", 2, 3}})});
    Cut_Areas(s.T(), s.S(), c.first, c.last);
    EXPECT_EQ(Spans(s.T()), c.expected);
  }
}

// Replay -------------------------------------------------------------------------------------

struct Replay_Setup : Timing_Setup {
  // Without Tab mode, so no separator stands among the letters.
  Replay_Setup() : Timing_Setup({Line({{"Morning", 1, 2}})}) {
    S().Window_Controls.Set_Check("Chk_Tabmode", 0);
    Redraw_View(T(), S(), 1);
  }
  int Left() { return Field_Left(S(), 1); }
  int Right() { return Field_Right(S(), 1) - 1; }
  int Middle() { return (Left() + Right()) / 2; }
  int Wiped(int x0, int x1) {
    return testing::Row_Pixels(T(), 0, x0, x1, testing::Singer_Color(S(), 1, Role_Wiped_Body));
  }
  int Unwiped(int x0, int x1) {
    return testing::Row_Pixels(T(), 0, x0, x1, testing::Singer_Color(S(), 1, Role_Unwiped_Body));
  }
};

TEST(ReplayEvents, WipesInStepWithTheSongAndAgreesWithAFullRedraw) {
  Replay_Setup s;
  const int letters = s.Unwiped(s.Left(), s.Right());
  ASSERT_GT(letters, 50);
  Replay_Events(s.T(), s.S(), s.ui, 0.9);
  EXPECT_EQ(s.Wiped(0, Timing_View_Width - 1), 0) << "nothing before the syllable's time";
  Replay_Events(s.T(), s.S(), s.ui, 1.5);
  EXPECT_GT(s.Wiped(s.Left(), s.Middle() - 3), 0);
  EXPECT_EQ(s.Wiped(s.Middle() + 3, s.Right()), 0) << "half way at half time";
  const QImage stepped = s.T().Pic_Indication.Image().copy();
  Redraw_View(s.T(), s.S(), s.T().VSc_Line_Value);
  EXPECT_EQ(s.T().Pic_Indication.Image(), stepped) << "a redraw shows what the steps drew";
  Replay_Events(s.T(), s.S(), s.ui, 2.2);
  EXPECT_EQ(s.Unwiped(s.Left(), s.Right()), 0);
  EXPECT_EQ(s.Wiped(s.Left(), s.Right()), letters);
  EXPECT_TRUE(s.T().Areas[1].Finished);
}

TEST(ResetAreas, SeekingBackRestartsAndForwardFinishesWithoutDrawing) {
  Replay_Setup s;
  Replay_Events(s.T(), s.S(), s.ui, 1.5);
  Reset_Areas(s.T(), s.S(), s.ui, 0.5);
  EXPECT_FALSE(s.T().Areas[1].Started);
  EXPECT_FALSE(s.T().Areas[1].Finished);

  Redraw_View(s.T(), s.S(), 1);
  EXPECT_EQ(s.Wiped(s.Left(), s.Right()), 0) << "seeking back shows the syllable unwiped";
  Reset_Areas(s.T(), s.S(), s.ui, 30);
  EXPECT_TRUE(s.T().Areas[1].Started);
  EXPECT_TRUE(s.T().Areas[1].Finished);
  Replay_Events(s.T(), s.S(), s.ui, 30);
  EXPECT_EQ(s.Wiped(s.Left(), s.Right()), 0) << "the replay draws no intermediate columns";
  Redraw_View(s.T(), s.S(), 1);
  EXPECT_EQ(s.Unwiped(s.Left(), s.Right()), 0) << "the position's redraw shows it wiped";
}

TEST(ResetAreas, APositionInsideAnAreaWipesUpToIt) {
  Replay_Setup s;
  Reset_Areas(s.T(), s.S(), s.ui, 1.5);
  EXPECT_TRUE(s.T().Areas[1].Started);
  Replay_Events(s.T(), s.S(), s.ui, 1.5);
  EXPECT_GT(s.Wiped(s.Left(), s.Middle() - 3), 0);
  EXPECT_EQ(s.Wiped(s.Middle() + 3, s.Right()), 0);
}

TEST(ReplayEvents, LinesOutOfViewAreWipedUnseenAndAutoScrollFollowsTheSungLine) {
  std::vector<Song_Line> lines;
  for (int n = 0; n < 30; ++n) lines.push_back(Line({{"la", 1.0 + n, 1.5 + n}}));
  Timing_Setup s(lines);
  const QRgb wiped = testing::Singer_Color(s.S(), 1, Role_Wiped_Body);
  auto wiped_in_row = [&](int row) {
    return testing::Row_Pixels(s.T(), row, 0, Timing_View_Width - 1, wiped);
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
  Timing_Setup s({Line({{"la ", 1, 2}, {"la ", 6.5, 7}, {"la ", 9, 10}, {"la", 14.5, 15}})});
  EXPECT_EQ(Find_Gaps(s.T(), s.S()), (std::vector<Gap>{{2, 6.5}, {10, 14.5}}));
}

TEST(Dumps, AreaTableAndFieldPoints) {
  Timing_Setup s({Line({{"Mor ", 1, 2}, {"nin", 2, 3}})});
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
