#include "shell/Options.h"
#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "support/CatalogFixture.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QProcess>

using namespace mendor;
using namespace mendor::test;

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs mendor-cli on the fixture's folder as its home (settings and data folder).
CliRun cli(const CatalogFixture& home, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/mendor-cli"),
                  QStringList{QStringLiteral("--home"), home.dataPath()} + arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList column(const QString& path, const QString& sql) {
    Database db = Database::openReadOnly(path);
    Statement query = db.prepare(sql);
    QStringList values;
    while (query.step())
        values << query.columnText(0);
    return values;
}

FixtureVolume backup() {
    FixtureVolume volume(QStringLiteral("a1"), QStringLiteral("Backup"));
    volume.addFile(volume.addFolder(1, QStringLiteral("Docs")), QStringLiteral("a.txt"), 100);
    return volume;
}

} // namespace

TEST(StoreCommands, CreateRenameAndDeleteDatabasesWithTheirRefusals) {
    CatalogFixture home;
    EXPECT_EQ(cli(home, {QStringLiteral("new-db"), QStringLiteral("Music")}).exitCode, 0);
    EXPECT_TRUE(QFileInfo(home.databasePath(QStringLiteral("Music"))).isFile());

    const CliRun again = cli(home, {QStringLiteral("new-db"), QStringLiteral("MUSIC")});
    EXPECT_NE(again.exitCode, 0);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();

    const CliRun forbidden =
        cli(home, {QStringLiteral("rename-db"), QStringLiteral("Music"), QStringLiteral("a_b")});
    EXPECT_NE(forbidden.exitCode, 0);
    EXPECT_EQ(forbidden.err.trimmed(), kForbiddenNameMessage);

    EXPECT_EQ(
        cli(home, {QStringLiteral("rename-db"), QStringLiteral("Music"), QStringLiteral("Songs")}).exitCode,
        0);
    const CliRun unconfirmed = cli(home, {QStringLiteral("delete-db"), QStringLiteral("Songs")});
    EXPECT_NE(unconfirmed.exitCode, 0);
    EXPECT_TRUE(unconfirmed.err.contains(QStringLiteral("Delete Songs and all of its volumes?")));
    EXPECT_TRUE(QFileInfo::exists(home.databasePath(QStringLiteral("Songs"))));

    EXPECT_EQ(
        cli(home, {QStringLiteral("delete-db"), QStringLiteral("Songs"), QStringLiteral("--yes")}).exitCode,
        0);
    EXPECT_FALSE(QFileInfo::exists(home.databasePath(QStringLiteral("Songs"))));
    EXPECT_NE(
        cli(home, {QStringLiteral("delete-db"), QStringLiteral("Songs"), QStringLiteral("--yes")}).exitCode,
        0);
}

TEST(StoreCommands, DescribeRenameMoveCompactAndDeleteAVolume) {
    CatalogFixture home;
    const QString music = home.addDatabase(QStringLiteral("Music"), {backup()});
    const QString archive = home.addDatabase(QStringLiteral("Archive"));
    const auto run = [&](const QStringList& arguments) {
        const CliRun result = cli(home, arguments);
        EXPECT_EQ(result.exitCode, 0)
            << arguments.join(' ').toStdString() << ": " << result.err.toStdString();
        return result;
    };
    run({QStringLiteral("describe-volume"), QStringLiteral("Music"), QStringLiteral("backup"),
         QStringLiteral("it's \"mine\"")});
    EXPECT_EQ(column(music, QStringLiteral("SELECT thedescription FROM \"index\"")),
              QStringList{QStringLiteral("it's \"mine\"")});

    run({QStringLiteral("rename-volume"), QStringLiteral("Music"), QStringLiteral("Backup"),
         QStringLiteral("Disc 1")});
    const CliRun moved = run({QStringLiteral("move-volume"), QStringLiteral("Music"),
                              QStringLiteral("Disc 1"), QStringLiteral("Archive")});
    EXPECT_TRUE(moved.out.contains(QStringLiteral("Moving Disc 1 (files)")));
    EXPECT_TRUE(column(music, QStringLiteral("SELECT name FROM \"index\"")).isEmpty());
    EXPECT_EQ(column(archive, QStringLiteral("SELECT name FROM \"a1_files\"")),
              QStringList{QStringLiteral("a.txt")});

    const CliRun compacted = run({QStringLiteral("compact")});
    EXPECT_TRUE(compacted.out.contains(QStringLiteral("Compacting Archive...")));
    EXPECT_TRUE(compacted.out.contains(QStringLiteral("Compacting Music...")));

    run({QStringLiteral("delete-volume"), QStringLiteral("Archive"), QStringLiteral("Disc 1"),
         QStringLiteral("--yes")});
    EXPECT_TRUE(column(archive, QStringLiteral("SELECT name FROM \"index\"")).isEmpty());

    const CliRun noTarget = cli(home, {QStringLiteral("move-volume"), QStringLiteral("Music"),
                                       QStringLiteral("x"), QStringLiteral("Music")});
    EXPECT_NE(noTarget.exitCode, 0);
}

TEST(StoreCommands, AnotherInstanceCannotRenameOrWriteWhatThisOneHolds) {
    CatalogFixture home;
    const QString music = home.addDatabase(QStringLiteral("Music"), {backup()});
    Database writer = Database::open(music);
    writer.exec(QStringLiteral("BEGIN IMMEDIATE"));

    const CliRun rename =
        cli(home, {QStringLiteral("rename-db"), QStringLiteral("Music"), QStringLiteral("Songs")});
    EXPECT_NE(rename.exitCode, 0);
    EXPECT_EQ(
        rename.err.trimmed(),
        QStringLiteral("Music is being used by someone else, and cannot be renamed.  Once everyone else has "
                       "quit Mendor Pro, you can rename the database."));

    // A refused attempt of this process must not give up the write lock of the open transaction:
    // closing any descriptor of a file drops all of the process's record locks on it.
    gDataPath = home.dataPath();
    ScriptedPrompter prompter;
    prompter.allowAnyMessages();
    EXPECT_EQ(RenameDatabase(QStringLiteral("Music"), QStringLiteral("Songs"), prompter), false);
    gDataPath.clear();
    const CliRun write = cli(home, {QStringLiteral("rename-volume"), QStringLiteral("Music"),
                                    QStringLiteral("Backup"), QStringLiteral("Other")});
    EXPECT_NE(write.exitCode, 0) << "another instance wrote into an open transaction";
    writer.exec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(column(music, QStringLiteral("SELECT name FROM \"index\"")),
              QStringList{QStringLiteral("Backup")});
}
