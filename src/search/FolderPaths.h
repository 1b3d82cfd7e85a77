#pragma once
// The catalogued path of a folder: the names of its folder rows from the top of the volume down
// to it, each followed by "\" (the root row's name is the drive, so a folder Docs in the root of
// E: gives E:\Docs\ and the root itself E:\).
#include <cstdint>
#include <QHash>
#include <QString>

namespace mendor {

class Database;

/// Opens the database file of the data folder and follows the parent chain of the folder with
/// one query per level. The chain ends at a row whose parent is 0, at a missing row, or where it
/// would come back to a row already passed. An unreadable database raises SqlError.
QString GetFolderPath(std::int64_t folderId, const QString& dirsTable, const QString& databaseFile,
                      const QString& dataPath);
/// The same in gDataPath.
QString GetFolderPath(std::int64_t folderId, const QString& dirsTable, const QString& databaseFile);

/// Every folder of one volume in memory, read with one query: the paths that GetFolderPath
/// gives, for many results at a fraction of the cost. Each path is built once and shared.
class FolderMap {
public:
    FolderMap() = default;
    /// An unreadable table raises SqlError.
    static FolderMap load(const Database& db, const QString& dirsTable);

    QString path(std::int64_t folderId);
    int folderCount() const { return int(folders_.size()); }

private:
    struct Folder {
        std::int64_t parent = 0;
        QString name;
        QString path; ///< null until built
    };
    QHash<std::int64_t, Folder> folders_;
};

} // namespace mendor
