#pragma once
// The lyrics store: rich text over a QTextDocument, seen through the program's own counting
// rules. Offsets are 0-based; a line break counts two characters (CR LF) and an embedded picture
// one (shown in the plain text as U+FFFC). A value that is not the same over a whole range reads
// as std::nullopt. Lines are wrapped by our own routine over integer character advances, at the
// width of a CD+G line, so the lines the editor reports are the lines that get drawn.
#include <QRgb>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/font.h"

namespace lyricanvas {

/// The character that stands for an embedded picture in Document::Text().
constexpr char16_t Picture_Char = u'\uFFFC';
inline bool Is_Picture_Char(QChar c) { return c.unicode() == Picture_Char; }

struct Embedded_Picture {
  std::string Bytes;   ///< the BMP file's bytes
  QString Source_Path; ///< the file it was added from ("" when unknown)
  bool operator==(const Embedded_Picture&) const = default;
};

/// Paragraph alignment as the program numbers it.
enum Alignment : int { Align_Left = 0, Align_Right = 1, Align_Center = 2 };

class Document {
 public:
  Document();
  Document(const Document& other);
  Document& operator=(const Document& other);
  ~Document();

  // Plain text --------------------------------------------------------------------------------
  QString Text() const;  ///< CR LF line breaks, U+FFFC per picture
  int Length() const;
  /// Replaces everything by plain text (CR LF, LF or CR break lines) in the default format.
  void Set_Text(const QString& text);
  void Clear() { Set_Text(QString()); }
  /// Inserts plain text at an offset in the format of the character before it.
  void Insert_Text(int offset, const QString& text);
  void Remove_Text(int start, int length);

  // Selection ---------------------------------------------------------------------------------
  int Sel_Start() const { return sel_start_; }
  int Sel_Length() const { return sel_length_; }
  void Select(int start, int length);
  /// Whether the selection is exactly one embedded picture.
  bool Selection_Is_Picture() const;

  // Character formats of a range (nullopt when mixed) ----------------------------------------
  std::optional<QRgb> Color(int start, int length) const;
  Font_Rec Font(int start, int length) const;  ///< set flags false / empty name where mixed
  void Set_Color(int start, int length, QRgb color);
  void Set_Font_Name(int start, int length, const QString& name);
  void Set_Font_Size(int start, int length, double points);
  void Set_Bold(int start, int length, bool on);
  void Set_Italic(int start, int length, bool on);
  void Set_Underline(int start, int length, bool on);
  /// Applies name, size, bold, italic and underline; nothing when Font_Name is empty.
  void Apply_Font(int start, int length, const Font_Rec& font);

  // The same on the selection, as the editor's commands use them.
  std::optional<QRgb> Sel_Color() const { return Color(sel_start_, sel_length_); }
  Font_Rec Sel_Font() const { return Font(sel_start_, sel_length_); }

  // Paragraphs --------------------------------------------------------------------------------
  int Alignment(int start, int length = 0) const;  ///< -1 when mixed
  void Set_Alignment(int start, int length, int alignment);

  // Lines as wrapped at the text width -------------------------------------------------------
  void Set_Text_Width(int pixels);
  int Text_Width() const { return text_width_; }
  int Line_Index(int offset) const;  ///< 0-based line of an offset
  int Line_Count() const;
  /// Offset at which each wrapped line starts.
  const std::vector<int>& Line_Starts() const;

  // Embedded pictures --------------------------------------------------------------------------
  int Picture_Count() const;
  bool Is_Picture(int offset) const;
  /// Inserts a picture at an offset (replacing the selected character when replace is true).
  void Insert_Picture(int offset, const Embedded_Picture& picture, bool replace = false);
  /// Removes the picture with the given index (text order, 0-based).
  void Remove_Picture(int index);
  const Embedded_Picture* Picture(int index) const;
  int Picture_Offset(int index) const;

  /// Default character format of new text.
  Font_Rec Default_Font() const { return default_font_; }
  void Set_Default_Font(const Font_Rec& font);

  QTextDocument& Qt() { return *doc_; }
  const QTextDocument& Qt() const { return *doc_; }

  /// Qt position of an offset, and the offset of a Qt position.
  int To_Qt(int offset) const;
  int From_Qt(int position) const;

 private:
  void Invalidate() const;
  void Watch();  ///< drops the cached lines whenever the Qt document changes
  void Apply_Char_Format(int start, int length, const QTextCharFormat& format);
  std::vector<int> Picture_Positions() const;  ///< Qt positions of pictures in text order

  std::unique_ptr<QTextDocument> doc_;
  std::vector<std::pair<QString, Embedded_Picture>> pictures_;  ///< by image name
  int next_picture_id_ = 1;
  int sel_start_ = 0;
  int sel_length_ = 0;
  int text_width_ = 282;  ///< a CD+G line less the outline
  Font_Rec default_font_;
  mutable bool lines_valid_ = false;
  mutable bool text_valid_ = false;
  mutable QString text_;
  mutable std::vector<int> line_starts_;
};

/// Font of a whole run of text from a character format.
Font_Rec Font_Of_Format(const QTextCharFormat& format, const Font_Rec& fallback);

}  // namespace lyricanvas
