// mendor-cli settings and databases, run as a separate process against a home folder of their own.
#include "store/Database.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace mendor;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

CliResult runCli(const QString& home, const QStringList& arguments) {
    QProcess process;
    process.start(s(MENDOR_TEST_PROGRAM_DIR "/mendor-cli"), QStringList{s("--home"), home} + arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void copyTemplate(const QString& path) {
    ASSERT_TRUE(QFile::copy(s(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), path));
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

TEST(CliSettings, PrintsTheElevenOptionsInEffect) {
    QTemporaryDir home;
    CliResult result = runCli(home.path(), {s("settings")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, s("oStartupMode=0\noSaveWindows=1\noClearDesc=1\noEject=1\noSearchFolders=1\n"
                            "oSearchFiles=1\noZIPasFolder=1\noDefaultDrive=C:\ngDataPath=") +
                              home.path() + s("\noCheckDesc=1\noUseAppPath=1\n"));

    const QString data = home.filePath(s("Catalogs"));
    ASSERT_TRUE(QDir().mkpath(data));
    copyTemplate(data + s("/Music.mdb"));
    writeBytes(home.filePath(s("MNP3.ini")),
               "[options]\r\noUseAppPath=0\r\noEject=1.6\r\noDefaultDrive= E: \r\n"
               "gDataPath=" +
                   home.filePath(s("CATALOGS")).toUtf8() + "\r\n");
    result = runCli(home.path(), {s("settings")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.at(3), s("oEject=2"));
    EXPECT_EQ(lines.at(7), s("oDefaultDrive=E:"));
    EXPECT_EQ(lines.at(8), s("gDataPath=") + data);
    EXPECT_EQ(lines.at(10), s("oUseAppPath=0"));

    EXPECT_EQ(runCli(home.path(), {s("settings"), s("extra")}).exitCode, 2);
}

TEST(CliDatabases, ListsEveryDatabaseFileWithItsVolumesAndState) {
    QTemporaryDir home;
    CliResult result = runCli(home.path(), {s("databases")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());

    copyTemplate(home.filePath(s("Music.mdb")));
    {
        Database db = Database::open(home.filePath(s("Music.mdb")));
        db.exec(s("INSERT INTO \"index\" (\"name\", \"tablename\") VALUES ('CD 1', 'a1'), ('CD 2', 'a2')"));
    }
    copyTemplate(home.filePath(s("archive.mdb")));
    writeBytes(home.filePath(s("x.mdb")), "this is not a database\n");

    result = runCli(home.path(), {s("databases")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString();
    EXPECT_EQ(lines.at(0), s("archive\t0\tusable"));
    EXPECT_EQ(lines.at(1), s("Music\t2\tusable"));
    EXPECT_TRUE(lines.at(2).startsWith(s("x\t0\tcannot be read: "))) << lines.at(2).toStdString();
}
