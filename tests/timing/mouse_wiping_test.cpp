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
  Drag_Setup() : Timing_Setup({"hello"}) { S().Window_Controls.Set_Check("Chk_Tabmode", 0); }
  bool playing = true;
  int X(int offset) { return S().Char_X[static_cast<std::size_t>(offset)]; }
  /// Drags along the samples (x, seconds); the first is the press.
  void Drag(const std::vector<std::pair<int, double>>& samples) {
    Pic_Indication_MouseDown(T(), S(), Mouse_Button::Left, samples[0].first, 5, samples[0].second,
                             playing);
    for (std::size_t i = 1; i < samples.size(); ++i)
      Pic_Indication_MouseMove(T(), S(), samples[i].first, samples[i].second);
    Pic_Indication_MouseUp(T(), S(), ui);
  }
};

TEST(MouseWipe, ASlowDragMakesOneFieldPerCharacterWithRisingTimes) {
  Drag_Setup s;
  std::vector<std::pair<int, double>> samples;
  for (int x = s.X(0); x < s.X(5) - 1; ++x) samples.push_back({x, 1.0 + 0.01 * (x - s.X(0))});
  s.Drag(samples);
  std::int64_t previous = -1;
  for (int c = 1; c <= 5; ++c) {
    SCOPED_TRACE("character " + std::to_string(c));
    const int f = Field_At_Char(s.S(), c);
    ASSERT_GT(f, 0);
    EXPECT_EQ(s.S().Fields[f].First_Char, c);
    EXPECT_EQ(s.S().Fields[f].Last_Char, c);
    std::istringstream events(Events_Text(s.Events(f)));
    int p = 0;
    char at = 0;
    std::int64_t t = 0;
    ASSERT_TRUE(events >> p >> at >> t);
    do {
      EXPECT_GT(t, previous) << "times rise left to right";
      EXPECT_GE(p, 1);
      EXPECT_LE(p, 250);
      previous = t;
    } while (events >> p >> at >> t);
  }
  EXPECT_TRUE(Is_Empty(s.S().Fields[1])) << "the old field of the word is gone";
  ASSERT_EQ(s.T().Area_Count, 1);
  EXPECT_EQ(s.T().Areas[1].Starting_Character, 1);
  EXPECT_EQ(s.T().Areas[1].Ending_Character, 5);
}

TEST(MouseWipe, ACharacterSkippedByAFastDragWipesToItsMiddleAtTheLastTime) {
  Drag_Setup s;
  auto middle = [&](int c) { return (s.X(c - 1) + s.X(c)) / 2; };
  s.Drag({{s.X(0), 1.0}, {s.X(0) + 1, 1.1}, {middle(2), 1.2}, {middle(4), 1.3}, {middle(5), 1.4}});
  EXPECT_EQ(Events_Text(s.Events(Field_At_Char(s.S(), 3))), "125@360");
  EXPECT_EQ(Event_Time_Packs(s.Events(Field_At_Char(s.S(), 4)), 1), 390);
}

TEST(MouseWipe, AFirstJumpOfThreePixelsOrMoreIsFilledWithInterpolatedSamples) {
  Drag_Setup s;
  const int x0 = s.X(0);
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, x0, 5, 1.0, true);
  for (auto [x, t] : {std::pair{x0 + 10, 2.0}, {x0 + 11, 2.1}, {x0 + 12, 2.2}})
    Pic_Indication_MouseMove(s.T(), s.S(), x, t);
  Finish_Mouse_Wipe(s.T(), s.S(), s.ui);
  EXPECT_EQ(s.T().Sample_Count, 12);
  for (int i = 1; i <= 9; ++i) {
    EXPECT_EQ(s.T().Sample_X[i], x0 + i);
    EXPECT_NEAR(s.T().Sample_Time[i], 1.0 + 0.1 * i, 1e-9);
  }
  EXPECT_EQ(s.T().Sample_X[10], x0 + 10);
}

TEST(MouseWipe, NothingIsWipedWithoutPlaybackOrRightwardMotion) {
  struct Case {
    const char* name;
    bool playing;
    std::vector<int> moves;  ///< x offsets from the press, left or right
  };
  const Case cases[] = {{"stopped", false, {5, 30}},
                        {"leftward only", true, {-3, -6}},
                        {"within one character", true, {1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drag_Setup s;
    s.playing = c.playing;
    std::vector<std::pair<int, double>> samples{{s.X(1), 1.0}};
    for (int dx : c.moves) samples.push_back({s.X(1) + dx, 1.5});
    const int fields_before = s.S().Field_Count;
    s.Drag(samples);
    EXPECT_EQ(s.S().Field_Count, fields_before);
    EXPECT_EQ(Field_At_Char(s.S(), 1), 1);
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
  EXPECT_EQ(s.T().Held_Field, 2);
  EXPECT_EQ(s.T().Clicked_Field, 2);
  EXPECT_EQ(s.T().Current_Line, 1);
  EXPECT_EQ(s.T().Last_Release_Time, 0);
  EXPECT_EQ(s.T().Last_Wiped_Char, 0);
  EXPECT_EQ(s.S().Fields, before);
  Pic_Indication_MouseDown(s.T(), s.S(), Mouse_Button::Left, 3, 40, 0, true);
  EXPECT_EQ(s.T().Current_Field, 3) << "a click on the second row picks its line";
}

}  // namespace
}  // namespace lyricanvas
