#include "app/window/lyrics_tab.h"

#include <cmath>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <functional>

#include "editing/formatting.h"
#include "editing/paste.h"
#include "model/file_io.h"
#include "model/layout.h"
#include "pictures/picture_source.h"
#include "app/window/control_binding.h"
#include "app/window/picture_properties_dialog.h"
#include "app/window/widgets.h"

namespace lyricanvas {

namespace {

// The lyrics box: its copies carry the lyrics with their pictures, and every paste or drop goes
// through the paste analysis, as the text menu's paste does.
class Lyrics_Editor : public QTextEdit {
 public:
  using QTextEdit::QTextEdit;
  std::function<QMimeData*()> copy;
  std::function<void(const QMimeData&)> paste;

 protected:
  QMimeData* createMimeDataFromSelection() const override {
    QMimeData* data = copy ? copy() : nullptr;
    return data ? data : QTextEdit::createMimeDataFromSelection();
  }
  bool canInsertFromMimeData(const QMimeData* source) const override {
    return source->hasImage() || QTextEdit::canInsertFromMimeData(source);
  }
  void insertFromMimeData(const QMimeData* source) override {
    if (paste) paste(*source);
  }
};

constexpr const char* Format_Controls[] = {"Com_Font",      "Txt_FontSize", "Chk_Bold",
                                           "chk_italic",    "Chk_Underline", "Com_Color"};

}  // namespace

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
  Build_Commands(layout);

  auto* editor = new Lyrics_Editor(this);
  editor->copy = [this] {
    Follow_Cursor();
    return Selection_Mime_Data(context_.song);
  };
  editor->paste = [this](const QMimeData& data) { Paste_Data(data); };
  editor_ = editor;
  editor_->setObjectName(QStringLiteral("RTB_Raw"));
  editor_->setAcceptRichText(true);
  editor_->setTabChangesFocus(true);
  editor_->setLineWrapMode(QTextEdit::FixedPixelWidth);
  layout->addWidget(editor_, 1);
  connect(editor_, &QTextEdit::cursorPositionChanged, this, [this] { Follow_Cursor(); });
  connect(editor_, &QTextEdit::selectionChanged, this, [this] { Follow_Cursor(); });
  Build_Text_Menu();
  Install_Picture_Editing(editor_, context_);
  Rebind();
}

void Lyrics_Tab::Build_Commands(QLayout* layout) {
  Song& song = context_.song;
  for (Text_Attribute attribute :
       {Text_Attribute::Bold, Text_Attribute::Italic, Text_Attribute::Underline}) {
    auto* box = findChild<QCheckBox*>(QString::fromLatin1(Attribute_Control(attribute)));
    connect(box, &QCheckBox::clicked, this, [this, box, attribute] {
      box->setTristate(false);  // a click decides for the whole selection
      Apply_Attribute(context_.song, attribute, box->isChecked() ? 1 : 0);
    });
  }
  auto* font = findChild<QComboBox*>(QStringLiteral("Com_Font"));
  connect(font, &QComboBox::activated, this,
          [this, font](int i) { Apply_Font_Name(context_.song, font->itemText(i).toStdString()); });
  auto* size = findChild<QLineEdit*>(QStringLiteral("Txt_FontSize"));
  connect(size, &QLineEdit::textEdited, this,
          [this](const QString& text) { Apply_Font_Size(context_.song, text.toStdString()); });
  auto* singer = findChild<QComboBox*>(QStringLiteral("Com_Color"));
  connect(singer, &QComboBox::activated, this, [this](int i) {
    Apply_Singer(context_.song, tracker_, i);
    Show_Selection_Format();
  });

  auto* commands = new QHBoxLayout;
  auto add = [&](const char* name, const char* caption, std::function<void()> run) {
    QPushButton* button = Make_Button(this, QString::fromLatin1(name), QString::fromUtf8(caption));
    connect(button, &QPushButton::clicked, this, std::move(run));
    commands->addWidget(button);
  };
  add("But_Left", "L&eft", [&song] { Align_Selection(song, Align_Left); });
  add("But_Centered", "&Centered", [&song] { Align_Selection(song, Align_Center); });
  add("But_Right", "Ri&ght", [&song] { Align_Selection(song, Align_Right); });
  add("But_Font", "Choose f&ont...", [this] {
    Song& s = context_.song;
    if (std::optional<Font_Rec> chosen = context_.dialogs.font(s.RTB_Raw.Sel_Font()))
      s.RTB_Raw.Apply_Font(s.RTB_Raw.Sel_Start(), s.RTB_Raw.Sel_Length(), *chosen);
    Show_Selection_Format();
  });
  add("But_Picture", "In&sert picture...", [this] { Insert_Picture_File(); });
  add("But_Unwiped", "U&nswipe selected text", [this] {
    Unwipe_Selected(context_.song);
    Show_Control("Chk_Tabmode");
  });
  commands->addStretch();
  static_cast<QBoxLayout*>(layout)->addLayout(commands);
}

void Lyrics_Tab::Build_Text_Menu() {
  text_menu_ = new QMenu(QStringLiteral("&Menu for TXC_RAW"), this);
  text_menu_->setObjectName(QStringLiteral("Men_RTB_Raw"));
  Song& song = context_.song;
  auto add = [this](const char* name, const char* caption, std::function<void()> run) {
    QAction* action = text_menu_->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, std::move(run));
  };
  add("Men_RTB_Raw_Cut", "&Cut", [&song] { Cut_Selection(song); });
  add("Men_RTB_Raw_Copy", "C&opy", [&song] { Copy_Selection(song); });
  add("Men_RTB_Raw_Paste", "&Paste", [this] {
    if (const QMimeData* data = QGuiApplication::clipboard()->mimeData()) Paste_Data(*data);
  });
  add("Men_RTB_Raw_Undo", "&Undo", [&song] { Undo_Edit(song); });
  text_menu_->addSeparator();
  add("Men_RTB_Raw_Insert_Picture", "In&sert picture...", [this] { Insert_Picture_File(); });
  text_menu_->addSeparator();
  add("Men_RTB_Raw_Align_Left", "&Left", [&song] { Align_Selection(song, Align_Left); });
  add("Men_Align_RTB_Raw_Right", "&Right", [&song] { Align_Selection(song, Align_Right); });
  add("Men_RTB_Raw_Align_Centered", "&Centered", [&song] { Align_Selection(song, Align_Center); });
  text_menu_->addSeparator();
  const char* singers[] = {"&0 (Fixed)", "&1 (Both)", "&2 (Male)", "&3 (Female)"};
  for (int s = 0; s < 4; ++s) {
    const std::string name = "Men_RTB_Raw_Select_Singer_" + std::to_string(s);
    add(name.c_str(), singers[s], [this, s] {
      Apply_Singer(context_.song, tracker_, s);
      Show_Selection_Format();
    });
  }
  text_menu_->addSeparator();
  add("Men_RTB_Raw_Unwipe_Selected", "&Unwipe selected", [this] {
    Unwipe_Selected(context_.song);
    Show_Control("Chk_Tabmode");
  });
  editor_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(editor_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    Follow_Cursor();
    if (!context_.song.RTB_Raw.Selection_Is_Picture())
      text_menu_->popup(editor_->viewport()->mapToGlobal(at));
  });
}

void Lyrics_Tab::Paste_Data(const QMimeData& data) {
  Follow_Cursor();
  Song& song = context_.song;
  Paste(song, data, context_.ui, [&song](int position) {
    // A picture that comes without a file gets a field with no appearance yet, as when its
    // properties dialog is cancelled; the creation run warns about it.
    Edit_Picture_Properties(song, position, [](std::string& properties) {
      if (properties.empty()) properties = "<filename=>";
    });
  });
  Show_Control("Chk_Store_Pictures");
  const Document& lyrics = song.RTB_Raw;
  QTextCursor cursor = editor_->textCursor();
  cursor.setPosition(lyrics.To_Qt(lyrics.Sel_Start()));
  editor_->setTextCursor(cursor);
}

void Lyrics_Tab::Insert_Picture_File() {
  File_Dialog_Request request;
  request.filter = "Pictures (*.bmp;*.png;*.jpg;*.jpeg)|*.bmp;*.png;*.jpg;*.jpeg|"
                   "BMP Pictures (*.bmp)|*.bmp";
  request.default_extension = "bmp";
  const std::string file = context_.dialogs.file ? context_.dialogs.file(request) : std::string();
  if (file.empty()) return;
  std::string message;
  const std::optional<std::string> bytes = Read_Whole_File(file, &message);
  const std::optional<std::string> bmp =
      bytes ? Picture_File_As_Bmp(*bytes, file, message) : std::nullopt;
  if (!bmp) {
    Show_Message(context_.ui, bytes ? message : "Cannot read " + file + ": " + message);
    return;
  }
  Follow_Cursor();
  Song& song = context_.song;
  const int offset = song.RTB_Raw.Sel_Start();
  Insert_Picture(song, offset, *bmp, file);
  QTextCursor cursor = editor_->textCursor();
  cursor.setPosition(song.RTB_Raw.To_Qt(offset + 1));
  editor_->setTextCursor(cursor);
  // Unlike a pasted picture, this one has a file, so the project need not store it.
  Edit_Picture_At(editor_, context_, offset);
}

void Lyrics_Tab::Show_Control(const char* name) {
  const Control* control = context_.song.Window_Controls.Find(name);
  auto* widget = window()->findChild<QWidget*>(QString::fromLatin1(name));
  if (control && widget) Set_Widget_Value(widget, *control);
}

void Lyrics_Tab::Show_Selection_Format() {
  for (const char* name : Format_Controls) Show_Control(name);
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
  Track_Edits(context_.song, tracker_);
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
  // The editor's width includes the document's margins on both sides; the text gets the rest.
  const double margins = 2 * editor_->document()->documentMargin();
  editor_->setLineWrapColumnOrWidth(context_.song.RTB_Raw.Text_Width() +
                                    static_cast<int>(std::ceil(margins)));
}

void Lyrics_Tab::Follow_Cursor() {
  if (editor_->document() != &context_.song.RTB_Raw.Qt()) return;
  const QTextCursor cursor = editor_->textCursor();
  const Document& lyrics = context_.song.RTB_Raw;
  const int start = lyrics.From_Qt(cursor.selectionStart());
  Selection_Changed(context_.song, tracker_, start, lyrics.From_Qt(cursor.selectionEnd()) - start);
  Show_Selection_Format();
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
