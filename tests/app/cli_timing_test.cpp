// The timing verb of lyricanvas-cli, run as a script runs it: a key log times the syllables of
// a lyrics file and the project written holds them.
#include <gtest/gtest.h>

#include "model/layout.h"
#include "model/song.h"
#include "project/project_file.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Temp_Dir;
using testing::Write_File;

using testing::Quoted;
using testing::Run_Cli;

TEST(CliTiming, TimesTheSyllablesInTheOrderOfTheLog) {
  Temp_Dir dir;
  const std::string output = dir.File("timed.cgp");
  Write_File(dir.File("words.txt"), "Morning light\n");
  Write_File(dir.File("keys.log"), "1 press\n1.5 release\n2 skip\n3 press\n3.5 release\n");
  const auto run = Run_Cli("timing " + Quoted(dir.File("words.txt")) + " --keys " +
                           Quoted(dir.File("keys.log")) + " -o " + Quoted(output));
  ASSERT_EQ(run.exit_code, 0) << run.output;
  Song song;
  testing::Recording_Ui recorder;
  ASSERT_TRUE(Open_Project(song, output, recorder.ui()));
  Layout_Text(song);
  ASSERT_GE(song.Field_Count, 3) << "the words were broken into syllables";
  EXPECT_TRUE(song.Window_Controls.Checked("Chk_Tabmode"));
  const int first = Field_At_Char(song, 1);
  const int second = Next_Field(song, first);
  const int third = Next_Field(song, second);
  EXPECT_EQ(Event_Time_Packs(song.Fields[first].Events, -1), 450) << "released at 1.5 s";
  EXPECT_LE(Event_Time_Packs(song.Fields[first].Events, 1), 300) << "pressed at 1 s";
  EXPECT_TRUE(song.Fields[second].Events.empty()) << "skipped";
  EXPECT_EQ(Event_Time_Packs(song.Fields[third].Events, -1), 1050);
}

}  // namespace
}  // namespace lyricanvas
