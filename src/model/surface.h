#pragma once
// An off-screen drawing surface: a QImage with a current font, colour and print position.
// Text is drawn without anti-aliasing, character by character at integer advances, so the
// positions a layout measures are exactly the positions that get drawn.
#include <QImage>
#include <QString>

#include "model/font.h"

namespace lyricanvas {

class Surface {
 public:
  Surface(int width, int height, QRgb background = qRgb(255, 255, 255));

  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }

  void Set_Background(QRgb color) { background_ = color; }
  QRgb Background() const { return background_; }
  void Cls();  ///< clears to the background colour and puts the print position at 0, 0

  void Set_Font(const Font_Rec& font);
  const Font_Rec& Font() const { return font_; }
  void Set_Color(QRgb color) { color_ = color; }

  void Set_Pos(int x, int y) { x_ = x; y_ = y; }
  int Current_X() const { return x_; }
  int Current_Y() const { return y_; }

  /// Prints at the current position (its top left) and moves the current x by the advance.
  void Print(const QString& text);
  /// Prints the text at every offset (dx, dy), -spread..spread each, around the current position,
  /// as (2 spread + 1)^2 prints would, then moves the current x by the advance.
  void Print_Spread(const QString& text, int spread);
  /// The advance Print would move by, without drawing.
  int Text_Width(const QString& text) const;
  /// Integer advance of one character in the current font.
  int Char_Advance(QChar c) const;

  /// Colour of a pixel; a pixel outside the surface reads as the background.
  QRgb Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return background_;
    return reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x] | 0xff000000u;
  }
  void Set_Pixel(int x, int y, QRgb color);
  void Fill_Rect(int x1, int y1, int x2, int y2, QRgb color);  ///< inclusive corners
  void Line(int x1, int y1, int x2, int y2, QRgb color);
  /// Copies a w x h rectangle from (sx, sy) of another surface to (dx, dy) of this one.
  void Copy_Rect(const Surface& from, int sx, int sy, int w, int h, int dx, int dy);

  const QImage& Image() const { return image_; }

 private:
  void Draw_Chars(QImage& on, int x, int baseline, const QString& text) const;

  QImage image_;
  QRgb background_;
  QRgb color_ = qRgb(0, 0, 0);
  Font_Rec font_;
  QFont qfont_;
  int ascent_ = 0;
  int x_ = 0;
  int y_ = 0;
};

/// Integer advance width of a character in a font (the same figure Surface::Print moves by).
int Char_Advance(const Font_Rec& font, QChar c);

}  // namespace lyricanvas
