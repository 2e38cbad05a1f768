#pragma once
// Binds the widgets of the saved controls to the option store both ways: what the user sets is
// written into Controls at once, and Show puts the store's values (and enabled states) back
// into the widgets after the core changed them, e.g. when a project was opened.
#include <QPointer>
#include <functional>
#include <vector>

#include "model/controls.h"

class QWidget;

namespace lyricanvas {

class Control_Binding {
 public:
  /// Binds every control of the store to the widget under root named by its key. A control
  /// without a widget is a programming error (asserted) and is skipped.
  void Bind(QWidget* root, Controls& controls);
  /// Puts every value and enabled state of the store into its widget.
  void Show(const Controls& controls);
  /// Runs after the user (not Show) changed a control; the store already holds the value.
  std::function<void(const Control& control)> user_changed;
  /// The widget bound to a control key, nullptr when none.
  QWidget* Widget(const std::string& key) const;

 private:
  struct Entry {
    std::string key;
    QPointer<QWidget> widget;
  };
  void Store(Controls& controls, const Control& control, const std::string& value);
  std::vector<Entry> entries_;
  bool showing_ = false;
};

/// The value a widget shows, in the store's form ("0"/"1"/"2" for check boxes).
std::string Widget_Value(const QWidget* widget);
/// Shows a store value in a widget; a combo box that is not editable gains an entry for a value
/// it does not list (the store decides what is acceptable).
void Set_Widget_Value(QWidget* widget, const Control& control);

}  // namespace lyricanvas
