#include "project/rtf.h"

#include <gtest/gtest.h>

#include <random>

#include "project_test_support.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Image_Bytes;
using testing::Le;
using testing::Looks;
using testing::Make_Font;
using testing::Read_File;
using testing::Test_Data;

Document Read_Back(const std::string& rtf) {
  Document doc;
  std::string error;
  EXPECT_TRUE(Read_Rtf(doc, rtf, error)) << error;
  return doc;
}

/// Bytes as RTF hex digits.
std::string Hex(const std::string& bytes) {
  return QByteArray::fromStdString(bytes).toHex().toStdString();
}

// Lone surrogates in the pool stay as they are.
TEST(RtfRoundTrip, RandomDocumentsKeepEveryCharacterAndItsFormat) {
  const std::vector<char16_t> pool = {
      u'a',   u'Z',   u'7',   u' ',   u' ',   u'\\',  u'{', u'}',  u';', u'\t',  0x00e9, 0x00ff,
      0x20ac, 0x2019, 0x0430, 0x4e2d, 0xac00, 0xff71, u'?', u'\'', u'-', 0xd800, 0xdc00};
  const std::vector<QString> fonts = {"Times New Roman", "Arial", "Courier New", "DejaVu Sans"};
  const std::vector<QRgb> colors = {qRgb(128, 0, 0), qRgb(0, 0, 0), qRgb(0, 128, 128),
                                    qRgb(128, 0, 128), qRgb(1, 2, 3)};
  std::mt19937 random(1234);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 30; ++round) {
    QString text;
    for (int i = 0, n = 1 + pick(120); i < n; ++i)
      text += pick(12) == 0 ? QString("\r\n") : QString(QChar(pool[pick(int(pool.size()))]));
    Document doc;
    doc.Set_Text(text);
    for (int k = 0; k < 8; ++k) {
      int start = pick(doc.Length()), length = pick(doc.Length() - start + 1);
      doc.Apply_Font(start, length,
                     Make_Font(fonts[pick(4)].toUtf8().constData(), 4 + pick(60) / 2.0, pick(2),
                               pick(2), pick(2)));
      doc.Set_Color(start, length, colors[pick(int(colors.size()))]);
      doc.Set_Alignment(start, length, pick(3));
    }
    for (int k = pick(3); k > 0; --k)
      doc.Insert_Picture(pick(doc.Length()),
                         {Image_Bytes("BMP", 1 + pick(5), 1 + pick(5), qRgb(pick(256), 9, 9)),
                          pick(2) ? "" : "/songs/a {red} \xc3\xa9.bmp"});
    Document back = Read_Back(Write_Rtf(doc));
    ASSERT_EQ(back.Text(), doc.Text()) << "round " << round;
    ASSERT_EQ(Looks(back), Looks(doc)) << "round " << round;
    ASSERT_EQ(back.Picture_Count(), doc.Picture_Count());  // Looks placed their characters
    for (int i = 0; i < doc.Picture_Count(); ++i) EXPECT_EQ(*back.Picture(i), *doc.Picture(i));
  }
}

// Object data as an RTF group: hex pairs, split over lines in the middle of a pair.
std::string Object_Rtf(const std::string& class_name, const std::string& data, bool upper) {
  QByteArray hex = QByteArray::fromStdString(data).toHex();
  if (upper) hex = hex.toUpper();
  std::string h = hex.toStdString();
  for (std::size_t i = 51; i < h.size(); i += 52) h.insert(i, "\r\n");
  return "{\\object\\objemb{\\*\\objclass " + class_name + "}{\\*\\objdata\r\n" + h +
         "}{\\result{\\pict\\wmetafile8 0100}}}";
}

std::string Ole_Stream(const std::string& class_name, const std::string& native) {
  return Le(0x0501, 4) + Le(2, 4) + Le(class_name.size() + 1, 4) + class_name + '\0' + Le(0, 4) +
         Le(0, 4) + Le(native.size(), 4) + native;
}

// A picture or object keeps its character whether or not it can be shown, and the pictures that
// can are decoded (to BMP files, pinned by the golden); a \pict that cannot be shown is reported.
TEST(RtfPictures, PictPicturesAndObjectsBecomePicturesOfTheDocument) {
  const std::string png = Hex(Image_Bytes("PNG", 3, 2, qRgb(255, 0, 0)));
  const std::string jpeg = Hex(Image_Bytes("JPEG", 3, 2, qRgb(0, 0, 255)));
  const std::string png_binary = Image_Bytes("PNG", 3, 2, qRgb(255, 0, 0));
  const std::string bmp = Image_Bytes("BMP", 3, 2, qRgb(0, 255, 0));
  const std::string dib = Hex(bmp.substr(14));  // no file header
  const std::string package = std::string("\x02\x00", 2) + "pic.bmp" + '\0' + "C:\\Art\\pic.bmp" +
                              '\0' + std::string("\x00\x00\x03\x00", 4) + Le(8, 4) + "C:\\t.bmp" +
                              '\0' + Le(bmp.size(), 4) + bmp + std::string("\x00\x00", 2);
  const std::string header31(Picture_Object_Header_Size, '\x11');  // a header we do not parse
  const std::string picts[] = {
      Object_Rtf("Package", Ole_Stream("Package", package), true),      // upper-case hex
      Object_Rtf("Paint.Picture", header31 + bmp + "trailing", false),  // of another writer
      "{\\pict\\pngblip\\picw3\\pich2 " + png + "}",
      "{\\pict\\jpegblip " + jpeg + "}",
      "{\\pict\\dibitmap0\\wbmwidthbytes12 " + dib + "}",
      "{\\pict\\pngblip\\bin" + std::to_string(png_binary.size()) + " " + png_binary + "}",
      "{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn x}}}\\pngblip " + png +
          "}}{\\nonshppict{\\pict\\wmetafile8 0100}}",  // a shape picture and its alternative
      // Without bytes: metafiles, a damaged PNG, and objects that are no picture.
      "{\\pict\\wmetafile8\\picw3 01000900}",
      "{\\pict\\emfblip 0100}",
      "{\\pict\\pngblip 89504e47}",
      Object_Rtf("Paint.Picture", "not an ole stream", false),
      Object_Rtf("Equation.3", Ole_Stream("Equation.3", "xyz"), false),
      "{\\object{\\*\\objclass Paint.Picture}{\\*\\objdata 01zz05}}",
  };
  std::string rtf = "{\\rtf1 ";
  for (const std::string& pict : picts) rtf += pict + "x";
  Document doc;
  std::string error, warning;
  ASSERT_TRUE(Read_Rtf(doc, rtf + "}", error, &warning)) << error;
  EXPECT_EQ(doc.Picture_Count(), static_cast<int>(std::size(picts)));
  EXPECT_EQ(warning.rfind("3 picture(s)", 0), 0u) << warning;  // said once for all
  testing::Expect_Golden("project/golden/pictures.rtf", Write_Rtf(doc));
}

// What the reader makes of a word processor's file (fonts, sizes, styles, colours, alignments, a
// shape picture cut off and its metafile alternative) and of \plain, \pard and font sizes that
// are clamped or ignored, written back as RTF and compared with their goldens.
TEST(RtfReader, FilesReadAsTheirGoldensSay) {
  const std::pair<const char*, std::string> cases[] = {
      {"word_processor_as_read.rtf", Read_File(Test_Data("project/rtf/word_processor.rtf"))},
      {"plain_pard_sizes.rtf",
       "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red0\\green0\\blue255;}"
       "\\qc\\f1\\fs40\\b\\i\\ul\\cf1 A\\par\\pard\\plain B\\par"
       "\\fs99999999999 a\\fs0 b\\fs-4 c\\fs7 d}"},
  };
  for (const auto& [golden, rtf] : cases)
    testing::Expect_Golden(std::string("project/golden/") + golden, Write_Rtf(Read_Back(rtf)));
}

// The text read from a file, or the reason it is refused (the document is then unchanged).
TEST(RtfReader, FilesGiveTheirTextOrAReason) {
  auto file = [](const char* name) {
    return Read_File(Test_Data(std::string("project/rtf/malformed/") + name));
  };
  struct Case {
    std::string rtf;
    const char* text;        ///< UTF-8; nullptr when the file is refused
    const char* error = "";  ///< part of the reason
  } cases[] = {
      // \u skips as many fallback characters as \uc says; a group's end stops the skipping and
      // \uc holds for its group.
      {"{\\rtf1\\uc2\\u20013\\'d6\\'d0x}", "\xe4\xb8\xadx"},
      {"{\\rtf1\\uc0\\u20013 x}", "\xe4\xb8\xadx"},
      {"{\\rtf1{\\uc3\\u233}ab\\u233?c}", "\u00e9ab\u00e9c"},
      {"{\\rtf1\\u233\\par x}", "\xc3\xa9x"},
      // Line and paragraph marks break lines; the final mark adds none; raw line breaks are no
      // text.
      {"{\\rtf1 a\\line b\\par c\\par}", "a\r\nb\r\nc"},
      {"{\\rtf1 a\\par\\par}", "a\r\n"},
      {"{\\rtf1 a\\\nb\\tab c}", "a\r\nb\tc"},
      {"{\\rtf1 a\r\nb}", "ab"},
      {"{\\rtf1" + std::string(254, '{') + "deep" + std::string(254, '}') + "}", "deep"},
      // The document's code page, a font's character set, and Windows-1252 for unknown ones.
      {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
       "\\'c4\\'e0 \\f1\\'8a\\'e8}",
       "\xd0\x94\xd0\xb0 \xc5\xa0\xc4\x8d"},
      {"{\\rtf1\\ansi\\ansicpg99999 caf\\'e9 \\'80}", "caf\xc3\xa9 \xe2\x82\xac"},
      {"{\\rtf1" + std::string(256, '{') + "x", nullptr, "nested"},
      {"{\\rt", nullptr, "not in RTF"},
      {"Hello {\\rtf1 x}", nullptr, "not in RTF"},
      {file("extra_closing_brace.rtf"), nullptr, "closing brace"},
      {file("missing_final_brace.rtf"), "Hello\r\nWorld"},
      {file("ends_in_font_table.rtf"), nullptr, "incomplete"},
      {file("ends_in_control_word.rtf"), nullptr, "control word"},
      // \u skips one fallback: the next \u; then \uc swallows the rest.
      {file("huge_numbers.rtf"), "BigaA"},
      {file("huge_binary_count.rtf"), "before"},
      {file("invalid_hex.rtf"), "azzb c"},
      {file("bad_object_data.rtf"), "one\xef\xbf\xbctwo"},
      {file("object_ends_early.rtf"), nullptr, "incomplete"},
      {file("nul_bytes.rtf"), "abc"},
      {file("unknown_code_page.rtf"), "caf\xc3\xa9"},
      {file("empty_tables.rtf"), "text"},
      {file("star_then_text.rtf"), "a bcd"},
  };
  for (const Case& c : cases) {
    Document doc;
    doc.Set_Text("unchanged");
    std::string error;
    EXPECT_EQ(Read_Rtf(doc, c.rtf, error), c.text != nullptr) << c.rtf.substr(0, 80) << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.rtf.substr(0, 80) << error;
    EXPECT_EQ(doc.Text(), QString::fromUtf8(c.text ? c.text : "unchanged")) << c.rtf.substr(0, 80);
  }
}

}  // namespace
}  // namespace lyricanvas
