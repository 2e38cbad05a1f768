// The picture verb of lyricanvas-cli and pictures in project files: properties and bytes that
// survive saving and reopening, a project that takes its pictures along when they are stored,
// and PNG pictures turned into BMP.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "project/project_file.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Temp_Dir;

using testing::Quoted;
using testing::Run_Cli;
using testing::Small_Bmp;
using Run_Result = testing::Command_Result;
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

/// Every picture field of a song: position and property string, in field order.
std::vector<std::pair<int, std::string>> Picture_Fields(const Song& song) {
  std::vector<std::pair<int, std::string>> fields;
  for (int f = 1; f <= song.Field_Count; ++f)
    if (Is_Picture_Field(song.Fields[f]))
      fields.emplace_back(song.Fields[f].First_Char, song.Fields[f].Events);
  return fields;
}

TEST(PicturesInProjects, SaveAndReopenEqualStoredOrNot) {
  for (int store : {0, 1}) {
    Temp_Dir dir;
    testing::Recording_Ui recorder;
    Song song;
    ASSERT_TRUE(Open_Project(song, Demo(), recorder.ui()));
    Picture_Properties_Rec every{"Oval out", "", "1", "2.5", "1", "1", "0", "1"};
    for (int k = 0; k < 2; ++k) {
      const std::string file = dir.File("p" + std::to_string(k) + ".bmp");
      testing::Write_File(file, Small_Bmp(40 * k));
      every.filename = file;
      const int at = Insert_Picture_Line(song, 4 * k, Small_Bmp(40 * k), file, k == 0);
      ASSERT_GT(at, 0);
      Edit_Picture_Properties(song, at, [&](std::string& p) { p = Build_Picture_Properties(every); });
      every.Appearance_effect = "Lightest to darkest";
    }
    song.Window_Controls.Set_Check("Chk_Store_Pictures", store);
    song.Project_File = dir.File("song.cgp");
    ASSERT_TRUE(Save_Project(song, recorder.ui()));
    Song reopened;
    ASSERT_TRUE(Open_Project(reopened, dir.File("song.cgp"), recorder.ui())) << store;
    EXPECT_EQ(Picture_Fields(reopened), Picture_Fields(song)) << store;
    EXPECT_EQ(reopened.RTB_Raw.Text(), song.RTB_Raw.Text()) << store;
    ASSERT_EQ(reopened.RTB_Raw.Picture_Count(), 2) << store;
    for (int k = 0; k < 2; ++k)
      EXPECT_EQ(reopened.RTB_Raw.Picture(k)->Bytes, song.RTB_Raw.Picture(k)->Bytes) << store;
  }
}

}  // namespace
}  // namespace lyricanvas
