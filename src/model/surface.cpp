#include "model/surface.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <map>
#include <tuple>

namespace lyricanvas {

namespace {

// A 96 dpi device for measuring, shared by every Font_Rec look-up.
const QImage& Measure_Device() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
  }();
  return device;
}

using Font_Key = std::tuple<QString, double, bool, bool, bool>;

struct Metrics_Entry {
  QFontMetrics metrics;
  int ascii[128];
};

Metrics_Entry& Metrics_For(const Font_Rec& font) {
  static std::map<Font_Key, Metrics_Entry> cache;
  Font_Key key{font.Font_Name, font.Font_Size, font.Bold, font.Italic, font.Underline};
  auto it = cache.find(key);
  if (it == cache.end()) {
    QFontMetrics metrics(Make_QFont(font), &Measure_Device());
    Metrics_Entry entry{metrics, {}};
    for (int c = 0; c < 128; ++c) entry.ascii[c] = metrics.horizontalAdvance(QChar(c));
    it = cache.emplace(key, entry).first;
  }
  return it->second;
}

}  // namespace

int Char_Advance(const Font_Rec& font, QChar c) {
  Metrics_Entry& entry = Metrics_For(font);
  if (c.unicode() < 128) return entry.ascii[c.unicode()];
  return entry.metrics.horizontalAdvance(c);
}

Surface::Surface(int width, int height, QRgb background)
    : image_(width, height, QImage::Format_RGB32), background_(background) {
  image_.setDotsPerMeterX(3780);
  image_.setDotsPerMeterY(3780);
  Cls();
}

void Surface::Cls() {
  image_.fill(background_);
  x_ = 0;
  y_ = 0;
}

void Surface::Set_Font(const Font_Rec& font) {
  if (font == font_ && ascent_ != 0) return;
  font_ = font;
  qfont_ = Make_QFont(font);
  ascent_ = Metrics_For(font).metrics.ascent();
}

int Surface::Char_Advance(QChar c) const { return lyricanvas::Char_Advance(font_, c); }

int Surface::Text_Width(const QString& text) const {
  int width = 0;
  for (QChar c : text) width += Char_Advance(c);
  return width;
}

void Surface::Draw_Chars(QImage& on, int x, int baseline, const QString& text) const {
  QPainter painter(&on);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(qfont_);
  painter.setPen(QColor::fromRgb(color_));
  for (QChar c : text) {
    painter.drawText(x, baseline, QString(c));
    x += Char_Advance(c);
  }
}

void Surface::Print(const QString& text) {
  if (text.isEmpty()) return;
  Draw_Chars(image_, x_, y_ + ascent_, text);
  x_ += Text_Width(text);
}

void Surface::Print_Spread(const QString& text, int spread) {
  if (text.isEmpty()) return;
  // Glyphs are drawn once into a transparent stamp, which is then laid down at every offset.
  // Without anti-aliasing every stamp pixel is either fully drawn or untouched, so this gives
  // exactly the pixels of printing the text at each offset, at a fraction of the cost.
  const int pad = std::max(8, qfont_.pixelSize());
  const int width = Text_Width(text);
  QImage stamp(width + 2 * pad, ascent_ + 2 * pad + pad, QImage::Format_ARGB32_Premultiplied);
  stamp.fill(Qt::transparent);
  Draw_Chars(stamp, pad, pad + ascent_, text);
  QPainter painter(&image_);
  for (int dy = -spread; dy <= spread; ++dy)
    for (int dx = -spread; dx <= spread; ++dx)
      painter.drawImage(x_ + dx - pad, y_ + dy - pad, stamp);
  x_ += width;
}

void Surface::Set_Pixel(int x, int y, QRgb color) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  image_.setPixel(x, y, color);
}

void Surface::Fill_Rect(int x1, int y1, int x2, int y2, QRgb color) {
  QPainter painter(&image_);
  painter.fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                         QPoint(std::max(x1, x2), std::max(y1, y2))),
                   QColor::fromRgb(color));
}

void Surface::Line(int x1, int y1, int x2, int y2, QRgb color) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QColor::fromRgb(color));
  painter.drawLine(x1, y1, x2, y2);
}

void Surface::Copy_Rect(const Surface& from, int sx, int sy, int w, int h, int dx, int dy) {
  QPainter painter(&image_);
  painter.drawImage(QPoint(dx, dy), from.image_, QRect(sx, sy, w, h));
}

}  // namespace lyricanvas
