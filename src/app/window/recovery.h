#pragma once
// The recovery copy: while a project has unsaved changes the window writes it now and then
// into the user's data folder; a clean save or close removes it. Every running window has its
// own copy, held under a lock file; a copy whose lock is stale belongs to a program that ended
// without closing, and the next start offers to restore it.
#include <QLockFile>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "model/song.h"

namespace lyricanvas {

/// A copy left behind by a program that did not close.
struct Orphaned_Copy {
  QString copy_path;     ///< the project bytes
  QString project_path;  ///< where the project belonged ("" for an unsaved one)
  QString id;
};

class Recovery {
 public:
  /// Uses folder (created when missing); the default is the recovery folder of the user's
  /// application data.
  explicit Recovery(QString folder = Default_Folder());
  ~Recovery();

  static QString Default_Folder();
  /// Writes the song's project bytes atomically as this window's copy; false when that failed.
  bool Write(const Song& song);
  /// Removes this window's copy.
  void Remove();
  bool Has_Copy() const;
  QString Copy_Path() const;

  /// The newest copy of a program that is no longer running, if any.
  std::optional<Orphaned_Copy> Find_Orphan() const;
  /// Removes an orphaned copy and its lock.
  void Discard(const Orphaned_Copy& orphan) const;

 private:
  QString Path(const QString& id, const char* suffix) const;
  QString folder_;
  QString id_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace lyricanvas
