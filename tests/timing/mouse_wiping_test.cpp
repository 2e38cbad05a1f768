// Mouse wiping: drags that become one-character fields with their crossing times, and the Tab
// mode clicks that pick a field or move a syllable boundary.
#include "timing/mouse_wiping.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Events_Text;
using testing::Timing_Setup;

struct Drag_Setup : Timing_Setup {
  Drag_Setup() : Timing_Setup({"hello", "world"}) {
    S().Window_Controls.Set_Check("Chk_Tabmode", 0);
  }
  int X(int offset) { return S().Char_X[static_cast<std::size_t>(offset)]; }
  int Middle(int c) { return (X(c - 1) + X(c)) / 2; }
  /// Drags along the columns, the first pressed at 1 s, each next `step` seconds later.
  void Drag(const std::vector<int>& xs, double step = 0.1, bool playing = true) {
    Pic_Indication_MouseDown(T(), S(), Mouse_Button::Left, xs[0], 5, 1.0, playing);
    for (std::size_t i = 1; i < xs.size(); ++i)
      Pic_Indication_MouseMove(T(), S(), xs[i], 1.0 + step * static_cast<double>(i));
    Pic_Indication_MouseUp(T(), S(), ui);
  }
  std::string Char_Events(int c) { return Events_Text(Events(Field_At_Char(S(), c))); }
};

TEST(MouseWipe, ASlowDragPastTheLineEndMakesOneFieldPerLetterWithRisingTimes) {
  Drag_Setup s;
  std::vector<int> xs;
  for (int x = s.X(0); x < s.X(5) + 20; ++x) xs.push_back(x);
  s.Drag(xs, 0.01);
  std::int64_t previous = -1;
  for (int c = 1; c <= 5; ++c) {
    SCOPED_TRACE("character " + std::to_string(c));
    const Field_Rec& field = s.S().Fields[static_cast<std::size_t>(Field_At_Char(s.S(), c))];
    EXPECT_EQ(field.First_Char, c);
    EXPECT_EQ(field.Last_Char, c) << "the line break belongs to no field";
    ASSERT_GT(Event_Count(field.Events), 0);
    for (int k = 1; k <= Event_Count(field.Events); ++k) {
      EXPECT_GT(Event_Time_Packs(field.Events, k), previous) << "times rise left to right";
      previous = Event_Time_Packs(field.Events, k);
    }
  }
  EXPECT_TRUE(Is_Empty(s.S().Fields[1])) << "the old field of the word is gone";
  ASSERT_EQ(s.T().Area_Count, 1);
  EXPECT_EQ(s.T().Areas[1].Starting_Character, 1);
  EXPECT_EQ(s.T().Areas[1].Ending_Character, 5);
}

TEST(MouseWipe, FastDrags) {
  // A character skipped by the drag wipes to its middle at the time of the sample past it.
  Drag_Setup s;
  s.Drag({s.X(0), s.X(0) + 1, s.Middle(2), s.Middle(4), s.Middle(5)});
  EXPECT_EQ(s.Char_Events(3), "125@360");
  EXPECT_EQ(Event_Time_Packs(s.Events(Field_At_Char(s.S(), 4)), 1), 390);
  // A first jump is filled with samples in proportion between the press and the jump.
  Drag_Setup jump;
  jump.Drag({jump.X(0), jump.X(3), jump.X(3) + 1, jump.X(3) + 2}, 1.0);
  EXPECT_EQ(jump.Char_Events(1),
            "1@300 19@308 37@317 55@326 72@335 90@344 108@352 126@361 144@370 162@379 180@388 "
            "197@397 215@405 233@414");
}

TEST(MouseWipe, NothingIsWipedWithoutPlaybackOrRightwardMotion) {
  for (auto [playing, dx] : {std::pair{false, 30}, {true, -6}, {true, 1}}) {
    Drag_Setup s;  // stopped, leftward only, within one character
    const int fields_before = s.S().Field_Count;
    s.Drag({s.X(1), s.X(1) + dx / 2, s.X(1) + dx}, 0.1, playing);
    EXPECT_EQ(s.S().Field_Count, fields_before) << playing << dx;
    EXPECT_EQ(Field_At_Char(s.S(), 1), 1);
  }
}

TEST(MouseWipe, WithTheMouseTimerThePressStartsTheSongAndTheReleaseStopsIt) {
  struct Case {
    int timer, tab_mode;
    bool playing, starts, stops;
  };
  for (Case c : {Case{1, 0, false, true, true}, Case{1, 0, true, false, true},
                 Case{0, 0, true, false, false}, Case{1, 1, true, false, false}}) {
    SCOPED_TRACE("timer " + std::to_string(c.timer) + " tab mode " + std::to_string(c.tab_mode) +
                 " playing " + std::to_string(c.playing));
    Drag_Setup s;
    s.S().Window_Controls.Set_Check("Chk_MouseTimer", c.timer);
    s.S().Window_Controls.Set_Check("Chk_Tabmode", c.tab_mode);
    EXPECT_EQ(Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, s.X(0), 5, 1.0, c.playing)
                  .start_playback,
              c.starts);
    Pic_Indication_MouseMove(s.T(), s.S(), s.X(3), 1.5);
    EXPECT_EQ(Pic_Indication_MouseUp(s.T(), s.S(), s.ui).stop_playback, c.stops);
  }
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
