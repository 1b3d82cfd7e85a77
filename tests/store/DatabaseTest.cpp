#include "store/Database.h"

#include "store/ConnectionPool.h"
#include "store/Schema.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace mendor;

namespace {

QString freshCopy(const QTemporaryDir& dir) {
    return test::CopyTemplate(dir.filePath("Music.mdb"));
}

} // namespace

TEST(Database, MissingForeignAndTruncatedFilesRaiseClearErrors) {
    QTemporaryDir dir;
    EXPECT_THROW(Database::open(dir.filePath("absent.mdb")), SqlError);

    test::WriteBytes(dir.filePath("x.mdb"), QByteArray(5000, 'x'));
    EXPECT_THROW(Database::open(dir.filePath("x.mdb")), SqlError);

    // An unknown double-quoted name is an error, never read as a string.
    EXPECT_THROW(Database::open(freshCopy(dir)).prepare("SELECT \"nosuch\" FROM \"version\""), SqlError);

    test::WriteBytes(dir.filePath("t.mdb"),
                     test::ReadBytes(MENDOR_TEST_PROGRAM_DIR "/template.qvt").left(1000));
    try {
        Database db = Database::open(dir.filePath("t.mdb"));
        EXPECT_EQ(CatalogVersionOf(db), -1);
    } catch (const SqlError&) {
        SUCCEED();
    }
}

TEST(Database, PooledConnectionsAreLentOneAtATimeAndReused) {
    QTemporaryDir dir;
    const QString path = freshCopy(dir);
    ConnectionPool pool;
    std::set<const Database*> opened;
    {
        ConnectionPool::Lease lease = pool.take(path);
        // A connection in use is never lent twice: a second reader gets its own.
        const ConnectionPool::Lease second = pool.take(path);
        opened = {&*lease, &*second};
        ASSERT_EQ(opened.size(), 2u);
        const ConnectionPool::Lease moved = std::move(lease);
        EXPECT_FALSE(lease);
        EXPECT_TRUE(opened.contains(&*moved));
    }
    // Both came back once; the next two readers get them instead of new ones.
    const ConnectionPool::Lease first = pool.take(path);
    const ConnectionPool::Lease second = pool.take(path);
    EXPECT_EQ((std::set<const Database*>{&*first, &*second}), opened);
    EXPECT_TRUE(first->prepare(QStringLiteral("SELECT count(*) FROM \"index\"")).step());
    EXPECT_THROW(pool.take(dir.filePath("absent.mdb")), SqlError);
}

TEST(Database, VolumeTablesWithDigitNamesAndQuotedIdentifiers) {
    QTemporaryDir dir;
    Database db = Database::open(freshCopy(dir));
    CreateVolumeTables(db, "0002ffff");
    CreateVolumeTables(db, "we\"ird");
    EXPECT_TRUE(db.hasTable("0002ffff_dirs"));
    EXPECT_TRUE(db.hasTable("we\"ird_files"));

    Statement insert = db.prepare(QStringLiteral("INSERT INTO \"0002ffff_files\" (ID, parent, name, size) "
                                                 "VALUES (?1, ?2, ?3, ?4)"));
    insert.bind(1, 2).bind(2, 1).bind(3, "x'; DROP TABLE \"index\"; --").bind(4, 5000000000LL);
    insert.execute();
    Statement read = db.prepare("SELECT Name, SIZE FROM \"0002ffff_files\"");
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.columnText("name"), "x'; DROP TABLE \"index\"; --");
    EXPECT_EQ(read.columnInt("size"), 5000000000LL);
    EXPECT_THROW(read.columnInt("missing"), SqlError);
    read.reset();

    CreateVolumeIndexes(db, "0002ffff");
    DropVolumeTables(db, "0002ffff");
    DropVolumeTables(db, "0002ffff");
    EXPECT_FALSE(db.hasTable("0002ffff_dirs"));
}

TEST(Database, AViewIsReplacedByItsNewDefinition) {
    QTemporaryDir dir;
    Database db = Database::open(freshCopy(dir));
    db.createView("AllTables", "SELECT name FROM \"index\"");
    db.createView("AllTables", "SELECT tablename FROM \"index\"");
    EXPECT_EQ(db.prepare("SELECT * FROM \"AllTables\"").columnName(0), "tablename");
}

TEST(Database, ReadOnlyOpenRecoversFromAWriterKilledMidTransaction) {
    QTemporaryDir dir;
    const QString path = freshCopy(dir);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writer dies without committing or rolling back: its journal stays behind.
        Database db = Database::open(path);
        db.exec("BEGIN; INSERT INTO \"index\" (name, tablename) VALUES ('lost', 'lost');");
        db.exec("CREATE TABLE \"lost_dirs\" (x)");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(QFile::exists(path + "-journal"));

    Database db = Database::openReadOnly(path);
    EXPECT_FALSE(db.prepare("SELECT * FROM \"index\"").step());
    EXPECT_FALSE(db.hasTable("lost_dirs"));
    EXPECT_EQ(CatalogVersionOf(db), 3);
}

TEST(Database, BitAtReadsOneBitOfABlobLowestFirst) {
    QTemporaryDir dir;
    const Database db = Database::openReadOnly(freshCopy(dir));
    Statement bit = db.prepare("SELECT bit_at(?1, ?2)");
    const QByteArray bits("\x05\x80", 2); // bits 0, 2 and 15
    const std::pair<std::int64_t, int> cases[] = {{0, 1}, {1, 0},  {2, 1},  {7, 0},
                                                  {8, 0}, {15, 1}, {16, 0}, {-1, 0}};
    for (const auto& [n, expected] : cases) {
        bit.reset();
        bit.bindBlob(1, bits).bind(2, n);
        ASSERT_TRUE(bit.step());
        EXPECT_EQ(bit.columnInt(0), expected) << n;
    }
    bit.reset();
    bit.bindNull(1);
    ASSERT_TRUE(bit.step());
    EXPECT_TRUE(bit.isNull(0));
}
