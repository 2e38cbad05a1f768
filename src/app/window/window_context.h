#pragma once
// What every tab of the main window works on: the song, the dialogs, the window's Ui and the
// few notifications that keep the window in step with the song.
#include <functional>
#include <memory>

#include "model/song.h"
#include "model/ui.h"
#include "app/window/dialogs.h"

namespace lyricanvas {

struct Window_Context {
  Song song;
  Dialogs dialogs;
  /// Messages and questions through dialogs, focus to the widget named by a control key,
  /// pending events run on request.
  Ui ui;
  /// The user changed the project (text, a control, the palette).
  std::function<void()> edited;
  /// The core replaced the song's text or controls (open, new, restore): show them again.
  std::function<void()> project_replaced;
  /// The project was written to song.Project_File.
  std::function<void()> saved;
};

}  // namespace lyricanvas
