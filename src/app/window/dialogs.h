#pragma once
// The dialogs the window shows, as replaceable functions: the program uses Qt's message boxes,
// file, colour and font dialogs; tests put answers of their own in their place.
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "model/font.h"
#include "model/palette_edit.h"
#include "model/ui.h"
#include "project/project_file.h"

class QWidget;

namespace lyricanvas {

struct Dialogs {
  std::function<void(const std::string& text)> message;
  std::function<Answer(const std::string& question, bool with_cancel)> ask;
  File_Dialog file;
  /// The colour dialog: initial colour, 64-byte custom colours in and out; -1 when cancelled.
  std::function<Dialog_Color(Dialog_Color initial, std::string& custom_colors)> color;
  /// The font dialog preset with a font; nullopt when cancelled.
  std::function<std::optional<Font_Rec>(const Font_Rec& initial)> font;
};

/// Qt's own dialogs, shown over parent.
Dialogs Qt_Dialogs(QWidget* parent);

/// A filter list of description|pattern pairs as a Qt file dialog filter
/// ("description (pattern);;..."); "All files (*.*)|*.*" when empty.
QString Qt_File_Filter(const std::string& filter);

}  // namespace lyricanvas
