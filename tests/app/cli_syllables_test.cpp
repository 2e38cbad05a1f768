// The syllables verb of lyricanvas-cli, run as a user runs it.
#include <gtest/gtest.h>

#include "project/project_file.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Temp_Dir;
using testing::Write_File;

using testing::Quoted;
using testing::Run_Cli;

// The text under every field of a project, in field order, joined by "|".
std::string Field_Texts(const std::string& project) {
  Song song;
  Ui ui = Ui::Console();
  if (!Open_Project(song, project, ui)) return "(unreadable)";
  const QString text = song.RTB_Raw.Text();
  QStringList parts;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[f];
    parts << text.mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
  }
  return parts.join('|').toStdString();
}

TEST(CliSyllables, CutsTheLyricsIntoSyllableFieldsAndFillsOnlyGapsWhenRunAgain) {
  Temp_Dir dir;
  const std::string lyrics = dir.File("song.txt"), cut = dir.File("cut.cgp"),
                    again = dir.File("again.cgp");
  Write_File(lyrics, "Wonderful water\nsomething didn't\n");
  auto first = Run_Cli("syllables " + Quoted(lyrics) + " -o " + Quoted(cut));
  ASSERT_EQ(first.exit_code, 0) << first.output;
  EXPECT_NE(first.output.find(": 9 fields (9 new)"), std::string::npos) << first.output;
  EXPECT_EQ(Field_Texts(cut), "Won|der|ful|wa|ter|somet|hing|did|n't");

  auto info = Run_Cli("info " + Quoted(lyrics));
  EXPECT_NE(info.output.find("syllables: 9\n"), std::string::npos) << info.output;

  auto second = Run_Cli("syllables " + Quoted(cut) + " -o " + Quoted(again));
  ASSERT_EQ(second.exit_code, 0) << second.output;
  EXPECT_NE(second.output.find(": 9 fields (0 new)"), std::string::npos) << second.output;
}

}  // namespace
}  // namespace lyricanvas
