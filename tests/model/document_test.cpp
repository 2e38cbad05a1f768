#include "model/document.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

TEST(Document, LineBreaksCountTwoPicturesOneAndACopyKeepsItsOwnPictures) {
  Document doc;
  doc.Set_Text("ab\ncd");
  EXPECT_EQ(doc.Text(), QString("ab\r\ncd"));
  EXPECT_EQ(doc.Length(), 6);
  doc.Insert_Picture(5, Embedded_Picture{"BM", "x.bmp"});
  EXPECT_EQ(doc.Length(), 7);
  EXPECT_TRUE(Is_Picture_Char(doc.Text()[5]));
  EXPECT_TRUE(doc.Is_Picture(5));
  EXPECT_FALSE(doc.Is_Picture(4));
  EXPECT_EQ(doc.Picture_Count(), 1);
  EXPECT_EQ(doc.Picture_Offset(0), 5);
  Document copy = doc;
  copy.Remove_Picture(0);
  EXPECT_EQ(copy.Text(), QString("ab\r\ncd"));
  EXPECT_EQ(copy.Picture_Count(), 0);
  ASSERT_EQ(doc.Picture_Count(), 1);
  EXPECT_EQ(doc.Picture(0)->Bytes, "BM");
  EXPECT_EQ(doc.Picture(0)->Source_Path, QString("x.bmp"));
}

TEST(Document, OffsetsColoursAndAlignmentsMapAcrossParagraphs) {
  Document doc;
  doc.Set_Text("ab\r\ncd\r\nef");
  // "c" is offset 4 in our counting and Qt position 3.
  EXPECT_EQ(doc.To_Qt(4), 3);
  EXPECT_EQ(doc.From_Qt(3), 4);
  EXPECT_EQ(doc.To_Qt(8), 6);
  doc.Set_Color(4, 2, qRgb(0, 128, 128));
  EXPECT_EQ(doc.Color(4, 2), qRgb(0, 128, 128));
  EXPECT_EQ(doc.Color(0, 2), qRgb(0, 0, 0));
  EXPECT_EQ(doc.Color(0, 6), std::nullopt);
  // A range that ends with the line break reads the letters' colour.
  EXPECT_EQ(doc.Color(4, 4), qRgb(0, 128, 128));
  doc.Set_Alignment(5, 1, Align_Center);
  EXPECT_EQ(doc.Alignment(0), Align_Left);
  EXPECT_EQ(doc.Alignment(4), Align_Center);
  EXPECT_EQ(doc.Alignment(0, 6), -1);
  doc.Set_Alignment(8, 0, Align_Right);
  EXPECT_EQ(doc.Alignment(9), Align_Right);
}

TEST(Document, MixedFontPropertiesReadAsUnset) {
  Document doc;
  doc.Set_Text("hello world");
  doc.Set_Bold(0, 5, true);
  doc.Set_Font_Size(6, 5, 12);
  Font_Rec all = doc.Font(0, 11);
  EXPECT_FALSE(all.Bold_Set);
  EXPECT_TRUE(all.Italic_Set);
  EXPECT_EQ(all.Font_Size, 0);
  EXPECT_EQ(all.Font_Name, QString("Times New Roman"));
  Font_Rec first = doc.Font(0, 5);
  EXPECT_TRUE(first.Bold && first.Bold_Set);
  EXPECT_EQ(first.Font_Size, 20);
  doc.Set_Font_Name(0, 1, "Arial");
  EXPECT_TRUE(doc.Font(0, 2).Font_Name.isEmpty());
}

TEST(Document, LongParagraphWrapsAtTheTextWidthBetweenWords) {
  Document doc;
  doc.Set_Text("short\nthe quick brown fox jumps over the lazy dog and keeps running far away");
  doc.Set_Text_Width(282);
  const std::vector<int>& starts = doc.Line_Starts();
  ASSERT_GE(starts.size(), 3u);
  EXPECT_EQ(starts[0], 0);
  EXPECT_EQ(starts[1], 7);
  EXPECT_EQ(doc.Text()[starts[2] - 1], QChar(' '));  // a wrapped line starts after a blank
  EXPECT_EQ(doc.Line_Index(0), 0);
  EXPECT_EQ(doc.Line_Index(6), 0);  // the line feed belongs to the first line
  EXPECT_EQ(doc.Line_Index(7), 1);
  EXPECT_EQ(doc.Line_Count(), static_cast<int>(starts.size()));
  // A wider box wraps less.
  doc.Set_Text_Width(2000);
  EXPECT_EQ(doc.Line_Count(), 2);
  doc.Set_Text("a\r\nb\r\n");  // a closing line break adds no line
  EXPECT_EQ(doc.Length(), 6);
  EXPECT_EQ(doc.Line_Count(), 2);
}

}  // namespace
}  // namespace lyricanvas
