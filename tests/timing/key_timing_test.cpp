// Key timing: the events a Space press and release write, the consonant lead-in before the
// vowel, auto-repeat, and the C and S keys.
#include "timing/key_timing.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Decoded;
using testing::Events_Of;
using testing::Timing_Setup;
using testing::Untimed_Lines;
using Events = std::vector<std::pair<int, std::int64_t>>;

// "ta bra": the blank after "ta" belongs to no field, so "bra" has k = n = 2 consonants before
// its vowel counted from the end of "ta".
TEST(PressTimingKey, ConsonantLeadIn) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int field;                ///< the field pressed second (or first, after a click)
    double previous_release;  ///< packs; < 0: the field is pressed first, after a click
    double press;             ///< packs
    Events expected;
    const char* message = nullptr;
  };
  const Case cases[] = {
      {"three consonants after a click: the lead-in event only",
       {"stra|ta"},
       1,
       -1,
       1000,
       {{1, 910}}},
      {"release 20 packs before, k = n = 2: lead 20",
       {"ta bra"},
       2,
       980,
       1000,
       {{1, 980}, {168, 1000}}},
      {"release 200 packs before: lead capped at 60",
       {"ta bra"},
       2,
       800,
       1000,
       {{1, 940}, {168, 1000}}},
      {"press before the last release: no lead-in event, position at the vowel",
       {"ta bra"},
       2,
       1010,
       1000,
       {{168, 1000}}},
      {"no vowel: a single event at the press", {"ta hmm"}, 2, 900, 1000, {{1, 1000}}},
      {"vowel first after a click: no lead-in", {"e|ta"}, 1, -1, 1000, {{1, 1000}}},
      {"vowel first after the previous word: no lead-in", {"ta ab"}, 2, 900, 1000, {{1, 1000}}},
      {"umlaut counts as a vowel", {"t\u00e4"}, 1, -1, 1000, {{1, 970}}},
      {"a lead-in start beyond 500 s is reported and recorded",
       {"stra"},
       1,
       -1,
       150200,
       {{1, 150110}},
       "Error #3: Timediff is greater than 150000. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s(Untimed_Lines(c.lines), true);
    if (c.previous_release < 0) {
      s.Click(c.field);
    } else {
      s.Click(c.field - 1);
      s.Press(c.previous_release - 50);
      s.Release(c.previous_release);
      ASSERT_EQ(s.T().Current_Field, c.field);
    }
    s.Press(c.press);
    EXPECT_EQ(Decoded(s.Events(c.field)), c.expected);
    ASSERT_EQ(s.recorder.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_TRUE(s.recorder.messages[0].starts_with(c.message));
    }
  }
}

TEST(PressTimingKey, ReplacesEarlierEventsAndMovesOnToTheNextSyllable) {
  Timing_Setup s(Untimed_Lines({"a|b|c"}), true);
  s.S().Fields[1].Events = Events_Of({{1, 5}, {250, 9}});
  s.Click(1);
  s.Press(300);
  EXPECT_EQ(Decoded(s.Events(1)), (Events{{1, 300}}));
  EXPECT_EQ(s.T().Held_Field, 1);
  EXPECT_EQ(s.T().Current_Field, 2);
  EXPECT_EQ(s.T().Last_Wiped_Char, 1);
  s.Release(330);
  EXPECT_EQ(Decoded(s.Events(1)), (Events{{1, 300}, {250, 330}}));
  EXPECT_EQ(s.T().Last_Release_Time, 330);
  EXPECT_DOUBLE_EQ(s.T().Areas[s.T().Last_Area].Ending_Time, 1.1);
  // A picture field keeps its record, but the timing moves on.
  const std::string record = std::string(1, Picture_Record_Mark) + "<Appearance_effect=1>";
  s.S().Fields[2].Events = record;
  s.Press(400);
  s.Release(420);
  EXPECT_EQ(s.Events(2), record);
  EXPECT_EQ(s.T().Current_Field, 3);
}

// Keys through the window's handlers ------------------------------------------------------------

struct Key_Step {
  Timing_Key key;
  bool down;
  double seconds;
};

void Send_Keys(Timing_Setup& s, const std::vector<Key_Step>& steps) {
  for (const Key_Step& k : steps) {
    if (k.down)
      Form_KeyDown(s.T(), s.S(), s.ui, k.key, k.seconds);
    else
      Form_KeyUp(s.T(), s.S(), k.key, k.seconds);
  }
}

TEST(FormKeys, CClearsAndSSkipsBothMarkingTheNextSyllable) {
  struct Case {
    Timing_Key key;
    bool keeps_events;
  };
  for (Case c : {Case{Timing_Key::C, false}, Case{Timing_Key::S, true}}) {
    SCOPED_TRACE(c.key == Timing_Key::C ? "C" : "S");
    Timing_Setup s(Untimed_Lines({"la|le|li"}), true);
    const std::string timed = Events_Of({{1, 100}, {250, 200}});
    s.S().Fields[2].Events = timed;
    s.Click(2);
    Send_Keys(s, {{c.key, true, 3}, {c.key, true, 3.1}, {c.key, false, 3.2}});
    EXPECT_EQ(s.Events(2), c.keeps_events ? timed : std::string());
    EXPECT_EQ(s.T().Current_Field, 3) << "held down, the key moved on once";
    EXPECT_EQ(s.T().Last_Wiped_Char, s.S().Fields[2].Last_Char);
    const int row = Row_Of_Line(s.T(), 1);
    EXPECT_GT(testing::Row_Pixels(s.T(), row, Field_Left(s.S(), 3), Field_Right(s.S(), 3) - 1,
                                  Mark_White),
              100)
        << "the next syllable is highlighted";
  }
}

TEST(FormKeys, SpaceTimesNothingWhenStoppedOrWithoutTabMode) {
  for (bool playing : {false, true}) {
    Timing_Setup s(Untimed_Lines({"ta|ta"}), true);
    s.S().Window_Controls.Set_Check("Chk_Tabmode", playing ? 0 : 1);
    s.T().Is_Playing = playing;
    s.Click(1);
    const Key_Result down = Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::Space, 1);
    EXPECT_EQ(down.consumed, playing) << "stopped, the key reaches the focused control";
    Form_KeyUp(s.T(), s.S(), Timing_Key::Space, 1.5);
    EXPECT_TRUE(s.Events(1).empty());
    EXPECT_EQ(s.T().Current_Field, 1);
  }
}

TEST(FormKeys, KeyDelayIsTakenOffInSongTime) {
  struct Case {
    const char* delay_ms;
    bool half_speed;
    double expected_packs;
  };
  for (Case c : {Case{"0", false, 3000}, Case{"100", false, 2970}, Case{"100", true, 2985},
                 Case{"-50", false, 3000}, Case{"junk", false, 3000}}) {
    SCOPED_TRACE(std::string(c.delay_ms) + (c.half_speed ? " at half speed" : ""));
    Song song;
    song.Window_Controls.Set_Text("Txt_KeyDelay", c.delay_ms);
    song.Window_Controls.Set_Check("Chk_HalfSpeed", c.half_speed ? 1 : 0);
    EXPECT_EQ(Key_Time_Packs(song, 10.0), c.expected_packs);
  }
}

TEST(FormKeys, ArrowsMoveTheCurrentFieldBetweenLinesAndBAsksToGoBack) {
  Timing_Setup s(Untimed_Lines({"one|two", "three|four", "five"}), true);
  s.Click(3);
  Send_Keys(s, {{Timing_Key::Down, true, 0}});
  EXPECT_EQ(s.T().Current_Field, 5);
  Send_Keys(s, {{Timing_Key::Up, true, 0}, {Timing_Key::Up, true, 0}, {Timing_Key::Up, true, 0}});
  EXPECT_EQ(s.T().Current_Field, 1) << "the first line is as far up as it goes";
  EXPECT_EQ(s.T().Last_Wiped_Char, 0);
  EXPECT_TRUE(Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::B, 0).warp_back);
}

}  // namespace
}  // namespace lyricanvas
