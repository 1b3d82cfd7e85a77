#pragma once
// The database files of a data folder, by name only: the settings decide the data folder by
// whether it holds any, and the store describes each one.
#include <QString>
#include <QStringList>

namespace mendor {

/// The names of the folder's database files: regular files (or links to them) whose name ends
/// in ".mdb" in any letter case, hidden files left out. Sorted by name without regard to case
/// (names differing only in case by their exact spelling), the order a Windows folder lists them.
QStringList DatabaseFileNames(const QString& folder);

} // namespace mendor
