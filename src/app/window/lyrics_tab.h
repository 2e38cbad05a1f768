#pragma once
// "Lyrics entry": the rich-text editor over the song's Document, the font and singer of the
// selection. The editor edits the Document's own QTextDocument; opening a project replaces
// that document, so the editor is bound again whenever the project is replaced.
#include <QWidget>

#include "app/window/window_context.h"

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

 private:
  void Follow_Cursor();
  Window_Context& context_;
  QTextEdit* editor_ = nullptr;
  QTextDocument* placeholder_ = nullptr;  ///< shown while the song's document is replaced
  int saved_start_ = 0;
  int saved_length_ = 0;
};

}  // namespace lyricanvas
