// mendor-cli copy and locate over folder-mapped drives, with the medium moved to another letter.
#include "support/CatalogFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>

using namespace mendor;
using namespace mendor::test;

TEST(RetrieveCommands, CopyAndLocateFindTheMediumThroughDrive) {
    CatalogFixture home;
    FixtureVolume volume("a1", "Backup", 2, "E:");
    volume.addFile(volume.addFolder(1, "Docs"), "a.txt", 5);
    home.addDatabase("Music", {volume});
    QTemporaryDir drives;
    const QString medium = drives.filePath("usb");
    const QString target = drives.filePath("target");
    QDir().mkpath(medium + "/Docs");
    QDir().mkpath(target);
    QDir().mkpath(drives.filePath("empty"));
    WriteBytes(medium + "/Docs/a.txt", "alpha");
    // The volume was catalogued from E:, which is empty now; the medium sits in F:.
    WriteBytes(
        home.dataPath() + "/MNP3.ini",
        QStringLiteral("[Drives]\r\nE:=%1\r\nF:=%2\r\n").arg(drives.filePath("empty"), medium).toUtf8());

    struct Case {
        QStringList arguments;
        int exitCode;
        const char* out; ///< nullptr: standard output is not checked
        const char* err;
    };
    const Case cases[] = {
        {{"locate", "Music", "Backup", "\\docs\\A.TXT"}, 1, "", "The volume is not inserted"},
        {{"locate", "Music", "Backup", "\\Docs\\a.txt", "--drive", "f:"}, 0, "%1/Docs/a.txt\n", ""},
        {{"copy", "Music", "Backup", "\\Docs\\a.txt", "--to", target}, 1, nullptr, "give --drive"},
        {{"copy", "Music", "Backup", "\\Docs", "--to", target, "--drive", "F:"}, 0, "", ""},
        // A file in the way is neither replaced nor skipped silently when nobody can be asked.
        {{"copy", "Music", "Backup", "\\Docs", "--to", target, "--drive", "F:"}, 1, nullptr, "--overwrite"},
        {{"copy", "Music", "Backup", "\\Docs", "--to", target, "--drive", "F:", "--no-overwrite"},
         1,
         nullptr,
         "Nothing was copied"},
        {{"copy", "Music", "Backup", "\\Docs\\b.txt", "--to", target}, 1, nullptr, "has no item"},
        {{"copy", "Music", "Backup", "\\Docs", "--to", target, "--drive", "F"}, 2, nullptr, "usage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliResult result = RunCli(home.dataPath(), c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        if (c.out != nullptr) {
            EXPECT_EQ(result.out, QString::fromUtf8(c.out).replace("%1", medium));
        }
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.err))) << result.err.toStdString();
    }
    EXPECT_EQ(ReadBytes(target + "/Docs/a.txt"), "alpha");
}
