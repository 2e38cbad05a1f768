#pragma once
// frm_Uniform: the main window with its five tabs. It owns the song for the life of the
// process, binds the saved controls to it, follows whether the project has unsaved changes,
// keeps a recovery copy of unsaved work and asks before closing.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "app/window/control_binding.h"
#include "app/window/recovery.h"
#include "app/window/window_context.h"

class QTabWidget;
class QTextDocument;

namespace lyricanvas {

class Project_Tab;
class Lyrics_Tab;
class Swiping_Tab;
class Creation_Tab;
class Colors_Tab;

inline constexpr char Version[] = "1.0.20";

/// The caption for a project: " - No project open" before anything was opened, then the
/// project's file name, " - Unsaved project" or " - Empty project".
QString Window_Caption(const std::string& project_file, bool has_text, bool started);

/// A command-line argument as a project path: one pair of surrounding double quotes removed.
std::string Command_Line_Project(std::string argument);

struct Window_Options {
  QString recovery_folder = Recovery::Default_Folder();
  int recovery_interval_ms = 60'000;
};

class Main_Window : public QMainWindow {
 public:
  explicit Main_Window(Window_Options options = {}, QWidget* parent = nullptr);
  ~Main_Window() override;

  /// Replaces the dialogs (tests answer them themselves).
  void Set_Dialogs(Dialogs dialogs) { context_->dialogs = std::move(dialogs); }
  /// What follows showing the window: the installed default font, the recovery of a program
  /// that did not close, and the project named on the command line ("" for none).
  void Start_Up(const std::string& command_line);

  Song& song() { return context_->song; }
  Window_Context& context() { return *context_; }
  QTabWidget* tabs() const { return tabs_; }
  Project_Tab* project_tab() const { return project_tab_; }
  Lyrics_Tab* lyrics_tab() const { return lyrics_tab_; }
  Swiping_Tab* swiping_tab() const { return swiping_tab_; }
  Creation_Tab* creation_tab() const { return creation_tab_; }
  Colors_Tab* colors_tab() const { return colors_tab_; }
  bool Unsaved_Changes() const { return unsaved_; }
  /// Writes the recovery copy now when there are unsaved changes (the timer does this).
  void Write_Recovery_Copy();
  Recovery& recovery() { return recovery_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build_Ui();
  void Tab_Screens_Click(int shown);
  void Focus_Control(const std::string& key);
  void Project_Replaced();
  void Saved();
  void Edited();
  void Update_Caption();
  void Check_Default_Font();
  void Offer_Recovery();
  bool Confirm_Close();

  std::unique_ptr<Window_Context> context_;
  Control_Binding binding_;
  Recovery recovery_;
  QTimer recovery_timer_;
  QTabWidget* tabs_ = nullptr;
  Project_Tab* project_tab_ = nullptr;
  Lyrics_Tab* lyrics_tab_ = nullptr;
  Swiping_Tab* swiping_tab_ = nullptr;
  Creation_Tab* creation_tab_ = nullptr;
  Colors_Tab* colors_tab_ = nullptr;
  QPointer<QTextDocument> watched_document_;  ///< the lyrics whose edits count as changes
  int current_tab_ = 0;
  bool unsaved_ = false;
  bool started_ = false;  ///< a project was opened or started since the program began
  bool closing_ = false;
};

}  // namespace lyricanvas
