#pragma once
// The projects opened or saved last, newest first, kept in the user's settings. They are the
// only state besides the recovery copy that the program keeps outside project files.
#include <QStringList>

namespace lyricanvas {

constexpr int Recent_Projects_Capacity = 8;

QStringList Recent_Projects();
/// Puts path at the top of the list (once), dropping the oldest beyond the capacity.
void Remember_Project(const QString& path);
/// Drops a path from the list, e.g. one that could not be opened any more.
void Forget_Project(const QString& path);

}  // namespace lyricanvas
