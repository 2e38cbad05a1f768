#include "editing/formatting.h"

#include <gtest/gtest.h>

#include "editing/editing_song.h"

namespace lyricanvas {
namespace {

struct Formatted_Song : testing::Tracked_Song {
  void Select(int start, int length) { Selection_Changed(song, tracker, start, length); }
};

TEST(Formatting, ASingerChangesOnlyTheColourAndStyleOfTheSelection) {
  Formatted_Song t;
  const auto fields = t.song.Fields;
  const Font_Rec font = t.song.RTB_Raw.Font(0, 14);
  t.Select(3, 3);
  Apply_Singer(t.song, t.tracker, 2);
  const QRgb singer1 = t.song.Singers[1].Text_Color, singer2 = t.song.Singers[2].Text_Color;
  for (int offset = 0; offset < 14; ++offset)
    EXPECT_EQ(*t.song.RTB_Raw.Color(offset, 1), (offset >= 3 && offset < 6) ? singer2 : singer1)
        << offset;
  EXPECT_EQ(t.song.RTB_Raw.Font(0, 14), font);
  EXPECT_EQ(t.song.Fields, fields);
  EXPECT_EQ(t.song.Window_Controls.Text("Com_Color"), "2 - male");
}

TEST(Formatting, AttributesFollowTheCheckBoxesAndTheFontOnlyUsableEntries) {
  Formatted_Song t;
  t.Select(0, 3);
  Apply_Attribute(t.song, Text_Attribute::Bold, 1);
  t.Select(0, 6);  // half bold
  EXPECT_EQ(t.song.Window_Controls.Check("Chk_Bold"), 2);
  Apply_Attribute(t.song, Text_Attribute::Bold, 2);
  EXPECT_TRUE(t.song.RTB_Raw.Font(0, 3).Bold);
  EXPECT_FALSE(t.song.RTB_Raw.Font(3, 3).Bold);
  Apply_Attribute(t.song, Text_Attribute::Italic, 1);
  Apply_Attribute(t.song, Text_Attribute::Underline, 1);
  t.Select(0, 6);
  EXPECT_EQ(t.song.Window_Controls.Check("chk_italic"), 1);
  EXPECT_EQ(t.song.Window_Controls.Check("Chk_Underline"), 1);
  Apply_Attribute(t.song, Text_Attribute::Italic, 0);
  EXPECT_FALSE(t.song.RTB_Raw.Font(0, 6).Italic);
  // Sizes applied one after the other: an unusable entry leaves the size before it.
  const std::pair<const char*, double> sizes[] = {{"24", 24},  {" 18.5", 18.5}, {"abc", 18.5},
                                                  {"0", 18.5}, {"-3", 18.5},    {"", 18.5}};
  for (const auto& [text, points] : sizes) {
    Apply_Font_Size(t.song, text);
    EXPECT_EQ(t.song.RTB_Raw.Font(0, 6).Font_Size, points) << text;
  }
  EXPECT_EQ(t.song.RTB_Raw.Font(6, 3).Font_Size, 20);
  t.Select(0, 3);
  Apply_Font_Name(t.song, "");
  EXPECT_EQ(t.song.RTB_Raw.Font(0, 3).Font_Name, "Times New Roman");
  Apply_Font_Name(t.song, "DejaVu Sans");
  EXPECT_EQ(t.song.RTB_Raw.Font(0, 3).Font_Name, "DejaVu Sans");
  t.Select(0, 3);
  EXPECT_EQ(t.song.Window_Controls.Text("Com_Font"), "DejaVu Sans");
}

TEST(Formatting, FormatsOverSeveralSingersAndTheirUndoLeaveTheFieldsAlone) {
  Formatted_Song t;
  const auto fields = t.song.Fields;
  t.Select(10, 9);  // "time" (singer 1), the line break and "day" (singer 2)
  EXPECT_FALSE(t.song.RTB_Raw.Sel_Color().has_value());
  Apply_Singer(t.song, t.tracker, 3);
  EXPECT_EQ(t.song.RTB_Raw.Color(10, 9), t.song.Singers[3].Text_Color);
  Apply_Attribute(t.song, Text_Attribute::Bold, 1);
  Align_Selection(t.song, Align_Right);
  EXPECT_EQ(t.song.RTB_Raw.Alignment(0, 14), Align_Right);  // every paragraph it touches
  EXPECT_EQ(t.song.RTB_Raw.Alignment(16, 3), Align_Right);
  for (int k = 0; k < 3; ++k) Undo_Edit(t.song);
  EXPECT_EQ(t.song.Fields, fields);
  EXPECT_EQ(t.song.RTB_Raw.Color(0, 14), t.song.Singers[1].Text_Color);
  EXPECT_EQ(t.song.RTB_Raw.Color(16, 3), t.song.Singers[2].Text_Color);
  EXPECT_FALSE(t.song.RTB_Raw.Font(10, 9).Bold);
  Redo_Edit(t.song);
  EXPECT_EQ(t.song.Fields, fields);
}

}  // namespace
}  // namespace lyricanvas
