#include "app/window/project_tab.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/recent_projects.h"
#include "app/window/widgets.h"

namespace lyricanvas {

Project_Tab::Project_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  auto add = [&](const char* name, const QString& caption) {
    QPushButton* button = Make_Button(this, QString::fromLatin1(name), caption);
    buttons->addWidget(button);
    return button;
  };
  QPushButton* new_project = add("But_New", QStringLiteral("&New Project"));
  QPushButton* open = add("But_Open", QStringLiteral("&Open Project..."));
  save_ = add("But_Save", QStringLiteral("&Save Project..."));
  save_as_ = add("But_SaveAs", QStringLiteral("Save Project &as..."));
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addWidget(Make_Check_Box(this, Control_Key("Chk_Store_Pictures"),
                                   QStringLiteral("Store p&ictures in project file")));
  layout->addWidget(Make_Check_Box(this, Control_Key("Chk_incremental_save"),
                                   QStringLiteral("Save with incremental &version numbers")));
  recent_ = new QListWidget(this);
  recent_->setObjectName(QStringLiteral("Lst_Recent"));
  auto* recent_label = new QLabel(QStringLiteral("Recent pro&jects:"), this);
  recent_label->setBuddy(recent_);
  layout->addWidget(recent_label);
  layout->addWidget(recent_);

  connect(new_project, &QPushButton::clicked, this,
          [this] { Run(But_New_Click, context_.dialogs.file, true); });
  connect(open, &QPushButton::clicked, this,
          [this] { Run(But_Open_Click, context_.dialogs.file, true); });
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(save_as_, &QPushButton::clicked, this,
          [this] { Run(But_SaveAs_Click, context_.dialogs.file, false); });
  connect(recent_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    Open(item->data(Qt::UserRole).toString().toStdString());
  });
  Show_Recent();
}

bool Project_Tab::Run(bool (*button)(Song&, const Ui&, const File_Dialog&),
                      const File_Dialog& dialog, bool replaces) {
  const bool done = button(context_.song, context_.ui, dialog);
  if (replaces && done) context_.project_replaced();
  if (!replaces && done) context_.saved();
  Show_Recent();
  return done;
}

bool Project_Tab::Open(const std::string& path) {
  const bool opened = Run(
      But_Open_Click, [path](const File_Dialog_Request&) { return path; }, true);
  if (!opened && !QFileInfo::exists(QString::fromStdString(path))) {
    Forget_Project(QString::fromStdString(path));
    Show_Recent();
  }
  return opened;
}

bool Project_Tab::Save() { return Run(But_Save_Click, context_.dialogs.file, false); }

void Project_Tab::Enter() {
  const bool something = !context_.song.RTB_Raw.Text().isEmpty();
  save_->setEnabled(something);
  save_as_->setEnabled(something);
}

void Project_Tab::Show_Recent() {
  recent_->clear();
  for (const QString& path : Recent_Projects()) {
    auto* item = new QListWidgetItem(QFileInfo(path).fileName() + QStringLiteral("  —  ") + path,
                                     recent_);
    item->setData(Qt::UserRole, path);
  }
}

}  // namespace lyricanvas
