#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;
using testing::Read_File;
using testing::Temp_Dir;
using testing::Test_Data;
using testing::Write_File;

using Cli_Result = testing::Command_Result;

class CliCreate : public ::testing::Test {
 protected:
  void SetUp() override {
    song = dir.File("song.txt");
    Write_File(song, "# test song\n[2] Hel|lo@1-1.5 there@2-3\n\nbye@5-6\n");
  }

  Cli_Result Run(const std::string& args) {
    std::string command =
        "cd '" + dir.path.string() + "' && '" LYRICANVAS_CLI "' create " + args + " 2>&1";
    return testing::Run_Command(command);
  }

  Temp_Dir dir;
  std::string song;
};

TEST_F(CliCreate, WritesACdgFileAndSaysSo) {
  Cli_Result r = Run("song.txt --total 0:30 -o out.cdg");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("Finished writing of file out.cdg!"));
  std::string cdg = Read_File(dir.File("out.cdg"));
  EXPECT_GT(cdg.size(), 0u);
  EXPECT_EQ(cdg.size() % 24, 0u);
  EXPECT_LE(cdg.size() / 24, (30u + 20) * 300 + 1);
}

TEST_F(CliCreate, WritesABinImageWithTheTabsAudioSettings) {
  std::string wav = Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  Cli_Result r = Run("song.txt --wav '" + wav + "' --output=out.bin --silence 0,01 --blank-audio");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  std::string image = Read_File(dir.File("out.bin"));
  ASSERT_EQ(image.size(), 3u * 2448);
  for (std::size_t sector = 0; sector < 3; ++sector)
    EXPECT_EQ(image.substr(sector * 2448, 2352), std::string(2352, '\0')) << sector;
}

TEST_F(CliCreate, TheButtonsChecksAndMessagesApply) {
  Cli_Result r = Run("song.txt --total 0:30");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("Please input the filename for the CD+G file!"));
  r = Run("song.txt -o out.cdg --total 0:30 --minimum-gap 5 --minimum-shown 4");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("must be greater or equal to the minimum gap for clearing!"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.cdg")));
}

TEST_F(CliCreate, OverwritesOnlyWithYes) {
  Write_File(dir.File("out.cdg"), "keep me");
  Cli_Result r = Run("song.txt --total 0:30 -o out.cdg");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("The file \"out.cdg\" already exists! Do you want to overwrite it? No"));
  EXPECT_EQ(Read_File(dir.File("out.cdg")), "keep me");
  r = Run("song.txt --total 0:30 -o out.cdg --yes");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(Read_File(dir.File("out.cdg")), "keep me");
}

TEST_F(CliCreate, ABadWavWritesNothing) {
  std::string wav = Test_Data("cdg/wav/no_data_chunk.wav");
  Cli_Result r = Run("song.txt --wav '" + wav + "' -o out.bin");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("cannot be used: it has no \"data\" chunk"));
  EXPECT_TRUE(Read_File(dir.File("out.bin")).empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.bin")));
}

TEST_F(CliCreate, ABadSongFileNamesItsLine) {
  Write_File(dir.File("bad.txt"), "fine@1\noops@\n");
  Cli_Result r = Run("bad.txt --total 0:30 -o out.cdg");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("bad.txt: line 2: a time is malformed"));
  r = Run("missing.txt --total 0:30 -o out.cdg");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.output, HasSubstr("cannot read 'missing.txt'"));
}

}  // namespace
}  // namespace lyricanvas
