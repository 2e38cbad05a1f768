#pragma once
// The create button's work on a thread of its own. The run works on a snapshot of the song, so
// the user may go on editing; its questions and messages are answered on the window's thread
// (the run waits for them), its Status_Text reaches the window as it changes, and Cancel stops
// it between two lines or screens, before anything is written.
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "model/song.h"
#include "model/ui.h"

class QObject;
class QThread;

namespace lyricanvas {

class Creation_Job {
 public:
  /// Starts the run on a copy of song. gui_ui is called on receiver's thread; done(written)
  /// runs there when the run has ended (the job must outlive that call).
  Creation_Job(const Song& song, const Ui& gui_ui, QObject* receiver,
               std::function<void(bool written)> done);
  /// Waits for the run (letting the window's events run, so pending questions are answered).
  ~Creation_Job();
  Creation_Job(const Creation_Job&) = delete;
  Creation_Job& operator=(const Creation_Job&) = delete;

  void Cancel() { cancel_ = true; }
  bool Running() const;
  /// Lets window events run until the run has ended.
  void Wait() const;

 private:
  std::unique_ptr<Song> snapshot_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> written_{false};
  QPointer<QThread> thread_;
};

/// Progress in percent that a Status_Text stands for, for a song of the given number of lyrics
/// lines shown lines_per_screen at a time: the wipes of every line take the first part, the
/// screens (about one per lines_per_screen lines) the second, writing the file the rest.
int Creation_Progress(const std::string& status, int lines, int lines_per_screen);

}  // namespace lyricanvas
