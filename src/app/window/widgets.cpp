#include "app/window/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lyricanvas {

QString Control_Key(const char* name, int index) {
  QString key = QString::fromLatin1(name);
  return index < 0 ? key : key + u'_' + QString::number(index);
}

QLineEdit* Make_Text_Box(QWidget* parent, const QString& key, const QString& tool_tip) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(key);
  box->setToolTip(tool_tip);
  return box;
}

QCheckBox* Make_Check_Box(QWidget* parent, const QString& key, const QString& caption,
                          const QString& tool_tip) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(key);
  box->setToolTip(tool_tip);
  return box;
}

QComboBox* Make_Combo_Box(QWidget* parent, const QString& key, bool editable) {
  auto* box = new QComboBox(parent);
  box->setObjectName(key);
  box->setEditable(editable);
  return box;
}

QPushButton* Make_Button(QWidget* parent, const QString& name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLabel* Add_Row(QFormLayout* form, const QString& label, QWidget* field) {
  auto* caption = new QLabel(label);
  caption->setBuddy(field);
  form->addRow(caption, field);
  return caption;
}

}  // namespace lyricanvas
