// RTF output of the lyrics: one font table, one colour table, explicit character formatting per
// run and an alignment per paragraph, so word processors and our own reader see the same text.
#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextFragment>
#include <algorithm>
#include <cmath>
#include <optional>

#include "project/rtf.h"

namespace lyricanvas {

namespace {

constexpr int Twips_Per_Pixel = 15;  // 1440 twips per inch at 96 pixels per inch
constexpr int Hex_Bytes_Per_Line = 64;

struct Run_Format {
  int font = 0;
  int half_points = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int color = 1;
};

/// The colour without its alpha, so text without a colour of its own and text coloured black
/// share one entry of the colour table.
QRgb Text_Color(const QTextCharFormat& f) {
  if (!f.hasProperty(QTextFormat::ForegroundBrush)) return 0;
  return f.foreground().color().rgb() & 0xffffffu;
}

void Append_Number(std::string& out, long long value) { out += std::to_string(value); }

void Append_Hex(std::string& out, std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % Hex_Bytes_Per_Line == 0) out += "\r\n";
    auto b = static_cast<std::uint8_t>(bytes[i]);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
}

void Append_Le32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

// The OLE1 stream header of a Paint picture: version, "embedded" format, the class "PBrush" and
// empty topic and item names, then the size of the native data (the BMP file), 31 bytes in all.
std::string Picture_Object_Data(const std::string& bmp) {
  std::string data;
  Append_Le32(data, 0x0501);
  Append_Le32(data, 2);
  Append_Le32(data, 7);
  data.append("PBrush", 7);  // with its terminating zero
  Append_Le32(data, 0);
  Append_Le32(data, 0);
  Append_Le32(data, static_cast<std::uint32_t>(bmp.size()));
  data += bmp;
  return data;
}

class Rtf_Writer {
 public:
  explicit Rtf_Writer(const Document& doc) : doc_(doc) {
    fonts_.push_back(doc.Default_Font().Font_Name);  // \f0, the \deff0 of the document
  }

  std::string Write() {
    for (QTextBlock block = doc_.Qt().begin(); block.isValid(); block = block.next())
      Write_Block(block);
    return Header() + body_ + "}";
  }

 private:
  void Write_Block(const QTextBlock& block) {
    Alignment a = static_cast<Alignment>(Block_Alignment(block));
    Word(a == Align_Center ? "\\pard\\qc" : a == Align_Right ? "\\pard\\qr" : "\\pard\\ql");
    bool empty = true;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      if (fragment.charFormat().isImageFormat()) {
        for (QChar c : fragment.text())
          if (Is_Picture_Char(c)) Write_Picture();
        continue;
      }
      Write_Format(fragment.charFormat());
      Write_Text(fragment.text());
      empty = false;
    }
    if (empty) Write_Format(block.charFormat());  // the format an empty line is typed in
    Word("\\par");
    body_ += "\r\n";
    need_space_ = false;
  }

  static int Block_Alignment(const QTextBlock& block) {
    Qt::Alignment a = block.blockFormat().alignment();
    if (a & Qt::AlignHCenter) return Align_Center;
    if (a & Qt::AlignRight) return Align_Right;
    return Align_Left;
  }

  void Write_Format(const QTextCharFormat& format) {
    Font_Rec font = Font_Of_Format(format, doc_.Default_Font());
    Run_Format f;
    f.font = Font_Index(font.Font_Name);
    f.half_points = std::max(1, static_cast<int>(std::lround(font.Font_Size * 2)));
    f.bold = font.Bold;
    f.italic = font.Italic;
    f.underline = font.Underline;
    f.color = Color_Index(Text_Color(format));
    const bool all = !current_;
    const Run_Format c = current_.value_or(Run_Format{});
    if (all || f.font != c.font) Word("\\f", f.font);
    if (all || f.half_points != c.half_points) Word("\\fs", f.half_points);
    if (all || f.bold != c.bold) Word(f.bold ? "\\b" : "\\b0");
    if (all || f.italic != c.italic) Word(f.italic ? "\\i" : "\\i0");
    if (all || f.underline != c.underline) Word(f.underline ? "\\ul" : "\\ul0");
    if (all || f.color != c.color) Word("\\cf", f.color);
    current_ = f;
  }

  void Write_Text(const QString& text) {
    for (QChar c : text) {
      if (Is_Picture_Char(c)) continue;  // a picture character without its picture
      if (c == QChar('\t')) {
        Word("\\tab");
        continue;
      }
      Append_Escaped_Char(body_, c.unicode(), need_space_);
    }
  }

  void Write_Picture() {
    const Embedded_Picture* picture = doc_.Picture(picture_index_++);
    const std::string bmp = picture ? picture->Bytes : std::string();
    QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bmp.data()),
                                    static_cast<int>(bmp.size()));
    body_ += "{\\object\\objemb";
    if (!image.isNull()) {
      body_ += "\\objw" + std::to_string(image.width() * Twips_Per_Pixel);
      body_ += "\\objh" + std::to_string(image.height() * Twips_Per_Pixel);
    }
    body_ += "{\\*\\objclass Paint.Picture}{\\*\\objdata ";
    Append_Hex(body_, Picture_Object_Data(bmp));
    body_ += "}";
    if (picture && !picture->Source_Path.isEmpty()) {
      body_ += "{\\*\\lcsourcepath ";
      bool space = false;
      for (QChar c : picture->Source_Path) Append_Escaped_Char(body_, c.unicode(), space);
      body_ += "}";
    }
    if (!image.isNull()) Write_Picture_Result(image);
    body_ += "}";
    need_space_ = false;
  }

  // What other readers show: the picture as PNG, sized at 96 dots per inch.
  void Write_Picture_Result(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return;
    body_ += "{\\result{\\pict\\pngblip\\picw" + std::to_string(image.width()) + "\\pich" +
             std::to_string(image.height()) + "\\picwgoal" +
             std::to_string(image.width() * Twips_Per_Pixel) + "\\pichgoal" +
             std::to_string(image.height() * Twips_Per_Pixel) + "\r\n";
    Append_Hex(body_, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    body_ += "}}";
  }

  int Font_Index(const QString& name) {
    int i = static_cast<int>(fonts_.indexOf(name));
    if (i >= 0) return i;
    fonts_.push_back(name);
    return static_cast<int>(fonts_.size()) - 1;
  }

  int Color_Index(QRgb rgb) {
    auto it = std::find(colors_.begin(), colors_.end(), rgb);
    if (it == colors_.end()) it = colors_.insert(colors_.end(), rgb);
    return static_cast<int>(it - colors_.begin()) + 1;  // entry 0 is "automatic"
  }

  std::string Header() const {
    std::string h = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (int i = 0; i < fonts_.size(); ++i) {
      h += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
      bool space = false;
      for (QChar c : fonts_[i]) {
        if (c == QChar(';')) h += "\\'3b";
        else Append_Escaped_Char(h, c.unicode(), space);
      }
      h += ";}";
    }
    h += "}\r\n{\\colortbl ;";
    for (QRgb c : colors_) {
      h += "\\red";
      Append_Number(h, qRed(c));
      h += "\\green";
      Append_Number(h, qGreen(c));
      h += "\\blue";
      Append_Number(h, qBlue(c));
      h += ";";
    }
    h += "}\r\n\\uc1";
    return h;
  }

  void Word(const char* word) {
    body_ += word;
    need_space_ = true;
  }
  void Word(const char* word, int value) {
    body_ += word;
    Append_Number(body_, value);
    need_space_ = true;
  }

  // One UTF-16 unit as RTF: ASCII as is with braces escaped (a backslash as \'5c, so that the
  // text never spells a control word such as \object), the code page's characters as \'hh, all others as \uN with
  // "?" for readers that do not know \u.
  static void Append_Escaped_Char(std::string& out, char16_t u, bool& need_space) {
    if (u >= 0x20 && u < 0x7f && u != '\\') {
      if (need_space) out += ' ';
      need_space = false;
      if (u == '{' || u == '}') out += '\\';
      out += static_cast<char>(u);
      return;
    }
    need_space = false;
    int byte = Unicode_To_Windows_1252(u);
    if (byte >= 0) {
      static constexpr char digits[] = "0123456789abcdef";
      out += "\\'";
      out += digits[byte >> 4];
      out += digits[byte & 15];
      return;
    }
    out += "\\u";
    Append_Number(out, u >= 0x8000 ? static_cast<int>(u) - 0x10000 : static_cast<int>(u));
    out += '?';
  }

  const Document& doc_;
  std::string body_;
  bool need_space_ = false;
  QStringList fonts_;
  std::vector<QRgb> colors_;
  std::optional<Run_Format> current_;
  int picture_index_ = 0;
};

}  // namespace

std::string Write_Rtf(const Document& doc) { return Rtf_Writer(doc).Write(); }

bool Looks_Like_Rtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

}  // namespace lyricanvas
