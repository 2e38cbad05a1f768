#pragma once
// "Lyrics swiping": the song played while timing and the settings of the timing editor.
#include <QWidget>

#include "app/window/window_context.h"

class QVBoxLayout;

namespace lyricanvas {

class Swiping_Tab : public QWidget {
 public:
  explicit Swiping_Tab(Window_Context& context, QWidget* parent = nullptr);
  /// The tab is shown; previous is the tab that was shown before.
  void Enter(int previous);

 private:
  Window_Context& context_;
  QVBoxLayout* layout_ = nullptr;
};

}  // namespace lyricanvas
