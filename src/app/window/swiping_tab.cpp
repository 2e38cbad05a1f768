#include "app/window/swiping_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "app/window/control_binding.h"
#include "app/window/file_boxes.h"
#include "app/window/timing_view_widget.h"
#include "app/window/widgets.h"
#include "audio/audio_engine.h"
#include "model/file_io.h"
#include "model/layout.h"
#include "timing/areas.h"
#include "timing/key_log.h"
#include "timing/key_timing.h"
#include "timing/mouse_wiping.h"
#include "timing/song_clock.h"
#include "timing/steady_clock.h"
#include "timing/timing_view.h"
#include "timing/waveform_strip.h"

namespace lyricanvas {

namespace {

constexpr int Frame_Interval_Ms = 16;  ///< about 60 replay steps a second
constexpr int Waveform_Height = 48;

std::optional<Timing_Key> Timing_Key_Of(int key) {
  switch (key) {
    case Qt::Key_Space:
      return Timing_Key::Space;
    case Qt::Key_C:
      return Timing_Key::C;
    case Qt::Key_S:
      return Timing_Key::S;
    case Qt::Key_Up:
      return Timing_Key::Up;
    case Qt::Key_Down:
      return Timing_Key::Down;
    case Qt::Key_B:
      return Timing_Key::B;
    default:
      return std::nullopt;
  }
}

/// A box the user types into keeps its letters; only Space while the song plays is taken.
bool Typing_Into_Box() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr; }

QString Gap_Text(const Gap& gap) {
  return QStringLiteral("%1 to %2 (%3 s)")
      .arg(QString::fromStdString(Time_Text(gap.from)), QString::fromStdString(Time_Text(gap.to)))
      .arg(gap.to - gap.from, 0, 'f', 1);
}

}  // namespace

Swiping_Tab::Swiping_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      te_(std::make_unique<Timing_Editor>()),
      engine_(std::make_unique<Audio_Engine>()),
      waveform_(Timing_View_Width, Waveform_Height) {
  playback_.Clock.Player = engine_.get();
  Playback_Hooks& hooks = playback_.Hooks;
  hooks.Redraw_View = [this] {
    Redraw_View(*te_, context_.song, te_->VSc_Line_Value);
    Show_View();
  };
  hooks.Reset_Areas = [this] {
    Reset_Areas(*te_, context_.song, context_.ui, context_.song.Song_Time);
  };
  hooks.Timer1 = [this](bool on) {
    if (on)
      frame_timer_.start();
    else
      frame_timer_.stop();
  };
  hooks.Release_Keys = [this] {
    te_->Key_Held = false;
    te_->Space_Pressed = false;
  };
  hooks.Controls_Changed = [this] { Show_Controls(); };

  layout_ = new QVBoxLayout(this);
  Build_Controls();
  Build_View();
  Build_Buttons();
  Connect_Options();
  frame_timer_.setInterval(Frame_Interval_Ms);
  connect(&frame_timer_, &QTimer::timeout, this, [this] { Frame_Step(); });
  qApp->installEventFilter(this);
}

Swiping_Tab::~Swiping_Tab() {
  qApp->removeEventFilter(this);
  frame_timer_.stop();
  if (engine_->Is_Open()) engine_->Stop();
}

void Swiping_Tab::Build_Controls() {
  auto* files = new QGridLayout;
  Add_File_Box(this, files, 0, 0, QStringLiteral("A&udio file to play:"),
               QStringLiteral("Ope&n..."), context_);
  layout_->addLayout(files);

  auto* time = new QFormLayout;
  Add_Row(
      time, QStringLiteral("T&ime:"),
      Make_Text_Box(this, Control_Key("Txt_Time"), QStringLiteral("Format MM:SS,HH or SSS,HH")));
  Add_Row(time, QStringLiteral("Enter number of seconds to &go back on timer stop"),
          Make_Text_Box(this, Control_Key("Txt_GoBack")));
  Add_Row(time, QStringLiteral("&Key delay (ms):"),
          Make_Text_Box(this, Control_Key("Txt_KeyDelay"),
                        QStringLiteral("Taken off every key time, for your reaction and the "
                                       "sound output's delay")));
  layout_->addLayout(time);

  hsc_time_ = new QScrollBar(Qt::Horizontal, this);
  hsc_time_->setObjectName(QStringLiteral("Hsc_Time"));
  hsc_time_->setRange(0, playback_.Clock.Hsc_Time_Max);
  layout_->addWidget(hsc_time_);

  auto* options = new QHBoxLayout;
  options->addWidget(
      Make_Check_Box(this, Control_Key("Chk_HalfSpeed"), QStringLiteral("&Half speed")));
  options->addWidget(
      Make_Check_Box(this, Control_Key("Chk_AutoScroll"), QStringLiteral("&AutoScroll")));
  options->addWidget(
      Make_Check_Box(this, Control_Key("Chk_Replay"),
                     QStringLiteral("Show already entered swipe when timer running")));
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_MouseTimer"),
                                    QStringLiteral("Start/Stop on &mouse button")));
  options->addWidget(
      Make_Check_Box(this, Control_Key("Chk_Tabmode"), QStringLiteral("Swipe with space &bar")));
  options->addStretch();
  layout_->addLayout(options);
}

void Swiping_Tab::Build_View() {
  auto* row = new QHBoxLayout;
  auto* pictures = new QVBoxLayout;
  strip_ = new Surface_Widget(waveform_, QStringLiteral("Pic_Waveform"), this);
  view_ = new Surface_Widget(te_->Pic_Indication, QStringLiteral("Pic_Indication"), this);
  view_->setFocusPolicy(Qt::StrongFocus);
  vsc_line_ = new QScrollBar(Qt::Vertical, this);
  vsc_line_->setObjectName(QStringLiteral("VSc_Line"));
  vsc_line_->setFixedHeight(Timing_View_Height);
  vsc_line_->setRange(1, 1);
  auto* view_row = new QHBoxLayout;
  view_row->setSpacing(0);
  view_row->addWidget(view_);
  view_row->addWidget(vsc_line_);
  pictures->addWidget(strip_);
  pictures->addLayout(view_row);
  pictures->addStretch();
  row->addLayout(pictures);

  auto* side = new QVBoxLayout;
  gaps_ = new QListWidget(this);
  gaps_->setObjectName(QStringLiteral("Lst_Gaps"));
  auto* gaps_label = new QLabel(QStringLiteral("Pauses over 4 s (click to go there):"), this);
  gaps_label->setBuddy(gaps_);
  side->addWidget(gaps_label);
  side->addWidget(gaps_);
  row->addLayout(side, 1);
  layout_->addLayout(row, 1);

  Song& song = context_.song;
  const Ui& ui = context_.ui;
  view_->pressed = [this, &song, &ui](Mouse_Button button, int x, int y, double at) {
    playback_.Clock.Last_Action = "MouseDown";
    const Mouse_Result result = Pic_Indication_MouseDown(
        *te_, song, button, x, y, lyricanvas::Song_Time_At(song, playback_.Clock, at),
        playback_.Clock.Is_Playing);
    if (result.start_playback) But_Start_Click(song, playback_, ui);
    playback_.Clock.Last_Action.clear();
    vsc_line_->setVisible(!te_->Mouse_Wiping);
    Show_View();
  };
  view_->moved = [this, &song](int x, double at) {
    Pic_Indication_MouseMove(*te_, song, x, lyricanvas::Song_Time_At(song, playback_.Clock, at));
    Show_View();
  };
  view_->released = [this, &song, &ui] {
    const bool wiping = te_->Mouse_Wiping;
    const Mouse_Result result = Pic_Indication_MouseUp(*te_, song, ui);
    vsc_line_->setVisible(true);
    if (wiping && context_.edited) context_.edited();
    if (result.stop_playback && playback_.Clock.Is_Playing) But_Stop_Click(song, playback_, ui);
    Show_View();
  };
  connect(vsc_line_, &QScrollBar::valueChanged, this, [this](int value) {
    VSc_Line_Change(*te_, context_.song, value);
    Show_View();
  });
  connect(hsc_time_, &QScrollBar::valueChanged, this,
          [this](int value) { Hsc_Time_Change(context_.song, playback_, value); });
  connect(gaps_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { Jump_To_Gap(gaps_->row(item)); });
  connect(gaps_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { Jump_To_Gap(gaps_->row(item)); });
}

void Swiping_Tab::Build_Buttons() {
  auto* buttons = new QHBoxLayout;
  auto add = [&](const char* name, const char* caption, auto handler) {
    QPushButton* button = Make_Button(this, QString::fromLatin1(name), QString::fromUtf8(caption));
    connect(button, &QPushButton::clicked, this, handler);
    buttons->addWidget(button);
  };
  Song& song = context_.song;
  const Ui& ui = context_.ui;
  add("But_Start", "&Start", [this, &song, &ui] { But_Start_Click(song, playback_, ui); });
  add("But_Stop", "S&top", [this, &song, &ui] {
    Release_Held_Press(*te_, song, Song_Time_At(Steady_Seconds()));  // the singing ends here
    But_Stop_Click(song, playback_, ui);
  });
  add("But_Find_gaps", "&Find gaps", [this] { Show_Gaps(); });
  add("Command2", "&Create area dump", [this, &song, &ui] { Dump_Areas(*te_, song, ui); });
  add("But_Debug", "D&ebug", [this] { Dump_Field_Points_To_File(); });
  add("But_Save_Keys", "Sa&ve key log...", [this] { Save_Key_Log(); });
  buttons->addStretch();
  layout_->addLayout(buttons);
}

void Swiping_Tab::Connect_Options() {
  Song& song = context_.song;
  const Ui& ui = context_.ui;
  // The click is handled at once; the store takes the new value first, so the handler reads it.
  auto on_click = [&](const char* key, auto handler) {
    auto* box = findChild<QCheckBox*>(Control_Key(key));
    connect(box, &QCheckBox::clicked, this, [this, key, handler](bool checked) {
      context_.song.Window_Controls.Set_Check(key, checked ? 1 : 0);
      handler();
    });
  };
  on_click("Chk_Tabmode", [this, &song, &ui] {
    Chk_Tabmode_Click(*te_, song, ui);
    if (context_.edited) context_.edited();
    Show_View();
  });
  on_click("Chk_HalfSpeed", [this, &song, &ui] { Chk_HalfSpeed_Click(song, playback_, ui); });
  auto* file = findChild<QLineEdit*>(Control_Key("txt_Filename", 0));
  connect(
      file, &QLineEdit::textChanged, this,
      [this, &song, &ui](const QString& text) {
        if (text.toStdString() != playback_.Clock.Sound_File)
          txt_Filename_Change(song, playback_, ui, text.toStdString());
      },
      Qt::QueuedConnection);
  connect(
      file, &QLineEdit::editingFinished, this,
      [this, &song, &ui] { txt_Filename_LostFocus(song, playback_, ui); }, Qt::QueuedConnection);
  auto* time = findChild<QLineEdit*>(Control_Key("Txt_Time"));
  connect(
      time, &QLineEdit::textEdited, this, [this, &song] { Txt_Time_Change(song, playback_); },
      Qt::QueuedConnection);
}

void Swiping_Tab::Enter(int /*previous*/) {
  Song& song = context_.song;
  Update_Palette_RGB(song);
  Take_Warning(Layout_Text(song));
  Prepare_Timing_View(*te_, song);
  Build_Areas(*te_, song);
  const std::string name = song.Window_Controls.Text("txt_Filename", 0);
  if (!name.empty() && Check_Song_File_Name(song, context_.ui) &&
      name != playback_.Clock.Sound_File)
    txt_Filename_Change(song, playback_, context_.ui, name);
  Redraw_View(*te_, song, te_->VSc_Line_Value);
  Show_View();
  Show_Controls();
}

void Swiping_Tab::Take_Warning(const std::string& warning) {
  if (!warning.empty()) Show_Message(context_.ui, "Warning: " + warning);
}

void Swiping_Tab::Frame_Step() {
  Song& song = context_.song;
  Song_Clock& clock = playback_.Clock;
  if (clock.Position_Changed) {
    clock.Position_Changed = false;
  } else {
    Read_Song_Time(song, clock, true);
    song.Song_Time = std::max(song.Song_Time, 0.0);
    clock.Last_Action = "DisplayTime";
    Follow_Song_Time(song, clock);
    Show_Time(song, playback_);
    clock.Last_Action.clear();
  }
  if (song.Window_Controls.Checked("Chk_Replay"))
    Replay_Events(*te_, song, context_.ui, song.Song_Time);
  Check_Song_End(song, playback_, context_.ui);
  Show_View();
}

double Swiping_Tab::Song_Time_At(double steady_seconds) const {
  return lyricanvas::Song_Time_At(context_.song, playback_.Clock, steady_seconds);
}

bool Swiping_Tab::eventFilter(QObject* watched, QEvent* event) {
  const bool down = event->type() == QEvent::KeyPress;
  if ((!down && event->type() != QEvent::KeyRelease) || !isVisible() || !watched->isWidgetType() ||
      static_cast<QWidget*>(watched)->window() != window() ||
      watched != QApplication::focusWidget())
    return false;
  return Handle_Key(static_cast<QKeyEvent*>(event), down);
}

bool Swiping_Tab::Handle_Key(QKeyEvent* event, bool down) {
  const std::optional<Timing_Key> key = Timing_Key_Of(event->key());
  if (!key || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
    return false;
  const bool space_playing = *key == Timing_Key::Space && playback_.Clock.Is_Playing;
  if (Typing_Into_Box() && !space_playing) return false;
  const bool holds = *key == Timing_Key::Space || *key == Timing_Key::C || *key == Timing_Key::S;
  Song& song = context_.song;
  const double at = Song_Time_At(Event_Steady_Seconds(event->timestamp(), Steady_Seconds()));
  if (!down) {
    // Auto-repeat sends releases too; only the real one ends the press.
    if (!event->isAutoRepeat()) Form_KeyUp(*te_, song, *key, at);
    if (holds && context_.edited) context_.edited();
    Show_View();
    return holds && (space_playing || *key != Timing_Key::Space);
  }
  const Key_Result result =
      Form_KeyDown(*te_, song, context_.ui, *key, at, playback_.Clock.Is_Playing);
  if (result.warp_back && playback_.Clock.Is_Playing) warp_back(song, playback_, context_.ui);
  Show_View();
  return result.consumed;
}

void Swiping_Tab::Show_View() {
  Song& song = context_.song;
  if (te_->View_Changed) {
    te_->View_Changed = false;
    view_->update();
  }
  if (vsc_line_->maximum() != te_->VSc_Line_Max || vsc_line_->value() != te_->VSc_Line_Value) {
    const QSignalBlocker blocker(vsc_line_);
    vsc_line_->setRange(1, te_->VSc_Line_Max);
    vsc_line_->setValue(te_->VSc_Line_Value);
  }
  const double at = song.Song_Time;
  std::vector<Peak> peaks;
  if (engine_->Is_Open())
    peaks = Waveform_Peaks(*engine_, at - Waveform_Seconds_Around, at + Waveform_Seconds_Around,
                           waveform_.Width());
  Draw_Waveform_Strip(waveform_, song, peaks, at);
  strip_->update();
}

void Swiping_Tab::Show_Controls() {
  const Controls& controls = context_.song.Window_Controls;
  for (const char* name : {"Txt_Time", "Chk_MouseTimer"}) {
    if (auto* widget = findChild<QWidget*>(QString::fromLatin1(name))) {
      const Control* control = controls.Find(name);
      if (Widget_Value(widget) != control->Value) Set_Widget_Value(widget, *control);
      widget->setEnabled(control->Enabled);
    }
  }
  if (auto* file = findChild<QWidget*>(Control_Key("txt_Filename", 0)))
    file->setEnabled(controls.Find("txt_Filename", 0)->Enabled);
  const QSignalBlocker blocker(hsc_time_);
  hsc_time_->setMaximum(playback_.Clock.Hsc_Time_Max);
  hsc_time_->setValue(playback_.Clock.Hsc_Time_Value);
}

void Swiping_Tab::Show_Gaps() {
  gaps_->clear();
  for (const Gap& gap : Find_Gaps(*te_, context_.song)) {
    auto* item = new QListWidgetItem(Gap_Text(gap), gaps_);
    item->setData(Qt::UserRole, gap.from);
  }
}

void Swiping_Tab::Jump_To_Gap(int row) {
  QListWidgetItem* item = gaps_->item(row);
  if (!item) return;
  Song& song = context_.song;
  song.Song_Time = item->data(Qt::UserRole).toDouble();
  Show_Time(song, playback_);
  Update_Song_Position(song, playback_, true, true, true);
}

void Swiping_Tab::Save_Key_Log() {
  File_Dialog_Request request;
  request.save = true;
  request.filter = "Key logs (*.txt)|*.txt|All files (*.*)|*.*";
  request.default_extension = "txt";
  const std::string path = context_.dialogs.file ? context_.dialogs.file(request) : std::string();
  if (path.empty()) return;
  Atomic_File file(path);
  file.Append(Write_Key_Log(te_->Key_Log));
  File_Error error;
  if (!file.Commit(error))
    Show_Message(context_.ui,
                 error.what + " '" + path + "' (error " + std::to_string(error.number) + ")");
}

void Swiping_Tab::Dump_Field_Points_To_File() {
  File_Dialog_Request request;
  request.save = true;
  request.filter = "Text files (*.txt)|*.txt";
  request.default_extension = "txt";
  request.initial_file = Field_Points_File_Name(context_.song);
  const std::string path = context_.dialogs.file ? context_.dialogs.file(request) : std::string();
  Dump_Field_Points(context_.song, context_.ui, path);
}

}  // namespace lyricanvas
