#pragma once
// Builders for the saved controls: each widget's object name is the control's key in the
// option store (the name, or name_index for a member of a control array), which is how the
// binding, the focus requests and the tests find it.
#include <QString>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace lyricanvas {

/// The object name of a control: its name, or name + "_" + index.
QString Control_Key(const char* name, int index = -1);

QLineEdit* Make_Text_Box(QWidget* parent, const QString& key, const QString& tool_tip = {});
QCheckBox* Make_Check_Box(QWidget* parent, const QString& key, const QString& caption,
                          const QString& tool_tip = {});
QComboBox* Make_Combo_Box(QWidget* parent, const QString& key, bool editable = false);
QPushButton* Make_Button(QWidget* parent, const QString& name, const QString& caption);
/// Adds a row of a label (with its mnemonic) and a field whose buddy the label is.
QLabel* Add_Row(QFormLayout* form, const QString& label, QWidget* field);

}  // namespace lyricanvas
