#pragma once
// Builders shared by the project module's tests.
#include <QBuffer>
#include <QImage>
#include <string>

#include "model/song.h"

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

}  // namespace lyricanvas::testing
