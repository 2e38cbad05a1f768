#include "app/window/recent_projects.h"

#include <QFileInfo>
#include <QSettings>

namespace lyricanvas {

namespace {

constexpr char Key[] = "recent_projects";

void Store(const QStringList& list) { QSettings().setValue(Key, list); }

}  // namespace

QStringList Recent_Projects() { return QSettings().value(Key).toStringList(); }

void Remember_Project(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList list = Recent_Projects();
  list.removeAll(absolute);
  list.prepend(absolute);
  while (list.size() > Recent_Projects_Capacity) list.removeLast();
  Store(list);
}

void Forget_Project(const QString& path) {
  QStringList list = Recent_Projects();
  list.removeAll(path);
  Store(list);
}

}  // namespace lyricanvas
