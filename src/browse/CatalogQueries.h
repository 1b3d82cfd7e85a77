#pragma once
// What the catalog tree, the content list and the volume chooser read from the databases of the
// data folder. Every function opens the database it needs read-only and closes it before it
// returns; none of them shows anything or raises an error to its caller (a database or table that
// cannot be read gives a shorter or empty answer, as the browse views expect).
#include <cstdint>
#include <optional>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace mendor {

class ConnectionPool;

/// One row of a volume's folders or files table.
struct ItemRow {
    std::int64_t id = 0;
    QString name;
    std::int64_t size = 0;
    QString attrib;
    std::int64_t created = 0;
    std::int64_t modified = 0;
    std::int64_t accessed = 0;
    QString description; ///< empty when the field is null
};

/// A volume as the tree shows it at refresh: its node and its first folder level.
struct CatalogVolume {
    QString tableName;
    QString name;
    int volumeType = 0;
    QString rootName;          ///< name of the root folder row (parent 0), e.g. "E:"
    QList<ItemRow> firstLevel; ///< folders whose parent is the root row, by name
};

struct CatalogDatabase {
    QString fileName; ///< as the file system lists it, with ".mdb"
    QList<CatalogVolume> volumes;
};

/// The usable databases (version 3) of the data folder, sorted by lower-cased file name, each
/// with its volumes by name. A database that fails midway keeps what was read before the
/// failure; one that cannot be opened or has another version is left out.
QList<CatalogDatabase> ReadCatalogTree(const QString& dataPath);

/// The sub-folders of each given parent folder of volume t, by name.
QHash<std::int64_t, QList<ItemRow>> ReadSubFolders(const QString& databasePath, const QString& tableName,
                                                   const QList<std::int64_t>& parentIds);

/// A folder holding more files than this lists its sub-folders only.
inline constexpr int kMaxListedFiles = 32767;

/// The files directly in a folder, by name; empty when the folder holds more than
/// kMaxListedFiles files or the table cannot be read.
QList<ItemRow> ReadFolderFiles(const QString& databasePath, const QString& tableName, std::int64_t folderId);

/// A volume's index row.
struct VolumeRecord {
    QString tableName;
    QString name;
    int volumeType = 0;
    std::int64_t date = 0; ///< stored seconds
    QString description;
    std::int64_t size = 0;
    std::int64_t used = 0;
    std::int64_t free = 0;
    std::int64_t dirs = 0;
    std::int64_t files = 0;
};

struct VolumeListing {
    QList<VolumeRecord> volumes; ///< in the order asked; reading stops at the first failure
    std::int64_t fileBytes = 0;  ///< size of the database file on disk
};

/// The index rows of the given volumes of one database, in that order.
VolumeListing ReadVolumeRecords(const QString& databasePath, const QStringList& tableNames);

/// Totals over index rows.
struct CatalogTotals {
    std::int64_t volumes = 0;
    std::int64_t size = 0;
    std::int64_t used = 0;
    std::int64_t free = 0;
    std::int64_t dirs = 0;
    std::int64_t files = 0;

    CatalogTotals& operator+=(const CatalogTotals& other);
};

/// The totals of every index row of one database; zeros when it cannot be read.
CatalogTotals ReadDatabaseTotals(const QString& databasePath);

/// What the status bar shows for a selected volume or folder: the whole volume's figures.
struct VolumeFigures {
    std::int64_t size = 0;
    std::int64_t used = 0;
    std::int64_t free = 0;
    std::int64_t dirCount = 0;  ///< rows of t_dirs less the root row
    std::int64_t fileCount = 0; ///< rows of t_files (it holds files only)
};

/// Nothing when the volume's index row or tables cannot be read.
std::optional<VolumeFigures> ReadVolumeFigures(const QString& databasePath, const QString& tableName);

struct ChooserVolume {
    QString name;
    int volumeType = 0;
};

struct ChooserDatabase {
    QString fileName;
    QList<ChooserVolume> volumes;
};

/// Every database file of the data folder (whatever its version), sorted as for the tree, with
/// its volumes by name; a file that cannot be read has no volumes. With connections, the
/// databases are opened through them and stay open there for what is read next.
QList<ChooserDatabase> ReadChooserDatabases(const QString& dataPath, ConnectionPool* connections = nullptr);

} // namespace mendor
