#include "model/surface.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Make_Font;

TEST(Surface, SpreadPrintEqualsPrintingAtEveryOffsetAndBothAdvanceByTheCharacterAdvances) {
  const QString text = QString::fromUtf8("Öl, fjord & \"Quiz\" gypsy");
  for (const Font_Rec& font :
       {Make_Font("Liberation Sans", 14, true), Make_Font("DejaVu Sans", 26, false, true, true)}) {
    SCOPED_TRACE(font.Font_Name.toStdString() + " " + std::to_string(font.Font_Size));
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
    EXPECT_EQ(spread.Image(), printed.Image());
    int width = 0;
    for (QChar c : text) width += Char_Advance(font, c);
    EXPECT_EQ(spread.Current_X(), 5 + width);
    EXPECT_EQ(printed.Current_X(), 7 + width);
    // Pixels outside read as the background.
    EXPECT_EQ(spread.Pixel(-1, 5), qRgb(0, 0, 255));
    EXPECT_EQ(spread.Pixel(5, 80), qRgb(0, 0, 255));
  }
}

}  // namespace
}  // namespace lyricanvas
