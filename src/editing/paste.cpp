#include "editing/paste.h"

#include <QClipboard>
#include <QDataStream>
#include <QIODevice>
#include <QGuiApplication>
#include <QImage>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "pictures/picture_source.h"

namespace lyricanvas {

const char* const Multiple_Pictures_Message =
    "You have pasted multiple pictures. Please double-click on each of them in order to set "
    "their appearance properties!";

namespace {

// Our own copies carry the lyrics with U+FFFC where pictures stand, and the pictures' bytes.
constexpr char Lyrics_Format[] = "application/x-lyricanvas-lyrics";
constexpr char Pictures_Format[] = "application/x-lyricanvas-pictures";

QByteArray Encode_Pictures(const std::vector<std::string>& pictures) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  for (const std::string& p : pictures) out << QByteArray(p.data(), static_cast<qsizetype>(p.size()));
  return bytes;
}

std::vector<std::string> Decode_Pictures(const QByteArray& bytes) {
  std::vector<std::string> pictures;
  QDataStream in(bytes);
  while (!in.atEnd()) {
    QByteArray p;
    in >> p;
    if (in.status() != QDataStream::Ok) break;
    pictures.push_back(p.toStdString());
  }
  return pictures;
}

// Inserts our own copy: text pieces in the format where they land, pictures between them.
int Insert_Own(Document& doc, int at, const QMimeData& data) {
  const QString text = QString::fromUtf8(data.data(Lyrics_Format));
  const std::vector<std::string> pictures = Decode_Pictures(data.data(Pictures_Format));
  const int before = doc.Length();
  int offset = at;
  const QStringList pieces = text.split(QChar(Picture_Char));
  for (qsizetype k = 0; k < pieces.size(); ++k) {
    if (k > 0 && static_cast<std::size_t>(k - 1) < pictures.size())
      doc.Insert_Picture(offset++, Embedded_Picture{pictures[static_cast<std::size_t>(k - 1)], {}});
    const int length = doc.Length();
    doc.Insert_Text(offset, pieces[k]);
    offset += doc.Length() - length;
  }
  return doc.Length() - before;
}

// The characters of pasted text that the lyrics can hold: object characters and control
// characters other than line breaks and tabs are left out.
QString Lyrics_Text(const QMimeData& data) {
  QString text = data.hasHtml() ? QTextDocumentFragment::fromHtml(data.html()).toPlainText()
                                : data.text();
  text.removeIf([](QChar c) {
    if (c == QChar('\n') || c == QChar('\r') || c == QChar('\t')) return false;
    return Is_Picture_Char(c) || c.category() == QChar::Other_Control ||
           c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c.unicode() == 0xFFFD;
  });
  return text;
}

// Inserts the data at an offset; returns the number of characters inserted.
int Insert_Data(Document& doc, int at, const QMimeData& data) {
  if (data.hasFormat(Lyrics_Format)) return Insert_Own(doc, at, data);
  if (data.hasImage()) {
    const QImage image = qvariant_cast<QImage>(data.imageData());
    if (!image.isNull()) {
      doc.Insert_Picture(at, Embedded_Picture{Encode_Bmp24(image), QString()});
      return 1;
    }
  }
  const int before = doc.Length();
  doc.Insert_Text(at, Lyrics_Text(data));
  return doc.Length() - before;
}

}  // namespace

QMimeData* Selection_Mime_Data(const Song& song) {
  const Document& doc = song.RTB_Raw;
  const int start = doc.Sel_Start(), end = start + doc.Sel_Length();
  if (end <= start) return nullptr;
  const QString text = doc.Text().mid(start, end - start);
  std::vector<std::string> pictures;
  for (int i = 0; i < doc.Picture_Count(); ++i) {
    const int offset = doc.Picture_Offset(i);
    const Embedded_Picture* picture = doc.Picture(i);
    if (offset >= start && offset < end) pictures.push_back(picture ? picture->Bytes : std::string());
  }
  auto* data = new QMimeData;
  data->setData(Lyrics_Format, text.toUtf8());
  data->setData(Pictures_Format, Encode_Pictures(pictures));
  data->setText(QString(text).remove(QChar(Picture_Char)).replace("\r\n", "\n"));
  return data;
}

void Copy_Selection(const Song& song) {
  if (QMimeData* data = Selection_Mime_Data(song)) QGuiApplication::clipboard()->setMimeData(data);
}

void Cut_Selection(Song& song) {
  const int start = song.RTB_Raw.Sel_Start(), length = song.RTB_Raw.Sel_Length();
  if (length == 0) return;
  Copy_Selection(song);
  song.RTB_Raw.Remove_Text(start, length);
  song.RTB_Raw.Select(start, 0);
}

std::string Analyze_Paste(Song& song, const QMimeData& data, Paste_Analysis& analysis) {
  Document& shadow = song.RTB_Shadow;
  shadow.Clear();
  analysis.Pasted_Length = Insert_Data(shadow, 0, data);
  analysis.Pasted_Picture_Count = shadow.Picture_Count();
  analysis.Pasted_Picture_Offset = analysis.Pasted_Picture_Count > 0 ? shadow.Picture_Offset(0) : 0;
  shadow.Clear();
  return std::to_string(analysis.Pasted_Length) + ";";
}

Paste_Analysis Paste(Song& song, const QMimeData& data, const Ui& ui,
                     const std::function<void(int position)>& picture_added) {
  Paste_Analysis analysis;
  Analyze_Paste(song, data, analysis);
  Document& doc = song.RTB_Raw;
  const int at = doc.Sel_Start();
  QTextCursor step(&doc.Qt());
  step.beginEditBlock();
  if (doc.Sel_Length() > 0) doc.Remove_Text(at, doc.Sel_Length());
  const int inserted = Insert_Data(doc, at, data);
  step.endEditBlock();
  doc.Select(at + inserted, 0);
  if (analysis.Pasted_Picture_Count > 1) {
    Show_Message(ui, Multiple_Pictures_Message);
  } else if (analysis.Pasted_Picture_Count == 1) {
    song.Picture_Count = doc.Picture_Count();
    song.Window_Controls.Set_Check("Chk_Store_Pictures", 2);
    if (Control* store = song.Window_Controls.Find("Chk_Store_Pictures")) store->Enabled = false;
    if (picture_added) picture_added(at + analysis.Pasted_Picture_Offset + 1);
  }
  return analysis;
}

}  // namespace lyricanvas
