#include "app/window/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using Main_Window_Test = Window_Test;

TEST_F(Main_Window_Test, EverySavedControlHasAWidgetOfItsKind) {
  auto w = Open_Window();
  for (const Control& control : (*w)->song().Window_Controls.All()) {
    const QString key = QString::fromStdString(Controls::Key(control));
    QWidget* widget = w->window->findChild<QWidget*>(key);
    ASSERT_NE(widget, nullptr) << key.toStdString();
    switch (control.Kind) {
      case Control_Kind::Text: EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr); break;
      case Control_Kind::Combo: EXPECT_NE(qobject_cast<QComboBox*>(widget), nullptr); break;
      case Control_Kind::Check: EXPECT_NE(qobject_cast<QCheckBox*>(widget), nullptr); break;
      case Control_Kind::Option: break;
    }
  }
}

}  // namespace
}  // namespace lyricanvas::testing
