#include "app/window/creation_job.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "cdg/creation.h"

namespace lyricanvas {

namespace {

constexpr int Worker_Niceness = 10;

/// The number at the end of a status text after prefix, or -1 when it has another form.
int Number_After(const std::string& status, const std::string& prefix) {
  if (status.rfind(prefix, 0) != 0) return -1;
  return std::atoi(status.c_str() + prefix.size());
}

/// Lowers the calling thread's scheduling priority, so the window's thread comes first when the
/// machine is busy: the run takes no longer when the window is idle, and the window keeps
/// responding while it runs.
void Yield_To_Window_Thread() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), Worker_Niceness);
}

/// Runs work on receiver's thread and waits for it.
template <class Work>
void On_Window_Thread(QObject* receiver, Work&& work) {
  QMetaObject::invokeMethod(receiver, std::forward<Work>(work), Qt::BlockingQueuedConnection);
}

/// The Ui of the worker: dialogs wait on the window thread, the rest is posted to it.
Ui Worker_Ui(const Ui& gui, QObject* receiver, const std::atomic<bool>& cancel) {
  Ui ui;
  ui.message = [gui, receiver](const std::string& text) {
    On_Window_Thread(receiver, [&] { Show_Message(gui, text); });
  };
  ui.ask = [gui, receiver](const std::string& question, bool with_cancel) {
    Answer answer = Answer::No;
    On_Window_Thread(receiver, [&] { answer = Ask(gui, question, with_cancel); });
    return answer;
  };
  ui.focus = [gui, receiver](const std::string& control) {
    QMetaObject::invokeMethod(receiver, [gui, control] { Focus(gui, control); });
  };
  ui.status = [gui, receiver](const std::string& status) {
    QMetaObject::invokeMethod(receiver, [gui, status] { Set_Status(gui, status); });
  };
  ui.cancelled = [&cancel] { return cancel.load(); };
  return ui;
}

}  // namespace

Creation_Job::Creation_Job(const Song& song, const Ui& gui_ui, QObject* receiver,
                           std::function<void(bool written)> done)
    : snapshot_(std::make_unique<Song>(song)) {
  Ui worker_ui = Worker_Ui(gui_ui, receiver, cancel_);
  Song* snapshot = snapshot_.get();
  thread_ = QThread::create([this, snapshot, worker_ui] {
    Yield_To_Window_Thread();
    written_ = But_CDG_Create_Click(*snapshot, worker_ui);
    snapshot_.reset();  // its documents belong to this thread
  });
  // The copy's documents are used by the run only, on its thread.
  snapshot->RTB_Raw.Qt().moveToThread(thread_);
  snapshot->RTB_Shadow.Qt().moveToThread(thread_);
  QObject::connect(thread_, &QThread::finished, receiver,
                   [this, done] { done(written_); });
  thread_->start();
}

bool Creation_Job::Running() const { return thread_ && !thread_->isFinished(); }

void Creation_Job::Wait() const {
  while (Running()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (thread_) thread_->wait(5);
  }
}

Creation_Job::~Creation_Job() {
  Cancel();
  Wait();
  if (thread_) thread_->wait();
  delete thread_.data();
}

int Creation_Progress(const std::string& status, int lines, int lines_per_screen) {
  constexpr int Wipes_Start = 5, Screens_Start = 35, Writing = 92, Done = 100;
  lines = std::max(lines, 1);
  const int screens = lines / std::max(lines_per_screen, 1) + 2;
  if (int line = Number_After(status, "creating wiping packs for line "); line >= 0)
    return Wipes_Start + (Screens_Start - Wipes_Start) * std::min(line, lines) / lines;
  if (int screen = Number_After(status, "creating screen # "); screen >= 0)
    return Screens_Start + (Writing - Screens_Start) * std::min(screen, screens) / screens;
  if (status == "writing CDG file" || status == "writing BIN file" || status == "reading WAV header")
    return Writing;
  if (status == "erasing packs") return Done;
  return 0;
}

}  // namespace lyricanvas
