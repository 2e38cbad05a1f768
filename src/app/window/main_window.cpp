#include "app/window/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextDocument>
#include <cstdio>

#include "model/layout.h"
#include "project/project_file.h"
#include "app/window/colors_tab.h"
#include "app/window/creation_tab.h"
#include "app/window/lyrics_tab.h"
#include "app/window/project_tab.h"
#include "app/window/recent_projects.h"
#include "app/window/swiping_tab.h"

namespace lyricanvas {

namespace {

enum Tab : int { Tab_Project = 0, Tab_Lyrics = 1, Tab_Swiping = 2, Tab_Creation = 3, Tab_Colors = 4 };

const QString Caption_Start = QStringLiteral(" Lyricanvas Karaoke Authoring Tool Version ");

/// Holds Suppress_Text_Events for as long as the program changes the window itself.
struct Suppressed {
  explicit Suppressed(Song& song) : song(song), before(song.Suppress_Text_Events) {
    song.Suppress_Text_Events = true;
  }
  ~Suppressed() { song.Suppress_Text_Events = before; }
  Song& song;
  bool before;
};

}  // namespace

QString Window_Caption(const std::string& project_file, bool has_text, bool started) {
  QString tail;
  if (!project_file.empty())
    tail = QStringLiteral(" - ") + QFileInfo(QString::fromStdString(project_file)).fileName();
  else if (!started)
    tail = QStringLiteral(" - No project open");
  else
    tail = has_text ? QStringLiteral(" - Unsaved project") : QStringLiteral(" - Empty project");
  return Caption_Start + QString::fromLatin1(Version) + tail;
}

std::string Command_Line_Project(std::string argument) {
  if (!argument.empty() && argument.front() == '"') {
    argument.erase(0, 1);
    if (!argument.empty()) argument.pop_back();
  }
  return argument;
}

Main_Window::Main_Window(Window_Options options, QWidget* parent)
    : QMainWindow(parent),
      context_(std::make_unique<Window_Context>()),
      recovery_(options.recovery_folder) {
  setObjectName(QStringLiteral("frm_Uniform"));
  Window_Context& c = *context_;
  c.dialogs = Qt_Dialogs(this);
  c.ui.message = [&c](const std::string& text) { c.dialogs.message(text); };
  c.ui.ask = [&c](const std::string& question, bool with_cancel) {
    return c.dialogs.ask(question, with_cancel);
  };
  c.ui.focus = [this](const std::string& key) { Focus_Control(key); };
  c.ui.status = [this](const std::string& status) { creation_tab_->Show_Status(status); };
  c.ui.process_events = [] { QCoreApplication::processEvents(); };
  // The diagnostic trace keeps nothing unless asked for on stderr.
  if (qEnvironmentVariableIsSet("LYRICANVAS_DEBUG_LOG"))
    c.ui.debug_log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  Debug_Log(c.ui, std::string("Lyricanvas Main routine started - Version No. ") + Version);
  c.edited = [this] { Edited(); };
  c.project_replaced = [this] { Project_Replaced(); };
  c.saved = [this] { Saved(); };
  Build_Ui();
  recovery_timer_.setInterval(options.recovery_interval_ms);
  connect(&recovery_timer_, &QTimer::timeout, this, [this] { Write_Recovery_Copy(); });
  recovery_timer_.start();
  Update_Caption();
}

Main_Window::~Main_Window() {
  // The creation run may still ask the window something; it ends before the window goes.
  if (creation_tab_) creation_tab_->Cancel_And_Wait();
}

void Main_Window::Build_Ui() {
  Window_Context& c = *context_;
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("Tab_Screens"));
  project_tab_ = new Project_Tab(c);
  lyrics_tab_ = new Lyrics_Tab(c);
  swiping_tab_ = new Swiping_Tab(c);
  creation_tab_ = new Creation_Tab(c);
  colors_tab_ = new Colors_Tab(c);
  tabs_->addTab(project_tab_, QStringLiteral("&Project handling"));
  tabs_->addTab(lyrics_tab_, QStringLiteral("&Lyrics entry"));
  tabs_->addTab(swiping_tab_, QStringLiteral("Lyrics s&wiping"));
  tabs_->addTab(creation_tab_, QStringLiteral("C&D+G Creation"));
  tabs_->addTab(colors_tab_, QStringLiteral("Select Colo&rs"));
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int shown) { Tab_Screens_Click(shown); });

  binding_.user_changed = [this](const Control& control) {
    if (control.Name == "Com_WipingStyle") {
      Apply_Wiping_Style(song(), control.Value);
      lyrics_tab_->Update_Wrap_Width();
    }
    Edited();
  };
  binding_.Bind(this, song().Window_Controls);
  Project_Replaced();
  started_ = false;
  resize(900, 640);
}

void Main_Window::Tab_Screens_Click(int shown) {
  Suppressed suppressed(song());
  if (current_tab_ == Tab_Lyrics) lyrics_tab_->Leave();
  const int previous = current_tab_;
  current_tab_ = shown;
  switch (shown) {
    case Tab_Project: project_tab_->Enter(); break;
    case Tab_Lyrics: lyrics_tab_->Enter(previous); break;
    case Tab_Swiping: swiping_tab_->Enter(previous); break;
    case Tab_Colors: colors_tab_->Enter(); break;
    default: break;
  }
}

void Main_Window::Focus_Control(const std::string& key) {
  auto* widget = findChild<QWidget*>(QString::fromStdString(key));
  if (!widget) return;
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->isAncestorOf(widget)) tabs_->setCurrentIndex(i);
  widget->setFocus();
}

void Main_Window::Project_Replaced() {
  Suppressed suppressed(song());
  lyrics_tab_->Rebind();
  if (watched_document_ != &song().RTB_Raw.Qt()) {
    watched_document_ = &song().RTB_Raw.Qt();
    connect(watched_document_.data(), &QTextDocument::contentsChanged, this, [this] {
      if (!song().Suppress_Text_Events) Edited();
    });
  }
  binding_.Show(song().Window_Controls);
  colors_tab_->Enter();
  unsaved_ = false;
  started_ = true;
  recovery_.Remove();
  if (!song().Project_File.empty() && QFileInfo::exists(QString::fromStdString(song().Project_File)))
    Remember_Project(QString::fromStdString(song().Project_File));
  project_tab_->Show_Recent();
  Update_Caption();
}

void Main_Window::Saved() {
  unsaved_ = false;
  recovery_.Remove();
  Remember_Project(QString::fromStdString(song().Project_File));
  project_tab_->Show_Recent();
  Update_Caption();
}

void Main_Window::Edited() {
  unsaved_ = true;
  started_ = true;
  Update_Caption();
}

void Main_Window::Update_Caption() {
  setWindowTitle(Window_Caption(song().Project_File, !song().RTB_Raw.Text().isEmpty(), started_));
}

void Main_Window::Write_Recovery_Copy() {
  if (unsaved_) recovery_.Write(song());
}

void Main_Window::Check_Default_Font() {
  const Font_Rec font = song().RTB_Raw.Default_Font();
  if (Font_Installed(font.Font_Name.toStdString())) return;
  Show_Message(context_->ui, "The default font of Lyricanvas (" + font.Font_Name.toStdString() +
                                 ") isn't available on this system. Please select another font!");
  std::optional<Font_Rec> chosen = context_->dialogs.font(font);
  while (!chosen || !Font_Installed(chosen->Font_Name.toStdString())) {
    Show_Message(context_->ui, "Sorry, but you HAVE to select an available font!");
    chosen = context_->dialogs.font(font);
  }
  Suppressed suppressed(song());
  song().RTB_Raw.Set_Default_Font(*chosen);
  song().Window_Controls.Set_Text("Com_Font", chosen->Font_Name.toStdString());
  binding_.Show(song().Window_Controls);
}

void Main_Window::Offer_Recovery() {
  const std::optional<Orphaned_Copy> orphan = recovery_.Find_Orphan();
  if (!orphan) return;
  const std::string of =
      orphan->project_path.isEmpty() ? std::string() : " of " + orphan->project_path.toStdString();
  const std::string question = "Lyricanvas was not closed properly. Do you want to restore the "
                               "unsaved changes" + of + "?";
  if (Ask(context_->ui, question) == Answer::Yes &&
      Open_Project(song(), orphan->copy_path.toStdString(), context_->ui)) {
    song().Project_File = orphan->project_path.toStdString();
    Project_Replaced();
    Edited();
    Write_Recovery_Copy();  // the work is safe again before the old copy goes
  }
  recovery_.Discard(*orphan);
}

void Main_Window::Start_Up(const std::string& command_line) {
  Check_Default_Font();
  if (!command_line.empty()) {
    const std::string path = Command_Line_Project(command_line);
    if (QFileInfo::exists(QString::fromStdString(path)) &&
        Open_Project(song(), path, context_->ui)) {
      Project_Replaced();
    } else {
      if (!QFileInfo::exists(QString::fromStdString(path)))
        Show_Message(context_->ui, "Could not find file " + path + "!");
    }
  }
  Offer_Recovery();
}

bool Main_Window::Confirm_Close() {
  if (creation_tab_->Creating()) creation_tab_->Cancel_And_Wait();
  if (!unsaved_) return true;
  switch (Ask(context_->ui, "Do you want to save the changes to your project?", true)) {
    case Answer::Cancel: return false;
    case Answer::Yes: return project_tab_->Save();
    case Answer::No: return true;
  }
  return false;
}

void Main_Window::closeEvent(QCloseEvent* event) {
  if (closing_ || !Confirm_Close()) {
    event->setAccepted(closing_);
    return;
  }
  closing_ = true;
  recovery_timer_.stop();
  recovery_.Remove();
  song().Suppress_Text_Events = true;  // for good: the window is going
  while (song().RTB_Raw.Picture_Count() > 0) song().RTB_Raw.Remove_Picture(0);
  song().RTB_Raw.Clear();
  event->accept();
}

}  // namespace lyricanvas
