// The picture verb of lyricanvas-cli and pictures in project files: properties and bytes that
// survive saving and reopening, a project that takes its pictures along when they are stored,
// PNG pictures turned into BMP, and pictures that cannot be used.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "project/project_file.h"
#include "support/bmp_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Temp_Dir;

struct Run_Result {
  int status = -1;
  std::string output;
};

Run_Result Run_Cli(const std::string& arguments) {
  testing::Command_Result r =
      testing::Run_Command(std::string(LYRICANVAS_CLI) + " " + arguments + " 2>&1");
  return {r.exit_code, r.output};
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string Small_Bmp(int shade) {
  testing::Bmp_Spec spec = testing::Spec(72, 48);
  spec.color = [shade](int x, int y) { return testing::Rgb8{x * 3, y * 5, shade}; };
  return testing::Make_Bmp(spec);
}

std::string Demo() { return testing::Test_Data("project/cgp/timed_demo.cgp"); }

TEST(CliPicture, AStoredProjectMovedWithoutItsBmpGivesTheSameFile) {
  Temp_Dir dir;
  testing::Write_File(dir.File("title.bmp"), Small_Bmp(90));
  const Run_Result added =
      Run_Cli("picture " + Quoted(Demo()) + " --add " + Quoted(dir.File("title.bmp")) +
              " --line 0 --effect 'Circle out' --hold 2 --reverse --store -o " +
              Quoted(dir.File("titled.cgp")));
  ASSERT_EQ(added.status, 0) << added.output;
  const Run_Result info = Run_Cli("info " + Quoted(dir.File("titled.cgp")));
  EXPECT_NE(info.output.find("effect \"Circle out\", hold \"2\", reversed"), std::string::npos)
      << info.output;
  const std::string create = " --total 0:50 --yes -o ";
  ASSERT_EQ(Run_Cli("create " + Quoted(dir.File("titled.cgp")) + create +
                    Quoted(dir.File("here.cdg"))).status, 0);
  std::filesystem::create_directory(dir.path / "moved");
  std::filesystem::rename(dir.File("titled.cgp"), dir.File("moved/titled.cgp"));
  std::filesystem::remove(dir.File("title.bmp"));
  const Run_Result moved = Run_Cli("create " + Quoted(dir.File("moved/titled.cgp")) + create +
                                   Quoted(dir.File("moved/there.cdg")));
  ASSERT_EQ(moved.status, 0) << moved.output;
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
  ASSERT_EQ(added.status, 0) << added.output;
  const std::string bmp = testing::Read_File(dir.File("logo.bmp"));
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(static_cast<unsigned char>(bmp[56]), 200);  // red of the first pixel (B, G, R)
  const Run_Result info = Run_Cli("info " + Quoted(dir.File("out.cgp")));
  EXPECT_NE(info.output.find(dir.File("logo.bmp")), std::string::npos) << info.output;
}

TEST(CliPicture, RefusesPicturesAndPlacesItCannotUse) {
  Temp_Dir dir;
  testing::Write_File(dir.File("cut.bmp"), Small_Bmp(1).substr(0, 100));
  testing::Write_File(dir.File("good.bmp"), Small_Bmp(1));
  testing::Write_File(dir.File("words.txt"), "not a picture");
  struct Case {
    std::string arguments;
    int status;
    std::string said;
  };
  const std::string out = " -o " + Quoted(dir.File("out.cgp"));
  for (const Case& c : std::vector<Case>{
           {"--add " + Quoted(dir.File("words.txt")) + " --line 0", 1, "words.txt"},
           {"--add " + Quoted(dir.File("cut.bmp")) + " --line 0", 1, "cut.bmp is cut short"},
           {"--add " + Quoted(dir.File("good.bmp")) + " --line 0 --effect Sideways", 2, "Sideways"},
           {"--add " + Quoted(dir.File("good.bmp")) + " --line 400", 1, "lines"},
           {"--add " + Quoted(dir.File("missing.bmp")) + " --line 0", 1, "missing.bmp"},
       }) {
    const Run_Result r = Run_Cli("picture " + Quoted(Demo()) + " " + c.arguments + out);
    EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.output;
    EXPECT_NE(r.output.find(c.said), std::string::npos) << c.arguments << "\n" << r.output;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.cgp"))) << c.arguments;
  }
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
