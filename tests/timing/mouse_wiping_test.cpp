// Mouse wiping: drags that become one-character fields with their crossing times, and the Tab
// mode clicks that pick a field or move a syllable boundary.
#include "timing/mouse_wiping.h"

#include <gtest/gtest.h>

#include <sstream>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

// Each drag is pressed at 1 s (on the first row unless "y 40") and sampled every 0.1 s (or
// "step" seconds) at the columns "x3" (the left edge of character 4), "m3" (the middle of
// character 3), either with "+N" or "-N" columns, or "x0..x5+20" (every column between), while
// the song plays (unless "stopped"), with "timer" (the mouse timer) and "tab" (Tab mode) if
// given; "right x3" is a right click there instead. The fields it makes, the areas and whether the
// song was started or stopped are compared with a golden file (checked once by hand).
TEST(MouseWipe, DragsMatchTheGolden) {
  struct Case {
    const char* name;
    const char* drag;
    const char* lines = "hello/world";
  };
  const Case cases[] = {
      {"a slow drag past the line end: a field a letter, the line break in none",
       "step 0.01 x0..x5+20"},
      {"a skipped character wipes to its middle at the time of the sample past it",
       "x0 x0+1 m2 m4 m5"},
      {"a first jump is filled in proportion between the press and the jump",
       "step 1 x0 x3 x3+1 x3+2"},
      {"a drag that goes back a little: only the samples right of the last count",
       "x0 m1 x0+1 m2 x1 m3"},
      {"stopped: nothing is wiped", "stopped x1 x1+15 x1+30"},
      {"leftward: nothing is wiped", "x1 x1-3 x1-6"},
      {"within one character: nothing is wiped", "x1 x1 x1+1"},
      {"with the mouse timer the press starts the song and the release stops it",
       "stopped timer x1 x1+15 x1+30"},
      {"with the mouse timer while playing the release stops the song", "timer x1 x1+15 x1+30"},
      {"in Tab mode a press picks a field", "tab timer x1 x1+15 x1+30"},
      {"in Tab mode a click picks the field under it", "tab m5", "one@1 two@2/three@3"},
      {"in Tab mode a click on the second row picks its line's first field", "tab y 40 x0+3",
       "one@1 two@2/three@3"},
      {"in Tab mode a right click splits a syllable", "tab right x3+1", "Morning@1"},
      {"and a right click on the boundary joins them again", "tab right x3+1 right x3-1",
       "Morning@1"},
      {"from the middle of a word: its start keeps no field", "x2 x3 x3+1", "Mor@1-2 nin@2-3"},
      {"over a blank into a word: a field a character, the rest of the word in none",
       "x0 x1 x2 x3 x3+1", "ta@1-2 bra@3-4"},
  };
  std::string golden;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s({c.lines});
    Controls& controls = s.S().Window_Controls;
    controls.Set_Check("Chk_Tabmode", 0);
    auto column = [&](const std::string& token) {
      const std::size_t sign = token.find_first_of("+-");
      const int n = std::stoi(token.substr(1, sign - 1));
      const auto at = [&](int offset) { return s.S().Char_X[static_cast<std::size_t>(offset)]; };
      const int x = token[0] == 'm' ? (at(n - 1) + at(n)) / 2 : at(n);
      return x + (sign == std::string::npos ? 0 : std::stoi(token.substr(sign)));
    };
    std::vector<int> xs;
    double step = 0.1;
    int y = 5;
    bool playing = true;
    std::istringstream in(c.drag);
    for (std::string token; in >> token;) {
      const std::size_t range = token.find("..");
      if (token == "stopped")
        playing = false;
      else if (token == "timer" || token == "tab")
        controls.Set_Check(token == "tab" ? "Chk_Tabmode" : "Chk_MouseTimer", 1);
      else if (token == "step")
        in >> step;
      else if (token == "y")
        in >> y;
      else if (token == "right" && in >> token)
        Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Right, column(token), y, 0, playing);
      else
        for (int x = column(token.substr(0, range));
             x <= column(range == std::string::npos ? token : token.substr(range + 2)); ++x)
          xs.push_back(x);
    }
    golden += std::string("== ") + c.name + "\n";
    if (!xs.empty() &&
        Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, xs[0], y, 1.0, playing)
            .start_playback)
      golden += "starts the song\n";
    for (std::size_t i = 1; i < xs.size(); ++i)
      Pic_Indication_MouseMove(s.T(), s.S(), xs[i], 1.0 + step * static_cast<double>(i));
    if (!xs.empty() && Pic_Indication_MouseUp(s.T(), s.S(), s.ui).stop_playback)
      golden += "stops the song\n";
    golden += testing::Timed_Song(s);
  }
  testing::Expect_Golden("timing/mouse_drags.txt", golden);
}

}  // namespace
}  // namespace lyricanvas
