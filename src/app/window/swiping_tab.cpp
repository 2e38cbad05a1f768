#include "app/window/swiping_tab.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/layout.h"
#include "app/window/file_boxes.h"
#include "app/window/widgets.h"

namespace lyricanvas {

Swiping_Tab::Swiping_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  layout_ = new QVBoxLayout(this);
  auto* files = new QGridLayout;
  Add_File_Box(this, files, 0, 0, QStringLiteral("A&udio file to play:"),
               QStringLiteral("Br&owse..."), context_);
  layout_->addLayout(files);

  auto* time = new QFormLayout;
  Add_Row(time, QStringLiteral("&Time:"),
          Make_Text_Box(this, Control_Key("Txt_Time"), QStringLiteral("Format MM:SS,HH or SSS,HH")));
  Add_Row(time, QStringLiteral("Enter number of seconds to &go back on timer stop"),
          Make_Text_Box(this, Control_Key("Txt_GoBack")));
  layout_->addLayout(time);

  auto* options = new QHBoxLayout;
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_HalfSpeed"), QStringLiteral("&Half speed")));
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_AutoScroll"), QStringLiteral("&AutoScroll")));
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_Replay"),
                                    QStringLiteral("Show already entered swipe when timer running")));
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_MouseTimer"),
                                    QStringLiteral("Start/Stop on &mouse button")));
  options->addWidget(Make_Check_Box(this, Control_Key("Chk_Tabmode"),
                                    QStringLiteral("Swipe with space &bar")));
  options->addStretch();
  layout_->addLayout(options);
  layout_->addStretch(1);
}

void Swiping_Tab::Enter(int /*previous*/) {
  // The timing view lays the text out and draws it when it is shown.
  Layout_Text(context_.song);
}

}  // namespace lyricanvas
