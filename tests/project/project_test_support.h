#pragma once
// Builders shared by the project module's tests.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/song.h"
#include "support/test_support.h"

namespace lyricanvas::testing {

/// An image file of the format in one colour (BMP files are 24-bit).
inline std::string Image_Bytes(const char* format, int width, int height, QRgb color) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(color);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return buffer.data().toStdString();
}

/// The characters of field f as the lyrics hold them.
inline QString Field_Text(const Song& song, int f) {
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  return song.RTB_Raw.Text().mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
}

// Everything a character carries, for comparing documents character by character.
struct Char_Look {
  QChar c;
  Font_Rec font;
  QRgb color = 0;
  int align = 0;
  bool operator==(const Char_Look&) const = default;
};

inline std::vector<Char_Look> Looks(const Document& doc) {
  std::vector<Char_Look> looks;
  QString text = doc.Text();
  for (int i = 0; i < text.size(); ++i) {
    Char_Look l{text[i], {}, 0, doc.Alignment(i)};
    if (!Is_Picture_Char(text[i]) && text[i] != QChar('\r') && text[i] != QChar('\n')) {
      l.font = doc.Font(i, 1);
      l.color = doc.Color(i, 1).value_or(0);
    }
    looks.push_back(l);
  }
  return looks;
}

}  // namespace lyricanvas::testing
