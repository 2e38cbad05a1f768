#include "app/window/control_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <cassert>

namespace lyricanvas {

namespace {

int Check_Value(Qt::CheckState state) {
  return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

Qt::CheckState Check_State(const std::string& value) {
  return value == "1" ? Qt::Checked : value == "2" ? Qt::PartiallyChecked : Qt::Unchecked;
}

bool Option_Value(const std::string& value) {
  return QString::fromStdString(value).toLower() != QLatin1String("false");
}

}  // namespace

std::string Widget_Value(const QWidget* widget) {
  if (auto* box = qobject_cast<const QLineEdit*>(widget)) return box->text().toStdString();
  if (auto* box = qobject_cast<const QComboBox*>(widget)) return box->currentText().toStdString();
  if (auto* box = qobject_cast<const QCheckBox*>(widget))
    return std::to_string(Check_Value(box->checkState()));
  if (auto* box = qobject_cast<const QRadioButton*>(widget))
    return box->isChecked() ? "True" : "False";
  return {};
}

void Set_Widget_Value(QWidget* widget, const Control& control) {
  const QString text = QString::fromStdString(control.Value);
  if (auto* box = qobject_cast<QLineEdit*>(widget)) {
    if (box->text() != text) box->setText(text);
  } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
    if (box->isEditable()) {
      box->setCurrentText(text);
    } else {
      int i = box->findText(text);
      if (i < 0 && !text.isEmpty()) {
        box->addItem(text);
        i = box->count() - 1;
      }
      box->setCurrentIndex(i);
    }
  } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    Qt::CheckState state = Check_State(control.Value);
    box->setTristate(state == Qt::PartiallyChecked);
    box->setCheckState(state);
  } else if (auto* box = qobject_cast<QRadioButton*>(widget)) {
    box->setChecked(Option_Value(control.Value));
  }
  widget->setEnabled(control.Enabled);
}

void Control_Binding::Store(Controls& controls, const Control& control, const std::string& value) {
  if (showing_) return;
  Control* target = controls.Find(control.Name, control.Index);
  if (!target || target->Value == value) return;
  if (target->Kind == Control_Kind::Check || target->Kind == Control_Kind::Option)
    target->Value = value;
  else if (!controls.Set_Text(target->Name, target->Index, value))
    return;  // a list-only box keeps its value
  if (user_changed) user_changed(*target);
}

void Control_Binding::Bind(QWidget* root, Controls& controls) {
  entries_.clear();
  for (const Control& control : controls.All()) {
    const std::string key = Controls::Key(control);
    auto* widget = root->findChild<QWidget*>(QString::fromStdString(key));
    assert(widget && "every saved control needs its widget");
    if (!widget) continue;
    entries_.push_back({key, widget});
    auto store = [this, &controls, control, widget] {
      Store(controls, control, Widget_Value(widget));
    };
    if (auto* box = qobject_cast<QLineEdit*>(widget))
      QObject::connect(box, &QLineEdit::textChanged, box, store);
    else if (auto* box = qobject_cast<QComboBox*>(widget))
      QObject::connect(box, &QComboBox::currentTextChanged, box, store);
    else if (auto* box = qobject_cast<QCheckBox*>(widget))
      QObject::connect(box, &QCheckBox::stateChanged, box, store);
    else if (auto* box = qobject_cast<QRadioButton*>(widget))
      QObject::connect(box, &QRadioButton::toggled, box, store);
  }
  Show(controls);
}

void Control_Binding::Show(const Controls& controls) {
  showing_ = true;
  for (const Control& control : controls.All())
    if (QWidget* widget = Widget(Controls::Key(control))) Set_Widget_Value(widget, control);
  showing_ = false;
}

QWidget* Control_Binding::Widget(const std::string& key) const {
  for (const Entry& entry : entries_)
    if (entry.key == key) return entry.widget;
  return nullptr;
}

}  // namespace lyricanvas
