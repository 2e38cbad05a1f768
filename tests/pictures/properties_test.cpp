// Picture properties: the dialog's controls loaded from a property string and written back, and
// the picture field a picture gets in the lyrics.
#include "pictures/properties.h"

#include <gtest/gtest.h>

#include "editing/editing_song.h"
#include "pictures/picture_source.h"

namespace lyricanvas {
namespace {

TEST(PictureProperties, DialogLoadsAndWritesTheControls) {
  struct Case {
    std::string properties;
    Picture_Dialog_Values loaded;
    std::string written;  ///< after OK without changes
  };
  const std::string all =
      "<Appearance_effect=Oval out><filename=x.bmp><along_with_lyrics=1>"
      "<hold_time=2,5><right_after_lyrics=1><overwrite_last_screen=1>"
      "<dither_picture=0><reverse_effect=1>";
  const std::vector<Case> cases{
      // No dithering key: dithering is on and is then written as 1.
      {"<filename=x.bmp>",
       {"", "", 0, 0, 0, 1, 0, "x.bmp"},
       "<Appearance_effect=><filename=x.bmp><along_with_lyrics=0><hold_time=>"
       "<right_after_lyrics=0><overwrite_last_screen=0><dither_picture=1><reverse_effect=0>"},
      {all, {"Oval out", "2,5", 1, 1, 1, 0, 1, "x.bmp"}, all},
      // Grayed boxes were written as 2 and read back unchecked.
      {"<along_with_lyrics=2><dither_picture=2><reverse_effect=2>",
       {"", "", 0, 0, 0, 0, 0, "cur.bmp"},
       "<Appearance_effect=><filename=cur.bmp><along_with_lyrics=0><hold_time=>"
       "<right_after_lyrics=0><overwrite_last_screen=0><dither_picture=0><reverse_effect=0>"},
  };
  for (const Case& c : cases) {
    const Picture_Dialog_Values values = Load_Picture_Dialog(c.properties, "cur.bmp");
    EXPECT_EQ(values, c.loaded) << c.properties;
    EXPECT_EQ(Picture_Dialog_Properties(values), c.written) << c.properties;
  }
  Picture_Dialog_Values partly;
  partly.along = 2;
  EXPECT_NE(Picture_Dialog_Properties(partly).find("<along_with_lyrics=2>"), std::string::npos);
}

TEST(PictureProperties, CancelKeepsANewPicturesFileAndHoldTimeCountsOnlyANumber) {
  EXPECT_EQ(Cancel_Picture_Dialog("", "new.bmp"), "<filename=new.bmp>");
  EXPECT_EQ(Cancel_Picture_Dialog("<hold_time=1>", "new.bmp"), "<hold_time=1>");
  for (const auto& [text, seconds] : std::vector<std::pair<std::string, double>>{
           {"3", 3}, {"2.5", 2.5}, {"", 0}, {"abc", 0}, {"3s", 0}, {"-2", 0}, {"1e300", 86400}})
    EXPECT_EQ(Hold_Seconds("<hold_time=" + text + ">"), seconds) << text;
}

TEST(PictureFields, SettingPropertiesCutsATimedFieldAroundThePicture) {
  struct Case {
    Field_Rec timed;
    std::vector<Field_Rec> fields;  ///< after storing "<hold_time=1>"
  };
  const std::string picture = std::string(1, Picture_Record_Mark) + "<hold_time=1>";
  const std::vector<Case> cases{
      {{1, 5, "tttt"}, {{1, 2, "tttt"}, {4, 5, "tttt"}, {3, 3, picture}}},  // inside: split in two
      {{3, 5, "tttt"}, {{4, 5, "tttt"}, {3, 3, picture}}},                  // starts at the picture
      {{1, 3, "tttt"}, {{1, 2, "tttt"}, {3, 3, picture}}},                  // ends at the picture
      {{3, 3, "tttt"}, {{3, 3, picture}}},  // only the picture: reused
  };
  for (const Case& c : cases) {
    Song song;  // "ab<picture>cd" with one timed field
    song.RTB_Raw.Set_Text("abcd");
    Insert_Picture(song, 2, "BM", "p.bmp");
    song.Field_Count = 1;
    song.Fields[1] = c.timed;
    const int f = Edit_Picture_Properties(song, 3, [](std::string& p) { p = "<hold_time=1>"; });
    EXPECT_GT(f, 0);
    std::vector<Field_Rec> fields(song.Fields.begin() + 1,
                                  song.Fields.begin() + 1 + song.Field_Count);
    EXPECT_EQ(fields, c.fields) << c.timed.First_Char << ".." << c.timed.Last_Char;
  }
}

TEST(PictureFields, APictureLineOpensAScreenOfItsOwnAndMovesTheFieldsBehindIt) {
  struct Case {
    int after;
    bool own_screen;
    std::string text;  ///< P for the picture
    int at;            ///< the picture's position returned
  };
  const std::vector<Case> cases{
      {0, true, "P\r\n\r\nA\r\nB", 1},
      {1, true, "A\r\n\r\nP\r\n\r\nB", 6},
      {2, true, "A\r\nB\r\n\r\nP\r\n", 9},
      {1, false, "A\r\n\r\nP\r\nB", 6},
      {3, true, "A\r\nB", 0},  // no such line
  };
  for (const Case& c : cases) {
    Song song;
    song.RTB_Raw.Set_Text("A\r\nB");
    song.Field_Count = 2;
    song.Fields[1] = {1, 1, "x"};
    song.Fields[2] = {4, 4, "y"};
    EXPECT_EQ(Insert_Picture_Line(song, c.after, "BM", "p.bmp", c.own_screen), c.at) << c.after;
    EXPECT_EQ(song.RTB_Raw.Text().replace(QChar(Picture_Char), QChar('P')).toStdString(), c.text)
        << c.after;
    EXPECT_EQ(testing::Field_Texts(song), "A|B") << c.after;
    if (c.at == 0) continue;
    // The picture found at the position returned is the one embedded.
    const int f = Edit_Picture_Properties(song, c.at, [](std::string& p) { p = "<x=1>"; });
    EXPECT_EQ(Extract_Embedded_Picture(song, f), std::optional<std::string>("BM")) << c.after;
  }
}

}  // namespace
}  // namespace lyricanvas
