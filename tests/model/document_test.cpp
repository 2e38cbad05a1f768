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
  EXPECT_TRUE(doc.Is_Picture(5));
  EXPECT_FALSE(doc.Is_Picture(4));
  EXPECT_EQ(doc.Picture_Offset(0), 5);
  Document copy = doc;
  copy.Remove_Picture(0);
  EXPECT_EQ(copy.Text(), QString("ab\r\ncd"));
  EXPECT_EQ(copy.Picture_Count(), 0);
  ASSERT_EQ(doc.Picture_Count(), 1);
  EXPECT_EQ(doc.Picture(0)->Bytes, "BM");
  EXPECT_EQ(doc.Picture(0)->Source_Path, QString("x.bmp"));
}

TEST(Document, OffsetsColoursAlignmentsAndFontsMapAcrossParagraphsAndMixedOnesReadAsUnset) {
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
  doc.Set_Font_Size(4, 2, 12);
  doc.Set_Font_Name(0, 1, "Arial");
  EXPECT_EQ(doc.Font(4, 2).Font_Size, 12);
  const Font_Rec mixed = doc.Font(0, 6);
  EXPECT_TRUE(mixed.Font_Name.isEmpty());
  EXPECT_EQ(mixed.Font_Size, 0);
  EXPECT_TRUE(mixed.Italic_Set);  // the same in every character
}

}  // namespace
}  // namespace lyricanvas
