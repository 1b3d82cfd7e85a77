#include "support/CatalogFixture.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <QFile>
#include <stdexcept>

namespace mendor {

FixtureVolume::FixtureVolume(QString tableName_, QString name_, int volumeType_, const QString& rootName)
    : tableName(std::move(tableName_)), name(std::move(name_)), volumeType(volumeType_) {
    FixtureRow root;
    root.id = nextId_++;
    root.name = rootName;
    root.attrib = QStringLiteral("D");
    folders_.append(root);
}

int FixtureVolume::depthBelow(std::int64_t parent) const {
    // The root row and the items directly in the root are at depth 0.
    if (parent <= 1)
        return 0;
    for (const FixtureRow& folder : folders_) {
        if (folder.id == parent)
            return folder.depth + 1;
    }
    throw std::invalid_argument("no folder with that ID");
}

std::int64_t FixtureVolume::addFolder(std::int64_t parent, const QString& folderName, std::int64_t size) {
    FixtureRow folder;
    folder.id = nextId_++;
    folder.parent = parent;
    folder.name = folderName;
    folder.size = size;
    folder.attrib = QStringLiteral("D");
    folder.depth = depthBelow(parent);
    folders_.append(folder);
    return folder.id;
}

std::int64_t FixtureVolume::addFile(std::int64_t parent, const QString& fileName, std::int64_t size,
                                    const QString& fileDescription) {
    FixtureRow file;
    file.id = nextId_++;
    file.parent = parent;
    file.name = fileName;
    file.size = size;
    file.description = fileDescription;
    file.attrib = QStringLiteral("A");
    file.depth = depthBelow(parent);
    files_.append(file);
    return file.id;
}

std::int64_t FixtureVolume::addZipArchive(std::int64_t parent, const QString& archiveName,
                                          std::int64_t archiveSize) {
    const std::int64_t id = addFolder(parent, archiveName, archiveSize);
    row(id).archive = true;
    row(id).attrib = QStringLiteral("A");
    return id;
}

std::int64_t FixtureVolume::addZipMember(std::int64_t archive, const QString& memberName, std::int64_t size,
                                         const QString& pathInArchive) {
    const std::int64_t id = addFile(archive, memberName, size, pathInArchive);
    // Members sit at the archive row's own depth.
    row(id).depth = row(archive).depth;
    return id;
}

FixtureRow& FixtureVolume::row(std::int64_t id) {
    for (QList<FixtureRow>* rows : {&folders_, &files_}) {
        for (FixtureRow& item : *rows) {
            if (item.id == id)
                return item;
        }
    }
    throw std::invalid_argument("no row with that ID");
}

namespace {

// The total of every file below a folder, through its sub-folders and archives.
std::int64_t totalBelow(const FixtureVolume& volume, std::int64_t folderId) {
    std::int64_t total = 0;
    for (const FixtureRow& file : volume.files()) {
        if (file.parent == folderId)
            total += file.size;
    }
    for (const FixtureRow& folder : volume.folders()) {
        if (folder.parent == folderId && folder.id != folderId)
            total += totalBelow(volume, folder.id);
    }
    return total;
}

void insertRows(Database& db, const QString& table, const QList<FixtureRow>& rows,
                const FixtureVolume& volume, bool folders) {
    Statement insert =
        db.prepare(QStringLiteral("INSERT INTO %1 (\"ID\", \"parent\", \"name\", \"size\", "
                                  "\"description\", \"attrib\", \"createdate\", \"lastdate\", "
                                  "\"moddate\", \"depth\") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                                  "?9, ?10)")
                       .arg(quoteIdentifier(table)));
    for (const FixtureRow& item : rows) {
        const std::int64_t size = folders && item.size < 0 ? totalBelow(volume, item.id) : item.size;
        insert.reset();
        insert.bind(1, item.id).bind(2, item.parent).bind(3, item.name).bind(4, size);
        insert.bind(5, item.description).bind(6, item.attrib).bind(7, item.created).bind(8, item.accessed);
        insert.bind(9, item.modified).bind(10, item.depth);
        insert.execute();
    }
}

} // namespace

CatalogFixture::CatalogFixture() {
    if (!folder_.isValid())
        throw std::runtime_error("cannot create a temporary data folder");
}

QString CatalogFixture::databasePath(const QString& name) const {
    return folder_.filePath(name + QStringLiteral(".mdb"));
}

QString CatalogFixture::addDatabase(const QString& name, const QList<FixtureVolume>& volumes) {
    const QString path = databasePath(name);
    if (!QFile::copy(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), path))
        throw std::runtime_error("cannot copy template.qvt to " + path.toStdString());
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    for (const FixtureVolume& volume : volumes)
        addVolume(name, volume);
    return path;
}

void CatalogFixture::addVolume(const QString& name, const FixtureVolume& volume) {
    Database db = Database::open(databasePath(name));
    Transaction transaction(db);
    Statement index = db.prepare(QStringLiteral(
        "INSERT INTO \"index\" (\"name\", \"tablename\", \"volumetype\", \"thedate\", \"thedescription\", "
        "\"size\", "
        "\"used\", \"free\", \"dirs\", \"files\") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
    index.bind(1, volume.name).bind(2, volume.tableName).bind(3, volume.volumeType).bind(4, volume.date);
    index.bind(5, volume.description).bind(6, volume.capacity).bind(7, volume.used).bind(8, volume.free);
    index.bind(9, volume.folders().size() - 1).bind(10, volume.files().size());
    index.execute();
    CreateVolumeTables(db, volume.tableName);
    insertRows(db, DirsTable(volume.tableName), volume.folders(), volume, true);
    insertRows(db, FilesTable(volume.tableName), volume.files(), volume, false);
    CreateVolumeIndexes(db, volume.tableName);
    if (!volume.checksums.isEmpty()) {
        CreateSumsTable(db, volume.tableName);
        Statement insert = db.prepare(QStringLiteral("INSERT INTO %1 (\"ID\", \"checksum\") VALUES (?1, ?2)")
                                          .arg(quoteIdentifier(SumsTable(volume.tableName))));
        for (auto it = volume.checksums.begin(); it != volume.checksums.end(); ++it) {
            insert.reset();
            insert.bind(1, it.key()).bindBlob(2, it.value());
            insert.execute();
        }
    }
    transaction.commit();
}

void CatalogFixture::setVersion(const QString& name, int version) {
    Database db = Database::open(databasePath(name));
    Statement update = db.prepare(QStringLiteral("UPDATE \"version\" SET \"version\" = ?1"));
    update.bind(1, version);
    update.execute();
}

QString CatalogFixture::addForeignFile(const QString& name) {
    const QString path = databasePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(QByteArray(3000, 'x'));
    return path;
}

} // namespace mendor
