#include "store/DatabaseLifecycle.h"

#include "shell/Flags.h"
#include "store/Schema.h"
#include "StoreTestSupport.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"
#include "support/WithoutPermissionOverride.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

using namespace mendor;
using namespace mendor::test;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

FixtureVolume volumeWithOneFile(const QString& t, const QString& name) {
    FixtureVolume volume(t, name);
    volume.addFile(1, "a.txt", 10);
    return volume;
}

} // namespace

TEST(NewDatabase, CreatesAUsableCopyOfTheTemplateAndLeavesNoTemporaryFile) {
    DataFolder data;
    ScriptedPrompter prompter;
    ASSERT_EQ(NewDatabase("Music", prompter), "Music");
    EXPECT_EQ(data.entries(), QStringList{"Music.mdb"});
    Database db = Database::open(data.databasePath("Music"));
    EXPECT_EQ(CatalogVersionOf(db), 3);
    EXPECT_TRUE(QFileInfo(db.path()).isWritable());

    EXPECT_TRUE(NewDatabase(QString(), prompter).isEmpty());
    EXPECT_EQ(prompter.prompts().size(), 0u);
}

TEST(NewDatabase, DropsForbiddenCharactersAndRefusesHiddenNamesAndTheKeySeparator) {
    DataFolder data;
    ScriptedPrompter prompter;
    EXPECT_EQ(NewDatabase("a_b\\/:*?\"<>|c", prompter), "abc");
    EXPECT_TRUE(NewDatabase("_:_", prompter).isEmpty());
    for (int hidden = 0; hidden < 3; ++hidden)
        prompter.expectMessage("A database name cannot begin with \".\".");
    prompter.expectMessage("A database name cannot contain \".mdb\".");
    for (const QString name : {".", "...", ".hidden", "old.MDB.copy"})
        EXPECT_TRUE(NewDatabase(name, prompter).isEmpty()) << name.toStdString();
    EXPECT_EQ(data.entries(), QStringList{"abc.mdb"});
}

TEST(NewDatabase, NeverReplacesAnExistingDatabaseInAnyLetterCase) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {volumeWithOneFile("a1", "Songs")});
    const QByteArray before = fileBytes(path);
    ScriptedPrompter prompter;
    prompter.expectMessage("A database named MUSIC already exists.  Please choose another name.");
    EXPECT_TRUE(NewDatabase("MUSIC", prompter).isEmpty());
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(data.entries(), QStringList{"Music.mdb"});
}

TEST(RenameDatabase, RefusesForbiddenCharactersAndEveryNameTheTreeShows) {
    DataFolder data;
    FixtureVolume songs("a1", "Songs");
    songs.addFolder(songs.addFolder(1, "Docs"), "Deep");
    data.addDatabase("Music", {songs});
    data.addDatabase("Photos");
    ScriptedPrompter prompter;
    prompter.expectMessage(kForbiddenNameMessage);
    EXPECT_FALSE(RenameDatabase("Music", "My:Music", prompter));
    // Another database, a volume (its own ones too), a folder of a volume's root, the root.
    for (const QString taken : {"pHOTOS", "songs", "DOCS", "mendor pro"}) {
        prompter.expectMessage(kNameInUseMessage);
        EXPECT_FALSE(RenameDatabase("Music", taken, prompter)) << taken.toStdString();
    }
    EXPECT_TRUE(RenameDatabase("Photos", "Deep", prompter));
    EXPECT_FALSE(RenameDatabase("Music", QString(), prompter));
    EXPECT_EQ(data.entries(), (QStringList{"Deep.mdb", "Music.mdb"}));
    EXPECT_TRUE(DatabaseNameTaken("music"));
    EXPECT_FALSE(DatabaseNameTaken("music", "Music"));
}

TEST(RenameDatabase, RenamesTheFileAlsoToAnotherLetterCaseOfItsOwnName) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {volumeWithOneFile("a1", "Songs")});
    const QStringList content = DumpDatabase(path);
    ScriptedPrompter prompter;
    ASSERT_TRUE(RenameDatabase("Music", "MUSIC", prompter));
    ASSERT_TRUE(RenameDatabase("MUSIC", "Songs & more", prompter));
    EXPECT_EQ(data.entries(), QStringList{"Songs & more.mdb"});
    EXPECT_EQ(DumpDatabase(data.databasePath("Songs & more")), content);
}

TEST(DeleteDatabase, AsksAndDeletesOnlyAfterYes) {
    DataFolder data;
    const QString path = data.addDatabase("Music");
    ScriptedPrompter prompter;
    prompter.answerNo("Delete Music and all of its volumes?", "Confirm Delete")
        .answerYes("Delete Music and all of its volumes?", "Confirm Delete");
    EXPECT_EQ(DeleteDatabase("Music.mdb_a1_f3", prompter), 0);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(DeleteDatabase("Music.mdb_a1_f3", prompter), 1);
    EXPECT_FALSE(QFileInfo::exists(path));

    // A file the system will not let go is reported as such, not as being used by someone else.
    const QString kept = data.addDatabase("Kept");
    QFile::setPermissions(data.dataPath(), QFile::ReadOwner | QFile::ExeOwner);
    {
        const WithoutPermissionOverride asUser;
        prompter.answerYes()
            .expectMessage("Kept could not be deleted: Permission denied")
            .expectMessage("Kept could not be renamed: Permission denied");
        EXPECT_EQ(DeleteDatabase("Kept.mdb", prompter), 0);
        EXPECT_FALSE(RenameDatabase("Kept", "Other", prompter));
    }
    QFile::setPermissions(data.dataPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(data.entries(), QStringList{"Kept.mdb"});
}

TEST(RepairDatabase, DropsOrphanTablesAndVolumesWithoutFolders) {
    DataFolder data;
    FixtureVolume empty("e1", "Empty");
    const QString path = data.addDatabase("Music", {volumeWithOneFile("a1", "Kept")});
    data.addVolume("Music", empty);
    // Older versions took table names with "_" from marker files: an index row keeps its tables.
    data.addVolume("Music", volumeWithOneFile("abc_def", "Underscored"));
    {
        Database db = Database::open(path);
        CreateVolumeTables(db, "temp");
        CreateVolumeTables(db, "gone");
        db.exec(QStringLiteral("CREATE TABLE \"nounderscore\" (x); CREATE TABLE \"0002FFFF_extra\" (x);"
                               "DELETE FROM \"e1_dirs\";"
                               "INSERT INTO \"index\" (name, tablename) VALUES ('No tables', 'missing');"
                               "CREATE VIEW \"AllTables\" AS SELECT * FROM \"a1_files\";"));
    }
    RepairDatabase(path);
    EXPECT_EQ(VolumeTables(path), (QStringList{"a1_dirs", "a1_files", "abc_def_dirs", "abc_def_files"}));
    EXPECT_EQ(Column(path, "SELECT name FROM \"index\""), (QStringList{"Kept", "Underscored"}));
    EXPECT_EQ(Column(path, "SELECT name FROM sqlite_master WHERE type='view'"), QStringList{"AllTables"});
    EXPECT_EQ(IntegrityCheck(path), "ok");

    // A sound database is left exactly as it was; a foreign file is no error.
    const QStringList repaired = DumpDatabase(path);
    RepairDatabase(path);
    EXPECT_EQ(DumpDatabase(path), repaired);
    EXPECT_NO_THROW(RepairDatabase(data.addForeignFile("Foreign")));
}

TEST(CompactDatabaseFile, RepairsCompactsAndLeavesNoCopyBehind) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {volumeWithOneFile("a1", "Kept")});
    {
        Database db = Database::open(path);
        CreateVolumeTables(db, "temp");
        db.exec(QStringLiteral("CREATE TABLE \"big\" (x); INSERT INTO \"big\" "
                               "SELECT randomblob(1000) FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                               "SELECT i + 1 FROM n WHERE i < 500) SELECT i FROM n);"));
    }
    // An interrupted earlier compaction left its copy.
    QFile stale(path + "_tmp");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("partial");
    stale.close();
    const qint64 sizeBefore = QFileInfo(path).size();

    ScriptedPrompter prompter;
    RecordingSink sink;
    ASSERT_TRUE(CompactDatabaseFile("Music.mdb_a1", prompter, sink));
    EXPECT_EQ(sink.statuses, QStringList{"Compacting Music..."});
    EXPECT_EQ(data.entries(), QStringList{"Music.mdb"});
    EXPECT_LT(QFileInfo(path).size(), sizeBefore);
    EXPECT_EQ(VolumeTables(path), (QStringList{"a1_dirs", "a1_files"}));
    EXPECT_EQ(Column(path, "SELECT name FROM \"a1_files\""), QStringList{"a.txt"});
    EXPECT_EQ(IntegrityCheck(path), "ok");
}

TEST(CompactDatabaseFile, AFailedCopyKeepsTheOriginalAndIsReported) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {volumeWithOneFile("a1", "Kept")});
    // Something that is not a file has the copy's name: the copy cannot be written.
    ASSERT_TRUE(QDir(data.dataPath()).mkdir("Music.mdb_tmp"));
    const QStringList before = DumpDatabase(path);
    ScriptedPrompter prompter;
    prompter.allowAnyMessages();
    RecordingSink sink;
    EXPECT_FALSE(CompactDatabaseFile("Music.mdb", prompter, sink));
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(
        prompter.messages().first().startsWith("Music could not be compacted and has been left as it was."));
    EXPECT_EQ(DumpDatabase(path), before);
    EXPECT_TRUE(QFileInfo(path + "_tmp").isDir());
}

TEST(CompactAllDatabases, CompactsEveryDatabaseButNotWhileBusy) {
    DataFolder data;
    for (const QString name : {"One", "Two", "Three"}) {
        data.addDatabase(name);
        Database db = Database::open(data.databasePath(name));
        CreateVolumeTables(db, "temp");
    }
    ScriptedPrompter prompter;
    RecordingSink sink;
    gBusy.store(kFlagSet);
    EXPECT_EQ(CompactAllDatabases(prompter, sink), 0);
    gBusy.store(kFlagClear);
    EXPECT_TRUE(sink.statuses.isEmpty());

    EXPECT_EQ(CompactAllDatabases(prompter, sink), 3);
    EXPECT_EQ(sink.statuses.size(), 3);
    EXPECT_FALSE(isBusy());
    for (const QString name : {"One", "Two", "Three"})
        EXPECT_TRUE(VolumeTables(data.databasePath(name)).isEmpty()) << name.toStdString();
    EXPECT_EQ(data.entries().size(), 3);
}
