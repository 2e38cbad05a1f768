// lyricanvas-cli runs that succeed: where and how their outputs are written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_folder.h"

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;
using testing::Read_File;
namespace fs = std::filesystem;

TEST(CliOutputs, WrittenWhereAskedWithTheirKindOfContents) {
  struct Case {
    const char* words;
    const char* written;   ///< the file that must hold the output afterwards
    const char* starts;    ///< its first bytes; nullptr: whole CD+G packs, 30 to 60 s
  };
  for (const Case& c :
       {Case{"create song.txt --total 0:30 -o link.cdg --yes", "out.cdg", nullptr},
        {"create Song.Cgp --total 0:40 -o new.cdg", "new.cdg", nullptr},
        {"frame tiny.cdg --at 0 -o 'fr\xe9.png'", "fr\xe9.png", "\x89PNG\r\n\x1a\n"},
        {"import song.txt -o new.cgp", "new.cgp", "{\\rtf1"}}) {
    SCOPED_TRACE(c.words);
    testing::Cli_Folder folder;
    fs::create_symlink("out.cdg", folder.Path("link.cdg"));  // followed, its target replaced
    fs::copy_file(folder.Path("song.cgp"), folder.Path("Song.Cgp"));  // extensions in any case
    testing::Command_Result r = folder.Run(c.words);
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_TRUE(fs::is_symlink(folder.Path("link.cdg")));
    const std::string bytes = Read_File(folder.Path(c.written));
    if (c.starts) {
      EXPECT_TRUE(bytes.starts_with(c.starts)) << bytes.substr(0, 40);
    } else {
      EXPECT_THAT(r.output, HasSubstr("Finished writing of file"));
      EXPECT_EQ(bytes.size() % 24, 0u);
      EXPECT_GT(bytes.size(), 24u * 300 * 30);
      EXPECT_LE(bytes.size(), 24u * 300 * 60);  // the total time plus the closing screens
    }
  }
}

TEST(CliOutputs, ADashWritesToStandardOutputAndNoFile) {
  testing::Cli_Folder folder;
  auto before = folder.Snapshot();
  auto to_stdout = [&](const std::string& words) {
    return testing::Run_Command("cd '" + folder.dir.path.string() + "' && '" LYRICANVAS_CLI "' " +
                                words + " -o -");
  };
  testing::Command_Result png = to_stdout("frame tiny.cdg --at 0");
  EXPECT_EQ(png.exit_code, 0);
  EXPECT_TRUE(png.output.starts_with("\x89PNG\r\n\x1a\n")) << png.output.substr(0, 40);
  testing::Command_Result cdg = to_stdout("create song.txt --total 0:30");
  EXPECT_EQ(cdg.exit_code, 0);
  EXPECT_EQ(cdg.output.size() % 24, 0u);
  EXPECT_GT(cdg.output.size(), 24u * 300 * 30);
  testing::Command_Result project = to_stdout("import song.cgp");
  EXPECT_EQ(project.exit_code, 0);
  EXPECT_TRUE(project.output.starts_with("{\\rtf1")) << project.output.substr(0, 40);
  EXPECT_THAT(project.output, HasSubstr("\r\nfield:"));
  EXPECT_EQ(folder.Snapshot(), before);
}

TEST(CliOutputs, ABinImageFollowsTheAudioSettings) {
  testing::Cli_Folder folder;
  std::string wav = testing::Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  testing::Command_Result r =
      folder.Run("create song.txt --wav '" + wav + "' --output=new.bin --silence 0,01 --blank-audio");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  std::string image = Read_File(folder.Path("new.bin"));
  ASSERT_EQ(image.size(), 3u * 2448);
  for (std::size_t sector = 0; sector < 3; ++sector)
    EXPECT_EQ(image.substr(sector * 2448, 2352), std::string(2352, '\0')) << sector;
}

}  // namespace
}  // namespace lyricanvas
