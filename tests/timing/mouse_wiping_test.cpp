// Mouse wiping: drags that become one-character fields with their crossing times, and the Tab
// mode clicks that pick a field or move a syllable boundary.
#include "timing/mouse_wiping.h"

#include <gtest/gtest.h>

#include <sstream>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

// Each drag is pressed at 1 s and sampled every `step` seconds at the columns given as "x3" (the
// left edge of character 4), "m3" (the middle of character 3), either with "+N" or "-N"
// columns, or "x0..x5+20" (every column between); the fields it makes, the areas and whether
// the song was started or stopped are compared with a golden file (checked once by hand).
TEST(MouseWipe, DragsMatchTheGolden) {
  struct Case {
    const char* name;
    const char* columns;
    double step = 0.1;
    bool playing = true;
    int timer = 0, tab_mode = 0;
    std::vector<std::string> lines = {"hello", "world"};
  };
  const Case cases[] = {
      {"a slow drag past the line end: a field a letter, the line break in none", "x0..x5+20",
       0.01},
      {"a skipped character wipes to its middle at the time of the sample past it",
       "x0 x0+1 m2 m4 m5"},
      {"a first jump is filled in proportion between the press and the jump", "x0 x3 x3+1 x3+2",
       1.0},
      {"a drag that goes back a little: only the samples right of the last count",
       "x0 m1 x0+1 m2 x1 m3"},
      {"stopped: nothing is wiped", "x1 x1+15 x1+30", 0.1, false},
      {"leftward: nothing is wiped", "x1 x1-3 x1-6"},
      {"within one character: nothing is wiped", "x1 x1 x1+1"},
      {"with the mouse timer the press starts the song and the release stops it", "x1 x1+15 x1+30",
       0.1, false, 1},
      {"with the mouse timer while playing the release stops the song", "x1 x1+15 x1+30", 0.1, true,
       1},
      {"in Tab mode a press picks a field", "x1 x1+15 x1+30", 0.1, true, 1, 1},
      {"over a blank into a word: a field a character, the rest of the word in none",
       "x0 x1 x2 x3 x3+1",
       0.1,
       true,
       0,
       0,
       {"ta@1-2 bra@3-4"}},
  };
  std::string golden;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s(c.lines);
    Controls& controls = s.S().Window_Controls;
    controls.Set_Check("Chk_Tabmode", c.tab_mode);
    controls.Set_Check("Chk_MouseTimer", c.timer);
    auto column = [&](const std::string& token) {
      const std::size_t sign = token.find_first_of("+-");
      const int n = std::stoi(token.substr(1, sign - 1));
      const auto at = [&](int offset) { return s.S().Char_X[static_cast<std::size_t>(offset)]; };
      const int x = token[0] == 'm' ? (at(n - 1) + at(n)) / 2 : at(n);
      return x + (sign == std::string::npos ? 0 : std::stoi(token.substr(sign)));
    };
    std::vector<int> xs;
    std::istringstream in(c.columns);
    for (std::string token; in >> token;) {
      const std::size_t range = token.find("..");
      for (int x = column(token.substr(0, range));
           x <= column(range == std::string::npos ? token : token.substr(range + 2)); ++x)
        xs.push_back(x);
    }
    golden += std::string("== ") + c.name + "\n";
    if (Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, xs[0], 5, 1.0, c.playing)
            .start_playback)
      golden += "starts the song\n";
    for (std::size_t i = 1; i < xs.size(); ++i)
      Pic_Indication_MouseMove(s.T(), s.S(), xs[i], 1.0 + c.step * static_cast<double>(i));
    if (Pic_Indication_MouseUp(s.T(), s.S(), s.ui).stop_playback) golden += "stops the song\n";
    golden += testing::Timed_Song(s);
  }
  testing::Expect_Golden("timing/mouse_drags.txt", golden);
}

TEST(TabModeClicks, RightClickSplitsAFieldAndAgainJoinsIt) {
  Timing_Setup s({"Morning@1"});
  const std::string events = s.Events(1);
  const int boundary = s.S().Char_X[3];  // between "Mor" and "ning"
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Right, boundary + 1, 5, 0, true);
  ASSERT_EQ(s.S().Field_Count, 2);
  EXPECT_EQ(s.S().Fields[1], (Field_Rec{1, 3, events}));
  EXPECT_EQ(s.S().Fields[2], (Field_Rec{4, 7, events}));
  EXPECT_EQ(Field_At_Char(s.S(), 4), 2);
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Right, boundary - 1, 5, 0, true);
  EXPECT_EQ(s.S().Fields[1], (Field_Rec{1, 7, events}));
  EXPECT_TRUE(Is_Empty(s.S().Fields[2]));
  EXPECT_EQ(Field_At_Char(s.S(), 7), 1);
}

TEST(TabModeClicks, ALeftClickOnlyPicksTheFieldToTime) {
  Timing_Setup s({"one@1 two@2", "three@3"});
  const auto before = s.S().Fields;
  s.T().Last_Release_Time = 500;
  s.T().Last_Wiped_Char = 3;
  const int x = (s.S().Char_X[4] + s.S().Char_X[5]) / 2;  // inside "two"
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, x, 10, 0, true);
  EXPECT_EQ(s.T().Current_Field, 2);
  EXPECT_EQ(s.T().Last_Release_Time, 0);
  EXPECT_EQ(s.T().Last_Wiped_Char, 0);
  EXPECT_EQ(s.S().Fields, before);
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, 3, 40, 0, true);
  EXPECT_EQ(s.T().Current_Field, 3) << "a click on the second row picks its line";
}

}  // namespace
}  // namespace lyricanvas
