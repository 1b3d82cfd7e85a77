// mendor-cli catalog and volumes, run as separate processes against a home folder of their own
// with a drive letter mapped to a folder; and what a killed or interrupted run leaves behind.
#include "store/Database.h"
#include "support/DatabaseDump.h"

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
using mendor::test::DumpDatabase;
using mendor::test::IntegrityCheck;

namespace {

const QString kCli = QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/mendor-cli");

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
}

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
                WriteFile(root.filePath(QStringLiteral("%1/file %2.txt").arg(name).arg(file)), "x");
        }
    }
    static void TearDownTestSuite() {
        delete bigVolume;
        bigVolume = nullptr;
    }

    void SetUp() override {
        database = home.filePath(QStringLiteral("Disks.mdb"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), database));
        QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        WriteFile(QDir(volume.path()).filePath(QStringLiteral("a.txt")), "alpha");
        QDir(volume.path()).mkpath(QStringLiteral("docs"));
        WriteFile(QDir(volume.path()).filePath(QStringLiteral("docs/b.txt")), "bravo");
        map(QStringLiteral("E:"), volume.path());
    }

    QStringList withHome(const QStringList& arguments) const {
        return QStringList{QStringLiteral("--home"), home.path()} + arguments;
    }

    CliResult cli(const QStringList& arguments) const {
        QProcess process;
        process.start(kCli, withHome(arguments));
        if (!process.waitForFinished(120000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void map(const QString& letter, const QString& folder) const {
        const CliResult mapped = cli({QStringLiteral("map"), letter, folder});
        ASSERT_EQ(mapped.exitCode, 0) << mapped.err.toStdString();
    }

    /// Starts a catalog run of the big volume and sends signal once the run's transaction has
    /// begun writing (its journal exists) and the scan is under way.
    void interruptBigRun(QProcess& process, int signal) const {
        map(QStringLiteral("F:"), bigVolume->path());
        process.start(kCli, withHome({QStringLiteral("catalog"), QStringLiteral("F:"), QStringLiteral("--db"),
                                      QStringLiteral("Disks"), QStringLiteral("--name"),
                                      QStringLiteral("Big"), QStringLiteral("--keep-descriptions")}));
        ASSERT_TRUE(process.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(database + QStringLiteral("-journal")) && waited.elapsed() < 60000)
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
    const CliResult first =
        cli({QStringLiteral("catalog"), QStringLiteral("e:"), QStringLiteral("--db"), QStringLiteral("Disks"),
             QStringLiteral("--name"), QStringLiteral("Backup One"), QStringLiteral("--no-eject")});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith(QStringLiteral("Last disk was "))) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral(", cataloged in 0:0")));

    const CliResult listed = cli({QStringLiteral("volumes"), QStringLiteral("Disks")});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    const QStringList fields = lines.first().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 9);
    QFile marker(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")));
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(fields[0], QString::fromLatin1(marker.readLine().trimmed()));
    EXPECT_EQ(fields[1], QStringLiteral("Backup One"));
    EXPECT_EQ(fields[2], QStringLiteral("2")) << "a folder on a fixed disk or a RAM disk";
    EXPECT_TRUE(fields[3].contains(
        QRegularExpression(QStringLiteral("^\\d{1,2}/\\d{1,2}/\\d{4} \\d{1,2}:\\d\\d:\\d\\d [ap]m$"))))
        << fields[3].toStdString();
    EXPECT_EQ(fields[7], QStringLiteral("1")) << "docs; the root is not counted";
    EXPECT_EQ(fields[8], QStringLiteral("2")) << "a.txt, b.txt and the marker, less one";

    // Again: the volume is known by its marker and keeps its name without --name.
    const CliResult again = cli({QStringLiteral("catalog"), QStringLiteral("E:"), QStringLiteral("--db"),
                                 QStringLiteral("Disks"), QStringLiteral("--no-eject")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    const CliResult relisted = cli({QStringLiteral("volumes"), QStringLiteral("Disks")});
    EXPECT_EQ(relisted.out.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(relisted.out.startsWith(fields[0] + QStringLiteral("\tBackup One\t")));
}

TEST_F(CatalogCommandTest, UnanswerablePromptsAndBadArgumentsEndWithoutChanges) {
    ASSERT_EQ(cli({QStringLiteral("catalog"), QStringLiteral("E:"), QStringLiteral("--db"),
                   QStringLiteral("Disks"), QStringLiteral("--name"), QStringLiteral("Backup")})
                  .exitCode,
              0);
    const QStringList before = DumpDatabase(database);

    QTemporaryDir other;
    map(QStringLiteral("G:"), other.path());
    const CliResult taken =
        cli({QStringLiteral("catalog"), QStringLiteral("G:"), QStringLiteral("--db"), QStringLiteral("Disks"),
             QStringLiteral("--name"), QStringLiteral("BACKUP")});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_TRUE(taken.err.contains(
        QStringLiteral("That volume name is already taken in the database... Please enter another.")))
        << taken.err.toStdString();

    const CliResult unnamed = cli(
        {QStringLiteral("catalog"), QStringLiteral("G:"), QStringLiteral("--db"), QStringLiteral("Disks")});
    EXPECT_EQ(unnamed.exitCode, 1);
    EXPECT_TRUE(
        unnamed.err.contains(QStringLiteral("No volume description entered.  Won't catalog volume.")));
    EXPECT_EQ(unnamed.out.trimmed(),
              QStringLiteral("Last Attempt: User failed to enter a volume description"));

    EXPECT_EQ(cli({QStringLiteral("catalog"), QStringLiteral("G:")}).exitCode, 2);
    EXPECT_EQ(
        cli({QStringLiteral("catalog"), QStringLiteral("G:"), QStringLiteral("--db"), QStringLiteral("Nope")})
            .exitCode,
        1);
    EXPECT_EQ(cli({QStringLiteral("catalog"), QStringLiteral("Q:"), QStringLiteral("--db"),
                   QStringLiteral("Disks")})
                  .exitCode,
              1);
    EXPECT_EQ(cli({QStringLiteral("volumes"), QStringLiteral("Nope")}).exitCode, 1);
    EXPECT_EQ(DumpDatabase(database), before);
}

TEST_F(CatalogCommandTest, InterruptedRunRollsBackAndKilledRunLeavesTheDatabaseAsBefore) {
    // A catalogued volume with a description that must survive both.
    ASSERT_EQ(cli({QStringLiteral("catalog"), QStringLiteral("E:"), QStringLiteral("--db"),
                   QStringLiteral("Disks"), QStringLiteral("--name"), QStringLiteral("Backup")})
                  .exitCode,
              0);
    {
        Database db = Database::open(database);
        db.exec(QStringLiteral("UPDATE \"index\" SET thedescription = 'kept'"));
    }
    const QStringList before = DumpDatabase(database);

    QProcess interrupted;
    interruptBigRun(interrupted, SIGINT);
    EXPECT_EQ(interrupted.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(interrupted.exitCode(), 130);
    EXPECT_EQ(QString::fromUtf8(interrupted.readAllStandardOutput()).trimmed(),
              QStringLiteral("Last catalog action was aborted..."));
    EXPECT_FALSE(QFile::exists(database + QStringLiteral("-journal")));
    EXPECT_EQ(DumpDatabase(database), before);

    QProcess killed;
    interruptBigRun(killed, SIGKILL);
    EXPECT_EQ(killed.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(QFile::exists(database + QStringLiteral("-journal"))) << "killed inside its transaction";
    // The next writer rolls the unfinished transaction back.
    EXPECT_EQ(IntegrityCheck(database), QStringLiteral("ok"));
    EXPECT_EQ(DumpDatabase(database), before);
}
