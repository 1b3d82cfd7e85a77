#pragma once
// A data folder of catalog databases for tests, written the way a catalog run writes them.
//
//     CatalogFixture data;                          // an empty temporary data folder
//     FixtureVolume music(QStringLiteral("0002ffff"), QStringLiteral("Music CD"), 1);
//     const auto docs = music.addFolder(1, QStringLiteral("Docs"));   // the root row is ID 1, "E:"
//     music.addFile(docs, QStringLiteral("a.txt"), 1536);
//     const auto zip = music.addZipArchive(1, QStringLiteral("Old.zip"), 4000);
//     music.addZipMember(zip, QStringLiteral("readme.txt"), 100, QStringLiteral("\\docs\\old\\"));
//     data.addDatabase(QStringLiteral("Music"), {music});
//     gDataPath = data.dataPath();
//
// IDs come from one counter shared by folders and files, in the order the items are added: add
// them in the order a scan visits them (pre-order) to get the IDs a scan would give. A folder
// added without a size gets the total of every file below it, archive members included; an
// archive row keeps the size it is given. The index row's dirs and files count the folder rows
// (less the root) and the file rows; its size, used, free, date and description are fields of
// the volume that a test may set before writing it.
#include <cstdint>
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace mendor {

/// A date that a test can read back: 3/4/2001 5:06:07 pm as stored seconds.
inline constexpr std::int64_t kFixtureDate = 983725567;

struct FixtureRow {
    std::int64_t id = 0;
    std::int64_t parent = 0;
    QString name;
    std::int64_t size = -1; ///< -1: computed (folders only)
    QString description;    ///< null QString stores NULL
    QString attrib;
    std::int64_t created = kFixtureDate;
    std::int64_t modified = kFixtureDate;
    std::int64_t accessed = kFixtureDate;
    int depth = 0;
    bool archive = false;
};

class FixtureVolume {
public:
    /// The root row (ID 1, parent 0, named rootName) is created here.
    FixtureVolume(QString tableName, QString name, int volumeType = 2,
                  const QString& rootName = QStringLiteral("E:"));

    /// Returns the new row's ID.
    std::int64_t addFolder(std::int64_t parent, const QString& name, std::int64_t size = -1);
    std::int64_t addFile(std::int64_t parent, const QString& name, std::int64_t size = 0,
                         const QString& description = QString());
    /// A ZIP archive catalogued as a folder: a folders row that keeps the archive's own length.
    std::int64_t addZipArchive(std::int64_t parent, const QString& name, std::int64_t archiveSize);
    /// A member of an archive: its folder path inside the archive is stored as the description.
    std::int64_t addZipMember(std::int64_t archive, const QString& name, std::int64_t size,
                              const QString& pathInArchive);

    /// The row with this ID, to adjust its dates, attributes or description before writing.
    FixtureRow& row(std::int64_t id);

    QString tableName;
    QString name;
    int volumeType = 2;
    std::int64_t date = kFixtureDate;
    QString description;
    std::int64_t capacity = 10'240'000;
    std::int64_t used = 4'096'000;
    std::int64_t free = 6'144'000;
    /// File ID to 16-byte checksum; a volume with any has a t_sums table holding them.
    QMap<std::int64_t, QByteArray> checksums;

    const QList<FixtureRow>& folders() const { return folders_; }
    const QList<FixtureRow>& files() const { return files_; }

private:
    int depthBelow(std::int64_t parent) const;

    std::int64_t nextId_ = 1;
    QList<FixtureRow> folders_;
    QList<FixtureRow> files_;
};

class CatalogFixture {
public:
    CatalogFixture();

    /// The data folder (a fresh temporary folder, removed with the fixture).
    QString dataPath() const { return folder_.path(); }
    QString databasePath(const QString& name) const;

    /// Copies the program's template.qvt to <name>.mdb and writes the volumes into it.
    QString addDatabase(const QString& name, const QList<FixtureVolume>& volumes = {});
    /// Writes one more volume (index row, table pair, rows, parent indexes) into a database.
    void addVolume(const QString& name, const FixtureVolume& volume);
    /// Stores another value in the version table (a database of version 2 is not usable).
    void setVersion(const QString& name, int version);
    /// A file named <name>.mdb that is not a database at all.
    QString addForeignFile(const QString& name);

private:
    QTemporaryDir folder_;
};

} // namespace mendor
