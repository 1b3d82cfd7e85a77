#pragma once
// The catalogued path of a folder: the names of its folder rows from the top of the volume down
// to it, each followed by "\" (the root row's name is the drive, so a folder Docs in the root of
// E: gives E:\Docs\ and the root itself E:\).
#include <cstdint>
#include <memory>
#include <QByteArray>
#include <QString>
#include <vector>

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
    /// The folders as read, which the maps of several threads can share.
    struct Table {
        struct Folder {
            std::int64_t id = 0;
            std::int64_t parent = 0;
            qsizetype nameStart = 0; ///< in names
            qsizetype nameLength = 0;
        };
        std::vector<Folder> folders; ///< by ID
        QByteArray names;            ///< every name, UTF-8, one after the other

        /// The index of a folder in folders, or -1.
        qsizetype indexOf(std::int64_t id) const;
    };

    FolderMap() = default;
    explicit FolderMap(std::shared_ptr<const Table> table);

    /// An unreadable table raises SqlError.
    static std::shared_ptr<const Table> loadTable(const Database& db, const QString& dirsTable);
    static FolderMap load(const Database& db, const QString& dirsTable) {
        return FolderMap(loadTable(db, dirsTable));
    }

    QString path(std::int64_t folderId);
    /// The same path in UTF-8 (for lines written without a QString); valid as long as the map.
    QByteArrayView pathUtf8(std::int64_t folderId);

private:
    /// The path of a folder in one of the caches, built from the nearest known one up the chain.
    template <typename Text, typename NameOf>
    Text build(std::vector<Text>& paths, std::int64_t folderId, const Text& separator, NameOf nameOf);

    std::shared_ptr<const Table> table_;
    std::vector<QString> paths_;        ///< parallel to the table's folders; null until built
    std::vector<QByteArray> pathsUtf8_; ///< the same as bytes; empty until pathUtf8 is asked
    qsizetype lastUtf8_ = -1;           ///< the folder pathUtf8 gave last
    std::vector<bool> onChain_;         ///< parallel to the table's folders: on the chain being followed
};

} // namespace mendor
