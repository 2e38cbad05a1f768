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

/// Where two outputs first differ; npos when they are equal.
inline std::size_t First_Difference(const std::string& a, const std::string& b) {
  if (a == b) return std::string::npos;
  return static_cast<std::size_t>(std::ranges::mismatch(a, b).in1 - a.begin());
}

/// Compares an output with its golden, tests/data/project/golden/<name>, after writing every
/// occurrence of the scratch folder as "$TMP". A mismatch leaves the new output in the system's
/// temporary folder under the golden's name. To approve an intended change, look at that output
/// and run the tests once with LYRICANVAS_APPROVE_GOLDEN=1, which writes the goldens instead.
inline void Expect_Golden(const std::string& name, std::string bytes,
                          const std::string& scratch = "") {
  for (std::size_t at; !scratch.empty() && (at = bytes.find(scratch)) != std::string::npos;)
    bytes.replace(at, scratch.size(), "$TMP");
  const std::string golden = Test_Data("project/golden/" + name);
  if (std::getenv("LYRICANVAS_APPROVE_GOLDEN")) return Write_File(golden, bytes);
  const std::size_t at = First_Difference(bytes, Read_File(golden));
  if (at == std::string::npos) return;
  const std::string fresh = (std::filesystem::temp_directory_path() / name).string();
  Write_File(fresh, bytes);
  ADD_FAILURE() << name << " differs from its golden from byte " << at << " on; the new output "
                << "is " << fresh;
}

}  // namespace lyricanvas::testing
