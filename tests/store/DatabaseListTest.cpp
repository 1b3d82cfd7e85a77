#include "store/DatabaseList.h"

#include "store/Database.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QString templatePath() {
    return s(MENDOR_TEST_PROGRAM_DIR "/template.qvt");
}

/// A copy of the template with the given number of volume rows in its index.
QString catalogWithVolumes(const QTemporaryDir& dir, const char* fileName, int volumes) {
    const QString path = dir.filePath(s(fileName));
    QFile::copy(templatePath(), path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    Database db = Database::open(path);
    Statement insert = db.prepare(s("INSERT INTO \"index\" (\"name\", \"tablename\") VALUES (?1, ?2)"));
    for (int i = 0; i < volumes; ++i) {
        insert.bind(1, QStringLiteral("Disk %1").arg(i)).bind(2, QStringLiteral("t%1").arg(i));
        insert.execute();
        insert.reset();
    }
    return path;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(DatabaseList, FindsDatabaseFilesOnlySortedWithoutRegardToCase) {
    QTemporaryDir dir;
    for (const char* name : {"gamma.mdb", "Beta.MDB", "alpha.mdb", "beta.mdb", "notes.txt", "old.mdb.bak",
                             ".hidden.mdb", ".mdb", "mdb"})
        writeBytes(dir.filePath(s(name)), "x");
    ASSERT_TRUE(QDir().mkpath(dir.filePath(s("folder.mdb"))));
    ASSERT_TRUE(QFile::link(dir.filePath(s("alpha.mdb")), dir.filePath(s("link.mdb"))));
    ASSERT_TRUE(QFile::link(dir.filePath(s("absent")), dir.filePath(s("broken.mdb"))));

    EXPECT_EQ(DatabaseFileNames(dir.path()),
              QStringList({s("alpha.mdb"), s("Beta.MDB"), s("beta.mdb"), s("gamma.mdb"), s("link.mdb")}));
    EXPECT_TRUE(DatabaseFileNames(dir.filePath(s("missing"))).isEmpty());
    EXPECT_TRUE(DatabaseFileNames(QString()).isEmpty());
}

TEST(DatabaseList, DescribesUsableAndUnusableDatabasesWithoutFailing) {
    QTemporaryDir dir;
    catalogWithVolumes(dir, "Music.mdb", 3);
    catalogWithVolumes(dir, "empty.mdb", 0);
    {
        Database old = Database::open(catalogWithVolumes(dir, "Old.mdb", 2));
        old.exec(s("UPDATE \"version\" SET \"version\" = 2"));
    }
    {
        Database noVersion = Database::open(catalogWithVolumes(dir, "NoVersion.mdb", 1));
        noVersion.exec(s("DELETE FROM \"version\""));
    }
    {
        QFile::copy(templatePath(), dir.filePath(s("Other.mdb")));
        QFile(dir.filePath(s("Other.mdb"))).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Database other = Database::open(dir.filePath(s("Other.mdb")));
        other.exec(s("DROP TABLE \"index\""));
    }
    writeBytes(dir.filePath(s("foreign.mdb")), QByteArray(5000, 'x'));
    QFile original(templatePath());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    writeBytes(dir.filePath(s("Truncated.mdb")), original.read(3000));

    const QList<DatabaseInfo> list = ListDatabases(dir.path());
    ASSERT_EQ(list.size(), 7);
    const auto at = [&list](int i) { return list.at(i); };

    EXPECT_EQ(at(0).name, s("empty"));
    EXPECT_TRUE(at(0).usable);
    EXPECT_EQ(at(0).volumeCount, 0);
    EXPECT_TRUE(at(0).problem.isEmpty());

    EXPECT_EQ(at(1).name, s("foreign"));
    EXPECT_FALSE(at(1).usable);
    EXPECT_TRUE(at(1).problem.startsWith(s("cannot be read: "))) << at(1).problem.toStdString();

    EXPECT_EQ(at(2).fileName, s("Music.mdb"));
    EXPECT_EQ(at(2).name, s("Music"));
    EXPECT_EQ(at(2).path, dir.filePath(s("Music.mdb")));
    EXPECT_TRUE(at(2).usable);
    EXPECT_EQ(at(2).volumeCount, 3);

    EXPECT_EQ(at(3).name, s("NoVersion"));
    EXPECT_FALSE(at(3).usable);
    EXPECT_EQ(at(3).problem, s("not a catalog database"));

    EXPECT_EQ(at(4).name, s("Old"));
    EXPECT_FALSE(at(4).usable);
    EXPECT_EQ(at(4).volumeCount, 2);
    EXPECT_EQ(at(4).problem, s("version 2"));

    EXPECT_EQ(at(5).name, s("Other"));
    EXPECT_FALSE(at(5).usable);
    EXPECT_EQ(at(5).problem, s("not a catalog database"));

    EXPECT_EQ(at(6).name, s("Truncated"));
    EXPECT_FALSE(at(6).usable);
    EXPECT_TRUE(at(6).problem.startsWith(s("cannot be read: "))) << at(6).problem.toStdString();
}

TEST(DatabaseList, ListingLeavesTheFilesUnchanged) {
    QTemporaryDir dir;
    const QString path = catalogWithVolumes(dir, "Music.mdb", 1);
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    QFile(path).setPermissions(QFile::ReadOwner);

    const DatabaseInfo info = DescribeDatabase(path);
    EXPECT_TRUE(info.usable) << info.problem.toStdString();
    EXPECT_EQ(info.volumeCount, 1);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    EXPECT_EQ(before.readAll(), bytes);
    EXPECT_FALSE(QFile::exists(path + s("-journal")));
}
