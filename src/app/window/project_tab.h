#pragma once
// "Project handling": new, open, save and save as, the two saving options and the recently
// opened projects.
#include <QWidget>

#include "app/window/window_context.h"

class QListWidget;
class QPushButton;

namespace lyricanvas {

class Project_Tab : public QWidget {
 public:
  explicit Project_Tab(Window_Context& context, QWidget* parent = nullptr);
  /// The tab is shown: the save buttons follow whether there is anything to save.
  void Enter();
  /// Opens a project as "Open Project..." does, with path in place of the dialog's answer.
  bool Open(const std::string& path);
  /// Runs "Save Project..."; false when the user cancelled or the save failed.
  bool Save();
  void Show_Recent();

 private:
  /// Runs a project button and tells the window what changed.
  bool Run(bool (*button)(Song&, const Ui&, const File_Dialog&), const File_Dialog& dialog,
           bool replaces);
  Window_Context& context_;
  QPushButton* save_ = nullptr;
  QPushButton* save_as_ = nullptr;
  QListWidget* recent_ = nullptr;
};

}  // namespace lyricanvas
