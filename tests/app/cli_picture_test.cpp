// The picture verb of lyricanvas-cli: a project that takes its pictures along when they are
// stored, and PNG pictures turned into BMP.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Quoted;
using testing::Run_Cli;
using testing::Small_Bmp;
using Run_Result = testing::Command_Result;
using testing::Temp_Dir;
const auto Demo = testing::Demo_Project;

TEST(CliPicture, AStoredProjectMovedWithoutItsBmpGivesTheSameFile) {
  Temp_Dir dir;
  testing::Write_File(dir.File("title.bmp"), Small_Bmp(90));
  const Run_Result added =
      Run_Cli("picture " + Quoted(Demo()) + " --add " + Quoted(dir.File("title.bmp")) +
              " --line 0 --effect 'Circle out' --hold 2 --reverse --store -o " +
              Quoted(dir.File("titled.cgp")));
  ASSERT_EQ(added.exit_code, 0) << added.output;
  const Run_Result info = Run_Cli("info " + Quoted(dir.File("titled.cgp")));
  EXPECT_NE(info.output.find("effect \"Circle out\", hold \"2\", reversed"), std::string::npos)
      << info.output;
  const std::string create = " --total 0:50 --yes -o ";
  ASSERT_EQ(Run_Cli("create " + Quoted(dir.File("titled.cgp")) + create +
                    Quoted(dir.File("here.cdg"))).exit_code, 0);
  std::filesystem::create_directory(dir.path / "moved");
  std::filesystem::rename(dir.File("titled.cgp"), dir.File("moved/titled.cgp"));
  std::filesystem::remove(dir.File("title.bmp"));
  const Run_Result moved = Run_Cli("create " + Quoted(dir.File("moved/titled.cgp")) + create +
                                   Quoted(dir.File("moved/there.cdg")));
  ASSERT_EQ(moved.exit_code, 0) << moved.output;
  const std::string here = testing::Read_File(dir.File("here.cdg"));
  EXPECT_GT(here.size(), 0u);
  EXPECT_EQ(testing::Read_File(dir.File("moved/there.cdg")), here);
}

TEST(CliPicture, APngIsKeptAsA24BitBmpBesideTheProject) {
  Temp_Dir dir;
  QImage image(30, 20, QImage::Format_RGB32);
  image.fill(qRgb(200, 40, 10));
  ASSERT_TRUE(image.save(QString::fromStdString(dir.File("logo.png")), "PNG"));
  const Run_Result added = Run_Cli("picture " + Quoted(Demo()) + " --add " +
                                   Quoted(dir.File("logo.png")) + " --line 3 -o " +
                                   Quoted(dir.File("out.cgp")));
  ASSERT_EQ(added.exit_code, 0) << added.output;
  const std::string bmp = testing::Read_File(dir.File("logo.bmp"));
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(static_cast<unsigned char>(bmp[56]), 200);  // red of the first pixel (B, G, R)
  const Run_Result info = Run_Cli("info " + Quoted(dir.File("out.cgp")));
  EXPECT_NE(info.output.find(dir.File("logo.bmp")), std::string::npos) << info.output;
}

}  // namespace
}  // namespace lyricanvas
