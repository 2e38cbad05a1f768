// Pictures in created songs that cannot be read; the pictures that can are pinned by the golden
// outputs of created songs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cdg/creation.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

// A picture file cut short, missing, or a FIFO (which must not hang the run): said once after
// the file's name, and the song is written without it.
TEST(PictureScreens, APictureThatCannotBeReadIsLeftOutWithOneMessage) {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = [](int x, int y) -> testing::Rgb8 { return {x % 256, y, 128}; };
  const std::string bmp = testing::Make_Bmp(shape);
  for (const auto& [name, said] : {std::pair<std::string, std::string>{"cut", " is cut short"},
                                   {"missing", ")"},
                                   {"fifo", " is a FIFO, not a regular file!"}}) {
    SCOPED_TRACE(name);
    testing::Temp_Dir dir;
    const std::string path = dir.File(name + ".bmp");
    if (name == "cut") testing::Write_File(path, bmp.substr(0, 2000));
    ASSERT_TRUE(name != "fifo" || mkfifo(path.c_str(), 0600) == 0);
    Song song;
    testing::Build_Song(song, {{{{"Hel", 25, 25.4}, {"lo", 25.5, 26}}}});
    const int at = Insert_Picture_Line(song, 0, bmp, path, true);
    Edit_Picture_Properties(song, at, [&](std::string& properties) {
      properties = "<Appearance_effect=Left to right><hold_time=3><filename=" + path + ">";
    });
    Controls& controls = song.Window_Controls;
    controls.Set_Check("Chk_Store_Pictures", 0);  // read from the file named
    controls.Set_Text("Txt_TotalTime", "0:30");
    controls.Set_Text("txt_Filename", 2, dir.File("title.cdg"));
    testing::Recording_Ui recorder;
    EXPECT_TRUE(But_CDG_Create_Click(song, recorder.ui()));
    ASSERT_EQ(recorder.messages.size(), 2u);  // the picture, then "Finished writing"
    EXPECT_NE(recorder.messages[0].find(path + said), std::string::npos) << recorder.messages[0];
    EXPECT_NE(recorder.messages[0].find("will not appear in your file!"), std::string::npos);
  }
}

}  // namespace
}  // namespace lyricanvas
