#pragma once
// The font of a piece of text, and its conversion to a rasterising QFont.
#include <QFont>
#include <QString>

namespace lyricanvas {

/// Font of a piece of text. A property that was mixed over the piece has its set flag false
/// (and its value false); an empty Font_Name means mixed fonts.
struct Font_Rec {
  QString Font_Name;
  double Font_Size = 0;  ///< points, at 96 dots per inch
  bool Bold = false;
  bool Italic = false;
  bool Bold_Set = false;
  bool Italic_Set = false;
  bool Underline = false;
  bool Underline_Set = false;
  bool operator==(const Font_Rec&) const = default;
};

/// True when name, size, bold, italic and underline agree.
bool Same_Font(const Font_Rec& a, const Font_Rec& b);

/// A QFont that draws without anti-aliasing or kerning, sized for a 96 dpi device.
QFont Make_QFont(const Font_Rec& font);

/// Points to pixels at 96 dots per inch (20 pt = 26.7 px).
constexpr double Points_To_Pixels(double points) { return points * 96.0 / 72.0; }

}  // namespace lyricanvas
