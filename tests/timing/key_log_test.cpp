// Key logs: reading and writing them, and a replayed log timing a song as the keys would.
#include "timing/key_log.h"

#include <gtest/gtest.h>

#include "timing_fixture.h"

namespace lyricanvas {
namespace {

using testing::Decoded;
using Events = std::vector<std::pair<int, std::int64_t>>;

TEST(ParseKeyLog, ReadsEventsCommentsAndBlankLines) {
  std::string error;
  const auto events = Parse_Key_Log(
      "# a session\n1.5 press\n\n  2 release   # end of the first\r\n2.5\tclear\n3 skip\n"
      "3 up\n3.25 down\n4 back",
      error);
  ASSERT_TRUE(events) << error;
  EXPECT_EQ(*events, (std::vector<Logged_Key>{{1.5, Log_Key::Press},
                                              {2, Log_Key::Release},
                                              {2.5, Log_Key::Clear},
                                              {3, Log_Key::Skip},
                                              {3, Log_Key::Up},
                                              {3.25, Log_Key::Down},
                                              {4, Log_Key::Back}}));
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

TEST(WriteKeyLog, ReadsBackAsWritten) {
  const std::vector<Logged_Key> events{
      {0.125, Log_Key::Press}, {0.5, Log_Key::Release}, {7, Log_Key::Skip}, {12.75, Log_Key::Back}};
  std::string error;
  EXPECT_EQ(Parse_Key_Log(Write_Key_Log(events), error), events) << error;
}

TEST(ReplayKeyLog, TimesTheSongFromTheFirstSyllableAndRecordsTheSameLog) {
  testing::Timing_Setup s(testing::Untimed_Lines({"la|la la"}), true);
  const std::vector<Logged_Key> log{{1.0, Log_Key::Press}, {1.2, Log_Key::Release},
                                    {2.0, Log_Key::Skip},  {3.0, Log_Key::Press},
                                    {3.1, Log_Key::Press}, {3.4, Log_Key::Release}};
  s.T() = Timing_Editor{};
  Begin_Key_Session(s.T(), s.S());
  EXPECT_EQ(s.T().Current_Field, 1) << "as if the first syllable had been clicked";
  Replay_Key_Log(s.T(), s.S(), s.ui, log);
  EXPECT_EQ(Decoded(s.Events(1)), (Events{{1, 270}, {250, 360}}));
  EXPECT_TRUE(s.Events(2).empty()) << "skipped";
  EXPECT_EQ(Decoded(s.Events(3)), (Events{{1, 870}, {126, 900}, {250, 1020}}))
      << "the repeated press acted once; the lead-in covers the consonant before the vowel";
  std::vector<Logged_Key> recorded = log;
  recorded.erase(recorded.begin() + 4);  // the auto-repeat is not acted on, so not logged
  EXPECT_EQ(s.T().Key_Log, recorded);
}

}  // namespace
}  // namespace lyricanvas
