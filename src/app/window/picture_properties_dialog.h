#pragma once
// frm_Picture_Properties, "Select picture appearance effect": the appearance effect, hold time
// and options of one picture, with a preview that plays the effect's tile order on a small
// surface. Also the hook that opens it for a picture double-clicked in the lyrics editor.
#include <QDialog>
#include <QImage>
#include <string>

#include "app/window/window_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QTimer;

namespace lyricanvas {

class Picture_Properties_Dialog : public QDialog {
 public:
  /// properties: the picture's property string ("" for a new picture); file: its file.
  Picture_Properties_Dialog(const std::string& properties, const std::string& file,
                            int picture_number, const Dialogs& dialogs, QWidget* parent = nullptr);
  /// The property string the dialog leaves: built by OK, the file alone after Cancel on a new
  /// picture, unchanged when closed otherwise.
  const std::string& Result() const { return result_; }
  /// But_Test: plays the chosen effect in Pic_test.
  void Test_Effect();
  /// Draws the next tiles of a running preview; false once it has ended.
  bool Draw_Preview_Tiles(int count);
  const QImage& Preview() const { return preview_; }
  /// Closing by the frame or Escape: the properties stay as they were.
  void reject() override;

 private:
  void Ok();
  void Cancel();
  void Stop_Preview();
  void Show_Preview();

  const Dialogs& dialogs_;
  std::string result_;
  std::string file_;
  QComboBox* effect_ = nullptr;
  QLineEdit* hold_ = nullptr;
  QCheckBox* along_ = nullptr;
  QCheckBox* after_ = nullptr;
  QCheckBox* overwrite_ = nullptr;
  QCheckBox* dither_ = nullptr;
  QCheckBox* reverse_ = nullptr;
  QLabel* pic_test_ = nullptr;
  QTimer* timer_ = nullptr;
  QImage preview_;
  std::vector<std::pair<int, int>> order_;  ///< (row, column) of the preview still to draw
  std::size_t next_ = 0;
};

/// Shows the properties dialog for the picture at a text offset and stores the result in the
/// picture's field.
void Edit_Picture_At(QWidget* parent, Window_Context& context, int offset);

/// Lets a double-click on a picture in the editor open its properties and stores the result in
/// the picture's field.
void Install_Picture_Editing(QTextEdit* editor, Window_Context& context);

}  // namespace lyricanvas
