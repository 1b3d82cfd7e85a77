#include "browse/CatalogQueries.h"

#include "store/ConnectionPool.h"
#include "store/Database.h"
#include "store/DatabaseList.h"
#include "store/Schema.h"

#include <atomic>
#include <optional>
#include <QFileInfo>
#include <thread>
#include <vector>

namespace mendor {

namespace {

// The columns of a folders or files row that the views show, in ItemRow order.
const QString kItemColumns = QStringLiteral(
    "\"ID\", \"name\", \"size\", \"attrib\", \"createdate\", \"moddate\", \"lastdate\", \"description\"");

ItemRow readItemRow(const Statement& row) {
    ItemRow item;
    item.id = row.columnInt(0);
    item.name = row.columnText(1);
    item.size = row.columnInt(2);
    item.attrib = row.columnText(3);
    item.created = row.columnInt(4);
    item.modified = row.columnInt(5);
    item.accessed = row.columnInt(6);
    item.description = row.isNull(7) ? QString() : row.columnText(7);
    return item;
}

QList<ItemRow> readItemRows(Statement& query) {
    QList<ItemRow> rows;
    while (query.step())
        rows.append(readItemRow(query));
    return rows;
}

QString foldersByParentSql(const QString& tableName, const QString& condition) {
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY \"name\" COLLATE NOCASE ASC")
        .arg(kItemColumns, quoteIdentifier(DirsTable(tableName)), condition);
}

std::int64_t countRows(const Database& db, const QString& table) {
    Statement query = db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoteIdentifier(table)));
    return query.step() ? query.columnInt(0) : 0;
}

// Reads one volume's root name and first folder level into volume; throws on any failure.
void readVolumeTop(const Database& db, CatalogVolume& volume) {
    Statement root = db.prepare(QStringLiteral("SELECT \"name\" FROM %1 WHERE \"parent\" = 0")
                                    .arg(quoteIdentifier(DirsTable(volume.tableName))));
    if (root.step())
        volume.rootName = root.columnText(0);
    // The folders directly in the root are those whose parent is the root row, ID 1.
    Statement first = db.prepare(foldersByParentSql(volume.tableName, QStringLiteral("\"parent\" = 1")));
    volume.firstLevel = readItemRows(first);
}

void readVolumes(const Database& db, CatalogDatabase& database) {
    Statement volumes =
        db.prepare(QStringLiteral("SELECT \"tablename\", \"name\", \"volumetype\" FROM \"index\" "
                                  "ORDER BY \"name\" COLLATE NOCASE ASC"));
    while (volumes.step()) {
        CatalogVolume volume;
        volume.tableName = volumes.columnText(0);
        volume.name = volumes.columnText(1);
        volume.volumeType = int(volumes.columnInt(2));
        // The node exists before its folders are read, as it does when the reading fails.
        database.volumes.append(volume);
        readVolumeTop(db, database.volumes.last());
    }
}

} // namespace

QList<CatalogDatabase> ReadCatalogTree(const QString& dataPath) {
    QList<CatalogDatabase> result;
    for (const QString& fileName : DatabaseFileNames(dataPath)) {
        try {
            Database db = Database::openReadOnly(dataPath + QLatin1Char('/') + fileName);
            if (CatalogVersionOf(db) != kCatalogVersion)
                continue;
            result.append(CatalogDatabase{fileName, {}});
            readVolumes(db, result.last());
        } catch (const SqlError&) {
            // What was read before the failure stays; the next database is read.
        }
    }
    return result;
}

QHash<std::int64_t, QList<ItemRow>> ReadSubFolders(const QString& databasePath, const QString& tableName,
                                                   const QList<std::int64_t>& parentIds) {
    QHash<std::int64_t, QList<ItemRow>> result;
    try {
        Database db = Database::openReadOnly(databasePath);
        Statement query = db.prepare(foldersByParentSql(tableName, QStringLiteral("\"parent\" = ?1")));
        for (std::int64_t parent : parentIds) {
            query.reset();
            query.bind(1, parent);
            result.insert(parent, readItemRows(query));
        }
    } catch (const SqlError&) {
        // A missing table or database loads nothing more.
    }
    return result;
}

QList<ItemRow> ReadFolderFiles(const QString& databasePath, const QString& tableName, std::int64_t folderId) {
    try {
        Database db = Database::openReadOnly(databasePath);
        const QString table = quoteIdentifier(FilesTable(tableName));
        Statement count =
            db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"parent\" = ?1").arg(table));
        count.bind(1, folderId);
        if (!count.step() || count.columnInt(0) > kMaxListedFiles)
            return {};
        Statement files = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE \"parent\" = ?1 "
                                                    "ORDER BY \"name\" COLLATE NOCASE ASC")
                                         .arg(kItemColumns, table));
        files.bind(1, folderId);
        return readItemRows(files);
    } catch (const SqlError&) {
        return {};
    }
}

VolumeListing ReadVolumeRecords(const QString& databasePath, const QStringList& tableNames) {
    VolumeListing listing;
    listing.fileBytes = QFileInfo(databasePath).size();
    try {
        Database db = Database::openReadOnly(databasePath);
        Statement query = db.prepare(QStringLiteral("SELECT * FROM \"index\" WHERE \"tablename\" = ?1"));
        for (const QString& tableName : tableNames) {
            query.reset();
            query.bind(1, tableName);
            if (!query.step())
                break;
            VolumeRecord record;
            record.tableName = tableName;
            record.name = query.columnText(QStringLiteral("name"));
            record.volumeType = int(query.columnInt(QStringLiteral("volumetype")));
            record.date = query.columnInt(QStringLiteral("thedate"));
            record.description = query.columnText(QStringLiteral("thedescription"));
            record.size = query.columnInt(QStringLiteral("size"));
            record.used = query.columnInt(QStringLiteral("used"));
            record.free = query.columnInt(QStringLiteral("free"));
            record.dirs = query.columnInt(QStringLiteral("dirs"));
            record.files = query.columnInt(QStringLiteral("files"));
            listing.volumes.append(record);
        }
    } catch (const SqlError&) {
        // The volume list stops at the first failure and keeps what it has.
    }
    return listing;
}

CatalogTotals& CatalogTotals::operator+=(const CatalogTotals& other) {
    volumes += other.volumes;
    size += other.size;
    used += other.used;
    free += other.free;
    dirs += other.dirs;
    files += other.files;
    return *this;
}

CatalogTotals ReadDatabaseTotals(const QString& databasePath) {
    try {
        Database db = Database::openReadOnly(databasePath);
        Statement query = db.prepare(
            QStringLiteral("SELECT COUNT(*), COALESCE(SUM(\"size\"), 0), COALESCE(SUM(\"used\"), 0), "
                           "COALESCE(SUM(\"free\"), 0), "
                           "COALESCE(SUM(\"dirs\"), 0), COALESCE(SUM(\"files\"), 0) FROM \"index\""));
        if (!query.step())
            return {};
        return CatalogTotals{query.columnInt(0), query.columnInt(1), query.columnInt(2),
                             query.columnInt(3), query.columnInt(4), query.columnInt(5)};
    } catch (const SqlError&) {
        return {};
    }
}

std::optional<VolumeFigures> ReadVolumeFigures(const QString& databasePath, const QString& tableName) {
    try {
        Database db = Database::openReadOnly(databasePath);
        Statement row = db.prepare(
            QStringLiteral("SELECT \"size\", \"used\", \"free\" FROM \"index\" WHERE \"tablename\" = ?1"));
        row.bind(1, tableName);
        if (!row.step())
            return std::nullopt;
        VolumeFigures figures;
        figures.size = row.columnInt(0);
        figures.used = row.columnInt(1);
        figures.free = row.columnInt(2);
        figures.dirCount = countRows(db, DirsTable(tableName)) - 1;
        figures.fileCount = countRows(db, FilesTable(tableName));
        return figures;
    } catch (const SqlError&) {
        return std::nullopt;
    }
}

namespace {

// The volumes of one database by name; what was read before an error, or nothing.
QList<ChooserVolume> readChooserVolumes(const QString& path, ConnectionPool* connections) {
    QList<ChooserVolume> volumes;
    try {
        std::optional<Database> own;
        ConnectionPool::Lease lease;
        if (connections)
            lease = connections->take(path);
        else
            own.emplace(Database::openReadOnly(path));
        Statement rows = (own ? *own : *lease)
                             .prepare(QStringLiteral("SELECT \"name\", \"volumetype\" FROM \"index\" "
                                                     "ORDER BY \"name\" COLLATE NOCASE ASC"));
        while (rows.step())
            volumes.append({rows.columnText(0), int(rows.columnInt(1))});
    } catch (const SqlError&) {
        // An unreadable file shows as a database without volumes.
    }
    return volumes;
}

} // namespace

QList<ChooserDatabase> ReadChooserDatabases(const QString& dataPath, ConnectionPool* connections) {
    QList<ChooserDatabase> result;
    for (const QString& fileName : DatabaseFileNames(dataPath))
        result.append(ChooserDatabase{fileName, {}});
    // Opening a database reads its whole schema, which for a hundred volumes takes longer than
    // the query: two threads open them side by side.
    std::vector<QList<ChooserVolume>> volumes(std::size_t(result.size()));
    std::atomic<std::size_t> next = 0;
    const auto readNext = [&] {
        for (std::size_t k; (k = next++) < volumes.size();)
            volumes[k] = readChooserVolumes(dataPath + QLatin1Char('/') + result.at(qsizetype(k)).fileName,
                                            connections);
    };
    std::thread helper;
    if (volumes.size() > 1)
        helper = std::thread(readNext);
    readNext();
    if (helper.joinable())
        helper.join();
    for (std::size_t k = 0; k < volumes.size(); ++k)
        result[qsizetype(k)].volumes = std::move(volumes[k]);
    return result;
}

} // namespace mendor
