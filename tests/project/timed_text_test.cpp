#include "project/timed_text.h"

#include <gtest/gtest.h>

#include "project_test_support.h"

namespace lyricanvas {
namespace {

std::string Events(double start, double end = -1) {
  std::string e = Encode_Event(1, static_cast<std::int64_t>(std::llround(start * 300)));
  if (end >= 0) e += Encode_Event(250, static_cast<std::int64_t>(std::llround(end * 300)));
  return e;
}

/// Timed text loads over a song of five fields, which it replaces.
TEST(TimedText, SyllablesBecomeFieldsOverTheirCharactersInTheirSingersColour) {
  struct Field {
    const char* text;  ///< UTF-8
    std::string events;
    int singer = 1;
  };
  struct Case {
    std::string input;
    const char* text;  ///< UTF-8
    std::vector<Field> fields;
  } cases[] = {
      {"Hel|lo@1.5-2.25 world@3\nsun@5ny@5.5-1:07.5 (la la)\n",
       "Hello world\r\nsunny (la la)",
       {{"lo", Events(1.5, 2.25)},
        {"world", Events(3)},
        {"sun", Events(5)},
        {"ny", Events(5.5, 67.5)}}},
      {"a@1.01-2.999", "a", {{"a", Events(1.01, 3)}}},  // rounded to the pack
      {"# title\r\none@1\r\n\r\n  # indented comment\r\ntwo@2\r\n",
       "one\r\n\r\ntwo",
       {{"one", Events(1)}, {"two", Events(2)}}},
      {"\\#1 me\\@home@1 a\\|b@2\n\\[2] x",
       "#1 me@home a|b\r\n[2] x",
       {{"me@home", Events(1)}, {"a|b", Events(2)}}},
      {"[2] male@1\nboth@2\n[3]\tfemale@3",
       "male\r\nboth\r\nfemale",
       {{"male", Events(1), 2}, {"both", Events(2)}, {"female", Events(3), 3}}},
      // The same lyrics in UTF-8 and in Windows-1252 (0x80 is the euro sign there).
      {"Grü|ße@1 Wöl@2kchen@3 €",
       "Grüße Wölkchen €",
       {{"ße", Events(1)}, {"Wöl", Events(2)}, {"kchen", Events(3)}}},
      {"Gr\xFC|\xDF"
       "e@1 W\xF6l@2kchen@3 \x80",
       "Grüße Wölkchen €",
       {{"ße", Events(1)}, {"Wöl", Events(2)}, {"kchen", Events(3)}}},
  };
  for (const Case& c : cases) {
    Song song;
    std::string error;
    ASSERT_TRUE(Load_Timed_Text(song, "a@1 b@2 c@3 d@4 e@5", error));
    ASSERT_TRUE(Load_Timed_Text(song, c.input, error)) << error;
    EXPECT_EQ(song.RTB_Raw.Text(), QString::fromUtf8(c.text)) << c.input;
    EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length());
    ASSERT_EQ(song.Field_Count, static_cast<int>(c.fields.size())) << c.input;
    EXPECT_TRUE(Is_Empty(song.Fields[song.Field_Count + 1])) << c.input;
    for (int f = 1; f <= song.Field_Count; ++f) {
      const Field& expected = c.fields[f - 1];
      EXPECT_EQ(testing::Field_Text(song, f), QString::fromUtf8(expected.text)) << c.input;
      EXPECT_EQ(song.Fields[f].Events, expected.events) << c.input << " field " << f;
      EXPECT_EQ(song.RTB_Raw.Color(song.Fields[f].First_Char - 1, 1),
                song.Singers[expected.singer].Text_Color)
          << c.input << " field " << f;
    }
  }
}

TEST(TimedText, MalformedInputNamesTheLineAndLeavesTheSong) {
  std::string many_lines, many_syllables;
  for (int i = 0; i < 501; ++i)
    many_lines += "a@" + std::to_string(i) + " b@" + std::to_string(i) + "\n";
  for (int line = 0; line < 100; ++line) {
    for (int i = 0; i < 51; ++i) many_syllables += "x@1";
    many_syllables += "\n";
  }
  struct Case {
    std::string text;
    const char* error;
  };
  std::vector<Case> cases = {
      {"ok@1\n[9] bad@2", "line 2: a singer is written [0] to [7]"},
      {"[2 x@1", "line 1: a singer is written [0] to [7]"},
      {"# c\n\n@1", "line 3: a time \"@\" follows no syllable text"},
      {"a@3-2", "line 1: a syllable ends before it starts"},
      {"a@99999", "line 1: a time is later than the latest time an event can hold"},
      {"end\\", "line 1: the line ends with a lone backslash"},
      {many_lines, "line 501: more than 500 lyrics lines"},
      {many_syllables, "line 99: more than 5000 syllables"},
  };
  for (const char* time : {"a@", "a@1-", "a@1.", "a@1:", "a@1.0.5", "a@1-2-3", "a@x"})
    cases.push_back({time, "line 1: a time is malformed"});
  for (const Case& c : cases) {
    Song song;
    std::string error;
    const QString before = song.RTB_Raw.Text();
    EXPECT_FALSE(Load_Timed_Text(song, c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(song.RTB_Raw.Text(), before);
    EXPECT_EQ(song.Field_Count, 0);
  }
}

}  // namespace
}  // namespace lyricanvas
