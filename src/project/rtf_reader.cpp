// RTF input: a group-stack parser that keeps what the lyrics can hold (text, fonts, sizes,
// bold/italic/underline, colours, paragraph alignment, embedded objects and \pict pictures) and
// passes over the rest. The whole input is parsed before the document is touched, so a refused file leaves the
// document as it was.
//
// Tolerated, as word processors tolerate them: a missing closing brace of the outermost group,
// invalid \'hh escapes (dropped), \u values outside UTF-16 (dropped), unknown control words,
// objects and pictures whose data cannot be decoded, and metafiles (kept as a picture without
// bytes, so the characters after them keep their offsets). Refused: input that does not start with "{\rtf", input that ends
// inside an inner group, text after the closing brace of the outermost group, and groups nested
// deeper than Max_Depth.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <optional>
#include <set>

#include "project/rtf.h"

namespace lyricanvas {

namespace {

constexpr int Max_Depth = 256;
constexpr int Max_Word_Length = 32;
constexpr int Max_Half_Points = 3276;  // 1638 points, the largest size word processors offer
constexpr int Default_Half_Points = 24;

// Windows-1252 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char16_t, 32> Cp1252_High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Dest {
  Text, Skip, Font_Table, Color_Table, Object, Object_Class, Object_Data, Source_Path, Picture
};

struct Char_State {
  int font = -1;  ///< font number; -1 is the document's default font
  int half_points = Default_Half_Points;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int color = 0;  ///< colour table index; 0 is automatic (black)
  bool operator==(const Char_State&) const = default;
};

struct Group_State {
  Char_State chr;
  int align = Align_Left;
  int uc = 1;  ///< fallback characters after \u
  Dest dest = Dest::Text;
  bool object_root = false;  ///< this group is the \object being read
  bool picture_root = false;  ///< this group is the \pict being read
};

struct Run {
  Char_State chr;
  QString text;
  std::optional<Embedded_Picture> picture;
};

struct Paragraph {
  int align = Align_Left;
  Char_State mark;  ///< format at the paragraph mark; what an empty line is typed in
  std::vector<Run> runs;
};

struct Font_Entry {
  QString name;
  int codepage = 0;  ///< 0: the document's code page
};

/// Data written as hex digit pairs (blanks between them allowed).
struct Hex_Data {
  std::string data;  ///< the decoded bytes
  int nibble = -1;   ///< first hex digit of a pair, -1 when none
  bool bad = false;  ///< something else than a hex digit was met
};

struct Object_Reading {
  std::string class_name;
  Hex_Data hex;
  QString source_path;
};

/// How a \pict stores its picture.
enum class Picture_Kind { Unknown, Png, Jpeg, Dib, Metafile };

struct Picture_Reading {
  Picture_Kind kind = Picture_Kind::Unknown;
  Hex_Data hex;
};

int Hex_Value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Is_Letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

int Codepage_Of_Charset(int charset) {
  static const std::map<int, int> table = {
      {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
      {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
      {204, 1251}, {222, 874},  {238, 1250}, {255, 437}};
  auto it = table.find(charset);
  return it == table.end() ? 0 : it->second;
}

std::string Codepage_Name(int codepage) {
  switch (codepage) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 437: return "IBM437";
    case 850: return "IBM850";
    default: return "windows-" + std::to_string(codepage);
  }
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

// The BMP file that starts at an offset, cut to the size its header gives when that fits.
std::string Bmp_At(std::string_view data, std::size_t at) {
  std::string_view bmp = data.substr(at);
  if (bmp.size() >= 6) {
    std::uint32_t size = Le32(bmp, 2);
    if (size >= 14 && size <= bmp.size()) bmp = bmp.substr(0, size);
  }
  return std::string(bmp);
}

// The native data of an OLE1 object stream (version, format, class, topic, item, size, data).
std::optional<std::string_view> Ole_Native_Data(std::string_view b) {
  std::size_t at = 8;
  for (int name = 0; name < 3; ++name) {  // class, topic and item names
    if (at + 4 > b.size()) return std::nullopt;
    std::uint32_t length = Le32(b, at);
    if (length > b.size() - at - 4) return std::nullopt;
    at += 4 + length;
  }
  if (at + 4 > b.size()) return std::nullopt;
  std::uint32_t size = Le32(b, at);
  if (size > b.size() - at - 4) return std::nullopt;
  return b.substr(at + 4, size);
}

// A packaged file: a two-byte mark, the label and the source path as zero-ended strings, then
// the file among further fields; the BMP is found by its signature after a zero byte.
Embedded_Picture Package_Picture(std::string_view native) {
  Embedded_Picture picture;
  if (native.size() > 2) {
    std::size_t label_end = native.find('\0', 2);
    std::size_t path_end = label_end == std::string_view::npos
                               ? std::string_view::npos
                               : native.find('\0', label_end + 1);
    if (path_end != std::string_view::npos) {
      for (char b : native.substr(label_end + 1, path_end - label_end - 1))
        picture.Source_Path += QChar(Windows_1252_To_Unicode(static_cast<std::uint8_t>(b)));
    }
  }
  std::size_t mark = native.find(std::string_view("\0BM", 3));
  if (mark != std::string_view::npos) picture.Bytes = Bmp_At(native, mark + 1);
  return picture;
}

Embedded_Picture Object_Picture(const Object_Reading& object) {
  Embedded_Picture picture;
  if (object.hex.bad) return picture;
  std::string_view data = object.hex.data;
  std::optional<std::string_view> native = Ole_Native_Data(data);
  if (object.class_name == "Package") {
    picture = Package_Picture(native.value_or(data));
  } else if (object.class_name == "Paint.Picture" || object.class_name == "PBrush") {
    if (native && native->substr(0, 2) == "BM") picture.Bytes = std::string(*native);
    else if (data.size() > Picture_Object_Header_Size &&
             data.substr(Picture_Object_Header_Size, 2) == "BM")
      picture.Bytes = Bmp_At(data, Picture_Object_Header_Size);
  }
  if (!object.source_path.isEmpty()) picture.Source_Path = object.source_path;
  return picture;
}

/// A BMP file around a device-independent bitmap (header, colour table and pixels), as the
/// pictures of the lyrics are kept.
std::string Bmp_Of_Dib(std::string_view dib) {
  if (dib.size() < 40) return {};
  std::uint32_t header = Le32(dib, 0);
  if (header < 12 || header > dib.size()) return {};
  std::uint32_t colors = 0;
  std::uint32_t masks = 0;
  if (header >= 40) {
    int bits = static_cast<std::uint8_t>(dib[14]) | static_cast<std::uint8_t>(dib[15]) << 8;
    std::uint32_t used = Le32(dib, 32);
    colors = used != 0 ? used : bits <= 8 ? 1u << bits : 0;
    if (header == 40 && Le32(dib, 16) == 3) masks = 12;  // bit fields follow the header
  }
  std::uint64_t offset = 14 + std::uint64_t{header} + masks + std::uint64_t{colors} * 4;
  std::uint64_t size = 14 + dib.size();
  if (offset > size) return {};
  auto le32 = [](std::uint64_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> (8 * i) & 0xFF);
    return out;
  };
  return "BM" + le32(size) + le32(0) + le32(offset) + std::string(dib);
}

/// The picture as a 24-bit BMP file, transparent parts on white.
std::string Bmp_Of_Image(const QImage& image) {
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter(&flat).drawImage(0, 0, image);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  flat.save(&buffer, "BMP");
  return bytes.toStdString();
}

/// A \pict as a picture of the lyrics. Formats Qt cannot read (metafiles) and damaged data give
/// a picture without bytes, which still takes its one character.
Embedded_Picture Picture_Of_Pict(const Picture_Reading& pict) {
  const std::string& data = pict.hex.data;
  if (pict.hex.bad || data.empty()) return {};
  QImage image;
  if (pict.kind == Picture_Kind::Png || pict.kind == Picture_Kind::Jpeg) {
    image = QImage::fromData(QByteArrayView(data.data(), static_cast<qsizetype>(data.size())),
                             pict.kind == Picture_Kind::Png ? "PNG" : "JPEG");
  } else if (pict.kind == Picture_Kind::Dib) {
    std::string bmp = Bmp_Of_Dib(data);
    image = QImage::fromData(QByteArrayView(bmp.data(), static_cast<qsizetype>(bmp.size())), "BMP");
  }
  if (image.isNull()) return {};
  return Embedded_Picture{Bmp_Of_Image(image), QString()};
}

class Rtf_Parser {
 public:
  explicit Rtf_Parser(std::string_view in) : in_(in) {}

  bool Parse(std::string& error) {
    std::size_t start = in_.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || !Looks_Like_Rtf(in_.substr(start))) {
      error = "The file is not in RTF format.";
      return false;
    }
    pos_ = start;
    while (pos_ < in_.size() && error.empty()) Step(error);
    if (!error.empty()) return false;
    return Finish(error);
  }

  /// Pictures that could not be shown (metafiles, damaged data) and were kept without bytes.
  int Unshown_Pictures() const { return unshown_pictures_; }

  void Build(Document& doc) const {
    doc.Set_Text(QString());
    QTextCursor cursor(&doc.Qt());
    // One edit block: the document is laid out once at its end, not after every run.
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < paragraphs_.size(); ++i) {
      const Paragraph& p = paragraphs_[i];
      QTextBlockFormat block;
      block.setAlignment(p.align == Align_Center  ? Qt::AlignHCenter
                         : p.align == Align_Right ? Qt::AlignRight
                                                  : Qt::AlignLeft);
      if (i == 0) {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(Format_Of(p.mark, doc));
      } else {
        cursor.insertBlock(block, Format_Of(p.mark, doc));
      }
      for (const Run& run : p.runs) {
        if (run.picture) {
          doc.Insert_Picture(doc.Length(), *run.picture);
          cursor.movePosition(QTextCursor::End);
        } else {
          cursor.insertText(run.text, Format_Of(run.chr, doc));
        }
      }
    }
    cursor.endEditBlock();
    doc.Qt().clearUndoRedoStacks();
    doc.Select(0, 0);
  }

 private:
  // Tokens -------------------------------------------------------------------------------------
  void Step(std::string& error) {
    char c = in_[pos_++];
    switch (c) {
      case '{': return Open_Group(error);
      case '}': return Close_Group(error);
      case '\\': return Control(error);
      case '\r':
      case '\n': return;
      default: return Byte(static_cast<std::uint8_t>(c));
    }
  }

  void Open_Group(std::string& error) {
    Flush();
    skip_ = 0;
    if (stack_.size() >= Max_Depth) {
      error = "The RTF groups are nested more than " + std::to_string(Max_Depth) + " deep.";
      return;
    }
    Group_State inner = stack_.empty() ? Group_State{} : stack_.back();
    inner.object_root = false;
    inner.picture_root = false;
    stack_.push_back(inner);
  }

  void Close_Group(std::string& error) {
    Flush();
    skip_ = 0;
    star_ = false;
    if (stack_.empty()) {
      error = "The RTF text has a closing brace without an opening one.";
      return;
    }
    Group_State closed = stack_.back();
    stack_.pop_back();
    if (closed.dest == Dest::Font_Table) End_Font();
    if (closed.object_root) Put_Picture(Object_Picture(object_));
    if (closed.picture_root) End_Picture();
    if (stack_.empty()) End_Of_Document(error);
  }

  // Only line breaks, blanks and zero bytes may follow the outermost group.
  void End_Of_Document(std::string& error) {
    if (in_.find_first_not_of(std::string_view(" \t\r\n\0", 5), pos_) != std::string_view::npos)
      error = "The RTF text has a closing brace without an opening one.";
    pos_ = in_.size();
  }

  void Control(std::string& error) {
    if (pos_ >= in_.size()) {
      error = "The RTF text ends in the middle of a control word.";
      return;
    }
    char c = in_[pos_];
    if (!Is_Letter(c)) {
      ++pos_;
      return Control_Symbol(c);
    }
    std::size_t name_start = pos_;
    while (pos_ < in_.size() && Is_Letter(in_[pos_])) ++pos_;
    std::string_view name = in_.substr(name_start, pos_ - name_start);
    std::optional<int> param = Parameter();
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Flush();
    bool star = std::exchange(star_, false);
    if (skip_ > 0) {
      --skip_;
      if (name == "bin") Skip_Binary(param.value_or(0));
      return;
    }
    if (name.size() > Max_Word_Length) return;
    Control_Word(name, param, star);
  }

  // A signed decimal parameter, saturated to the int range.
  std::optional<int> Parameter() {
    bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && Is_Digit(in_[pos_ + 1]);
    if (negative) ++pos_;
    if (pos_ >= in_.size() || !Is_Digit(in_[pos_])) return std::nullopt;
    long long value = 0;
    while (pos_ < in_.size() && Is_Digit(in_[pos_])) {
      value = std::min<long long>(value * 10 + (in_[pos_] - '0'), 1LL << 32);
      ++pos_;
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  }

  void Control_Symbol(char c) {
    if (c == '\'') return Hex_Byte();
    Flush();
    star_ = c == '*';
    if (star_) return;
    if (skip_ > 0) {
      --skip_;
      return;
    }
    switch (c) {
      case '\\':
      case '{':
      case '}': return Byte(static_cast<std::uint8_t>(c), true);
      case '~': return Put_Char(QChar(0x00A0));
      case '_': return Put_Char(QChar(0x2011));
      case '\r':
      case '\n': return Break();
      default: return;  // \- optional hyphen, \: index entry, \| formula, unknown symbols
    }
  }

  // \'hh: one byte of the current code page; an invalid escape is dropped.
  void Hex_Byte() {
    int hi = pos_ < in_.size() ? Hex_Value(in_[pos_]) : -1;
    int lo = pos_ + 1 < in_.size() ? Hex_Value(in_[pos_ + 1]) : -1;
    if (hi < 0 || lo < 0) {
      if (hi >= 0) ++pos_;
      return;
    }
    pos_ += 2;
    Byte(static_cast<std::uint8_t>(hi * 16 + lo), true);
  }

  void Skip_Binary(int count) {
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)),
                                          in_.size() - pos_);
    Hex_Data* hex = State().dest == Dest::Object_Data ? &object_.hex
                    : State().dest == Dest::Picture   ? &picture_.hex
                                                      : nullptr;
    if (hex && hex->nibble < 0) hex->data.append(in_.substr(pos_, n));
    pos_ += n;
  }

  // Control words ------------------------------------------------------------------------------
  void Control_Word(std::string_view w, std::optional<int> param, bool star) {
    Group_State& s = State();
    if (Destination(w, star)) return;
    if (s.dest == Dest::Picture) return Picture_Word(w, param);
    if (s.dest == Dest::Font_Table) return Font_Table_Word(w, param);
    if (s.dest == Dest::Color_Table) return Color_Table_Word(w, param);
    const int v = param.value_or(1);
    if (w == "par" || w == "line" || w == "sect") return Break();
    if (w == "tab") return Put_Char(QChar('\t'));
    if (w == "u") return Unicode(param.value_or(0));
    if (w == "uc") s.uc = std::max(v, 0);
    else if (w == "bin") Skip_Binary(param.value_or(0));
    else if (w == "pard") s.align = Align_Left;
    else if (w == "plain") s.chr = Char_State{};
    else if (w == "ql" || w == "qj" || w == "qd") s.align = Align_Left;
    else if (w == "qr") s.align = Align_Right;
    else if (w == "qc") s.align = Align_Center;
    else if (w == "f") s.chr.font = v;
    else if (w == "fs") { if (v > 0) s.chr.half_points = std::min(v, Max_Half_Points); }
    else if (w == "b") s.chr.bold = v != 0;
    else if (w == "i") s.chr.italic = v != 0;
    else if (Is_Underline_Word(w)) s.chr.underline = v != 0;
    else if (w == "ulnone") s.chr.underline = false;
    else if (w == "cf") s.chr.color = v;
    else if (w == "deff") default_font_ = v;
    else if (w == "ansicpg") codepage_ = v;
    else if (w == "mac") codepage_ = 10000;
    else if (w == "pc") codepage_ = 437;
    else if (w == "pca") codepage_ = 850;
    else Special_Char(w);
  }

  static bool Is_Underline_Word(std::string_view w) {
    static const std::set<std::string_view> words = {
        "ul",    "uld",   "uldash",   "uldashd",    "uldashdd",   "uldb",
        "ulhwave", "ulldash", "ulth", "ulthd",   "ulthdash",   "ulthdashd",
        "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"};
    return words.count(w) > 0;
  }

  void Special_Char(std::string_view w) {
    static const std::map<std::string_view, char16_t> chars = {
        {"emdash", 0x2014},  {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
        {"bullet", 0x2022},  {"lquote", 0x2018},    {"rquote", 0x2019},  {"ldblquote", 0x201C},
        {"rdblquote", 0x201D}, {"zwj", 0x200D},     {"zwnj", 0x200C}};
    auto it = chars.find(w);
    if (it != chars.end()) Put_Char(QChar(it->second));
  }

  // Starts a destination; true when the word was one.
  bool Destination(std::string_view w, bool star) {
    static const std::set<std::string_view> skipped = {
        "stylesheet", "info",     "header",    "headerl",  "headerr",
        "headerf",    "footer",   "footerl",   "footerr",   "footerf",  "footnote",
        "annotation", "fldinst",  "xmlnstbl",  "listtable", "listoverridetable",
        "revtbl",     "rsidtbl",  "themedata", "colorschememapping", "latentstyles",
        "datastore",  "generator", "pgdsctbl", "filetbl",   "nonshppict",
        "shp",        "pn",       "pntext",    "listtext",  "txe",      "xe",
        "tc",         "private",  "bkmkstart", "bkmkend",   "template", "docvar",
        "userprops",  "mmathPr",  "atnid",     "atnauthor", "result"};
    Group_State& s = State();
    const Dest dest = s.dest;
    if (w == "fonttbl") s.dest = Dest::Font_Table;
    else if (w == "colortbl") s.dest = Dest::Color_Table;
    else if (w == "object") Start_Object();
    else if (w == "pict") Start_Picture();
    else if (w == "shppict") {}  // holds the \pict; its alternative, \nonshppict, is skipped
    else if (w == "objclass") s.dest = dest == Dest::Object ? Dest::Object_Class : Dest::Skip;
    else if (w == "objdata") s.dest = dest == Dest::Object ? Dest::Object_Data : Dest::Skip;
    else if (w == "lcsourcepath") s.dest = dest == Dest::Object ? Dest::Source_Path : Dest::Skip;
    else if (skipped.count(w) > 0) s.dest = Dest::Skip;
    else if (star) s.dest = Dest::Skip;  // an ignorable destination we do not know
    else return false;
    return true;
  }

  void Start_Object() {
    Group_State& s = State();
    if (s.dest != Dest::Text) {
      s.dest = Dest::Skip;
      return;
    }
    s.dest = Dest::Object;
    s.object_root = true;
    object_ = Object_Reading{};
  }

  void Start_Picture() {
    Group_State& s = State();
    if (s.dest != Dest::Text) {
      s.dest = Dest::Skip;
      return;
    }
    s.dest = Dest::Picture;
    s.picture_root = true;
    picture_ = Picture_Reading{};
  }

  void Picture_Word(std::string_view w, std::optional<int> param) {
    if (w == "bin") return Skip_Binary(param.value_or(0));
    static const std::map<std::string_view, Picture_Kind> kinds = {
        {"pngblip", Picture_Kind::Png},       {"jpegblip", Picture_Kind::Jpeg},
        {"dibitmap", Picture_Kind::Dib},      {"wmetafile", Picture_Kind::Metafile},
        {"emfblip", Picture_Kind::Metafile},  {"pmmetafile", Picture_Kind::Metafile},
        {"macpict", Picture_Kind::Metafile},  {"wbitmap", Picture_Kind::Unknown}};
    auto it = kinds.find(w);
    if (it != kinds.end()) picture_.kind = it->second;
  }

  void End_Picture() {
    Embedded_Picture picture = Picture_Of_Pict(picture_);
    if (picture.Bytes.empty()) ++unshown_pictures_;
    Put_Picture(std::move(picture));
  }

  void Font_Table_Word(std::string_view w, std::optional<int> param) {
    if (w == "f") {
      End_Font();
      font_number_ = param.value_or(0);
    } else if (w == "fcharset") {
      font_entry_.codepage = Codepage_Of_Charset(param.value_or(0));
    } else if (w == "u") {
      Unicode(param.value_or(0));
    } else if (w == "uc") {
      State().uc = std::max(param.value_or(1), 0);
    }
  }

  void End_Font() {
    QString name = font_entry_.name.trimmed();
    if (!name.isEmpty() && font_number_ >= 0) {
      font_entry_.name = name;
      fonts_[font_number_] = font_entry_;
    }
    font_entry_ = Font_Entry{};
  }

  void Color_Table_Word(std::string_view w, std::optional<int> param) {
    int v = std::clamp(param.value_or(0), 0, 255);
    QRgb c = color_entry_.value_or(qRgb(0, 0, 0));
    if (w == "red") color_entry_ = qRgb(v, qGreen(c), qBlue(c));
    else if (w == "green") color_entry_ = qRgb(qRed(c), v, qBlue(c));
    else if (w == "blue") color_entry_ = qRgb(qRed(c), qGreen(c), v);
  }

  // Characters ---------------------------------------------------------------------------------
  // A byte of text (raw, or from \'hh when escaped): decoded in the code page of its font.
  void Byte(std::uint8_t b, bool escaped = false) {
    if (skip_ > 0) {
      --skip_;
      return;
    }
    Group_State& s = State();
    switch (s.dest) {
      case Dest::Skip:
      case Dest::Object: return;
      case Dest::Object_Data: return Hex_Byte_Of(object_.hex, b, escaped);
      case Dest::Picture: return Hex_Byte_Of(picture_.hex, b, escaped);
      case Dest::Color_Table:
        if (b == ';') colors_.push_back(std::exchange(color_entry_, std::nullopt));
        return;
      case Dest::Font_Table:
        if (b == ';' && !escaped) {
          Flush();
          return End_Font();
        }
        break;
      default: break;
    }
    int codepage = Current_Codepage();
    if (!pending_.empty() && codepage != pending_codepage_) Flush();
    pending_codepage_ = codepage;
    pending_ += static_cast<char>(b);
  }

  static void Hex_Byte_Of(Hex_Data& hex, std::uint8_t b, bool escaped) {
    if (b == ' ' || b == '\t') return;
    int v = escaped ? -1 : Hex_Value(static_cast<char>(b));
    if (v < 0) {
      hex.bad = true;
      return;
    }
    if (hex.nibble < 0) {
      hex.nibble = v;
      return;
    }
    hex.data += static_cast<char>(hex.nibble * 16 + v);
    hex.nibble = -1;
  }

  int Current_Codepage() const {
    const Group_State& s = stack_.back();
    int font_codepage = 0;
    if (s.dest == Dest::Font_Table) {
      font_codepage = font_entry_.codepage;
    } else {
      auto it = fonts_.find(s.chr.font < 0 ? default_font_ : s.chr.font);
      if (it != fonts_.end()) font_codepage = it->second.codepage;
    }
    return font_codepage != 0 ? font_codepage : codepage_;
  }

  void Flush() {
    if (pending_.empty()) return;
    QString text = Decode(pending_codepage_, pending_);
    pending_.clear();
    for (QChar c : text) Put_Char(c);
  }

  QString Decode(int codepage, std::string_view bytes) {
    if (codepage != 1252) {
      auto it = decoders_.find(codepage);
      if (it == decoders_.end())
        it = decoders_.emplace(codepage, QStringDecoder(Codepage_Name(codepage).c_str())).first;
      if (it->second.isValid()) {
        QString text = it->second.decode(QByteArrayView(bytes.data(), bytes.size()));
        it->second.resetState();
        return text;
      }
    }
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) text += QChar(Windows_1252_To_Unicode(static_cast<std::uint8_t>(b)));
    return text;
  }

  void Unicode(int value) {
    skip_ = State().uc;
    if (value < 0) value += 0x10000;
    if (value > 0 && value <= 0xFFFF) Put_Char(QChar(static_cast<char16_t>(value)));
  }

  // A decoded character, to wherever the current group's text goes.
  void Put_Char(QChar c) {
    switch (State().dest) {
      case Dest::Text: return Put_Text_Char(c);
      case Dest::Font_Table: font_entry_.name += c; return;
      case Dest::Object_Class: object_.class_name += static_cast<char>(c.toLatin1()); return;
      case Dest::Source_Path: object_.source_path += c; return;
      default: return;
    }
  }

  void Put_Text_Char(QChar c) {
    char16_t u = c.unicode();
    if (u == QChar::ParagraphSeparator) return Break();
    // Controls, the picture character and Qt's frame marks never come from text.
    if ((u < 0x20 && u != '\t') || u == Picture_Char || (u >= 0xFDD0 && u <= 0xFDEF) ||
        u == 0xFFFE || u == 0xFFFF)
      return;
    Paragraph& p = Content_Paragraph();
    const Char_State& chr = State().chr;
    if (p.runs.empty() || p.runs.back().picture || !(p.runs.back().chr == chr))
      p.runs.push_back(Run{chr, {}, std::nullopt});
    p.runs.back().text += c;
  }

  void Put_Picture(Embedded_Picture picture) {
    if (stack_.empty() || State().dest != Dest::Text) return;
    Content_Paragraph().runs.push_back(Run{State().chr, {}, std::move(picture)});
  }

  // The paragraph that content goes to; a paragraph mark is only kept once something follows
  // it, so the mark at the end of the text does not add an empty line.
  Paragraph& Content_Paragraph() {
    if (break_pending_) {
      paragraphs_.push_back(Paragraph{});
      break_pending_ = false;
    }
    Paragraph& p = paragraphs_.back();
    p.align = State().align;
    p.mark = State().chr;
    return p;
  }

  void Break() {
    if (State().dest != Dest::Text) return;
    if (break_pending_) paragraphs_.push_back(Paragraph{});
    Paragraph& p = paragraphs_.back();
    p.align = State().align;
    p.mark = State().chr;
    break_pending_ = true;
  }

  bool Finish(std::string& error) {
    Flush();
    if (stack_.size() > 1) {
      error = "The RTF text is incomplete: it ends inside a group.";
      return false;
    }
    return true;
  }

  Group_State& State() { return stack_.back(); }

  QTextCharFormat Format_Of(const Char_State& chr, const Document& doc) const {
    QString name = doc.Default_Font().Font_Name;
    auto it = fonts_.find(chr.font < 0 ? default_font_ : chr.font);
    if (it == fonts_.end()) it = fonts_.find(default_font_);
    if (it != fonts_.end()) name = it->second.name;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    f.setFontPointSize(chr.half_points / 2.0);
    f.setFontWeight(chr.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(chr.italic);
    f.setFontUnderline(chr.underline);
    QRgb color = qRgb(0, 0, 0);
    if (chr.color >= 0 && chr.color < static_cast<int>(colors_.size()))
      color = colors_[chr.color].value_or(color);
    f.setForeground(QColor::fromRgb(color));
    return f;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<Group_State> stack_;
  int skip_ = 0;       ///< \uc fallback characters still to drop
  bool star_ = false;  ///< \* seen: the next control word is an ignorable destination
  int codepage_ = 1252;
  int default_font_ = 0;
  std::string pending_;  ///< bytes not yet decoded
  int pending_codepage_ = 1252;
  std::map<int, QStringDecoder> decoders_;
  std::map<int, Font_Entry> fonts_;
  int font_number_ = -1;
  Font_Entry font_entry_;
  std::vector<std::optional<QRgb>> colors_;  ///< by \cf number; nullopt is automatic
  std::optional<QRgb> color_entry_;
  Object_Reading object_;
  Picture_Reading picture_;
  int unshown_pictures_ = 0;
  std::vector<Paragraph> paragraphs_ = std::vector<Paragraph>(1);
  bool break_pending_ = false;
};

}  // namespace

char16_t Windows_1252_To_Unicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return Cp1252_High[byte - 0x80];
  return byte;
}

int Unicode_To_Windows_1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  auto it = std::find(Cp1252_High.begin(), Cp1252_High.end(), c);
  return it == Cp1252_High.end() ? -1 : static_cast<int>(it - Cp1252_High.begin()) + 0x80;
}

bool Read_Rtf(Document& doc, std::string_view rtf, std::string& error, std::string* warning) {
  error.clear();
  Rtf_Parser parser(rtf);
  if (!parser.Parse(error)) return false;
  parser.Build(doc);
  if (warning && parser.Unshown_Pictures() > 0) {
    *warning = std::to_string(parser.Unshown_Pictures()) +
               " picture(s) of the lyrics are metafiles or damaged and cannot be shown; each is "
               "kept as an empty picture, so the text and timing after it stay in place.";
  }
  return true;
}

}  // namespace lyricanvas
