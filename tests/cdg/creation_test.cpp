#include "cdg/creation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <tuple>

#include "cdg/output_files.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Read_File;
using testing::Recording_Ui;
using ::testing::StartsWith;
using testing::Temp_Dir;
using testing::Test_Data;
using testing::Write_File;

/// An entry of the creation tab: index -1 for a single box.
struct Entry {
  const char* name;
  int index;
  std::string value;
};

/// Four generated lines to be written to song.cdg in dir, with a minute's track; then entries.
std::unique_ptr<Song> Ready_Song(const Temp_Dir& dir, const std::vector<Entry>& entries = {}) {
  auto song = std::make_unique<Song>();
  testing::Build_Song(*song, testing::Generated_Song(4, 30));
  Controls& controls = song->Window_Controls;
  controls.Set_Text("txt_Filename", 2, dir.File("song.cdg"));
  controls.Set_Text("Txt_TotalTime", "1:00");
  controls.Set_Text("txt_lines_on_screen", "6");
  for (const Entry& e : entries) EXPECT_TRUE(controls.Set_Text(e.name, e.index, e.value)) << e.name;
  return song;
}

std::unique_ptr<Creation_Run> Settings_Of(Song& song) {
  auto run = std::make_unique<Creation_Run>();
  Read_Creation_Settings(*run, song);
  return run;
}

// Each refusal, in the order the click checks: its one message, the box it focuses, no
// question and no file.
TEST(CreateClick, EachUnusableEntryIsNamedAndNothingIsWritten) {
  struct Case {
    std::vector<Entry> entries;
    std::string message;
    std::vector<std::string> focused;
  };
  Temp_Dir dir;
  Temp_Dir elsewhere;  // a FIFO, which must not be opened (it would hang), outside the folder
  const std::string fifo = elsewhere.File("fifo.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string specify =
      " Please specify an existing WAV file or leave the field blank for creating a CDG file!";
  const std::vector<Case> cases = {
      // Without an output name only the name is asked for, whatever else is wrong.
      {{{"txt_Filename", 2, ""}, {"Txt_TotalTime", -1, "nonsense"}},
       "Please input the filename for the CD+G file!",
       {}},
      {{{"Txt_TotalTime", -1, "1:2:3"}},
       "Please input the total time of the destination track in seconds or in format MM:SS!",
       {}},
      // The WAV is checked before the output directory.
      {{{"txt_Filename", 1, dir.File("missing.wav")},
        {"txt_Filename", 2, dir.File("no/dir/a.bin")}},
       "The WAV file you specified isn't there." + specify,
       {"txt_Filename_1"}},
      {{{"txt_Filename", 1, fifo}},
       "The WAV file " + fifo + " is a FIFO, not a regular file." + specify,
       {"txt_Filename_1"}},
      {{{"txt_Filename", 2, dir.File("no_such_dir/song.cdg")}},
       "The directory you want to write the CDG/BIN file to does not exist!",
       {"txt_Filename_2"}},
      {{{"txt_Minimum_gap", -1, "4"}, {"txt_Minimum_shown", -1, "3"}},
       "The time the lyrics are shown before wiping must be greater or equal to the minimum gap "
       "for clearing!",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Recording_Ui recorder;
    EXPECT_FALSE(But_CDG_Create_Click(*Ready_Song(dir, c.entries), recorder.ui()));
    EXPECT_THAT(recorder.messages, ElementsAre(c.message));
    EXPECT_EQ(recorder.focused, c.focused);
    EXPECT_TRUE(recorder.questions.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
  }
}

TEST(CreateClick, AnsweringNoToOverwritingKeepsTheOldFile) {
  Temp_Dir dir;
  const std::string path = dir.File("song.cdg");
  Write_File(path, "old");
  Recording_Ui recorder;
  EXPECT_FALSE(But_CDG_Create_Click(*Ready_Song(dir), recorder.ui()));
  EXPECT_THAT(recorder.questions, ElementsAre("The file \"" + path +
                                              "\" already exists! Do you want to overwrite it?"));
  EXPECT_THAT(recorder.focused, ElementsAre("txt_Filename_2"));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(Read_File(path), "old");
}

// A WAV, target or setting the run cannot use: its one message, and what stood there stays.
TEST(CreateClick, AnUnusableWavTargetOrSettingIsExplainedAndWhatStoodThereStays) {
  struct Case {
    std::vector<Entry> entries;
    std::string message_start;   ///< "@" stands for the target's path
    bool target_folder = false;  ///< the target is a folder holding a file
  };
  const std::string wavs = Test_Data("cdg/wav/");
  const std::string abandoned = "! Creation of CD+G data was abandoned!\n";
  for (const Case& c :
       {Case{{{"txt_Filename", 1, wavs + "not_riff.wav"}},
             "The WAV file '" + wavs + "not_riff.wav' cannot be used: "},
        {{}, "Cannot replace '@': it is a directory, not a regular file", true},
        {{{"txt_lines_on_screen", -1, "0"}}, "Unpredictable error No. 11 - Division by zero"},
        {{{"Txt_TotalTime", -1, "99999:00"}}, "Unpredictable error No. 6 - Overflow"}}) {
    SCOPED_TRACE(c.message_start);
    Temp_Dir dir;
    const std::string path = dir.File(c.target_folder ? "taken" : "song.bin");
    if (c.target_folder) std::filesystem::create_directory(path);
    Write_File(c.target_folder ? path + "/inside" : path, "good image");
    auto song = Ready_Song(dir, c.entries);
    song->Window_Controls.Set_Text("txt_Filename", 2, path);
    Recording_Ui recorder;
    recorder.answers = {Answer::Yes};
    EXPECT_FALSE(But_CDG_Create_Click(*song, recorder.ui()));
    ASSERT_EQ(recorder.messages.size(), 1u);
    std::string start = c.message_start;
    if (auto at = start.find('@'); at != std::string::npos) start.replace(at, 1, path);
    EXPECT_THAT(recorder.messages[0], StartsWith(start));
    EXPECT_THAT(recorder.messages[0],
                HasSubstr(start.starts_with("Unpredictable") ? abandoned : ""));
    EXPECT_EQ(Read_File(c.target_folder ? path + "/inside" : path), "good image");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
    EXPECT_FALSE(song->Suppress_Text_Events);
  }
}

TEST(CreateClick, WritesACdgAndReportsIt) {
  Temp_Dir dir;
  auto song = Ready_Song(dir);
  Recording_Ui recorder;
  ASSERT_TRUE(But_CDG_Create_Click(*song, recorder.ui())) << recorder.messages.back();
  const std::string cdg = Read_File(dir.File("song.cdg"));
  EXPECT_NE(cdg.find_first_not_of('\0'), std::string::npos);  // the screens were built
  EXPECT_THAT(recorder.messages,
              ElementsAre("Finished writing of file " + dir.File("song.cdg") + "!"));
  EXPECT_FALSE(song->Suppress_Text_Events);
}

TEST(CreateClick, TheTrackRunsToTheLastEventOfASyllableAndNotOfAPicture) {
  Temp_Dir dir;
  auto song = Ready_Song(dir, {{"Txt_TotalTime", -1, "0:10"}});  // the last syllable ends at 23.95
  auto run = Settings_Of(*song);
  ASSERT_TRUE(Create_CDG(*run, *song));
  EXPECT_NEAR(run->Total_Time, 23.95, 1e-9);
  // A picture record whose property bytes would decode as a very late time.
  song->Fields[static_cast<std::size_t>(++song->Field_Count)] = {
      5, 5, std::string(1, Picture_Record_Mark) + "<filename=zzzzzzzz>"};
  EXPECT_NEAR(Last_Timing_Point(*song), 23.95, 1e-9);
}

// Settings ------------------------------------------------------------------------------------

// The entries that the created songs' bytes do not show: the files the window plays, blanked
// audio, a timebase pair without a destination, and the minimum times' fallbacks.
TEST(CreationSettings, EntriesBeyondTheStreamReachTheRun) {
  Song song;
  Controls& c = song.Window_Controls;
  for (const Entry& e : {Entry{"txt_Filename", 0, "play.mp3"},
                         {"txt_Filename", 1, "in.wav"},
                         {"Txt_Source", 1, "0:30"}})
    c.Set_Text(e.name, e.index, e.value);
  c.Set_Check("Chk_Blank", 1);
  const auto run = Settings_Of(song);
  EXPECT_EQ(std::tie(song.Wav_File, song.Audio_File), std::tuple("in.wav", "play.mp3"));
  EXPECT_EQ(std::tie(run->Settings.timebase_source[1], run->Settings.timebase_dest[1]),
            std::tuple(-999, -999));
  EXPECT_TRUE(run->Settings.Blank_Audio);
  // Invalid minimum times fall back to four seconds, the time shown to the gap.
  c.Set_Text("txt_Minimum_gap", "soon");
  c.Set_Text("txt_Minimum_shown", "");
  EXPECT_EQ(std::tuple(Read_Minimum_Times(c).gap, Read_Minimum_Times(c).shown), std::tuple(4, 4));
  c.Set_Text("txt_Minimum_gap", "2,5");
  EXPECT_EQ(Read_Minimum_Times(c).shown, 2.5);
}

// Every wrapped line, its outline included, stays inside the 288 pixels of the inner screen.
TEST(CreationSettings, WrappedLinesFitTheScreenInEitherOutlineStyle) {
  for (const char* style : {"Swipe text body only", "Draw no outline"}) {
    Song song;
    song.RTB_Raw.Set_Text(QString("l").repeated(300));  // narrow letters wrap close to the width
    song.Window_Controls.Set_Text("Com_WipingStyle", style);
    Settings_Of(song);
    ASSERT_GE(Line_Count(song), 2) << style;
    for (int n = 1; n <= Line_Count(song); ++n) {
      EXPECT_GE(Line_X(song, n) - (song.Draw_Outline ? 2 : 0), 0) << style << " line " << n;
      EXPECT_LE(song.Line_End_X[n], Inner_Width) << style << " line " << n;
    }
  }
}

}  // namespace
}  // namespace lyricanvas
