#include "store/Database.h"

#include "store/Schema.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

using namespace mendor;

namespace {

QString templatePath() {
    return QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt");
}

QString freshCopy(const QTemporaryDir& dir, const QString& name = QStringLiteral("Music.mdb")) {
    const QString path = dir.filePath(name);
    QFile::copy(templatePath(), path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

} // namespace

TEST(Database, TemplateHoldsTheFourFixedTablesAndVersionThree) {
    QTemporaryDir dir;
    Database db = Database::open(freshCopy(dir));
    const QStringList tables = db.tableNames();
    for (const char* name : {"index", "version", "dir_template", "file_template"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(CatalogVersionOf(db), 3);
    EXPECT_FALSE(db.prepare(QStringLiteral("SELECT * FROM \"index\"")).step());
}

TEST(Database, MissingForeignAndTruncatedFilesRaiseClearErrors) {
    QTemporaryDir dir;
    EXPECT_THROW(Database::open(dir.filePath(QStringLiteral("absent.mdb"))), SqlError);

    QFile foreign(dir.filePath(QStringLiteral("x.mdb")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(5000, 'x'));
    foreign.close();
    EXPECT_THROW(Database::open(foreign.fileName()), SqlError);

    QFile original(templatePath());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QFile truncated(dir.filePath(QStringLiteral("t.mdb")));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(original.read(1000));
    truncated.close();
    try {
        Database db = Database::open(truncated.fileName());
        EXPECT_EQ(CatalogVersionOf(db), -1);
    } catch (const SqlError&) {
        SUCCEED();
    }
}

TEST(Database, VolumeTablesWithDigitNamesAndQuotedIdentifiers) {
    QTemporaryDir dir;
    Database db = Database::open(freshCopy(dir));
    CreateVolumeTables(db, QStringLiteral("0002ffff"));
    CreateVolumeTables(db, QStringLiteral("we\"ird"));
    EXPECT_TRUE(db.hasTable(QStringLiteral("0002ffff_dirs")));
    EXPECT_TRUE(db.hasTable(QStringLiteral("we\"ird_files")));

    Statement insert = db.prepare(QStringLiteral("INSERT INTO \"0002ffff_files\" (ID, parent, name, size) "
                                                 "VALUES (?1, ?2, ?3, ?4)"));
    insert.bind(1, 2)
        .bind(2, 1)
        .bind(3, QStringLiteral("x'; DROP TABLE \"index\"; --"))
        .bind(4, 5000000000LL);
    insert.execute();
    Statement read = db.prepare(QStringLiteral("SELECT Name, SIZE FROM \"0002ffff_files\""));
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.columnText(QStringLiteral("name")), QStringLiteral("x'; DROP TABLE \"index\"; --"));
    EXPECT_EQ(read.columnInt(QStringLiteral("size")), 5000000000LL);
    EXPECT_THROW(read.columnInt(QStringLiteral("missing")), SqlError);
    read.reset();

    CreateVolumeIndexes(db, QStringLiteral("0002ffff"));
    DropVolumeTables(db, QStringLiteral("0002ffff"));
    DropVolumeTables(db, QStringLiteral("0002ffff"));
    EXPECT_FALSE(db.hasTable(QStringLiteral("0002ffff_dirs")));
}

TEST(Database, TransactionRollsBackUnlessCommitted) {
    QTemporaryDir dir;
    Database db = Database::open(freshCopy(dir));
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("INSERT INTO \"index\" (name, tablename) VALUES ('a', 'a')"));
    }
    EXPECT_FALSE(db.prepare(QStringLiteral("SELECT * FROM \"index\"")).step());
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("INSERT INTO \"index\" (name, tablename) VALUES ('b', 'b')"));
        transaction.commit();
    }
    EXPECT_TRUE(db.prepare(QStringLiteral("SELECT * FROM \"index\"")).step());
    EXPECT_FALSE(db.execIgnoringErrors(QStringLiteral("DROP TABLE nothing_here")));
}

TEST(Database, ViewsAndCompaction) {
    QTemporaryDir dir;
    const QString path = freshCopy(dir);
    {
        Database db = Database::open(path);
        db.createView(QStringLiteral("AllTables"), QStringLiteral("SELECT name FROM \"index\""));
        db.createView(QStringLiteral("AllTables"), QStringLiteral("SELECT tablename FROM \"index\""));
        Statement q = db.prepare(QStringLiteral("SELECT * FROM \"AllTables\""));
        EXPECT_EQ(q.columnName(0), QStringLiteral("tablename"));
    }
    Database::compactInto(path, path + QStringLiteral("_tmp"));
    Database compacted = Database::open(path + QStringLiteral("_tmp"));
    EXPECT_EQ(CatalogVersionOf(compacted), 3);
}

TEST(Database, ReadOnlyOpenRecoversFromAWriterKilledMidTransaction) {
    QTemporaryDir dir;
    const QString path = freshCopy(dir);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writer dies without committing or rolling back: its journal stays behind.
        Database db = Database::open(path);
        db.exec(QStringLiteral("BEGIN; INSERT INTO \"index\" (name, tablename) VALUES ('lost', 'lost');"));
        db.exec(QStringLiteral("CREATE TABLE \"lost_dirs\" (x)"));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(QFile::exists(path + QStringLiteral("-journal")));

    Database db = Database::openReadOnly(path);
    EXPECT_FALSE(db.prepare(QStringLiteral("SELECT * FROM \"index\"")).step());
    EXPECT_FALSE(db.hasTable(QStringLiteral("lost_dirs")));
    EXPECT_EQ(CatalogVersionOf(db), 3);
}
