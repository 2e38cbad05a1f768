#pragma once
// "CD+G Creation": the output settings, the create button with its progress, and the preview
// of the file written last.
#include <QWidget>
#include <memory>
#include <string>

#include "app/window/creation_job.h"
#include "app/window/preview_player.h"
#include "app/window/window_context.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace lyricanvas {

/// The song that plays along with the preview of the output the controls name: the WAV mixed
/// into a .bin image, after its introductory silence; for a .cdg file, the song played while
/// timing.
Preview_Audio Song_Of_Output(const Controls& controls);

class Creation_Tab : public QWidget {
 public:
  explicit Creation_Tab(Window_Context& context, QWidget* parent = nullptr);
  ~Creation_Tab() override;
  /// The create button: starts the run on a snapshot of the song.
  void But_CDG_Create_Click();
  bool Creating() const { return job_ && job_->Running(); }
  /// Stops a run in progress and waits for it to end.
  void Cancel_And_Wait();
  /// A creation phase: shown in the progress bar.
  void Show_Status(const std::string& status);

 private:
  void Box_1_Changed();
  void Finished(bool written);
  void Show_Preview();
  Window_Context& context_;
  QPushButton* create_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* preview_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::unique_ptr<Creation_Job> job_;
  int run_lines_ = 0;
  int run_lines_per_screen_ = 6;
  std::string written_file_;
  Preview_Audio preview_audio_;  ///< the song that goes with the file written last
};

}  // namespace lyricanvas
