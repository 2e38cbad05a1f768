#include "project/timed_text.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

std::string Events(double start, double end = -1) {
  std::string e = Encode_Event(1, static_cast<std::int64_t>(std::llround(start * 300)));
  if (end >= 0) e += Encode_Event(250, static_cast<std::int64_t>(std::llround(end * 300)));
  return e;
}

/// The characters of field f as the lyrics hold them.
QString Field_Text(const Song& song, int f) {
  const Field_Rec& field = song.Fields[f];
  return song.RTB_Raw.Text().mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
}

Song Loaded(std::string_view text) {
  Song song;
  std::string error;
  EXPECT_TRUE(Load_Timed_Text(song, text, error)) << error;
  return song;
}

TEST(TimedText, SyllablesBecomeFieldsOverTheirCharacters) {
  struct Case {
    std::string input;
    const char* text;  ///< UTF-8
    std::vector<std::pair<const char*, std::string>> fields;  ///< text and events
  } cases[] = {
      {"Hel|lo@1.5-2.25 world@3\nsun@5ny@5.5-1:07.5 (la la)\n", "Hello world\r\nsunny (la la)",
       {{"lo", Events(1.5, 2.25)}, {"world", Events(3)}, {"sun", Events(5)}, {"ny", Events(5.5, 67.5)}}},
      {"a@1.01-2.999", "a", {{"a", Events(1.01, 3)}}},  // rounded to the pack
      {"# title\r\none@1\r\n\r\n  # indented comment\r\ntwo@2\r\n", "one\r\n\r\ntwo",
       {{"one", Events(1)}, {"two", Events(2)}}},
      {"\\#1 me\\@home@1 a\\|b@2\n\\[2] x", "#1 me@home a|b\r\n[2] x",
       {{"me@home", Events(1)}, {"a|b", Events(2)}}},
      // The same lyrics in UTF-8 and in Windows-1252 (0x80 is the euro sign there).
      {"Grü|ße@1 Wöl@2kchen@3 €", "Grüße Wölkchen €",
       {{"ße", Events(1)}, {"Wöl", Events(2)}, {"kchen", Events(3)}}},
      {"Gr\xFC|\xDF" "e@1 W\xF6l@2kchen@3 \x80", "Grüße Wölkchen €",
       {{"ße", Events(1)}, {"Wöl", Events(2)}, {"kchen", Events(3)}}},
  };
  for (const Case& c : cases) {
    Song song = Loaded(c.input);
    EXPECT_EQ(song.RTB_Raw.Text(), QString::fromUtf8(c.text)) << c.input;
    EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length());
    ASSERT_EQ(song.Field_Count, static_cast<int>(c.fields.size())) << c.input;
    for (int f = 1; f <= song.Field_Count; ++f) {
      EXPECT_EQ(Field_Text(song, f), QString::fromUtf8(c.fields[f - 1].first)) << c.input;
      EXPECT_EQ(song.Fields[f].Events, c.fields[f - 1].second) << c.input << " field " << f;
    }
  }
}

TEST(TimedText, SingersColourTheirLines) {
  Song song = Loaded("[2] male@1\nboth@2\n[3]\tfemale@3");
  EXPECT_EQ(song.RTB_Raw.Text(), QString("male\r\nboth\r\nfemale"));
  EXPECT_EQ(song.RTB_Raw.Color(0, 4), song.Singers[2].Text_Color);
  EXPECT_EQ(song.RTB_Raw.Color(6, 4), song.Singers[1].Text_Color);
  EXPECT_EQ(song.RTB_Raw.Color(12, 6), song.Singers[3].Text_Color);
}

TEST(TimedText, ReplacesEveryFieldOfTheSong) {
  Song song = Loaded("a@1 b@2 c@3");
  std::string error;
  ASSERT_TRUE(Load_Timed_Text(song, "d@4", error));
  EXPECT_EQ(song.Field_Count, 1);
  EXPECT_TRUE(Is_Empty(song.Fields[2]));
}

TEST(TimedText, MalformedInputNamesTheLineAndLeavesTheSong) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (Case c : {Case{"ok@1\n[9] bad@2", "line 2: a singer is written [0] to [7]"},
                 {"[2 x@1", "line 1: a singer is written [0] to [7]"},
                 {"# c\n\n@1", "line 3: a time \"@\" follows no syllable text"},
                 {"a@", "line 1: a time is malformed"},
                 {"a@1-", "line 1: a time is malformed"},
                 {"a@1.", "line 1: a time is malformed"},
                 {"a@1:", "line 1: a time is malformed"},
                 {"a@1.0.5", "line 1: a time is malformed"},
                 {"a@1-2-3", "line 1: a time is malformed"},
                 {"a@x", "line 1: a time is malformed"},
                 {"a@3-2", "line 1: a syllable ends before it starts"},
                 {"a@99999", "line 1: a time is later than the latest time an event can hold"},
                 {"end\\", "line 1: the line ends with a lone backslash"}}) {
    Song song;
    std::string error;
    const QString before = song.RTB_Raw.Text();
    EXPECT_FALSE(Load_Timed_Text(song, c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(song.RTB_Raw.Text(), before);
    EXPECT_EQ(song.Field_Count, 0);
  }
}

TEST(TimedText, CapacitiesOfTheSongAreKept) {
  std::string many;
  for (int i = 0; i < 501; ++i) many += "a@" + std::to_string(i) + " b@" + std::to_string(i) + "\n";
  Song song;
  std::string error;
  EXPECT_FALSE(Load_Timed_Text(song, many, error));
  EXPECT_EQ(error, "line 501: more than 500 lyrics lines");
  std::string syllables;
  for (int line = 0; line < 100; ++line) {
    for (int i = 0; i < 51; ++i) syllables += "x@1";
    syllables += "\n";
  }
  EXPECT_FALSE(Load_Timed_Text(song, syllables, error));
  EXPECT_EQ(error, "line 99: more than 5000 syllables");
  EXPECT_EQ(song.Field_Count, 0);
}

}  // namespace
}  // namespace lyricanvas
