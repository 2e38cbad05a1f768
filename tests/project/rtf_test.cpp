#include "project/rtf.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <random>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Read_File;
using testing::Test_Data;

// A small 24-bit BMP file in one colour.
std::string Make_Bmp(int width, int height, QRgb color) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

// Everything a character carries, for comparing documents character by character.
struct Char_Look {
  QChar c;
  Font_Rec font;
  QRgb color = 0;
  int align = 0;
  bool operator==(const Char_Look&) const = default;
};

void PrintTo(const Char_Look& l, std::ostream* os) {
  *os << "U+" << std::hex << static_cast<int>(l.c.unicode()) << std::dec << " " << l.font.Font_Name.toStdString()
      << " " << l.font.Font_Size << (l.font.Bold ? " b" : "") << (l.font.Italic ? " i" : "")
      << (l.font.Underline ? " u" : "") << " #" << std::hex << (l.color & 0xffffff) << std::dec
      << " align " << l.align;
}

std::vector<Char_Look> Looks(const Document& doc) {
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

Document Read_Back(const std::string& rtf) {
  Document doc;
  std::string error;
  EXPECT_TRUE(Read_Rtf(doc, rtf, error)) << error;
  return doc;
}

Font_Rec Make_Font(const char* name, double size, bool bold, bool italic, bool underline) {
  Font_Rec f;
  f.Font_Name = name;
  f.Font_Size = size;
  f.Bold = bold;
  f.Italic = italic;
  f.Underline = underline;
  return f;
}

// Three lines: fonts, sizes and styles vary per syllable, singers' colours per line, and the
// lines are aligned left, centred and right.
Document Formatted_Song() {
  Document doc;
  doc.Set_Text("Twin-kle twin-kle\r\nlit-tle star,\r\nhow I won-der");
  doc.Apply_Font(0, 4, Make_Font("Arial", 24, true, false, false));
  doc.Apply_Font(4, 4, Make_Font("Courier New", 13.5, false, true, true));
  doc.Apply_Font(19, 6, Make_Font("Times New Roman", 36, true, true, true));
  doc.Set_Color(0, 17, qRgb(128, 0, 0));
  doc.Set_Color(19, 13, qRgb(0, 128, 128));
  doc.Set_Color(34, 12, qRgb(128, 0, 128));
  doc.Set_Alignment(19, 0, Align_Center);
  doc.Set_Alignment(34, 0, Align_Right);
  return doc;
}

TEST(RtfRoundTrip, KeepsFontsSizesStylesColoursAndAlignment) {
  Document doc = Formatted_Song();
  Document back = Read_Back(Write_Rtf(doc));
  EXPECT_EQ(back.Text(), doc.Text());
  EXPECT_EQ(Looks(back), Looks(doc));
  EXPECT_EQ(back.Alignment(0), Align_Left);
  EXPECT_EQ(back.Alignment(20), Align_Center);
  EXPECT_EQ(back.Alignment(40), Align_Right);
}

}  // namespace
}  // namespace lyricanvas
