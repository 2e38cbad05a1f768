#include "app/window/creation_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/file_boxes.h"
#include "cdg/time_entry.h"
#include "app/window/preview_player.h"
#include "app/window/widgets.h"

namespace lyricanvas {

namespace {

const QString Time_Format = QStringLiteral("Format MM:SS,HH or SSS,HH");

QComboBox* List_Box(QWidget* parent, const Window_Context& context, const char* name) {
  QComboBox* box = Make_Combo_Box(parent, Control_Key(name));
  for (const std::string& item : context.song.Window_Controls.Find(name)->Items)
    box->addItem(QString::fromStdString(item));
  return box;
}

QGroupBox* Timebase_Group(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("Timebase correction"), parent);
  auto* form = new QFormLayout(group);
  for (int i = 1; i <= 3; ++i) {
    const QString n = QString::number(i);
    Add_Row(form, QStringLiteral("Point of time in swiped data #") + n + u':',
            Make_Text_Box(group, Control_Key("Txt_Source", i), Time_Format));
    Add_Row(form, QStringLiteral("Point of time in resulting file #") + n + u':',
            Make_Text_Box(group, Control_Key("Txt_Dest", i), Time_Format));
  }
  return group;
}

QGroupBox* Timing_Group(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("Screens"), parent);
  auto* form = new QFormLayout(group);
  Add_Row(form, QStringLiteral("T&otal track time:"),
          Make_Text_Box(group, Control_Key("Txt_TotalTime"),
                        QStringLiteral("Total time of track (for creating CD+G file without "
                                       "audio), Format MM:SS,HH or SSS,HH")));
  Add_Row(form, QStringLiteral("&Number of lines on TV screen:"),
          Make_Text_Box(group, Control_Key("txt_lines_on_screen")));
  Add_Row(form, QStringLiteral("Minimum &gap between screens for clearing to occur (sec):"),
          Make_Text_Box(group, Control_Key("txt_Minimum_gap"),
                        QStringLiteral("Screen will be cleared if break between 2 lyrics screens "
                                       "exceed the entered number of seconds (Default 4)")));
  Add_Row(form, QStringLiteral("Minimum times lyrics s&hould be visible before swiping (sec):"),
          Make_Text_Box(group, Control_Key("txt_Minimum_shown"),
                        QStringLiteral("Lyrics will be drawn entered number of seconds before "
                                       "they start wiping (Default 4)")));
  Add_Row(form, QStringLiteral("Add s&ilence in the beginning (sec):"),
          Make_Text_Box(group, Control_Key("Txt_Silence"), Time_Format));
  form->addRow(Make_Check_Box(group, Control_Key("chk_Adjust"),
                              QStringLiteral("Ad&just silence to drawing time until first swiped "
                                             "line")));
  return group;
}

QGroupBox* Style_Group(QWidget* parent, const Window_Context& context) {
  auto* group = new QGroupBox(QStringLiteral("Style"), parent);
  auto* form = new QFormLayout(group);
  Add_Row(form, QStringLiteral("St&yle of lyrics swiping:"),
          List_Box(group, context, "Com_WipingStyle"));
  QComboBox* fading = List_Box(group, context, "Com_FadingStyle");
  fading->setToolTip(QStringLiteral("Select between different styles of palette fading"));
  Add_Row(form, QStringLiteral("Style o&f palette fading:"), fading);
  form->addRow(Make_Check_Box(group, Control_Key("Chk_Reverse"),
                              QStringLiteral("Reverse &Transparency")));
  form->addRow(Make_Check_Box(group, Control_Key("Chk_Blank"), QStringLiteral("Blan&k out audio"),
                              QStringLiteral("creates a binary file with empty audio")));
  form->addRow(Make_Check_Box(group, Control_Key("chk_framerate"),
                              QStringLiteral("Red&uce Framerate"),
                              QStringLiteral("Save CD+G bandwith for fast songs")));
  return group;
}

}  // namespace

Preview_Audio Song_Of_Output(const Controls& controls) {
  const std::string wav = controls.Text("txt_Filename", 1);
  if (wav.empty()) return {controls.Text("txt_Filename", 0), 0};
  // The image's audio is the WAV, delayed by the introductory silence.
  const std::string silence = controls.Text("Txt_Silence");
  return {wav, Is_Valid_Time(silence) ? std::max(0.0, Parse_Time(silence)) : 0};
}

Creation_Tab::Creation_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  auto* files = new QGridLayout;
  Add_File_Box(this, files, 0, 1, QStringLiteral("WAV filena&me:"), QStringLiteral("Brow&se..."),
               context_);
  Add_File_Box(this, files, 1, 2, QStringLiteral("&CDG filename:"), QStringLiteral("&Browse..."),
               context_);
  findChild<QLineEdit*>(QStringLiteral("txt_Filename_1"))
      ->setToolTip(QStringLiteral("Filename of WAV input audio file (44,1 kHZ / 16-Bit stereo)"));
  findChild<QLineEdit*>(QStringLiteral("txt_Filename_2"))
      ->setToolTip(QStringLiteral("Filename of CDG or BIN output file"));
  layout->addLayout(files);

  auto* settings = new QHBoxLayout;
  settings->addWidget(Timing_Group(this));
  auto* right = new QVBoxLayout;
  right->addWidget(Style_Group(this, context_));
  right->addWidget(Timebase_Group(this));
  settings->addLayout(right);
  layout->addLayout(settings);

  auto* run = new QHBoxLayout;
  create_ = Make_Button(this, QStringLiteral("But_CDG_Create"), QString());
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("Prg_Creation"));
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setFormat(QString());
  cancel_ = Make_Button(this, QStringLiteral("But_CDG_Cancel"), QStringLiteral("C&ancel"));
  cancel_->setEnabled(false);
  preview_ = Make_Button(this, QStringLiteral("But_Preview"), QStringLiteral("Pre&view"));
  preview_->setEnabled(false);
  run->addWidget(create_);
  run->addWidget(progress_, 1);
  run->addWidget(cancel_);
  run->addWidget(preview_);
  layout->addLayout(run);
  layout->addStretch(1);

  auto* wav = findChild<QLineEdit*>(QStringLiteral("txt_Filename_1"));
  connect(wav, &QLineEdit::textChanged, this, [this] { Box_1_Changed(); });
  connect(create_, &QPushButton::clicked, this, [this] { But_CDG_Create_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (job_) job_->Cancel();
  });
  connect(preview_, &QPushButton::clicked, this, [this] { Show_Preview(); });
  Box_1_Changed();
}

Creation_Tab::~Creation_Tab() { Cancel_And_Wait(); }

void Creation_Tab::Box_1_Changed() {
  auto* wav = findChild<QLineEdit*>(QStringLiteral("txt_Filename_1"));
  auto* output = findChild<QLineEdit*>(QStringLiteral("txt_Filename_2"));
  create_->setText(wav->text().isEmpty() ? QStringLiteral("Cr&eate CDG file (without sound)")
                                         : QStringLiteral("Cr&eate BIN file (with sound mixed in)"));
  const std::string name =
      Output_Name_For_Wav(wav->text().toStdString(), output->text().toStdString());
  if (!name.empty()) output->setText(QString::fromStdString(name));
}

void Creation_Tab::But_CDG_Create_Click() {
  if (Creating()) return;
  job_.reset();
  const Song& song = context_.song;
  run_lines_ = song.RTB_Raw.Line_Count();
  run_lines_per_screen_ = QString::fromStdString(song.Window_Controls.Text("txt_lines_on_screen"))
                              .toInt();
  written_file_ = song.Window_Controls.Text("txt_Filename", 2);
  preview_audio_ = Song_Of_Output(song.Window_Controls);
  create_->setEnabled(false);
  cancel_->setEnabled(true);
  preview_->setEnabled(false);
  progress_->setValue(0);
  Show_Status("processing Text boxes");
  job_ = std::make_unique<Creation_Job>(song, context_.ui, this,
                                        [this](bool written) { Finished(written); });
}

void Creation_Tab::Show_Status(const std::string& status) {
  progress_->setFormat(QString::fromStdString(status) + QStringLiteral(" (%p%)"));
  progress_->setValue(std::max(progress_->value(),
                               Creation_Progress(status, run_lines_, run_lines_per_screen_)));
}

void Creation_Tab::Finished(bool written) {
  create_->setEnabled(true);
  cancel_->setEnabled(false);
  preview_->setEnabled(written);
  if (!written) {
    progress_->setValue(0);
    progress_->setFormat(QString());
  }
}

void Creation_Tab::Cancel_And_Wait() {
  if (!job_) return;
  job_->Cancel();
  job_->Wait();
}

void Creation_Tab::Show_Preview() {
  auto* player = new Preview_Player(QString::fromStdString(written_file_), preview_audio_, nullptr,
                                    this);
  player->setAttribute(Qt::WA_DeleteOnClose);
  player->show();
}

}  // namespace lyricanvas
