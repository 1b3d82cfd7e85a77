#include "store/DatabaseList.h"

#include "store/Database.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;
using namespace mendor::test;

namespace {

/// A copy of the template with the given number of volume rows in its index.
QString catalogWithVolumes(const QTemporaryDir& dir, const char* fileName, int volumes) {
    const QString path = CopyTemplate(dir.filePath(fileName));
    Database db = Database::open(path);
    Statement insert = db.prepare("INSERT INTO \"index\" (\"name\", \"tablename\") VALUES (?1, ?2)");
    for (int i = 0; i < volumes; ++i) {
        insert.bind(1, QStringLiteral("Disk %1").arg(i)).bind(2, QStringLiteral("t%1").arg(i));
        insert.execute();
        insert.reset();
    }
    return path;
}

} // namespace

TEST(DatabaseList, FindsDatabaseFilesOnlySortedWithoutRegardToCase) {
    QTemporaryDir dir;
    for (const char* name : {"gamma.mdb", "Beta.MDB", "alpha.mdb", "beta.mdb", "notes.txt", "old.mdb.bak",
                             ".hidden.mdb", ".mdb", "mdb"})
        WriteBytes(dir.filePath(name), "x");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("folder.mdb")));
    ASSERT_TRUE(QFile::link(dir.filePath("alpha.mdb"), dir.filePath("link.mdb")));
    ASSERT_TRUE(QFile::link(dir.filePath("absent"), dir.filePath("broken.mdb")));

    EXPECT_EQ(DatabaseFileNames(dir.path()),
              QStringList({"alpha.mdb", "Beta.MDB", "beta.mdb", "gamma.mdb", "link.mdb"}));
    EXPECT_TRUE(DatabaseFileNames(dir.filePath("missing")).isEmpty());
    EXPECT_TRUE(DatabaseFileNames(QString()).isEmpty());
}

TEST(DatabaseList, DescribesUsableAndUnusableDatabasesWithoutFailingOrChangingThem) {
    QTemporaryDir dir;
    const QString music = catalogWithVolumes(dir, "Music.mdb", 3);
    catalogWithVolumes(dir, "empty.mdb", 0);
    Database::open(catalogWithVolumes(dir, "Old.mdb", 2)).exec("UPDATE \"version\" SET \"version\" = 2");
    Database::open(catalogWithVolumes(dir, "NoVersion.mdb", 1)).exec("DELETE FROM \"version\"");
    Database::open(CopyTemplate(dir.filePath("Other.mdb"))).exec("DROP TABLE \"index\"");
    WriteBytes(dir.filePath("foreign.mdb"), QByteArray(5000, 'x'));
    WriteBytes(dir.filePath("Truncated.mdb"), ReadBytes(MENDOR_TEST_PROGRAM_DIR "/template.qvt").left(3000));
    const QByteArray musicBytes = ReadBytes(music);
    QFile(music).setPermissions(QFile::ReadOwner);

    const struct {
        const char* name;
        bool usable;
        int volumes;
        const char* problem; ///< the start of the problem text
    } expected[] = {{"empty", true, 0, ""},
                    {"foreign", false, 0, "cannot be read: "},
                    {"Music", true, 3, ""},
                    {"NoVersion", false, 1, "not a catalog database"},
                    {"Old", false, 2, "version 2"},
                    {"Other", false, 0, "not a catalog database"},
                    {"Truncated", false, 0, "cannot be read: "}};
    const QList<DatabaseInfo> list = ListDatabases(dir.path());
    ASSERT_EQ(list.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DatabaseInfo& info = list.at(i);
        SCOPED_TRACE(info.name.toStdString());
        EXPECT_EQ(info.name, expected[i].name);
        EXPECT_EQ(info.fileName, info.name + ".mdb");
        EXPECT_EQ(info.path, dir.filePath(info.fileName));
        EXPECT_EQ(info.usable, expected[i].usable);
        if (info.usable || expected[i].volumes > 0) {
            EXPECT_EQ(info.volumeCount, expected[i].volumes);
        }
        // A usable file has no problem at all; the others' texts start as given.
        const qsizetype length = qstrlen(expected[i].problem);
        EXPECT_EQ(length > 0 ? info.problem.left(length) : info.problem, expected[i].problem);
    }
    EXPECT_EQ(ReadBytes(music), musicBytes);
    EXPECT_FALSE(QFile::exists(music + "-journal"));
}
