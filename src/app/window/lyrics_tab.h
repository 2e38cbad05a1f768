#pragma once
// "Lyrics entry": the rich-text editor over the song's Document, the font and singer of the
// selection. The editor edits the Document's own QTextDocument; opening a project replaces
// that document, so the editor is bound again whenever the project is replaced.
#include <QWidget>

#include "app/window/window_context.h"
#include "editing/text_tracking.h"

class QMenu;
class QMimeData;
class QTextEdit;
class QTextDocument;

namespace lyricanvas {

class Lyrics_Tab : public QWidget {
 public:
  explicit Lyrics_Tab(Window_Context& context, QWidget* parent = nullptr);
  /// Binds the editor to the song's current document and wraps it at the CD+G line width.
  void Rebind();
  /// The tab is shown; previous is the tab that was shown before.
  void Enter(int previous);
  /// The tab is left: its selection is remembered for the return.
  void Leave();
  QTextEdit* Editor() const { return editor_; }
  /// Wraps the editor at the document's text width, which the wiping style sets.
  void Update_Wrap_Width();
  /// The text menu (Men_RTB_Raw) that a right click in the editor opens.
  QMenu* Text_Menu() const { return text_menu_; }

 private:
  void Build_Commands(QLayout* layout);
  void Build_Text_Menu();
  void Follow_Cursor();
  /// Shows the singer and font of the selection in the format controls.
  void Show_Selection_Format();
  void Show_Control(const char* name);
  void Paste_Data(const QMimeData& data);
  /// Asks for a BMP, PNG or JPEG file, inserts it at the cursor and opens its properties.
  void Insert_Picture_File();
  Window_Context& context_;
  Edit_Tracker tracker_;  ///< keeps the fields on their characters through every edit
  QTextEdit* editor_ = nullptr;
  QMenu* text_menu_ = nullptr;
  QTextDocument* placeholder_ = nullptr;  ///< shown while the song's document is replaced
  int saved_start_ = 0;
  int saved_length_ = 0;
};

}  // namespace lyricanvas
