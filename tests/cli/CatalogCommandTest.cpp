// mendor-cli catalog and volumes, run as separate processes against a home folder of their own
// with a drive letter mapped to a folder; and what a killed or interrupted run leaves behind.
#include "store/Database.h"
#include "support/DatabaseDump.h"
#include "support/TestFiles.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <thread>

using namespace mendor;
using namespace mendor::test;

namespace {

class CatalogCommandTest : public ::testing::Test {
protected:
    /// A volume large enough that its scan takes a while: 300 folders of 200 files.
    static void SetUpTestSuite() {
        bigVolume = new QTemporaryDir;
        QDir root(bigVolume->path());
        for (int folder = 0; folder < 300; ++folder) {
            const QString name = QStringLiteral("folder %1/sub").arg(folder);
            root.mkpath(name);
            for (int file = 0; file < 200; ++file)
                WriteBytes(root.filePath(QStringLiteral("%1/file %2.txt").arg(name).arg(file)), "x");
        }
    }
    static void TearDownTestSuite() {
        delete bigVolume;
        bigVolume = nullptr;
    }

    void SetUp() override {
        database = CopyTemplate(home.filePath("Disks.mdb"));
        WriteBytes(volume.filePath("a.txt"), "alpha");
        QDir(volume.path()).mkpath("docs");
        WriteBytes(volume.filePath("docs/b.txt"), "bravo");
        map("E:", volume.path());
    }

    CliResult cli(const QStringList& arguments) const { return RunCli(home.path(), arguments); }

    void map(const QString& letter, const QString& folder) const {
        const CliResult mapped = cli({"map", letter, folder});
        ASSERT_EQ(mapped.exitCode, 0) << mapped.err.toStdString();
    }

    /// Starts a catalog run of the big volume and sends signal once the run's transaction has
    /// begun writing (its journal exists) and the scan is under way.
    void interruptBigRun(QProcess& process, int signal) const {
        map("F:", bigVolume->path());
        process.start(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/mendor-cli"),
                      {"--home", home.path(), "catalog", "F:", "--db", "Disks", "--name", "Big",
                       "--keep-descriptions"});
        ASSERT_TRUE(process.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(database + "-journal") && waited.elapsed() < 60000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before it could be interrupted";
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
    }

    QTemporaryDir home;
    QTemporaryDir volume;
    QString database;
    static QTemporaryDir* bigVolume;
};

QTemporaryDir* CatalogCommandTest::bigVolume = nullptr;

} // namespace

TEST_F(CatalogCommandTest, CataloguesAMappedDriveAndListsItsVolume) {
    const CliResult first = cli({"catalog", "e:", "--db", "Disks", "--name", "Backup One", "--no-eject"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("Last disk was ")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(", cataloged in 0:0"));

    const CliResult listed = cli({"volumes", "Disks"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    const QStringList fields = lines.first().split('\t');
    ASSERT_EQ(fields.size(), 9);
    EXPECT_EQ(fields[0],
              QString::fromLatin1(ReadBytes(volume.filePath("Mendor.cat")).split('\n').first()).trimmed());
    EXPECT_EQ(fields[1], "Backup One");
    EXPECT_EQ(fields[2], "2") << "a folder on a fixed disk or a RAM disk";
    EXPECT_TRUE(
        fields[3].contains(QRegularExpression("^\\d{1,2}/\\d{1,2}/\\d{4} \\d{1,2}:\\d\\d:\\d\\d [ap]m$")))
        << fields[3].toStdString();
    EXPECT_EQ(fields[7], "1") << "docs; the root is not counted";
    EXPECT_EQ(fields[8], "2") << "a.txt, b.txt and the marker, less one";

    // Again: the volume is known by its marker and keeps its name without --name.
    ASSERT_EQ(cli({"catalog", "E:", "--db", "Disks", "--no-eject"}).exitCode, 0);
    const CliResult relisted = cli({"volumes", "Disks"});
    EXPECT_EQ(relisted.out.count('\n'), 1);
    EXPECT_TRUE(relisted.out.startsWith(fields[0] + "\tBackup One\t"));
}

TEST_F(CatalogCommandTest, UnanswerablePromptsAndBadArgumentsEndWithoutChanges) {
    ASSERT_EQ(cli({"catalog", "E:", "--db", "Disks", "--name", "Backup"}).exitCode, 0);
    const QStringList before = DumpDatabase(database);

    QTemporaryDir other;
    map("G:", other.path());
    const CliResult taken = cli({"catalog", "G:", "--db", "Disks", "--name", "BACKUP"});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_TRUE(
        taken.err.contains("That volume name is already taken in the database... Please enter another."))
        << taken.err.toStdString();

    const CliResult unnamed = cli({"catalog", "G:", "--db", "Disks"});
    EXPECT_EQ(unnamed.exitCode, 1);
    EXPECT_TRUE(unnamed.err.contains("No volume description entered.  Won't catalog volume."));
    EXPECT_EQ(unnamed.out.trimmed(), "Last Attempt: User failed to enter a volume description");

    EXPECT_EQ(cli({"catalog", "G:", "--db", "Nope"}).exitCode, 1);
    EXPECT_EQ(cli({"catalog", "Q:", "--db", "Disks"}).exitCode, 1);
    EXPECT_EQ(DumpDatabase(database), before);
}

TEST_F(CatalogCommandTest, InterruptedRunRollsBackAndKilledRunLeavesTheDatabaseAsBefore) {
    // A catalogued volume with a description that must survive both.
    ASSERT_EQ(cli({"catalog", "E:", "--db", "Disks", "--name", "Backup"}).exitCode, 0);
    Database::open(database).exec("UPDATE \"index\" SET thedescription = 'kept'");
    const QStringList before = DumpDatabase(database);

    QProcess interrupted;
    interruptBigRun(interrupted, SIGINT);
    EXPECT_EQ(interrupted.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(interrupted.exitCode(), 130);
    EXPECT_EQ(QString::fromUtf8(interrupted.readAllStandardOutput()).trimmed(),
              "Last catalog action was aborted...");
    EXPECT_FALSE(QFile::exists(database + "-journal"));
    EXPECT_EQ(DumpDatabase(database), before);

    QProcess killed;
    interruptBigRun(killed, SIGKILL);
    EXPECT_EQ(killed.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(QFile::exists(database + "-journal")) << "killed inside its transaction";
    // The next writer rolls the unfinished transaction back.
    EXPECT_EQ(IntegrityCheck(database), "ok");
    EXPECT_EQ(DumpDatabase(database), before);
}
