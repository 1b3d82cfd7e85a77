#include "browse/CatalogQueries.h"

#include "store/Database.h"
#include "support/CatalogFixture.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace mendor;

namespace {

// Two volumes: "Music CD" (table 0002ffff, digits first) with a folder tree and an archive, and
// one whose name sorts first and whose name and table hold quotes that must stay data.
struct TwoVolumes {
    CatalogFixture data;
    FixtureVolume music{"0002ffff", "Music CD", 1};
    FixtureVolume quoted{"m'1\"234", "b\"; DROP TABLE \"index\"; --", 2, "F:"};
    std::int64_t docs = 0, old = 0, zip = 0, pics = 0, quotedFolder = 0;
    QString path;

    TwoVolumes() {
        docs = music.addFolder(1, "Docs");
        old = music.addFolder(docs, "old");
        music.addFile(old, "letter.doc", 5000);
        music.addFile(docs, "b.txt", 10);
        music.addFile(docs, "A.txt", 20, "first file");
        zip = music.addZipArchive(1, "Archive.zip", 999);
        music.addZipMember(zip, "readme.txt", 100, "\\docs\\old\\");
        pics = music.addFolder(1, "art");
        music.addFile(1, "top.txt", 1);
        quotedFolder = quoted.addFolder(1, "it's");
        quoted.addFile(quotedFolder, "o'brien.txt", 7);
        path = data.addDatabase("Music", {music, quoted});
    }
};

QStringList names(const QList<ItemRow>& rows) {
    QStringList result;
    for (const ItemRow& row : rows)
        result << row.name;
    return result;
}

} // namespace

TEST(CatalogQueries, TreeHoldsVolumesByNameWithRootNameAndFirstFolderLevel) {
    TwoVolumes fixture;
    const QList<CatalogDatabase> tree = ReadCatalogTree(fixture.data.dataPath());
    ASSERT_EQ(tree.size(), 1);
    ASSERT_EQ(tree.at(0).volumes.size(), 2);
    const CatalogVolume& quoted = tree.at(0).volumes.at(0);
    const CatalogVolume& music = tree.at(0).volumes.at(1);
    EXPECT_EQ(quoted.name, "b\"; DROP TABLE \"index\"; --");
    EXPECT_EQ(quoted.rootName, "F:");
    EXPECT_EQ(names(quoted.firstLevel), QStringList{"it's"});
    EXPECT_EQ(music.tableName, "0002ffff");
    EXPECT_EQ(music.volumeType, 1);
    EXPECT_EQ(music.rootName, "E:");
    // The archive keeps its own length; a folder has the total of the files below it.
    EXPECT_EQ(music.firstLevel.at(0).size, 999);
    EXPECT_EQ(music.firstLevel.at(2).size, 5030);
    EXPECT_EQ(music.firstLevel.at(2).attrib, "D");
    EXPECT_EQ(music.firstLevel.at(2).created, kFixtureDate);
}

TEST(CatalogQueries, SubFoldersAndFilesOfAFolder) {
    TwoVolumes fixture;
    const QString& path = fixture.path;
    const auto sub = ReadSubFolders(path, "0002ffff", {fixture.docs, fixture.pics, fixture.zip});
    EXPECT_EQ(names(sub.value(fixture.docs)), QStringList{"old"});
    EXPECT_TRUE(sub.value(fixture.pics).isEmpty());
    EXPECT_TRUE(sub.contains(fixture.zip));
    EXPECT_TRUE(ReadSubFolders(path, "missing", {1}).isEmpty());

    EXPECT_EQ(names(ReadFolderFiles(path, "m'1\"234", fixture.quotedFolder)), QStringList{"o'brien.txt"});
    EXPECT_TRUE(ReadFolderFiles(path, "nothere", 1).isEmpty());
    EXPECT_TRUE(ReadFolderFiles(fixture.data.databasePath("absent"), "0002ffff", 1).isEmpty());
}

TEST(CatalogQueries, AFolderOverTheFileLimitListsNoFiles) {
    CatalogFixture data;
    FixtureVolume big("big", "Big");
    const std::int64_t full = big.addFolder(1, "full");
    const std::int64_t over = big.addFolder(1, "over");
    for (int i = 0; i < kMaxListedFiles; ++i)
        big.addFile(full, QStringLiteral("f%1").arg(i));
    for (int i = 0; i <= kMaxListedFiles; ++i)
        big.addFile(over, QStringLiteral("g%1").arg(i));
    const QString path = data.addDatabase("Big", {big});
    EXPECT_EQ(ReadFolderFiles(path, "big", full).size(), kMaxListedFiles);
    EXPECT_TRUE(ReadFolderFiles(path, "big", over).isEmpty());
}

TEST(CatalogQueries, VolumeRecordsTotalsAndFigures) {
    TwoVolumes fixture;
    const QString& path = fixture.path;
    const VolumeListing listing = ReadVolumeRecords(path, {"m'1\"234", "0002ffff", "gone", "m'1\"234"});
    // Reading stops at the volume without an index row.
    ASSERT_EQ(listing.volumes.size(), 2);
    EXPECT_EQ(listing.volumes.at(1).name, "Music CD");
    EXPECT_EQ(listing.volumes.at(1).dirs, 4);
    EXPECT_EQ(listing.volumes.at(1).files, 5);
    EXPECT_EQ(listing.volumes.at(1).date, kFixtureDate);
    EXPECT_EQ(listing.fileBytes, QFileInfo(path).size());

    const CatalogTotals totals = ReadDatabaseTotals(path);
    EXPECT_EQ(totals.volumes, 2);
    EXPECT_EQ(totals.size, 2 * 10'240'000);
    EXPECT_EQ(totals.dirs, 5);
    EXPECT_EQ(totals.files, 6);

    const auto figures = ReadVolumeFigures(path, "0002ffff");
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->dirCount, 4);
    EXPECT_EQ(figures->fileCount, 5);
    EXPECT_EQ(figures->used, 4'096'000);
    EXPECT_FALSE(ReadVolumeFigures(path, "gone").has_value());

    CatalogFixture empty;
    const CatalogTotals none = ReadDatabaseTotals(empty.addDatabase("Empty"));
    EXPECT_EQ(none.volumes, 0);
    EXPECT_EQ(none.size, 0);
    EXPECT_EQ(ReadDatabaseTotals(empty.addForeignFile("x")).volumes, 0);
}
