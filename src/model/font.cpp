#include "model/font.h"

#include <QStringList>
#include <algorithm>

namespace lyricanvas {

bool Same_Font(const Font_Rec& a, const Font_Rec& b) {
  return a.Font_Name == b.Font_Name && a.Font_Size == b.Font_Size && a.Bold == b.Bold &&
         a.Italic == b.Italic && a.Underline == b.Underline;
}

QFont Make_QFont(const Font_Rec& font) {
  QFont q(font.Font_Name);
  q.setFamilies(QStringList{font.Font_Name});
  // Pixel sizes keep the 96 dpi design geometry whatever the device reports.
  q.setPixelSize(std::max(1, static_cast<int>(Points_To_Pixels(font.Font_Size > 0 ? font.Font_Size : 10) + 0.5)));
  q.setBold(font.Bold);
  q.setItalic(font.Italic);
  q.setUnderline(font.Underline);
  q.setKerning(false);
  q.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  q.setHintingPreference(QFont::PreferFullHinting);
  return q;
}

}  // namespace lyricanvas
