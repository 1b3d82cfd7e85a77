#pragma once
// The catalog databases of a data folder: every regular "*.mdb" file, with its number of
// volumes and whether it can be used.
#include "shell/DataFolder.h"

#include <cstdint>
#include <QList>
#include <QString>
#include <QStringList>

namespace mendor {

/// One database file of the data folder.
struct DatabaseInfo {
    QString fileName; ///< as the file system spells it, with its extension: "Music.mdb"
    QString name;     ///< the file name without its last four characters: "Music"
    QString path;
    std::int64_t volumeCount = 0; ///< rows of "index"; 0 when it cannot be read
    bool usable = false;          ///< a catalog database of version 3
    /// Why the database is not usable: "not a catalog database", "version N" or
    /// "cannot be read: ..."; empty when it is usable.
    QString problem;
};

/// Opens one database file read-only and describes it. Never throws: a file that is not SQLite,
/// is truncated or lacks the fixed tables is reported through problem.
DatabaseInfo DescribeDatabase(const QString& path);

/// DescribeDatabase for every file of DatabaseFileNames(folder), in that order.
QList<DatabaseInfo> ListDatabases(const QString& folder);

/// The label of the catalog tree's root node.
inline const QString kCatalogRootLabel = QStringLiteral("Mendor Pro");

/// Whether name, ignoring letter case, is the label of a node that the catalog tree of folder
/// shows after a refresh, the node of exceptKey left out: the root, a usable database, a volume,
/// or a folder directly in a volume's root. A database or volume is never renamed to such a name,
/// so that the tree never shows two nodes alike.
bool NameShownInCatalogTree(const QString& folder, const QString& name, const QString& exceptKey);

} // namespace mendor
