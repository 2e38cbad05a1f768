#include "app/window/file_boxes.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/window/widgets.h"

namespace lyricanvas {

namespace {

bool Ends_With_Wav(const std::string& name) {
  return QString::fromStdString(name).endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
}

/// What each box's browse button asks for.
File_Dialog_Request Browse_Request(int index, const std::string& text) {
  switch (index) {
    case 0:
      return {false,
              "WAV audio files (*.wav)|*.wav|MIDI files (*.mid)|*.mid|KAR files (*.kar)|*.kar|"
              "MP3 files (*.mp3)|*.mp3|WMA files (*.wma)|*.wma|All files (*.*)|*.*",
              "wav", text};
    case 1:
      return {false, "WAV audio files (44,1 kHz/2 channels/16 bit) (*.wav)|*.wav", "wav", text};
    default:
      return {true, "CD+G data files (*.cdg)|*.cdg|CDRWIN image files (*.bin)|*.bin", "cdg",
              text};
  }
}

QLineEdit* Box(QWidget* parent, int index) {
  return parent->window()->findChild<QLineEdit*>(Control_Key("txt_Filename", index));
}

void Browse(QWidget* parent, int index, Window_Context& context) {
  QLineEdit* box = Box(parent, index);
  const std::string chosen = context.dialogs.file(Browse_Request(index, box->text().toStdString()));
  if (chosen.empty()) return;
  box->setText(QString::fromStdString(chosen));
  // A WAV chosen to play while timing is also the WAV to mix in, unless one is given.
  QLineEdit* wav = Box(parent, 1);
  if (index == 0 && Ends_With_Wav(chosen) && wav && wav->text().isEmpty())
    wav->setText(QString::fromStdString(chosen));
}

}  // namespace

std::string Output_Name_For_Wav(const std::string& wav, const std::string& output) {
  if (!output.empty() || !Ends_With_Wav(wav)) return {};
  return wav.substr(0, wav.size() - 4) + ".bin";
}

void Add_File_Box(QWidget* parent, QGridLayout* grid, int row, int index, const QString& label,
                  const QString& browse_caption, Window_Context& context) {
  QLineEdit* box = Make_Text_Box(parent, Control_Key("txt_Filename", index));
  auto* caption = new QLabel(label, parent);
  caption->setBuddy(box);
  QPushButton* browse = Make_Button(parent, Control_Key("But_OpenPicture", index), browse_caption);
  grid->addWidget(caption, row, 0);
  grid->addWidget(box, row, 1);
  grid->addWidget(browse, row, 2);
  QObject::connect(browse, &QPushButton::clicked, parent,
                   [parent, index, &context] { Browse(parent, index, context); });
}

}  // namespace lyricanvas
