// Key timing: the events a Space press and release write, the consonant lead-in before the
// vowel, auto-repeat, the C and S keys, and key logs read, written and replayed.
#include "timing/key_timing.h"

#include <gtest/gtest.h>

#include "timing/key_log.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

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
      {"3 consonants after a click: lead-in event only", "stra|ta", 1, -1, 1000, "1@910"},
      {"released 20 packs before, k = n = 2: lead 20", "ta bra", 2, 980, 1000, "1@980 168@1000"},
      {"released 200 packs before: lead capped at 60", "ta bra", 2, 800, 1000, "1@940 168@1000"},
      {"pressed before the release: at the vowel only", "ta bra", 2, 1010, 1000, "168@1000"},
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
  s.S().Fields[1].Events = Encode_Event(1, 5) + Encode_Event(250, 9);
  s.Click(1);
  s.Press(300);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@300");
  EXPECT_EQ(s.T().Current_Field, 2);
  s.Release(330);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@300 250@330");
  EXPECT_DOUBLE_EQ(s.T().Areas[s.T().Last_Area].Ending_Time, 1.1);
  // A picture field keeps its record, but the timing moves on.
  const std::string record = std::string(1, Picture_Record_Mark) + "<Appearance_effect=1>";
  s.S().Fields[2].Events = record;
  s.Press(400);
  s.Release(420);
  EXPECT_EQ(s.Events(2), record);
  EXPECT_EQ(s.T().Current_Field, 3);
}

/// Key events through the window's handlers: 'd' down, 'u' up; true when the first down was
/// taken by the view (and so does not reach the focused control).
bool Keys(Timing_Setup& s, Timing_Key key, const std::string& strokes, bool playing = true) {
  bool consumed = false;
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    if (strokes[i] == 'u')
      Form_KeyUp(s.T(), s.S(), key, 3);
    else if (Form_KeyDown(s.T(), s.S(), s.ui, key, 3, playing).consumed && i == 0)
      consumed = true;
  }
  return consumed;
}

TEST(FormKeys, CClearsSSkipsAndSpaceTimesOnlyWhilePlayingInTabMode) {
  struct Case {
    Timing_Key key;
    bool playing;
    int tab_mode;
    bool clears;
    int next;  ///< the current field afterwards
  };
  for (Case c :
       {Case{Timing_Key::C, true, 1, true, 3}, Case{Timing_Key::S, true, 1, false, 3},
        Case{Timing_Key::Space, false, 1, false, 2}, Case{Timing_Key::Space, true, 0, false, 2}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.key)) + " playing " + std::to_string(c.playing));
    Timing_Setup s({"la|le|li"});
    s.S().Window_Controls.Set_Check("Chk_Tabmode", c.tab_mode);
    const std::string timed = Encode_Event(1, 100) + Encode_Event(250, 200);
    s.S().Fields[2].Events = timed;
    s.Click(2);
    EXPECT_EQ(Keys(s, c.key, "ddu", c.playing), c.playing) << "stopped, it reaches the control";
    EXPECT_EQ(s.Events(2), c.clears ? std::string() : timed);
    EXPECT_EQ(s.T().Current_Field, c.next) << "held down, the key moved on once";
    if (c.next == 3) {
      EXPECT_EQ(s.T().Last_Wiped_Char, s.S().Fields[2].Last_Char);
      EXPECT_GT(s.Pixels(0, Field_Left(s.S(), 3), Field_Right(s.S(), 3) - 1, Mark_White), 100)
          << "the next syllable is highlighted";
    }
  }
}

TEST(FormKeys, KeyDelayIsTakenOffInSongTime) {
  struct Case {
    const char* delay_ms;
    int half_speed, packs;
  };
  for (Case c : {Case{"0", 0, 3000}, Case{"100", 0, 2970}, Case{"100", 1, 2985},
                 Case{"-50", 0, 3000}, Case{"junk", 0, 3000}}) {
    Song song;
    song.Window_Controls.Set_Text("Txt_KeyDelay", c.delay_ms);
    song.Window_Controls.Set_Check("Chk_HalfSpeed", c.half_speed);
    EXPECT_EQ(Key_Time_Packs(song, 10.0), c.packs) << c.delay_ms << " half speed " << c.half_speed;
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

TEST(KeyLog, ReadsEventsCommentsAndBlankLinesReadsBackWhatItWritesAndNamesBadLines) {
  using enum Log_Key;
  std::string error;
  const auto events = Parse_Key_Log(
      "# a session\n1.5 press\n\n  2 release   # end of the first\r\n2.5\tclear\n3 skip\n"
      "3 up\n3.25 down\n4.125 back\n1 press",
      error);
  ASSERT_TRUE(events) << error;
  using K = Logged_Key;
  EXPECT_EQ(*events, (std::vector{K{1.5, Press}, K{2, Release}, K{2.5, Clear}, K{3, Skip}, K{3, Up},
                                  K{3.25, Down}, K{4.125, Back}, K{1, Press}}))
      << "only the time after going back may be earlier";
  EXPECT_EQ(Parse_Key_Log(Write_Key_Log(*events), error), events) << error;
  for (auto [text, message] : {std::pair{"1 press\nfoo", "line 2: expected SECONDS KEY"},
                               {"x press", "line 1: 'x' is not a time in seconds"},
                               {"-1 press", "line 1: '-1' is not a time in seconds"},
                               {"nan press", "line 1: 'nan' is not a time in seconds"},
                               {"1.5s press", "line 1: '1.5s' is not a time in seconds"},
                               {"1 press release", "line 1: unknown key 'press release'"},
                               {"2 press\n1 release", "line 2: the time goes back"}}) {
    EXPECT_FALSE(Parse_Key_Log(text, error)) << text;
    EXPECT_EQ(error, message);
  }
}

TEST(ReplayKeyLog, TimesTheSongFromTheFirstSyllableAndRecordsTheSameLog) {
  Timing_Setup s({"la|la la"});
  const std::vector<Logged_Key> log{
      {1.0, Log_Key::Press}, {1.2, Log_Key::Release}, {2.0, Log_Key::Skip},   {3.0, Log_Key::Press},
      {3.1, Log_Key::Press}, {3.3, Log_Key::Back},    {1.6, Log_Key::Release}};
  s.T() = Timing_Editor{};
  Begin_Key_Session(s.T(), s.S());
  EXPECT_EQ(s.T().Current_Field, 1) << "as if the first syllable had been clicked";
  Replay_Key_Log(s.T(), s.S(), s.ui, log);
  EXPECT_EQ(Events_Text(s.Events(1)), "1@270 250@360");
  EXPECT_TRUE(s.Events(2).empty()) << "skipped";
  EXPECT_EQ(Events_Text(s.Events(3)), "1@870 126@900 250@990")
      << "the repeated press acted once; the lead-in covers the consonant before the vowel; "
         "B released the held syllable before the song went back";
  // The auto-repeat is not acted on, so not logged; B logs the release it made, and the key up
  // after going back releases nothing.
  std::vector<Logged_Key> recorded(log.begin(), log.begin() + 4);
  recorded.insert(recorded.end(), {{3.3, Log_Key::Release}, {3.3, Log_Key::Back}});
  EXPECT_EQ(s.T().Key_Log, recorded);
}

}  // namespace
}  // namespace lyricanvas
