#include "browse/CatalogQueries.h"

#include "store/Database.h"
#include "support/CatalogFixture.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace mendor;

namespace {

// Two volumes: "Music CD" (table 0002ffff, digits first) with a folder tree and an archive, and
// "Backup" whose name sorts first.
struct TwoVolumes {
    CatalogFixture data;
    FixtureVolume music{QStringLiteral("0002ffff"), QStringLiteral("Music CD"), 1};
    FixtureVolume backup{QStringLiteral("m1234"), QStringLiteral("backup"), 2, QStringLiteral("F:")};
    std::int64_t docs = 0, old = 0, zip = 0, pics = 0;

    TwoVolumes() {
        docs = music.addFolder(1, QStringLiteral("Docs"));
        old = music.addFolder(docs, QStringLiteral("old"));
        music.addFile(old, QStringLiteral("letter.doc"), 5000);
        music.addFile(docs, QStringLiteral("b.txt"), 10);
        music.addFile(docs, QStringLiteral("A.txt"), 20, QStringLiteral("first file"));
        zip = music.addZipArchive(1, QStringLiteral("Archive.zip"), 999);
        music.addZipMember(zip, QStringLiteral("readme.txt"), 100, QStringLiteral("\\docs\\old\\"));
        pics = music.addFolder(1, QStringLiteral("art"));
        music.addFile(1, QStringLiteral("top.txt"), 1);
        data.addDatabase(QStringLiteral("Music"), {music, backup});
    }
};

QStringList fileNames(const QList<ItemRow>& rows) {
    QStringList names;
    for (const ItemRow& row : rows)
        names << row.name;
    return names;
}

} // namespace

TEST(CatalogQueries, TreeListsUsableDatabasesSortedWithoutRegardToCase) {
    CatalogFixture data;
    data.addDatabase(QStringLiteral("zeta"));
    data.addDatabase(QStringLiteral("Alpha"));
    data.addDatabase(QStringLiteral("beta"));
    data.addDatabase(QStringLiteral("Old"));
    data.setVersion(QStringLiteral("Old"), 2);
    data.addForeignFile(QStringLiteral("Broken"));

    QStringList names;
    for (const CatalogDatabase& database : ReadCatalogTree(data.dataPath()))
        names << database.fileName;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha.mdb"), QStringLiteral("beta.mdb"),
                                  QStringLiteral("zeta.mdb")}));

    // The chooser looks at no version: every database file is there, an unreadable one empty.
    const QList<ChooserDatabase> chooser = ReadChooserDatabases(data.dataPath());
    ASSERT_EQ(chooser.size(), 5);
    EXPECT_EQ(chooser.at(1).fileName, QStringLiteral("beta.mdb"));
    EXPECT_EQ(chooser.at(0).fileName, QStringLiteral("Alpha.mdb"));
    EXPECT_TRUE(chooser.at(1).volumes.isEmpty());
}

TEST(CatalogQueries, TreeHoldsVolumesByNameWithRootNameAndFirstFolderLevel) {
    TwoVolumes fixture;
    const QList<CatalogDatabase> tree = ReadCatalogTree(fixture.data.dataPath());
    ASSERT_EQ(tree.size(), 1);
    ASSERT_EQ(tree.at(0).volumes.size(), 2);
    const CatalogVolume& backup = tree.at(0).volumes.at(0);
    const CatalogVolume& music = tree.at(0).volumes.at(1);
    EXPECT_EQ(backup.name, QStringLiteral("backup"));
    EXPECT_EQ(backup.rootName, QStringLiteral("F:"));
    EXPECT_TRUE(backup.firstLevel.isEmpty());
    EXPECT_EQ(music.tableName, QStringLiteral("0002ffff"));
    EXPECT_EQ(music.volumeType, 1);
    EXPECT_EQ(music.rootName, QStringLiteral("E:"));
    EXPECT_EQ(fileNames(music.firstLevel),
              (QStringList{QStringLiteral("Archive.zip"), QStringLiteral("art"), QStringLiteral("Docs")}));
    // The archive keeps its own length; a folder has the total of the files below it.
    EXPECT_EQ(music.firstLevel.at(0).size, 999);
    EXPECT_EQ(music.firstLevel.at(2).size, 5030);
    EXPECT_EQ(music.firstLevel.at(2).attrib, QStringLiteral("D"));
    EXPECT_EQ(music.firstLevel.at(2).created, kFixtureDate);

    const ChooserDatabase chooser = ReadChooserDatabases(fixture.data.dataPath()).at(0);
    ASSERT_EQ(chooser.volumes.size(), 2);
    EXPECT_EQ(chooser.volumes.at(1).name, QStringLiteral("Music CD"));
    EXPECT_EQ(chooser.volumes.at(1).volumeType, 1);
}

TEST(CatalogQueries, SubFoldersAndFilesOfAFolder) {
    TwoVolumes fixture;
    const QString path = fixture.data.databasePath(QStringLiteral("Music"));
    const auto sub =
        ReadSubFolders(path, QStringLiteral("0002ffff"), {fixture.docs, fixture.pics, fixture.zip});
    EXPECT_EQ(fileNames(sub.value(fixture.docs)), QStringList{QStringLiteral("old")});
    EXPECT_TRUE(sub.value(fixture.pics).isEmpty());
    EXPECT_TRUE(sub.contains(fixture.zip));
    EXPECT_TRUE(ReadSubFolders(path, QStringLiteral("missing"), {1}).isEmpty());

    const QList<ItemRow> files = ReadFolderFiles(path, QStringLiteral("0002ffff"), fixture.docs);
    EXPECT_EQ(fileNames(files), (QStringList{QStringLiteral("A.txt"), QStringLiteral("b.txt")}));
    EXPECT_EQ(files.at(0).description, QStringLiteral("first file"));
    EXPECT_TRUE(files.at(1).description.isEmpty());
    EXPECT_EQ(files.at(0).size, 20);

    const QList<ItemRow> members = ReadFolderFiles(path, QStringLiteral("0002ffff"), fixture.zip);
    ASSERT_EQ(members.size(), 1);
    EXPECT_EQ(members.at(0).description, QStringLiteral("\\docs\\old\\"));
    EXPECT_TRUE(ReadFolderFiles(path, QStringLiteral("nothere"), 1).isEmpty());
    EXPECT_TRUE(
        ReadFolderFiles(fixture.data.databasePath(QStringLiteral("absent")), QStringLiteral("0002ffff"), 1)
            .isEmpty());
}

TEST(CatalogQueries, AFolderOverTheFileLimitListsNoFiles) {
    CatalogFixture data;
    FixtureVolume big(QStringLiteral("big"), QStringLiteral("Big"));
    const std::int64_t full = big.addFolder(1, QStringLiteral("full"));
    const std::int64_t over = big.addFolder(1, QStringLiteral("over"));
    for (int i = 0; i < kMaxListedFiles; ++i)
        big.addFile(full, QStringLiteral("f%1").arg(i));
    for (int i = 0; i <= kMaxListedFiles; ++i)
        big.addFile(over, QStringLiteral("g%1").arg(i));
    const QString path = data.addDatabase(QStringLiteral("Big"), {big});
    EXPECT_EQ(ReadFolderFiles(path, QStringLiteral("big"), full).size(), kMaxListedFiles);
    EXPECT_TRUE(ReadFolderFiles(path, QStringLiteral("big"), over).isEmpty());
}

TEST(CatalogQueries, VolumeRecordsTotalsAndFigures) {
    TwoVolumes fixture;
    const QString path = fixture.data.databasePath(QStringLiteral("Music"));

    const VolumeListing listing =
        ReadVolumeRecords(path, {QStringLiteral("m1234"), QStringLiteral("0002ffff"), QStringLiteral("gone"),
                                 QStringLiteral("m1234")});
    // Reading stops at the volume without an index row.
    ASSERT_EQ(listing.volumes.size(), 2);
    EXPECT_EQ(listing.volumes.at(1).name, QStringLiteral("Music CD"));
    EXPECT_EQ(listing.volumes.at(1).dirs, 4);
    EXPECT_EQ(listing.volumes.at(1).files, 5);
    EXPECT_EQ(listing.volumes.at(1).date, kFixtureDate);
    EXPECT_EQ(listing.fileBytes, QFileInfo(path).size());

    const CatalogTotals totals = ReadDatabaseTotals(path);
    EXPECT_EQ(totals.volumes, 2);
    EXPECT_EQ(totals.size, 2 * 10'240'000);
    EXPECT_EQ(totals.dirs, 4);
    EXPECT_EQ(totals.files, 5);

    const auto figures = ReadVolumeFigures(path, QStringLiteral("0002ffff"));
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->dirCount, 4);
    EXPECT_EQ(figures->fileCount, 5);
    EXPECT_EQ(figures->used, 4'096'000);
    EXPECT_FALSE(ReadVolumeFigures(path, QStringLiteral("gone")).has_value());

    CatalogFixture empty;
    const QString emptyPath = empty.addDatabase(QStringLiteral("Empty"));
    const CatalogTotals none = ReadDatabaseTotals(emptyPath);
    EXPECT_EQ(none.volumes, 0);
    EXPECT_EQ(none.size, 0);
    EXPECT_EQ(ReadDatabaseTotals(empty.addForeignFile(QStringLiteral("x"))).volumes, 0);
}

TEST(CatalogQueries, NamesAndTablesWithQuotesAreData) {
    CatalogFixture data;
    FixtureVolume odd(QStringLiteral("we'i\"rd"), QStringLiteral("x\"; DROP TABLE \"index\"; --"));
    const std::int64_t folder = odd.addFolder(1, QStringLiteral("it's"));
    odd.addFile(folder, QStringLiteral("o'brien.txt"), 7);
    const QString path = data.addDatabase(QStringLiteral("Odd"), {odd});

    const QList<CatalogDatabase> tree = ReadCatalogTree(data.dataPath());
    ASSERT_EQ(tree.size(), 1);
    ASSERT_EQ(tree.at(0).volumes.size(), 1);
    EXPECT_EQ(tree.at(0).volumes.at(0).name, QStringLiteral("x\"; DROP TABLE \"index\"; --"));
    EXPECT_EQ(fileNames(ReadFolderFiles(path, QStringLiteral("we'i\"rd"), folder)),
              QStringList{QStringLiteral("o'brien.txt")});
    EXPECT_EQ(ReadVolumeRecords(path, {QStringLiteral("we'i\"rd")}).volumes.size(), 1);
}
