#include "model/document.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QVariant>
#include <algorithm>

#include "model/surface.h"

namespace lyricanvas {

namespace {

constexpr char Picture_Scheme[] = "lyricanvas-picture:";

int To_Alignment(Qt::Alignment a) {
  if (a & Qt::AlignHCenter) return Align_Center;
  if (a & Qt::AlignRight) return Align_Right;
  return Align_Left;
}

Qt::Alignment To_Qt_Alignment(int a) {
  if (a == Align_Center) return Qt::AlignHCenter;
  if (a == Align_Right) return Qt::AlignRight;
  return Qt::AlignLeft;
}

QTextCharFormat Format_Of_Font(const Font_Rec& font, QRgb color) {
  QTextCharFormat f;
  f.setFontFamilies(QStringList{font.Font_Name});
  f.setFontPointSize(font.Font_Size);
  f.setFontWeight(font.Bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(font.Italic);
  f.setFontUnderline(font.Underline);
  f.setForeground(QColor::fromRgb(color));
  return f;
}

QRgb Color_Of_Format(const QTextCharFormat& f) {
  if (!f.hasProperty(QTextFormat::ForegroundBrush)) return qRgb(0, 0, 0);
  return f.foreground().color().rgb() | 0xff000000u;
}

// Visits the character formats over Qt positions [from, to), skipping paragraph separators.
template <typename Visit>
void For_Each_Format(const QTextDocument& doc, int from, int to, Visit visit) {
  for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() < to;
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      int fs = fragment.position(), fe = fs + fragment.length();
      if (fe <= from || fs >= to) continue;
      visit(fragment.charFormat());
    }
  }
}

}  // namespace

Font_Rec Font_Of_Format(const QTextCharFormat& format, const Font_Rec& fallback) {
  Font_Rec font = fallback;
  QStringList families = format.fontFamilies().toStringList();
  if (!families.isEmpty()) font.Font_Name = families.front();
  if (format.hasProperty(QTextFormat::FontPointSize)) font.Font_Size = format.fontPointSize();
  if (format.hasProperty(QTextFormat::FontWeight)) font.Bold = format.fontWeight() >= QFont::DemiBold;
  if (format.hasProperty(QTextFormat::FontItalic)) font.Italic = format.fontItalic();
  if (format.hasProperty(QTextFormat::TextUnderlineStyle) ||
      format.hasProperty(QTextFormat::FontUnderline))
    font.Underline = format.fontUnderline();
  font.Bold_Set = font.Italic_Set = font.Underline_Set = true;
  return font;
}

Document::Document() : doc_(std::make_unique<QTextDocument>()) {
  default_font_.Font_Name = "Times New Roman";
  default_font_.Font_Size = 20;
  default_font_.Bold_Set = default_font_.Italic_Set = default_font_.Underline_Set = true;
  doc_->setUndoRedoEnabled(false);
  Watch();
  Set_Text(QString());
}

void Document::Watch() {
  // contentsChange comes first, so that its own listeners already read the new text.
  QObject::connect(doc_.get(), &QTextDocument::contentsChange, doc_.get(),
                   [this] { Invalidate(); });
  QObject::connect(doc_.get(), &QTextDocument::contentsChanged, doc_.get(),
                   [this] { Invalidate(); });
}

Document::Document(const Document& other)
    : doc_(other.doc_->clone()),
      pictures_(other.pictures_),
      next_picture_id_(other.next_picture_id_),
      sel_start_(other.sel_start_),
      sel_length_(other.sel_length_),
      text_width_(other.text_width_),
      default_font_(other.default_font_) {
  Watch();
}

Document& Document::operator=(const Document& other) {
  if (this == &other) return *this;
  doc_.reset(other.doc_->clone());
  Watch();
  pictures_ = other.pictures_;
  next_picture_id_ = other.next_picture_id_;
  sel_start_ = other.sel_start_;
  sel_length_ = other.sel_length_;
  text_width_ = other.text_width_;
  default_font_ = other.default_font_;
  Invalidate();
  return *this;
}

Document::~Document() = default;

void Document::Invalidate() const {
  lines_valid_ = false;
  text_valid_ = false;
}

QString Document::Text() const {
  // Layout, rendering and timing read the whole text per line; it is built once per change.
  if (text_valid_) return text_;
  text_.clear();
  text_.reserve(doc_->characterCount() + doc_->blockCount());
  for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
    if (block != doc_->begin()) text_ += QStringLiteral("\r\n");
    text_ += block.text();
  }
  text_valid_ = true;
  return text_;
}

int Document::Length() const {
  int blocks = doc_->blockCount();
  return doc_->characterCount() - 1 - (blocks - 1) + 2 * (blocks - 1);
}

void Document::Set_Text(const QString& text) {
  QString normalised = text;
  normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  normalised.replace(QChar('\r'), QChar('\n'));
  doc_->clear();
  pictures_.clear();
  QTextCursor cursor(doc_.get());
  QTextCharFormat format = Format_Of_Font(default_font_, qRgb(0, 0, 0));
  QTextBlockFormat block_format;
  block_format.setAlignment(Qt::AlignLeft);
  cursor.setBlockFormat(block_format);
  cursor.setBlockCharFormat(format);
  cursor.setCharFormat(format);
  cursor.insertText(normalised, format);
  sel_start_ = sel_length_ = 0;
  Invalidate();
}

void Document::Insert_Text(int offset, const QString& text) {
  QString normalised = text;
  normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  normalised.replace(QChar('\r'), QChar('\n'));
  QTextCursor cursor(doc_.get());
  cursor.setPosition(To_Qt(offset));
  cursor.insertText(normalised);
  Invalidate();
}

void Document::Remove_Text(int start, int length) {
  QTextCursor cursor(doc_.get());
  cursor.setPosition(To_Qt(start));
  cursor.setPosition(To_Qt(start + length), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  Invalidate();
}

int Document::To_Qt(int offset) const {
  if (offset <= 0) return 0;
  // Block b starts at our offset position(b) + b: every earlier line break counts one more.
  // Binary search for the last block that starts at or before the offset.
  int low = 0, high = doc_->blockCount() - 1;
  while (low < high) {
    int middle = (low + high + 1) / 2;
    if (doc_->findBlockByNumber(middle).position() + middle <= offset) low = middle;
    else high = middle - 1;
  }
  QTextBlock block = doc_->findBlockByNumber(low);
  int within = offset - (block.position() + low);
  int body = block.length() - 1;  // without the separator
  if (!block.next().isValid()) return block.position() + std::min(within, body);
  // The CR of a line break is the separator, its LF the start of the next block.
  return block.position() + std::min(within, body + 1);
}

int Document::From_Qt(int position) const {
  QTextBlock block = doc_->findBlock(position);
  if (!block.isValid()) return Length();
  return position + block.blockNumber();
}

void Document::Select(int start, int length) {
  int total = Length();
  sel_start_ = std::clamp(start, 0, total);
  sel_length_ = std::clamp(length, 0, total - sel_start_);
}

bool Document::Selection_Is_Picture() const {
  return sel_length_ == 1 && Is_Picture(sel_start_);
}

std::optional<QRgb> Document::Color(int start, int length) const {
  int from = To_Qt(start), to = To_Qt(start + length);
  if (to <= from) {
    QTextCursor cursor(doc_.get());
    cursor.setPosition(from);
    return Color_Of_Format(cursor.charFormat());
  }
  std::optional<QRgb> result;
  bool mixed = false;
  For_Each_Format(*doc_, from, to, [&](const QTextCharFormat& f) {
    QRgb c = Color_Of_Format(f);
    if (result && *result != c) mixed = true;
    result = c;
  });
  if (mixed) return std::nullopt;
  if (!result) {
    QTextCursor cursor(doc_.get());
    cursor.setPosition(from);
    return Color_Of_Format(cursor.charFormat());
  }
  return result;
}

Font_Rec Document::Font(int start, int length) const {
  int from = To_Qt(start), to = To_Qt(start + length);
  std::optional<Font_Rec> first;
  Font_Rec result;
  auto merge = [&](const Font_Rec& f) {
    if (!first) {
      first = f;
      result = f;
      return;
    }
    if (f.Font_Name != result.Font_Name) result.Font_Name.clear();
    if (f.Font_Size != first->Font_Size) result.Font_Size = 0;
    if (f.Bold != first->Bold) result.Bold = result.Bold_Set = false;
    if (f.Italic != first->Italic) result.Italic = result.Italic_Set = false;
    if (f.Underline != first->Underline) result.Underline = result.Underline_Set = false;
  };
  if (to > from)
    For_Each_Format(*doc_, from, to, [&](const QTextCharFormat& f) {
      merge(Font_Of_Format(f, default_font_));
    });
  if (!first) {
    QTextCursor cursor(doc_.get());
    cursor.setPosition(from);
    merge(Font_Of_Format(cursor.charFormat(), default_font_));
  }
  return result;
}

void Document::Apply_Char_Format(int start, int length, const QTextCharFormat& format) {
  QTextCursor cursor(doc_.get());
  cursor.setPosition(To_Qt(start));
  cursor.setPosition(To_Qt(start + length), QTextCursor::KeepAnchor);
  cursor.mergeCharFormat(format);
  Invalidate();
}

void Document::Set_Color(int start, int length, QRgb color) {
  QTextCharFormat f;
  f.setForeground(QColor::fromRgb(color));
  Apply_Char_Format(start, length, f);
}

void Document::Set_Font_Name(int start, int length, const QString& name) {
  QTextCharFormat f;
  f.setFontFamilies(QStringList{name});
  Apply_Char_Format(start, length, f);
}

void Document::Set_Font_Size(int start, int length, double points) {
  QTextCharFormat f;
  f.setFontPointSize(points);
  Apply_Char_Format(start, length, f);
}

void Document::Set_Bold(int start, int length, bool on) {
  QTextCharFormat f;
  f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  Apply_Char_Format(start, length, f);
}

void Document::Set_Italic(int start, int length, bool on) {
  QTextCharFormat f;
  f.setFontItalic(on);
  Apply_Char_Format(start, length, f);
}

void Document::Set_Underline(int start, int length, bool on) {
  QTextCharFormat f;
  f.setFontUnderline(on);
  Apply_Char_Format(start, length, f);
}

void Document::Apply_Font(int start, int length, const Font_Rec& font) {
  if (font.Font_Name.isEmpty()) return;
  QTextCharFormat f;
  f.setFontFamilies(QStringList{font.Font_Name});
  f.setFontPointSize(font.Font_Size);
  f.setFontWeight(font.Bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(font.Italic);
  f.setFontUnderline(font.Underline);
  Apply_Char_Format(start, length, f);
}

void Document::Set_Default_Font(const Font_Rec& font) {
  default_font_ = font;
  default_font_.Bold_Set = default_font_.Italic_Set = default_font_.Underline_Set = true;
}

int Document::Alignment(int start, int length) const {
  int from = To_Qt(start), to = To_Qt(start + length);
  int result = -2;
  for (QTextBlock block = doc_->findBlock(from); block.isValid(); block = block.next()) {
    int a = To_Alignment(block.blockFormat().alignment());
    if (result == -2) result = a;
    else if (result != a) return -1;
    if (block.position() + block.length() > to) break;
  }
  return result == -2 ? Align_Left : result;
}

void Document::Set_Alignment(int start, int length, int alignment) {
  QTextCursor cursor(doc_.get());
  cursor.setPosition(To_Qt(start));
  cursor.setPosition(To_Qt(start + length), QTextCursor::KeepAnchor);
  QTextBlockFormat f;
  f.setAlignment(To_Qt_Alignment(alignment));
  cursor.mergeBlockFormat(f);
}

void Document::Set_Text_Width(int pixels) {
  if (pixels == text_width_) return;
  text_width_ = pixels;
  Invalidate();
}

const std::vector<int>& Document::Line_Starts() const {
  if (lines_valid_) return line_starts_;
  line_starts_.clear();
  int ours = 0;
  for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
    line_starts_.push_back(ours);
    const QString text = block.text();
    // Advance of every character in its own format.
    std::vector<int> advance(text.size(), 0);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      Font_Rec font = Font_Of_Format(fragment.charFormat(), default_font_);
      int base = fragment.position() - block.position();
      for (int i = 0; i < fragment.length(); ++i) {
        QChar c = text[base + i];
        advance[base + i] = Is_Picture_Char(c) ? 0 : Char_Advance(font, c);
      }
    }
    // Greedy word wrap: spaces may hang past the edge, a word that does not fit moves to the
    // next line, a word longer than a whole line is cut where it overflows.
    int line_begin = 0, x = 0, break_at = -1;
    for (int i = 0; i < text.size(); ++i) {
      if (text[i] == QChar(' ')) {
        x += advance[i];
        break_at = i + 1;
        continue;
      }
      if (x + advance[i] > text_width_ && i > line_begin) {
        int next = (break_at > line_begin) ? break_at : i;
        line_starts_.push_back(ours + next);
        line_begin = next;
        x = 0;
        for (int j = next; j < i; ++j) x += advance[j];
        break_at = -1;
      }
      x += advance[i];
    }
    ours += block.length() - 1 + 2;
  }
  lines_valid_ = true;
  return line_starts_;
}

int Document::Line_Index(int offset) const {
  const std::vector<int>& starts = Line_Starts();
  auto it = std::upper_bound(starts.begin(), starts.end(), offset);
  return static_cast<int>(it - starts.begin()) - 1;
}

int Document::Line_Count() const {
  int length = Length();
  return Line_Index(length > 0 ? length - 1 : 0) + 1;
}

std::vector<int> Document::Picture_Positions() const {
  std::vector<int> positions;
  for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QString text = fragment.text();
      for (int i = 0; i < text.size(); ++i)
        if (Is_Picture_Char(text[i])) positions.push_back(fragment.position() + i);
    }
  }
  return positions;
}

int Document::Picture_Count() const { return static_cast<int>(Picture_Positions().size()); }

bool Document::Is_Picture(int offset) const {
  int position = To_Qt(offset);
  if (position >= doc_->characterCount() - 1) return false;
  if (doc_->characterAt(position).unicode() != Picture_Char) return false;
  QTextCursor cursor(doc_.get());
  cursor.setPosition(position + 1);
  return cursor.charFormat().isImageFormat();
}

void Document::Insert_Picture(int offset, const Embedded_Picture& picture, bool replace) {
  QString name = QString(Picture_Scheme) + QString::number(next_picture_id_++);
  QImage image = QImage::fromData(reinterpret_cast<const uchar*>(picture.Bytes.data()),
                                  static_cast<int>(picture.Bytes.size()));
  if (!image.isNull()) doc_->addResource(QTextDocument::ImageResource, QUrl(name), image);
  QTextCursor cursor(doc_.get());
  cursor.setPosition(To_Qt(offset));
  if (replace && offset < Length()) {
    cursor.setPosition(To_Qt(offset + 1), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  QTextImageFormat format;
  format.setName(name);
  cursor.insertImage(format);
  pictures_.emplace_back(name, picture);
  Invalidate();
}

void Document::Remove_Picture(int index) {
  std::vector<int> positions = Picture_Positions();
  if (index < 0 || index >= static_cast<int>(positions.size())) return;
  QTextCursor cursor(doc_.get());
  cursor.setPosition(positions[index]);
  cursor.setPosition(positions[index] + 1, QTextCursor::KeepAnchor);
  QString name = cursor.charFormat().toImageFormat().name();
  cursor.removeSelectedText();
  std::erase_if(pictures_, [&](const auto& entry) { return entry.first == name; });
  Invalidate();
}

const Embedded_Picture* Document::Picture(int index) const {
  std::vector<int> positions = Picture_Positions();
  if (index < 0 || index >= static_cast<int>(positions.size())) return nullptr;
  QTextCursor cursor(doc_.get());
  cursor.setPosition(positions[index] + 1);
  QString name = cursor.charFormat().toImageFormat().name();
  for (const auto& entry : pictures_)
    if (entry.first == name) return &entry.second;
  return nullptr;
}

int Document::Picture_Offset(int index) const {
  std::vector<int> positions = Picture_Positions();
  if (index < 0 || index >= static_cast<int>(positions.size())) return -1;
  return From_Qt(positions[index]);
}

}  // namespace lyricanvas
