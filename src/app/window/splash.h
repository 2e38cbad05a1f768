#pragma once
// frm_Splash: the program's name and version over the main window at start-up. It closes when
// its OK button is pressed or when it loses the focus.
#include <QDialog>

namespace lyricanvas {

class Splash : public QDialog {
 public:
  explicit Splash(QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  bool had_focus_ = false;
};

}  // namespace lyricanvas
