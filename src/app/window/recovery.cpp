#include "app/window/recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include "model/file_io.h"
#include "project/project_file.h"

namespace lyricanvas {

namespace {

bool Write_Atomically(const QString& path, const std::string& bytes) {
  Atomic_File file(path.toStdString());
  file.Append(bytes);
  File_Error error;
  return file.Commit(error);
}

}  // namespace

QString Recovery::Default_Folder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/recovery");
}

Recovery::Recovery(QString folder)
    : folder_(std::move(folder)), id_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  QDir().mkpath(folder_);
  lock_ = std::make_unique<QLockFile>(Path(id_, ".lock"));
  lock_->setStaleLockTime(0);
  lock_->tryLock(0);
}

Recovery::~Recovery() = default;  // the copy stays unless removed: that is its purpose

QString Recovery::Path(const QString& id, const char* suffix) const {
  return folder_ + u'/' + id + QString::fromLatin1(suffix);
}

QString Recovery::Copy_Path() const { return Path(id_, ".cgp"); }

bool Recovery::Has_Copy() const { return QFileInfo::exists(Copy_Path()); }

bool Recovery::Write(const Song& song) {
  Song copy = song;  // building the bytes sorts the fields; the open song stays as it is
  Ui quiet;
  const std::string bytes = Project_File_Bytes(copy, quiet);
  return Write_Atomically(Path(id_, ".path"), song.Project_File) &&
         Write_Atomically(Copy_Path(), bytes);
}

void Recovery::Remove() {
  QFile::remove(Copy_Path());
  QFile::remove(Path(id_, ".path"));
}

std::optional<Orphaned_Copy> Recovery::Find_Orphan() const {
  std::optional<Orphaned_Copy> newest;
  QDateTime newest_time;
  const QFileInfoList copies =
      QDir(folder_).entryInfoList({QStringLiteral("*.cgp")}, QDir::Files, QDir::Time);
  for (const QFileInfo& copy : copies) {
    const QString id = copy.completeBaseName();
    if (id == id_) continue;
    QLockFile lock(Path(id, ".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) continue;  // its program is still running
    lock.unlock();
    if (newest && copy.lastModified() <= newest_time) continue;
    const std::string project = Read_Whole_File(Path(id, ".path").toStdString()).value_or("");
    newest = Orphaned_Copy{copy.absoluteFilePath(), QString::fromStdString(project), id};
    newest_time = copy.lastModified();
  }
  return newest;
}

void Recovery::Discard(const Orphaned_Copy& orphan) const {
  QFile::remove(orphan.copy_path);
  QFile::remove(Path(orphan.id, ".path"));
  QFile::remove(Path(orphan.id, ".lock"));
}

}  // namespace lyricanvas
