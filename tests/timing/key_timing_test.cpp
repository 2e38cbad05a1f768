// Key timing: key scripts replayed through the key handlers (the events a Space press and release
// write, the consonant lead-in before the vowel, auto-repeat, the C, S, B and arrow keys, the key
// delay, the wipe areas), the keys that reach other controls, and key logs read and written.
#include "timing/key_timing.h"

#include <gtest/gtest.h>

#include "timing/key_log.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Timing_Setup;

// Each script is replayed from the song's first syllable; the fields' events, the current field,
// the areas, the messages and the logged keys are compared with a golden file (checked once by
// hand). The lead-in before a vowel is 30 packs a consonant after a click; after a release it
// spreads the time since over the k of the n consonants not yet wiped, at most 30 packs each.
TEST(KeyScripts, TimedSongsMatchTheGolden) {
  struct Case {
    const char* name;
    const char* lines;  ///< one line of syllables, or several split by '/'
    const char* log;
    int picture = 0;            ///< a field made a picture
    const char* controls = "";  ///< "Name=value ...", check boxes and text boxes
  };
  const Case cases[] = {
      {"after a click: 3 consonants, a lead-in event only", "stra|ta", "4 press"},
      {"released 18 packs before, k = n = 2: lead 18", "ta bra",
       "3 press\n3.25 release\n3.3125 press"},
      {"released 225 packs before: lead capped at 60", "ta bra", "3 press\n3.25 release\n4 press"},
      {"pressed before the release, after going back: at the vowel only", "ta bra",
       "3 press\n3.5 release\n3.6 back\n3.25 press"},
      {"no vowel: a single event at the press", "ta hmm", "3 press\n3.25 release\n3.5 press"},
      {"a vowel first: no lead-in", "e|ta ab",
       "3 press\n3.25 release\n3.5 press\n4 release\n4.5 press"},
      {"an umlaut is a vowel", "t\u00e4", "3 press"},
      {"a lead-in start beyond 500 s is reported and recorded", "stra", "501 press"},
      {"a press replaces earlier events; a picture keeps its record", "a@.01-.03|b|c",
       "1 press\n1.1 release\n1.3 press\n1.4 release\n2 press", 2},
      {"S skips, a repeated press acts once, B releases the held syllable", "la|la la",
       "1 press\n1.2 release\n2 skip\n3 press\n3.1 press\n3.3 back\n1.6 release"},
      {"S keeps, C clears", "la@1-2|le@2-3|li@3-4", "0.5 skip\n0.6 clear"},
      {"arrows pick a line's first syllable; the press after leads in as after a click",
       "so|far/the|ri/ver",
       "1 press\n1.2 release\n1.5 down\n1.6 down\n1.7 up\n2 press\n"
       "2.2 release\n2.5 up\n2.6 up\n3 press"},
      {"a key delay of 100 ms", "a", "10 press", 0, "Txt_KeyDelay=100"},
      {"a key delay at half speed", "a", "10 press", 0, "Txt_KeyDelay=100 Chk_HalfSpeed=1"},
      {"a negative key delay", "a", "10 press", 0, "Txt_KeyDelay=-50"},
      {"a key delay that is no number", "a", "10 press", 0, "Txt_KeyDelay=junk"},
      {"without Tab mode Space times nothing", "la|le", "1 press\n1.2 release", 0, "Chk_Tabmode=0"},
      {"areas: the syllables of one word", "Mor@1-2|nin@2-3|gly@3-4", ""},
      {"areas: a blank ends one", "Mor@1-2 nin@2-3", ""},
      {"areas: so does a field starting early", "Mor@1-2.5|nin@2-3", ""},
      {"areas: and a line break", "Mor@1-2/nin@2-3", ""},
      {"areas: untimed and picture fields are left out", "Mor@1-2|nin|gly@3-4|ly@4-5", "", 4},
      {"areas: timing the first and the last syllable of one trims it", "Mor@1-2|nin@2-3|gly@3-4",
       "0.5 press\n0.6 release\n1 skip\n2.8 press\n2.9 release"},
      {"areas: timing a syllable inside one splits it", "Mor@1-2|nin@2-3|gly@3-4",
       "0.5 skip\n2.5 press\n2.6667 release"},
  };
  std::string golden;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timing_Setup s({c.lines});
    std::istringstream controls(c.controls);
    for (std::string name, value;
         std::getline(controls >> std::ws, name, '=') && controls >> value;) {
      if (name.starts_with("Chk_"))
        s.S().Window_Controls.Set_Check(name, std::stoi(value));
      else
        s.S().Window_Controls.Set_Text(name, value);
    }
    if (c.picture)
      s.S().Fields[c.picture].Events = Picture_Record_Mark + std::string("<Appearance_effect=1>");
    Begin_Key_Session(s.T(), s.S());
    std::string error;
    const auto log = Parse_Key_Log(c.log, error);
    ASSERT_TRUE(log) << error;
    Replay_Key_Log(s.T(), s.S(), s.ui, *log);
    golden += std::string("== ") + c.name + "\n" + testing::Timed_Song(s);
    for (const std::string& message : s.recorder.messages) golden += "message " + message + "\n";
    golden += Write_Key_Log(s.T().Key_Log);
  }
  testing::Expect_Golden("timing/key_scripts.txt", golden);
}

TEST(FormKeys, StoppedSpaceReachesTheControlCMarksTheNextSyllableAndBGoesBack) {
  Timing_Setup s({"la|le|li"});
  s.Click(2);
  EXPECT_FALSE(Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::Space, 3, false).consumed);
  EXPECT_TRUE(s.recorder.messages.empty());
  EXPECT_EQ(s.T().Current_Field, 2) << "stopped, Space times nothing";
  EXPECT_TRUE(Form_KeyDown(s.T(), s.S(), s.ui, Timing_Key::C, 3, true).consumed);
  EXPECT_EQ(s.T().Current_Field, 3);
  EXPECT_GT(s.Pixels(0, Field_Left(s.S(), 3), Field_Right(s.S(), 3) - 1, Mark_White), 100)
      << "the next syllable is highlighted";
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

}  // namespace
}  // namespace lyricanvas
