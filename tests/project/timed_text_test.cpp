#include "project/timed_text.h"

#include <gtest/gtest.h>

#include "project/project_file.h"
#include "project/rtf.h"
#include "project_test_support.h"

namespace lyricanvas {
namespace {

// Timed text loads over a song of 15 fields, which it replaces. The lyrics (each syllable in
// its singer's colour) and the fields (times rounded to the pack) are pinned by the golden; the
// same lyrics in Windows-1252 (0x80 is the euro sign there) give the same project.
TEST(TimedText, SyllablesBecomeFieldsOverTheirCharactersInTheirSingersColour) {
  const QString input = QString::fromUtf8(
      "# title\r\nHel|lo@1.5-2.25 world@3\r\nsun@5ny@5.5-1:07.5 (la la)\n\n  # indented comment\n"
      "[2] male@70 a@71.01-72.999\nboth@73\n[3]\tfemale@74\n\\#1 me\\@home@75 a\\|b@76\n"
      "\\[2] x Gr\u00fc|\u00dfe@77 W\u00f6l@78kchen@79 \u20ac\n");
  std::string windows_1252;
  for (QChar c : input) windows_1252 += static_cast<char>(Unicode_To_Windows_1252(c.unicode()));
  for (const std::string& text : {input.toStdString(), windows_1252}) {
    Song song;
    std::string error;
    testing::Recording_Ui r;
    ASSERT_TRUE(Load_Timed_Text(
        song, "a@1 b@2 c@3 d@4 e@5 f@6 g@7 h@8 i@9 j@10 k@11 l@12 m@13 n@14 o@15", error));
    ASSERT_TRUE(Load_Timed_Text(song, text, error)) << error;
    EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length());
    EXPECT_TRUE(Is_Empty(song.Fields[song.Field_Count + 1]));
    testing::Expect_Golden("project/golden/timed_text.cgp", Project_File_Bytes(song, r.ui()));
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
