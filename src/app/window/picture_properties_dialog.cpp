#include "app/window/picture_properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <random>

#include "app/window/widgets.h"
#include "cdg/picture_effects.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"

namespace lyricanvas {

namespace {

constexpr int Preview_Width = 4 * (Tile_Columns + 1);
constexpr int Preview_Height = 2 * (Tile_Rows + 1);
constexpr int Preview_Zoom = 2;
constexpr int Tiles_Per_Tick = 4;
constexpr int Tick_Milliseconds = 5;

QCheckBox* Check(QWidget* parent, const char* name, const char* caption, int value) {
  QCheckBox* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setTristate(value == 2);
  box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
  return box;
}

int Value_Of(const QCheckBox* box) {
  return box->checkState() == Qt::Checked ? 1 : box->checkState() == Qt::PartiallyChecked ? 2 : 0;
}

}  // namespace

Picture_Properties_Dialog::Picture_Properties_Dialog(const std::string& properties,
                                                     const std::string& file, int picture_number,
                                                     const Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), result_(properties), timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("frm_Picture_Properties"));
  setWindowTitle(QStringLiteral("Select picture appearance effect"));
  const Picture_Dialog_Values values = Load_Picture_Dialog(properties, file);
  file_ = values.file;
  auto* layout = new QVBoxLayout(this);
  auto* number = new QLabel(QStringLiteral("Picture %1: %2")
                                .arg(picture_number)
                                .arg(QString::fromStdString(file_)), this);
  number->setObjectName(QStringLiteral("Lab_PictureNo"));
  layout->addWidget(number);
  auto* form = new QFormLayout;
  effect_ = new QComboBox(this);
  effect_->setObjectName(QStringLiteral("Com_FadeInEffect"));
  effect_->setEditable(true);
  for (std::string_view name : Appearance_Effects)
    effect_->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  effect_->setCurrentText(QString::fromStdString(values.effect));
  Add_Row(form, QStringLiteral("&Fade In Effect:"), effect_)->setObjectName(QStringLiteral("Lbl_FadeIn"));
  hold_ = new QLineEdit(QString::fromStdString(values.hold_time), this);
  hold_->setObjectName(QStringLiteral("txt_HoldTime"));
  Add_Row(form, QStringLiteral("&Hold time (in sec.) minimum"), hold_)->setObjectName(QStringLiteral("Lbl_Hold"));
  layout->addLayout(form);
  along_ = Check(this, "Chk_along_lyrics", "Display picture &along with lyrics", values.along);
  after_ = Check(this, "chk_after_lyrics", "Display right after &last screen", values.after);
  overwrite_ = Check(this, "Chk_Overwrite", "O&verwrite last screen", values.overwrite);
  dither_ = Check(this, "Chk_Dither", "&Dither picture", values.dither);
  reverse_ = Check(this, "chk_Reverse_Effect", "&Reverse Effect", values.reverse);
  for (QCheckBox* box : {along_, after_, overwrite_, dither_, reverse_}) layout->addWidget(box);
  auto* preview_row = new QHBoxLayout;
  pic_test_ = new QLabel(this);
  pic_test_->setObjectName(QStringLiteral("Pic_test"));
  pic_test_->setFixedSize(Preview_Width * Preview_Zoom, Preview_Height * Preview_Zoom);
  preview_ = QImage(Preview_Width, Preview_Height, QImage::Format_RGB32);
  preview_.fill(Qt::white);
  Show_Preview();
  preview_row->addWidget(pic_test_);
  QPushButton* test = Make_Button(this, QStringLiteral("But_Test"), QStringLiteral("&Test"));
  preview_row->addWidget(test);
  layout->addLayout(preview_row);
  auto* buttons = new QHBoxLayout;
  QPushButton* ok = Make_Button(this, QStringLiteral("But_OK"), QStringLiteral("&OK"));
  QPushButton* cancel = Make_Button(this, QStringLiteral("But_Cancel"), QStringLiteral("&Cancel"));
  ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(test, &QPushButton::clicked, this, [this] { Test_Effect(); });
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(timer_, &QTimer::timeout, this, [this] {
    if (!Draw_Preview_Tiles(Tiles_Per_Tick)) timer_->stop();
  });
}

void Picture_Properties_Dialog::Ok() {
  Stop_Preview();
  Picture_Dialog_Values values;
  values.effect = effect_->currentText().toStdString();
  values.hold_time = hold_->text().toStdString();
  values.along = Value_Of(along_);
  values.after = Value_Of(after_);
  values.overwrite = Value_Of(overwrite_);
  values.dither = Value_Of(dither_);
  values.reverse = Value_Of(reverse_);
  values.file = file_;
  result_ = Picture_Dialog_Properties(values);
  accept();
}

void Picture_Properties_Dialog::Cancel() {
  result_ = Cancel_Picture_Dialog(result_, file_);
  Stop_Preview();
  QDialog::reject();
}

void Picture_Properties_Dialog::reject() {
  // Closed by its frame or Escape: the properties stay as they were.
  Stop_Preview();
  QDialog::reject();
}

void Picture_Properties_Dialog::Stop_Preview() {
  timer_->stop();
  order_.clear();
  next_ = 0;
}

void Picture_Properties_Dialog::Test_Effect() {
  const std::string effect = effect_->currentText().toStdString();
  if (effect == "Lightest to darkest") {
    dialogs_.message("Sorry, this effect can't be tested!");
    return;
  }
  // The effect alone, never reversed, on a screen of its own.
  auto screen = std::make_unique<Screen_Pixels>();
  Sweep_Random random(std::random_device{}());
  const Tile_Order order =
      Effect_Order("<Appearance_effect=" + effect + ">", *screen, Palette_Table{}, random);
  Stop_Preview();
  for (int k = 1; k <= order.count; ++k) {
    const Tile& tile = order.entries[static_cast<std::size_t>(k)];
    order_.emplace_back(tile.row, tile.column);
  }
  preview_.fill(Qt::white);
  Show_Preview();
  timer_->start(Tick_Milliseconds);
}

bool Picture_Properties_Dialog::Draw_Preview_Tiles(int count) {
  {
    QPainter painter(&preview_);
    for (; count > 0 && next_ < order_.size(); --count, ++next_) {
      const auto [row, column] = order_[next_];
      painter.fillRect(4 * column, 2 * row, 4, 2, Qt::black);
    }
  }
  Show_Preview();
  return next_ < order_.size();
}

void Picture_Properties_Dialog::Show_Preview() {
  pic_test_->setPixmap(QPixmap::fromImage(
      preview_.scaled(preview_.size() * Preview_Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void Edit_Picture_At(QWidget* parent, Window_Context& context, int offset) {
  Song& song = context.song;
  int number = 1;
  while (number <= song.RTB_Raw.Picture_Count() && song.RTB_Raw.Picture_Offset(number - 1) < offset)
    ++number;
  const Embedded_Picture* picture = song.RTB_Raw.Picture(number - 1);
  const std::string file = picture ? picture->Source_Path.toStdString() : std::string();
  Edit_Picture_Properties(song, offset + 1, [&](std::string& properties) {
    Picture_Properties_Dialog dialog(properties, file, number, context.dialogs, parent);
    dialog.exec();
    properties = dialog.Result();
  });
  if (context.edited) context.edited();
}

namespace {

/// Opens the properties of the picture under a double-click.
class Picture_Click_Filter : public QObject {
 public:
  Picture_Click_Filter(QTextEdit* editor, Window_Context& context)
      : QObject(editor), editor_(editor), context_(context) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonDblClick) return false;
    const auto* click = static_cast<QMouseEvent*>(event);
    const Document& lyrics = context_.song.RTB_Raw;
    const int qt = editor_->cursorForPosition(click->position().toPoint()).position();
    for (int offset : {lyrics.From_Qt(qt), lyrics.From_Qt(qt) - 1}) {
      if (offset < 0 || !lyrics.Is_Picture(offset)) continue;
      Edit_Picture_At(editor_, context_, offset);
      return true;
    }
    return false;
  }

 private:
  QTextEdit* editor_;
  Window_Context& context_;
};

}  // namespace

void Install_Picture_Editing(QTextEdit* editor, Window_Context& context) {
  editor->viewport()->installEventFilter(new Picture_Click_Filter(editor, context));
}

}  // namespace lyricanvas
