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
  Song song = Loaded("Hel|lo@1.5-2.25 world@3\nsun@5ny@5.5-1:07.5 (la la)\n");
  EXPECT_EQ(song.RTB_Raw.Text(), QString("Hello world\r\nsunny (la la)"));
  ASSERT_EQ(song.Field_Count, 4);
  EXPECT_EQ(Field_Text(song, 1), "lo");
  EXPECT_EQ(song.Fields[1].First_Char, 4);
  EXPECT_EQ(song.Fields[1].Events, Events(1.5, 2.25));
  EXPECT_EQ(Field_Text(song, 2), "world");
  EXPECT_EQ(song.Fields[2].Events, Events(3));
  EXPECT_EQ(Field_Text(song, 3), "sun");
  EXPECT_EQ(song.Fields[3].First_Char, 14);  // after "Hello world" and CR LF
  EXPECT_EQ(Field_Text(song, 4), "ny");
  EXPECT_EQ(song.Fields[4].Events, Events(5.5, 67.5));
  EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length());
}

TEST(TimedText, TimesAreRoundedToThePack) {
  Song song = Loaded("a@1.01-2.999");
  EXPECT_EQ(Event_Time_Packs(song.Fields[1].Events, 1), 303);
  EXPECT_EQ(Event_Time_Packs(song.Fields[1].Events, 2), 900);
}

TEST(TimedText, SingersColourTheirLines) {
  Song song = Loaded("[2] male@1\nboth@2\n[3]\tfemale@3");
  EXPECT_EQ(song.RTB_Raw.Text(), QString("male\r\nboth\r\nfemale"));
  EXPECT_EQ(song.RTB_Raw.Color(0, 4), song.Singers[2].Text_Color);
  EXPECT_EQ(song.RTB_Raw.Color(6, 4), song.Singers[1].Text_Color);
  EXPECT_EQ(song.RTB_Raw.Color(12, 6), song.Singers[3].Text_Color);
}

TEST(TimedText, CommentsAreDroppedAndBlankLinesKept) {
  Song song = Loaded("# title\r\none@1\r\n\r\n  # indented comment\r\ntwo@2\r\n");
  EXPECT_EQ(song.RTB_Raw.Text(), QString("one\r\n\r\ntwo"));
  EXPECT_EQ(Field_Text(song, 2), "two");
}

TEST(TimedText, BackslashTakesTheNextCharacterLiterally) {
  Song song = Loaded("\\#1 me\\@home@1 a\\|b@2\n\\[2] x");
  EXPECT_EQ(song.RTB_Raw.Text(), QString("#1 me@home a|b\r\n[2] x"));
  ASSERT_EQ(song.Field_Count, 2);
  EXPECT_EQ(Field_Text(song, 1), "me@home");
  EXPECT_EQ(Field_Text(song, 2), "a|b");
}

TEST(TimedText, UnicodeTextCountsAsTheLyricsDo) {
  // The same lyrics in UTF-8 and in Latin-1 / Windows-1252 (0x80 is the euro sign there).
  for (std::string_view bytes : {std::string_view("Grü|ße@1 Wöl@2kchen@3 €"),
                                 std::string_view("Gr\xFC|\xDF" "e@1 W\xF6l@2kchen@3 \x80")}) {
    Song song = Loaded(bytes);
    EXPECT_EQ(song.RTB_Raw.Text(), QString::fromUtf8("Grüße Wölkchen €"));
    EXPECT_EQ(Field_Text(song, 1), QString::fromUtf8("ße"));
    EXPECT_EQ(Field_Text(song, 3), QString("kchen"));
  }
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
