#include "app/window/lyrics_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "model/layout.h"
#include "app/window/picture_properties_dialog.h"
#include "app/window/widgets.h"

namespace lyricanvas {

Lyrics_Tab::Lyrics_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent), context_(context), placeholder_(new QTextDocument(this)) {
  auto* layout = new QVBoxLayout(this);
  auto* format = new QHBoxLayout;
  auto* font_form = new QFormLayout;
  QComboBox* font = Make_Combo_Box(this, Control_Key("Com_Font"));
  font->addItems(QFontDatabase::families());
  Add_Row(font_form, QStringLiteral("&Font:"), font);
  Add_Row(font_form, QStringLiteral("Si&ze:"), Make_Text_Box(this, Control_Key("Txt_FontSize")));
  format->addLayout(font_form);
  format->addWidget(Make_Check_Box(this, Control_Key("Chk_Bold"), QStringLiteral("&Bold")));
  format->addWidget(Make_Check_Box(this, Control_Key("chk_italic"), QStringLiteral("&Italic")));
  format->addWidget(
      Make_Check_Box(this, Control_Key("Chk_Underline"), QStringLiteral("&Underline")));
  auto* singer_form = new QFormLayout;
  QComboBox* singer = Make_Combo_Box(this, Control_Key("Com_Color"));
  for (const std::string& item : context_.song.Window_Controls.Find("Com_Color")->Items)
    singer->addItem(QString::fromStdString(item));
  Add_Row(singer_form, QStringLiteral("Color Se&t:"), singer);
  format->addLayout(singer_form);
  format->addStretch();
  layout->addLayout(format);

  editor_ = new QTextEdit(this);
  editor_->setObjectName(QStringLiteral("RTB_Raw"));
  editor_->setAcceptRichText(true);
  editor_->setTabChangesFocus(true);
  editor_->setLineWrapMode(QTextEdit::FixedPixelWidth);
  layout->addWidget(editor_, 1);
  connect(editor_, &QTextEdit::cursorPositionChanged, this, [this] { Follow_Cursor(); });
  connect(editor_, &QTextEdit::selectionChanged, this, [this] { Follow_Cursor(); });
  Install_Picture_Editing(editor_, context_);
  Rebind();
}

void Lyrics_Tab::Rebind() {
  QTextDocument* document = &context_.song.RTB_Raw.Qt();
  if (editor_->document() != document) {
    editor_->setDocument(document);
    // Opening a project replaces the document; until the window binds the new one the editor
    // must not hold on to the old.
    connect(document, &QObject::destroyed, editor_, [this, document] {
      if (editor_->document() == document) editor_->setDocument(placeholder_);
    });
  }
  Update_Wrap_Width();
  const Document& lyrics = context_.song.RTB_Raw;
  QTextCursor cursor(document);
  cursor.setPosition(lyrics.To_Qt(lyrics.Sel_Start()));
  cursor.setPosition(lyrics.To_Qt(lyrics.Sel_Start() + lyrics.Sel_Length()),
                     QTextCursor::KeepAnchor);
  editor_->setTextCursor(cursor);
  saved_start_ = lyrics.Sel_Start();
  saved_length_ = lyrics.Sel_Length();
}

void Lyrics_Tab::Update_Wrap_Width() {
  editor_->setLineWrapColumnOrWidth(context_.song.RTB_Raw.Text_Width());
}

void Lyrics_Tab::Follow_Cursor() {
  if (editor_->document() != &context_.song.RTB_Raw.Qt()) return;
  const QTextCursor cursor = editor_->textCursor();
  Document& lyrics = context_.song.RTB_Raw;
  const int start = lyrics.From_Qt(cursor.selectionStart());
  lyrics.Select(start, lyrics.From_Qt(cursor.selectionEnd()) - start);
}

void Lyrics_Tab::Leave() {
  saved_start_ = context_.song.RTB_Raw.Sel_Start();
  saved_length_ = context_.song.RTB_Raw.Sel_Length();
}

void Lyrics_Tab::Enter(int previous) {
  Update_Wrap_Width();
  editor_->setFocus();
  if (previous != 1) {
    const Document& lyrics = context_.song.RTB_Raw;
    QTextCursor cursor(editor_->document());
    const int end = std::min(saved_start_ + saved_length_, lyrics.Length());
    cursor.setPosition(lyrics.To_Qt(std::min(saved_start_, lyrics.Length())));
    cursor.setPosition(lyrics.To_Qt(end), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
  }
  auto* singer = findChild<QComboBox*>(QStringLiteral("Com_Color"));
  if (singer->currentIndex() < 0) singer->setCurrentIndex(0);
}

}  // namespace lyricanvas
