#include "model/surface.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Make_Font;

TEST(Surface, SpreadPrintEqualsPrintingAtEveryOffset) {
  const QString text = QString::fromUtf8("Öl, fjord & \"Quiz\" gypsy");
  for (const Font_Rec& font :
       {Make_Font("Liberation Serif", 20), Make_Font("Liberation Sans", 14, true),
        Make_Font("DejaVu Sans", 26, false, true, true), Make_Font("Liberation Serif", 9, true, true)}) {
    Surface spread(289, 80, qRgb(0, 0, 255)), printed(289, 80, qRgb(0, 0, 255));
    for (Surface* s : {&spread, &printed}) {
      s->Set_Font(font);
      s->Set_Color(qRgb(0, 0, 0));
    }
    spread.Set_Pos(5, 20);
    spread.Print_Spread(text, 2);
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        printed.Set_Pos(5 + dx, 20 + dy);
        printed.Print(text);
      }
    EXPECT_EQ(spread.Image(), printed.Image()) << font.Font_Name.toStdString() << " "
                                               << font.Font_Size;
    EXPECT_EQ(spread.Current_X(), 5 + spread.Text_Width(text));
  }
}

TEST(Surface, PrintAdvancesByTheMeasuredWidthAndOutsidePixelsReadAsBackground) {
  Surface s(100, 40, qRgb(1, 2, 3));
  s.Set_Font(Make_Font("Liberation Serif", 20));
  s.Set_Pos(3, 0);
  s.Print("Wave");
  int width = 0;
  for (QChar c : QString("Wave")) width += Char_Advance(s.Font(), c);
  EXPECT_EQ(s.Current_X(), 3 + width);
  EXPECT_EQ(s.Pixel(-1, 5), qRgb(1, 2, 3));
  EXPECT_EQ(s.Pixel(5, 40), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace lyricanvas
