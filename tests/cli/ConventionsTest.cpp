// What every mendor-cli command shares: help, version, usage errors and exit codes, `--`, JSON
// output, and progress drawn only on a terminal.
#include "support/CatalogFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <sys/wait.h>
#include <unistd.h>

using namespace mendor;
using namespace mendor::test;

namespace {

const QString kExitCodes =
    QStringLiteral("Exit codes: 0 done, 1 failed, 2 usage error, 130 aborted (Ctrl-C).");

/// The command names of the program's help, from its "Commands:" section.
QStringList CommandNames(const QString& help) {
    QStringList names;
    const QString section =
        help.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    for (const QString& line : section.split('\n', Qt::SkipEmptyParts))
        names << line.simplified().section(' ', 0, 0);
    return names;
}

QJsonArray JsonOf(const CliResult& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.count('\n'), 1) << "one line";
    return QJsonDocument::fromJson(result.out.toUtf8()).array();
}

} // namespace

TEST(CliConventions, EveryCommandExplainsItselfAndNamesAnUnknownOption) {
    CatalogFixture home;
    const CliResult help = RunCli(home.dataPath(), {"--help"});
    ASSERT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(kExitCodes));
    const QStringList names = CommandNames(help.out);
    EXPECT_GE(names.size(), 15) << help.out.toStdString();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const CliResult viaHelp = RunCli(home.dataPath(), {"help", name});
        EXPECT_EQ(viaHelp.exitCode, 0);
        EXPECT_TRUE(viaHelp.out.startsWith("usage: mendor-cli [--home DIR] " + name))
            << viaHelp.out.toStdString();
        EXPECT_TRUE(viaHelp.out.contains("-h, --help") && viaHelp.out.contains(kExitCodes));
        const CliResult viaOption = RunCli(home.dataPath(), {name, "--help"});
        EXPECT_EQ(viaOption.exitCode, 0);
        EXPECT_EQ(viaOption.out, viaHelp.out);

        const CliResult unknown = RunCli(home.dataPath(), {name, "--no-such-option"});
        EXPECT_EQ(unknown.exitCode, 2);
        EXPECT_TRUE(
            unknown.err.startsWith("mendor-cli " + name + ": Unknown option '--no-such-option'.\nusage: "))
            << unknown.err.toStdString();
        EXPECT_TRUE(unknown.out.isEmpty());
    }
}

TEST(CliConventions, ExitCodesAndMessages) {
    CatalogFixture home;
    FixtureVolume zip(QStringLiteral("a1"), QStringLiteral("--zip"));
    home.addDatabase(QStringLiteral("Music"), {zip});
    home.addDatabase(QStringLiteral("Empty"));
    struct Case {
        QStringList arguments;
        int exitCode;
        QString out; ///< what standard output starts with
        QString err; ///< what standard error starts with
    };
    const QList<Case> cases = {
        {{"--version"}, 0, "mendor-cli 3.", ""},
        {{"-V"}, 0, "mendor-cli 3.", ""},
        {{"help"}, 0, "usage: mendor-cli [--home DIR] COMMAND", ""},
        {{}, 2, "", "mendor-cli: No command given.\nusage: mendor-cli [--home DIR] COMMAND"},
        {{"nope"}, 2, "", "mendor-cli: 'nope' is not a command."},
        {{"--nope"}, 2, "", "mendor-cli: Unknown option '--nope'."},
        {{"help", "nope"}, 2, "", "mendor-cli help: 'nope' is not a command."},
        {{"settings", "extra"}, 2, "", "mendor-cli settings: Unexpected argument 'extra'."},
        {{"rename-db", "Music"}, 2, "", "mendor-cli rename-db: Missing argument NEW.\nusage: mendor-cli"},
        {{"catalog", "E:", "--db"}, 2, "", "mendor-cli catalog: Missing value after '--db'."},
        {{"catalog", "E:"}, 2, "", "mendor-cli catalog: The option --db is required."},
        {{"map", "--remove", "E:", "/"}, 2, "", "mendor-cli map: --remove takes the drive letter alone."},
        {{"volumes", "Nope"}, 1, "", "The database Nope does not exist."},
        {{"delete-volume", "Music", "--", "--zip"}, 1, "", "Delete"},
        // Commands that would change nothing.
        {{"map", "--remove", "G:"}, 1, "", "G: is not mapped."},
        {{"rename-db", "Music", "Music"}, 1, "", "The database Music already has that name."},
        {{"export", "--format", "1", "--out", home.dataPath() + "/x.txt", "Empty"},
         1,
         "",
         "There are no volumes"},
        // A volume named like an option, after the end of the options.
        {{"volumes", "Music", "--zip"}, 2, "", "mendor-cli volumes: Unknown option '--zip'."},
        {{"describe-volume", "Music", "--", "--zip", "-x"}, 0, "", ""},
        {{"rename-volume", "--", "Music", "--zip", "--json"}, 0, "", ""},
        {{"volumes", "--json", "Music"}, 0, "[{", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliResult result = RunCli(home.dataPath(), c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
        EXPECT_TRUE(c.out.isEmpty() ? result.out.isEmpty() : result.out.startsWith(c.out))
            << result.out.toStdString();
        EXPECT_TRUE(c.err.isEmpty() ? result.err.isEmpty() : result.err.startsWith(c.err))
            << result.err.toStdString();
    }
    // Output that cannot all be written is a failure, whichever way the command wrote it.
    for (const QStringList& arguments :
         {QStringList{"volumes", "Music"}, QStringList{"search", "--name", "*"}}) {
        QProcess full;
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(MENDOR_TEST_PROGRAM_DIR "/mendor-cli", QStringList{"--home", home.dataPath()} + arguments);
        ASSERT_TRUE(full.waitForFinished(30000));
        EXPECT_EQ(full.exitCode(), 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(full.readAllStandardError().startsWith("The output could not be written"));
    }
    const QJsonObject volume =
        JsonOf(RunCli(home.dataPath(), {"volumes", "--json", "Music"})).at(0).toObject();
    EXPECT_EQ(volume["name"], "--json");
    EXPECT_EQ(volume["description"], "-x");
}

TEST(CliConventions, JsonListsVolumesDatabasesAndDrives) {
    CatalogFixture home;
    FixtureVolume backup(QStringLiteral("a1"), QStringLiteral("Backup"), 4);
    backup.description = QStringLiteral("two\tfields\nand lines");
    backup.capacity = 5'000'000'000'000;
    backup.addFile(backup.addFolder(1, QStringLiteral("Docs")), QStringLiteral("a.txt"), 100);
    home.addDatabase(QStringLiteral("Music"),
                     {backup, FixtureVolume(QStringLiteral("a2"), QStringLiteral("Empty"))});
    WriteBytes(home.dataPath() + "/x.mdb", "not a database");

    const QJsonArray volumes = JsonOf(RunCli(home.dataPath(), {"volumes", "Music", "--json"}));
    ASSERT_EQ(volumes.size(), 2);
    EXPECT_EQ(volumes.at(0).toObject(), (QJsonObject{{"table", "a1"},
                                                     {"name", "Backup"},
                                                     {"type", 4},
                                                     {"date", "2001-03-04T17:06:07"},
                                                     {"size", qint64(5'000'000'000'000)},
                                                     {"used", 4'096'000},
                                                     {"free", 6'144'000},
                                                     {"folders", 1},
                                                     {"files", 1},
                                                     {"description", "two\tfields\nand lines"}}));
    EXPECT_TRUE(volumes.at(1).toObject()["description"].isNull());

    const QJsonArray databases = JsonOf(RunCli(home.dataPath(), {"databases", "--json"}));
    ASSERT_EQ(databases.size(), 2);
    EXPECT_EQ(databases.at(0).toObject(), (QJsonObject{{"name", "Music"},
                                                       {"path", home.dataPath() + "/Music.mdb"},
                                                       {"volumes", 2},
                                                       {"usable", true},
                                                       {"problem", QJsonValue()}}));
    EXPECT_FALSE(databases.at(1).toObject()["usable"].toBool());
    EXPECT_TRUE(databases.at(1).toObject()["problem"].toString().startsWith("cannot be read: "));
    const QStringList lines = RunCli(home.dataPath(), {"databases"}).out.split('\n');
    EXPECT_EQ(lines.at(0), "Music\t2\tusable");
    EXPECT_TRUE(lines.at(1).startsWith("x\t0\tcannot be read: ")) << lines.at(1).toStdString();

    ASSERT_EQ(RunCli(home.dataPath(), {"map", "E:", home.dataPath()}).exitCode, 0);
    QJsonObject mapped;
    for (const QJsonValue drive : JsonOf(RunCli(home.dataPath(), {"drives", "--json"})))
        if (drive["drive"] == "E:")
            mapped = drive.toObject();
    EXPECT_EQ(mapped["root"], home.dataPath());
    EXPECT_TRUE(mapped["type"].isDouble());
    EXPECT_EQ(QStringList(mapped.keys()), QStringList({"drive", "label", "root", "serial", "type"}));
}

TEST(CliConventions, ProgressIsDrawnOnATerminalAndErasedBeforeTheResult) {
    CatalogFixture home;
    home.addDatabase(QStringLiteral("Disks"));
    ASSERT_EQ(RunCli(home.dataPath(), {"map", "E:", home.dataPath()}).exitCode, 0);
    const QByteArray program = MENDOR_TEST_PROGRAM_DIR "/mendor-cli";
    const QByteArray folder = home.dataPath().toUtf8();
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(program.constData(), program.constData(), "--home", folder.constData(), "catalog", "E:", "--db",
              "Disks", "--name", "Home", "--no-eject", static_cast<char*>(nullptr));
        _exit(127);
    }
    QByteArray shown;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, n);
    close(terminal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown.toStdString();
    const QString text = QString::fromUtf8(shown);
    EXPECT_TRUE(text.contains(QRegularExpression("\r\x1b\\[K[A-Z][^\r]*  0:0\\d"))) << shown.toStdString();
    // The result line on standard output, with no progress left before or after it.
    EXPECT_TRUE(text.section("\r\x1b[K", -1).contains(QRegularExpression("^Last disk was [^\r]*\r\n$")))
        << shown.toStdString();
}
