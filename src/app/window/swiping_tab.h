#pragma once
// "Lyrics swiping": the song played while timing, the timing view with its waveform strip, the
// keys that time the syllables and the settings of the timing editor. The handlers are the
// timing module's; this tab shows their results and hands them the widgets' events.
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/window/window_context.h"
#include "model/surface.h"
#include "timing/playback_control.h"
#include "timing/timing_editor.h"

class QListWidget;
class QScrollBar;
class QVBoxLayout;

namespace lyricanvas {

class Audio_Engine;
class Surface_Widget;
enum class Timing_Key;

class Swiping_Tab : public QWidget {
 public:
  explicit Swiping_Tab(Window_Context& context, QWidget* parent = nullptr);
  ~Swiping_Tab() override;
  /// The tab is shown; previous is the tab that was shown before.
  void Enter(int previous);

  Timing_Editor& editor() { return *te_; }
  Playback& playback() { return playback_; }
  /// One step of the playback loop (the frame timer calls it about 60 times a second).
  void Frame_Step();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build_Controls();
  void Build_View();
  void Build_Buttons();
  void Connect_Options();
  bool Handle_Key(QKeyEvent* event, bool down);
  double Song_Time_At(double steady_seconds) const;
  void Show_View();
  void Show_Controls();
  void Show_Gaps();
  void Jump_To_Gap(int row);
  void Save_Key_Log();
  void Dump_Field_Points_To_File();
  void Take_Warning(const std::string& warning);

  Window_Context& context_;
  std::unique_ptr<Timing_Editor> te_;
  std::unique_ptr<Audio_Engine> engine_;
  Playback playback_;
  Surface waveform_;
  QVBoxLayout* layout_ = nullptr;
  Surface_Widget* view_ = nullptr;
  Surface_Widget* strip_ = nullptr;
  QScrollBar* vsc_line_ = nullptr;
  QScrollBar* hsc_time_ = nullptr;
  QListWidget* gaps_ = nullptr;
  QTimer frame_timer_;
};

}  // namespace lyricanvas
