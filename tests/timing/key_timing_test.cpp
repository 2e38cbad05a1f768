// Key timing: the events a Space press and release write, the consonant lead-in before the
// vowel, auto-repeat, the C and S keys, and key logs read, written and replayed.
#include "timing/key_timing.h"

#include <gtest/gtest.h>

#include "timing/key_log.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Events_Of;
using testing::Events_Text;
using testing::Timing_Setup;

// "ta bra": the blank after "ta" belongs to no field, so "bra" has k = n = 2 consonants before
// its vowel counted from the end of "ta".
TEST(PressTimingKey, ConsonantLeadIn) {
  struct Case {
    const char* name;
    const char* line;
    int field;                ///< the field pressed second (or first, after a click)
    double previous_release;  ///< packs; < 0: the field is pressed first, after a click
    double press;             ///< packs
    const char* expected;
    const char* message = nullptr;
  };
  const Case cases[] = {
      {"three consonants after a click: the lead-in event only", "stra|ta", 1, -1, 1000, "1@910"},
      {"release 20 packs before, k = n = 2: lead 20", "ta bra", 2, 980, 1000, "1@980 168@1000"},
      {"release 200 packs before: lead capped at 60", "ta bra", 2, 800, 1000, "1@940 168@1000"},
      {"press before the last release: no lead-in event, position at the vowel", "ta bra", 2, 1010,
       1000, "168@1000"},
      {"no vowel: a single event at the press", "ta hmm", 2, 900, 1000, "1@1000"},
      {"vowel first after a click: no lead-in", "e|ta", 1, -1, 1000, "1@1000"},
      {"vowel first after the previous word: no lead-in", "ta ab", 2, 900, 1000, "1@1000"},
      {"umlaut counts as a vowel", "t\u00e4", 1, -1, 1000, "1@970"},
      {"a lead-in start beyond 500 s is reported and recorded", "stra", 1, -1, 150200, "1@150110",
       "Error #3: Timediff is greater than 150000. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s({c.line});
    if (c.previous_release < 0) {
      s.Click(c.field);
    } else {
      s.Click(c.field - 1);
      s.Press(c.previous_release - 50);
      s.Release(c.previous_release);
      ASSERT_EQ(s.T().Current_Field, c.field);
    }
    s.Press(c.press);
    EXPECT_EQ(Events_Text(s.Events(c.field)), c.expected);
    ASSERT_EQ(s.recorder.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_TRUE(s.recorder.messages[0].starts_with(c.message));
    }
  }
}

TEST(PressTimingKey, ReplacesEarlierEventsAndMovesOnToTheNextSyllable) {
  Timing_Setup s({"a|b|c"});
  s.S().Fields[1].Events = Events_Of("1@5 250@9");
  s.Click(1);
  s.Press(300);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@300");
  EXPECT_EQ(s.T().Held_Field, 1);
  EXPECT_EQ(s.T().Current_Field, 2);
  EXPECT_EQ(s.T().Last_Wiped_Char, 1);
  s.Release(330);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@300 250@330");
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

/// Key events through the window's handlers: 'd' down, 'u' up.
void Keys(Timing_Setup& s, Timing_Key key, const std::string& strokes) {
  for (char stroke : strokes) {
    if (stroke == 'd')
      Form_KeyDown(s.T(), s.S(), s.ui, key, 3, true);
    else
      Form_KeyUp(s.T(), s.S(), key, 3);
  }
}

TEST(FormKeys, CClearsAndSSkipsBothMarkingTheNextSyllable) {
  struct Case {
    Timing_Key key;
    bool keeps_events;
  };
  for (Case c : {Case{Timing_Key::C, false}, Case{Timing_Key::S, true}}) {
    SCOPED_TRACE(c.key == Timing_Key::C ? "C" : "S");
    Timing_Setup s({"la|le|li"});
    const std::string timed = Events_Of("1@100 250@200");
    s.S().Fields[2].Events = timed;
    s.Click(2);
    Keys(s, c.key, "ddu");
    EXPECT_EQ(s.Events(2), c.keeps_events ? timed : std::string());
    EXPECT_EQ(s.T().Current_Field, 3) << "held down, the key moved on once";
    EXPECT_EQ(s.T().Last_Wiped_Char, s.S().Fields[2].Last_Char);
    EXPECT_GT(s.Pixels(0, Field_Left(s.S(), 3), Field_Right(s.S(), 3) - 1, Mark_White), 100)
        << "the next syllable is highlighted";
  }
}

TEST(FormKeys, SpaceTimesNothingWhenStoppedOrWithoutTabMode) {
  for (bool playing : {false, true}) {
    Timing_Setup s({"ta|ta"});
    s.S().Window_Controls.Set_Check("Chk_Tabmode", playing ? 0 : 1);
    s.Click(1);
    const Key_Result down = Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::Space, 1, playing);
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
  Timing_Setup s({"one|two", "three|four", "five"});
  s.Click(3);
  Keys(s, Timing_Key::Down, "d");
  EXPECT_EQ(s.T().Current_Field, 5);
  Keys(s, Timing_Key::Up, "ddd");
  EXPECT_EQ(s.T().Current_Field, 1) << "the first line is as far up as it goes";
  EXPECT_EQ(s.T().Last_Wiped_Char, 0);
  EXPECT_TRUE(Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::B, 0, true).warp_back);
}

TEST(KeyLog, ReadsEventsCommentsAndBlankLinesAndReadsBackWhatItWrites) {
  std::string error;
  const auto events = Parse_Key_Log(
      "# a session\n1.5 press\n\n  2 release   # end of the first\r\n2.5\tclear\n3 skip\n"
      "3 up\n3.25 down\n4.125 back",
      error);
  ASSERT_TRUE(events) << error;
  EXPECT_EQ(*events, (std::vector<Logged_Key>{{1.5, Log_Key::Press},
                                              {2, Log_Key::Release},
                                              {2.5, Log_Key::Clear},
                                              {3, Log_Key::Skip},
                                              {3, Log_Key::Up},
                                              {3.25, Log_Key::Down},
                                              {4.125, Log_Key::Back}}));
  EXPECT_EQ(Parse_Key_Log(Write_Key_Log(*events), error), events) << error;
}

TEST(ParseKeyLog, RefusesMalformedLinesNamingThem) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"1 press\nfoo", "line 2: expected SECONDS KEY"},
      {"x press", "line 1: 'x' is not a time in seconds"},
      {"-1 press", "line 1: '-1' is not a time in seconds"},
      {"nan press", "line 1: 'nan' is not a time in seconds"},
      {"inf press", "line 1: 'inf' is not a time in seconds"},
      {"1e400 press", "line 1: '1e400' is not a time in seconds"},
      {"1.5s press", "line 1: '1.5s' is not a time in seconds"},
      {"1 jump", "line 1: unknown key 'jump'"},
      {"1 press release", "line 1: unknown key 'press release'"},
      {"2 press\n1 release", "line 2: the time goes back"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    EXPECT_FALSE(Parse_Key_Log(c.text, error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(ReplayKeyLog, TimesTheSongFromTheFirstSyllableAndRecordsTheSameLog) {
  Timing_Setup s({"la|la la"});
  const std::vector<Logged_Key> log{{1.0, Log_Key::Press}, {1.2, Log_Key::Release},
                                    {2.0, Log_Key::Skip},  {3.0, Log_Key::Press},
                                    {3.1, Log_Key::Press}, {3.4, Log_Key::Release}};
  s.T() = Timing_Editor{};
  Begin_Key_Session(s.T(), s.S());
  EXPECT_EQ(s.T().Current_Field, 1) << "as if the first syllable had been clicked";
  Replay_Key_Log(s.T(), s.S(), s.ui, log);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@270 250@360");
  EXPECT_TRUE(s.Events(2).empty()) << "skipped";
  EXPECT_EQ(Events_Text(s.Events(3)), "1@870 126@900 250@1020")
      << "the repeated press acted once; the lead-in covers the consonant before the vowel";
  std::vector<Logged_Key> recorded = log;
  recorded.erase(recorded.begin() + 4);  // the auto-repeat is not acted on, so not logged
  EXPECT_EQ(s.T().Key_Log, recorded);
}

}  // namespace
}  // namespace lyricanvas
