#pragma once
// The four modes of the browse list and their columns.
//
//   1  a volume or folder node: sub-folders, then files (sorted by type)
//   2  a database node: its volumes
//   3  the root: the databases
//   4  a folder whose name ends in ".zip": the archive's members
#include <QList>
#include <QString>

namespace mendor {

inline constexpr int kFolderMode = 1;
inline constexpr int kVolumeMode = 2;
inline constexpr int kDatabaseMode = 3;
inline constexpr int kZipMode = 4;

struct ListColumn {
    QString caption; ///< as created; the sort column's caption carries "» "
    QString key;
};

/// The columns of a mode, in order; empty for any other number.
QList<ListColumn> ColumnsOfMode(int mode);

/// The 0-based column a freshly set-up list sorts by: 2 (Type) in mode 1, else 0.
int InitialSortColumn(int mode);

/// The 0-based sort column for a header key in a mode's sort table; -1 when the key is not in it
/// (the sort column then stays as it was). Mode 2 sorts only by its first seven columns.
int SortColumnForKey(int mode, const QString& key);

} // namespace mendor
