// The import and info verbs of lyricanvas-cli, run as a user runs them.
#include <gtest/gtest.h>

#include <vector>
#include <filesystem>

#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Temp_Dir;
using testing::Test_Data;
using testing::Write_File;

using testing::Quoted;
using testing::Run_Cli;
using Run_Result = testing::Command_Result;

TEST(CliProject, InfoSummarisesImportedLyricsAndTimedProjects) {
  testing::Cli_Folder folder;
  Write_File(folder.Path("words.txt"), "Hello world\nSecond line\n");
  ASSERT_EQ(folder.Run("import words.txt -o words.cgp").exit_code, 0);
  struct Case {
    const char* words;
    std::vector<std::string> says;
  };
  for (const Case& c :
       {Case{"info words.cgp", {"lines: 2\n", "fields: 0\n", "fonts: [Times New Roman 20]"}},
        {"info --text words.cgp", {"Hello world\nSecond line\n"}},
        {"info song.cgp",
         {"timed fields: 56\n", "first timing point: 0:02.00\n", "last timing point: 0:37.00\n",
          "options that differ from the defaults:\n"}}}) {
    Run_Result info = folder.Run(c.words);
    ASSERT_EQ(info.exit_code, 0) << info.output;
    for (const std::string& said : c.says)
      EXPECT_NE(info.output.find(said), std::string::npos) << c.words << "\n" << info.output;
  }
}

TEST(CliProject, ImportRoundTripsAProjectUnchanged) {
  // The demo was saved before some controls existed: its copy gains them, and from then on an
  // import changes nothing.
  Temp_Dir dir;
  std::string copy = dir.File("copy.cgp"), again = dir.File("again.cgp");
  std::string original = Test_Data("project/cgp/timed_demo.cgp");
  ASSERT_EQ(Run_Cli("import " + Quoted(original) + " -o " + Quoted(copy)).exit_code, 0);
  ASSERT_EQ(Run_Cli("import " + Quoted(copy) + " -o " + Quoted(again)).exit_code, 0);
  std::string old = testing::Read_File(original), copied = testing::Read_File(copy);
  std::size_t fields = old.find("\r\nfield:");
  EXPECT_EQ(copied.substr(0, old.find("<properties>")), old.substr(0, old.find("<properties>")));
  EXPECT_TRUE(copied.ends_with(old.substr(fields)));
  EXPECT_EQ(testing::Read_File(again), copied);
}

TEST(CliProject, IncompleteFilesAndBadValuesExitNonZeroUnlessForced) {
  Temp_Dir dir;
  std::string cut = Test_Data("project/cgp/malformed/truncated_in_events.cgp");
  std::string bad = dir.File("bad.cgp");
  Write_File(bad, "{\\rtf1 la}\r\n<properties>\xFE<Chk_Reverse=99><Txt_Silence=3>\r\n");
  struct Case {
    std::string command;
    int status;
    bool written;
  } cases[] = {
      {"import " + Quoted(cut) + " -o " + Quoted(dir.File("a.cgp")), 1, false},
      {"import " + Quoted(cut) + " --force -o " + Quoted(dir.File("b.cgp")), 0, true},
      {"import " + Quoted(bad) + " -o " + Quoted(dir.File("c.cgp")), 1, true},
      {"import " + Quoted(bad) + " --force -o " + Quoted(dir.File("d.cgp")), 0, true},
      {"create " + Quoted(cut) + " -o " + Quoted(dir.File("e.cdg")), 1, false},
      {"create " + Quoted(cut) + " --force --total 0:40 -o " + Quoted(dir.File("f.cdg")), 0, true},
  };
  for (const Case& c : cases) {
    Run_Result r = Run_Cli(c.command);
    EXPECT_EQ(r.exit_code, c.status) << c.command << "\n" << r.output;
    std::string output = c.command.substr(c.command.rfind("-o ") + 4);
    output.pop_back();
    EXPECT_EQ(std::filesystem::exists(output), c.written) << c.command;
  }
}

}  // namespace
}  // namespace lyricanvas
