#include "project/rtf.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
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

Embedded_Picture Picture_Of(std::string bytes, const char* path) {
  return Embedded_Picture{std::move(bytes), QString::fromUtf8(path)};
}

TEST(RtfRoundTrip, KeepsCharactersOutsideAsciiRtfSpecialsAndTheFormatOfAnEmptyLine) {
  Document doc;
  // Latin-1, the code page's 0x80..0x9F characters, CJK, Hangul above U+7FFF, a character outside
  // the BMP (a surrogate pair), RTF's own specials, a tab and a line separator.
  const QString text = QString::fromUtf8(
      "caf\xc3\xa9 \xc3\xbc\xc3\x9f \xe2\x82\xac\xe2\x80\x9ehi\xe2\x80\x9c \xe2\x80\x93\r\n\r\n"
      "\xe4\xb8\xad\xe6\x96\x87 \xed\x95\x9c\xea\xb8\x80 \xf0\x9f\x8e\xa4\r\n"
      "{braces} back\\slash \\par \\object\tx\xe2\x80\xa8y");
  doc.Set_Text(text);
  doc.Set_Color(0, 4, qRgb(0, 0, 128));
  QTextCharFormat empty_line;
  empty_line.setFontPointSize(30);
  QTextCursor(doc.Qt().findBlockByNumber(1)).setBlockCharFormat(empty_line);
  std::string rtf = Write_Rtf(doc);
  Document back = Read_Back(rtf);
  EXPECT_EQ(back.Text(), text);
  EXPECT_EQ(Looks(back), Looks(doc));
  EXPECT_EQ(back.Font(text.indexOf("\r\n") + 2, 0).Font_Size, 30);
  EXPECT_TRUE(rtf.starts_with(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Times New Roman;}"));
  EXPECT_TRUE(std::ranges::all_of(rtf, [](char c) { return (c & 0x80) == 0; }));  // 7-bit
  EXPECT_NE(rtf.find("caf\\'e9"), std::string::npos);
  EXPECT_NE(rtf.find("\\'80"), std::string::npos);       // the euro sign of the code page
  EXPECT_NE(rtf.find("\\u-10180?"), std::string::npos);  // high half of U+1F3A4, negative
  EXPECT_NE(rtf.find("\\u-10916?"), std::string::npos);  // U+D55C above 32767, negative
  EXPECT_NE(rtf.find("\\u20013?"), std::string::npos);   // U+4E2D
  EXPECT_EQ(rtf.find("\\object"), std::string::npos);    // a backslash in text never spells a word
  EXPECT_EQ(rtf.find("\\par \\"), std::string::npos);
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
      doc.Insert_Picture(
          pick(doc.Length()),
          Picture_Of(Image_Bytes("BMP", 1 + pick(5), 1 + pick(5), qRgb(pick(256), 9, 9)),
                     pick(2) ? "" : "/songs/a {red} \xc3\xa9.bmp"));
    Document back = Read_Back(Write_Rtf(doc));
    ASSERT_EQ(back.Text(), doc.Text()) << "round " << round;
    ASSERT_EQ(Looks(back), Looks(doc)) << "round " << round;
    ASSERT_EQ(back.Picture_Count(), doc.Picture_Count());  // Looks placed their characters
    for (int i = 0; i < doc.Picture_Count(); ++i) EXPECT_EQ(*back.Picture(i), *doc.Picture(i));
  }
}

TEST(RtfPictures, ObjectDataIsTheHeaderThenTheBmpInLowerCaseHex) {
  Document doc;
  doc.Set_Text("ab");
  std::string first = Image_Bytes("BMP", 5, 4, qRgb(10, 200, 30)),
              second = Image_Bytes("BMP", 2, 9, qRgb(1, 2, 3));
  doc.Insert_Picture(1, Picture_Of(first, "/x/first.bmp"));
  doc.Insert_Picture(3, Picture_Of(second, ""));
  std::string rtf = Write_Rtf(doc);
  // Readers take the data 9 characters after "\objdata": 62 header digits (version, embedded,
  // "PBrush", no topic, no item, size), then the BMP as lower-case byte pairs up to the next "}".
  std::vector<std::string> objects;
  for (std::size_t at = rtf.find("\\objdata"); at != std::string::npos;
       at = rtf.find("\\objdata", at + 1)) {
    std::string data = rtf.substr(at + 9, rtf.find('}', at) - at - 9);
    std::erase_if(data, [](char c) { return c == '\r' || c == '\n'; });
    objects.push_back(data);
  }
  const std::string header = "010500000200000007000000504272757368000000000000000000";
  EXPECT_EQ(objects, (std::vector<std::string>{header + Hex(Le(first.size(), 4) + first),
                                               header + Hex(Le(second.size(), 4) + second)}));
  EXPECT_EQ(rtf.find("{\\*\\objclass Paint.Picture}"), rtf.find("{\\*\\objclass"));
  // Other readers show the result: a PNG of the picture's size at 96 dots per inch.
  EXPECT_NE(rtf.find("{\\result{\\pict\\pngblip\\picw5\\pich4\\picwgoal75\\pichgoal60"),
            std::string::npos);
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

// A picture or object keeps its character whether or not it can be shown; a \pict that cannot
// be shown is reported.
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
  struct Case {
    const char* what;
    std::string pict;
    QRgb color;  ///< of the decoded picture; 0 for a picture without bytes
    const char* source = "";
  } cases[] = {
      {"package object in upper-case hex",
       Object_Rtf("Package", Ole_Stream("Package", package), true), qRgb(0, 255, 0),
       "C:\\Art\\pic.bmp"},
      {"paint object of another writer",
       Object_Rtf("Paint.Picture", header31 + bmp + "trailing", false), qRgb(0, 255, 0)},
      {"PNG", "{\\pict\\pngblip\\picw3\\pich2 " + png + "}", qRgb(255, 0, 0)},
      {"JPEG", "{\\pict\\jpegblip " + jpeg + "}", qRgb(0, 0, 255)},
      {"DIB", "{\\pict\\dibitmap0\\wbmwidthbytes12 " + dib + "}", qRgb(0, 255, 0)},
      {"PNG in binary",
       "{\\pict\\pngblip\\bin" + std::to_string(png_binary.size()) + " " + png_binary + "}",
       qRgb(255, 0, 0)},
      {"shape picture and its alternative",
       "{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn x}}}\\pngblip " + png +
           "}}{\\nonshppict{\\pict\\wmetafile8 0100}}",
       qRgb(255, 0, 0)},
      {"metafile", "{\\pict\\wmetafile8\\picw3 01000900}", 0},
      {"enhanced metafile", "{\\pict\\emfblip 0100}", 0},
      {"damaged PNG", "{\\pict\\pngblip 89504e47}", 0},
      {"object of no OLE stream", Object_Rtf("Paint.Picture", "not an ole stream", false), 0},
      {"object of another class", Object_Rtf("Equation.3", Ole_Stream("Equation.3", "xyz"), false),
       0},
      {"object with invalid hex", "{\\object{\\*\\objclass Paint.Picture}{\\*\\objdata 01zz05}}",
       0},
  };
  for (const Case& c : cases) {
    Document doc;
    std::string error, warning;
    ASSERT_TRUE(Read_Rtf(doc, "{\\rtf1 ab" + c.pict + "cd\\par ef}", error, &warning)) << c.what;
    EXPECT_EQ(doc.Text(), QString("ab") + QChar(Picture_Char) + "cd\r\nef") << c.what;
    ASSERT_EQ(doc.Picture_Count(), 1) << c.what;
    EXPECT_EQ(doc.Picture_Offset(0), 2) << c.what;
    EXPECT_EQ(doc.Picture(0)->Source_Path, c.source) << c.what;
    const std::string& bytes = doc.Picture(0)->Bytes;
    QImage image = QImage::fromData(QByteArray::fromStdString(bytes), "BMP");
    if (c.color == 0) {
      EXPECT_EQ(bytes, "") << c.what;
      EXPECT_EQ(warning.empty(), c.pict.starts_with("{\\object")) << c.what;
      continue;
    }
    EXPECT_TRUE(warning.empty()) << c.what;
    ASSERT_EQ(image.size(), QSize(3, 2)) << c.what;
    QRgb pixel = image.pixel(1, 1);
    EXPECT_LT(std::abs(qRed(pixel) - qRed(c.color)) + std::abs(qGreen(pixel) - qGreen(c.color)) +
                  std::abs(qBlue(pixel) - qBlue(c.color)),
              24)
        << c.what;  // JPEG is near
  }
  Document doc;
  std::string error, warning;
  ASSERT_TRUE(
      Read_Rtf(doc, "{\\rtf1 {\\pict\\wmetafile8 01}a{\\pict\\emfblip 01}}", error, &warning));
  EXPECT_EQ(warning.rfind("2 picture(s)", 0), 0u) << warning;  // said once for all
}

/// A run of characters that share one look: font, styles, colour and their line's alignment.
struct Run {
  int at, length;
  const char* font;
  double size;
  const char* styles;  ///< "B", "I", "U" for bold, italic, underline
  QRgb color;
  int align;
};

void Expect_Runs(const Document& doc, const std::vector<Run>& runs) {
  for (const Run& r : runs) {
    const Font_Rec f = doc.Font(r.at, r.length);
    const std::string styles =
        std::string(f.Bold ? "B" : "") + (f.Italic ? "I" : "") + (f.Underline ? "U" : "");
    EXPECT_EQ(std::tuple(f.Font_Name.toStdString(), f.Font_Size, styles, doc.Color(r.at, r.length),
                         doc.Alignment(r.at)),
              std::tuple(std::string(r.font), r.size, std::string(r.styles),
                         std::optional<QRgb>(r.color), r.align))
        << "run at " << r.at;
  }
}

TEST(RtfReader, OpensAWordProcessorFile) {
  Document doc = Read_Back(Read_File(Test_Data("project/rtf/word_processor.rtf")));
  EXPECT_EQ(doc.Text(),
            QString::fromUtf8("Twinkle, twinkle \xe2\x80\x93 little star\r\n"
                              "How I wonder what you\xe2\x80\x99re, caf\xc3\xa9\tna\xc3\xafve\r\n"
                              "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 link\r\n"
                              "\xef\xbf\xbc"
                              "End."));
  const QRgb maroon = qRgb(128, 0, 0), teal = qRgb(0, 128, 128), purple = qRgb(128, 0, 128);
  const int line2 = 32, line3 = line2 + 38, line4 = line3 + 13;
  Expect_Runs(doc, {{0, 17, "Arial", 16, "B", maroon, Align_Center},
                    {17, 13, "Arial", 16, "BI", maroon, Align_Center},
                    {line2, 26, "Times New Roman", 12, "", teal, Align_Left},
                    {line2 + 26, 4, "Times New Roman", 12, "U", teal, Align_Left},
                    {line2 + 30, 6, "Times New Roman", 12, "", teal, Align_Left},
                    {line3, 6, "Courier New Cyr", 14, "", purple, Align_Right},
                    {line3 + 7, 4, "Times New Roman", 12, "", purple, Align_Right},
                    {line4 + 1, 4, "Arial", 18, "BIU", maroon, Align_Center}});
  EXPECT_TRUE(doc.Font(line4 + 1, 4).Bold_Set && doc.Font(line4 + 1, 4).Italic_Set &&
              doc.Font(line4 + 1, 4).Underline_Set);
  // The shape picture (a cut-off PNG here) takes its character; its metafile alternative is
  // passed over.
  ASSERT_EQ(doc.Picture_Count(), 1);
  EXPECT_EQ(doc.Picture_Offset(0), line4);
  EXPECT_EQ(doc.Picture(0)->Bytes, "");
}

// \plain and \pard reset the look; a huge size is clamped, zero and negative ones are ignored.
TEST(RtfReader, PlainPardAndFontSizes) {
  Document doc = Read_Back(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red0\\green0\\blue255;}"
      "\\qc\\f1\\fs40\\b\\i\\ul\\cf1 A\\par\\pard\\plain B\\par"
      "\\fs99999999999 a\\fs0 b\\fs-4 c\\fs7 d}");
  Expect_Runs(doc, {{0, 1, "Courier New", 20, "BIU", qRgb(0, 0, 255), Align_Center},
                    {3, 1, "Arial", 12, "", qRgb(0, 0, 0), Align_Left},
                    {6, 3, "Arial", 1638, "", qRgb(0, 0, 0), Align_Left},
                    {9, 1, "Arial", 3.5, "", qRgb(0, 0, 0), Align_Left}});
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
