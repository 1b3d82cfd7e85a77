// mendor-cli database and volume commands, and what another instance may do while one holds a file.
#include "shell/Options.h"
#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "support/CatalogFixture.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace mendor;
using namespace mendor::test;

namespace {

CliResult cli(const CatalogFixture& home, const QStringList& arguments) {
    return RunCli(home.dataPath(), arguments);
}

FixtureVolume backup() {
    FixtureVolume volume("a1", "Backup");
    volume.addFile(volume.addFolder(1, "Docs"), "a.txt", 100);
    return volume;
}

} // namespace

TEST(StoreCommands, CreateRenameAndDeleteDatabasesWithTheirRefusals) {
    CatalogFixture home;
    EXPECT_EQ(cli(home, {"new-db", "Music"}).exitCode, 0);
    EXPECT_TRUE(QFileInfo(home.databasePath("Music")).isFile());

    const CliResult again = cli(home, {"new-db", "MUSIC"});
    EXPECT_NE(again.exitCode, 0);
    EXPECT_TRUE(again.err.contains("already exists")) << again.err.toStdString();

    const CliResult forbidden = cli(home, {"rename-db", "Music", "a_b"});
    EXPECT_NE(forbidden.exitCode, 0);
    EXPECT_EQ(forbidden.err.trimmed(), kForbiddenNameMessage);

    // As the name prompt does, a new name loses the characters it cannot hold; none left is no name.
    EXPECT_EQ(cli(home, {"new-db", "a_b"}).exitCode, 0);
    EXPECT_TRUE(QFileInfo(home.databasePath("ab")).isFile());
    EXPECT_EQ(cli(home, {"new-db", "_"}).exitCode, 1);

    EXPECT_EQ(cli(home, {"rename-db", "Music", "Songs"}).exitCode, 0);
    const CliResult unconfirmed = cli(home, {"delete-db", "Songs"});
    EXPECT_NE(unconfirmed.exitCode, 0);
    EXPECT_TRUE(unconfirmed.err.contains("Delete Songs and all of its volumes?"));
    EXPECT_TRUE(QFileInfo::exists(home.databasePath("Songs")));

    EXPECT_EQ(cli(home, {"delete-db", "Songs", "--yes"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(home.databasePath("Songs")));
    EXPECT_NE(cli(home, {"delete-db", "Songs", "--yes"}).exitCode, 0);
}

TEST(StoreCommands, DescribeRenameMoveCompactAndDeleteAVolume) {
    CatalogFixture home;
    const QString music = home.addDatabase("Music", {backup()});
    const QString archive = home.addDatabase("Archive");
    const auto run = [&](const QStringList& arguments) {
        const CliResult result = cli(home, arguments);
        EXPECT_EQ(result.exitCode, 0)
            << arguments.join(' ').toStdString() << ": " << result.err.toStdString();
        return result;
    };
    run({"describe-volume", "Music", "backup", "it's \"mine\""});
    EXPECT_EQ(Column(music, "SELECT thedescription FROM \"index\""), QStringList{"it's \"mine\""});

    run({"rename-volume", "Music", "Backup", "Disc 1"});
    const CliResult moved = run({"move-volume", "Music", "Disc 1", "Archive"});
    EXPECT_TRUE(moved.out.isEmpty() && moved.err.isEmpty()) << "no progress when piped";
    EXPECT_TRUE(Column(music, "SELECT name FROM \"index\"").isEmpty());
    EXPECT_EQ(Column(archive, "SELECT name FROM \"a1_files\""), QStringList{"a.txt"});

    run({"compact"});

    run({"delete-volume", "Archive", "Disc 1", "--yes"});
    EXPECT_TRUE(Column(archive, "SELECT name FROM \"index\"").isEmpty());
    EXPECT_NE(cli(home, {"move-volume", "Music", "x", "Music"}).exitCode, 0);
}

TEST(StoreCommands, AnotherInstanceCannotRenameOrWriteWhatThisOneHolds) {
    CatalogFixture home;
    const QString music = home.addDatabase("Music", {backup()});
    Database writer = Database::open(music);
    writer.exec("BEGIN IMMEDIATE");

    const CliResult rename = cli(home, {"rename-db", "Music", "Songs"});
    EXPECT_NE(rename.exitCode, 0);
    EXPECT_EQ(rename.err.trimmed(),
              "Music is being used by someone else, and cannot be renamed.  Once everyone "
              "else has quit Mendor Pro, you can rename the database.");

    // A refused attempt of this process must not give up the write lock of the open transaction:
    // closing any descriptor of a file drops all of the process's record locks on it.
    gDataPath = home.dataPath();
    ScriptedPrompter prompter;
    prompter.allowAnyMessages();
    EXPECT_FALSE(RenameDatabase("Music", "Songs", prompter));
    gDataPath.clear();
    EXPECT_NE(cli(home, {"rename-volume", "Music", "Backup", "Other"}).exitCode, 0)
        << "another instance wrote into an open transaction";
    writer.exec("ROLLBACK");
    EXPECT_EQ(Column(music, "SELECT name FROM \"index\""), QStringList{"Backup"});

    // A file locked for writing elsewhere is said to be locked, not to lack its volume.
    writer.exec("BEGIN EXCLUSIVE");
    const CliResult locked = cli(home, {"delete-volume", "Music", "Backup", "--yes"});
    writer.exec("ROLLBACK");
    EXPECT_TRUE(locked.exitCode == 1 && locked.err.contains("is locked by another program"))
        << locked.err.toStdString();
}

TEST(StoreCommands, AForeignDatabaseIsRefusedBeforeAnythingReadsOrChangesIt) {
    CatalogFixture home;
    const QString foreign = home.addDatabase("Foreign");
    {
        Database db = Database::open(foreign);
        db.exec("DROP TABLE \"index\"; CREATE TABLE \"index\" (\"name\" TEXT, \"kind\" TEXT);"
                "INSERT INTO \"index\" VALUES ('keep', 'me')");
    }
    const QByteArray before = ReadBytes(foreign);
    for (const char* command : {"volumes", "compact"}) {
        const CliResult result = cli(home, {command, "Foreign"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(
            result.out.isEmpty() &&
            result.err.contains("is not a catalog database: its table \"index\" has no field \"tablename\""))
            << result.out.toStdString() << result.err.toStdString();
    }
    EXPECT_EQ(ReadBytes(foreign), before);
}
