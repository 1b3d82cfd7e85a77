// mendor-cli settings, run as a separate process against a home folder of their own.
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

using namespace mendor;
using namespace mendor::test;

TEST(CliSettings, PrintsTheOptionsInEffect) {
    QTemporaryDir home;
    EXPECT_EQ(RunCli(home.path(), {"compact"}).exitCode, 1) << "no database to compact";
    CliResult result = RunCli(home.path(), {"settings"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "oStartupMode=0\noSaveWindows=1\noClearDesc=1\noEject=1\noSearchFolders=1\n"
                          "oSearchFiles=1\noZIPasFolder=1\noDefaultDrive=C:\ngDataPath=" +
                              home.path() +
                              "\noCheckDesc=1\noUseAppPath=1\noChecksums=0\noOtherArchives=0\n");

    // How values are read is the settings' own test; here, that every command reads them.
    const QString data = home.filePath("Catalogs");
    ASSERT_TRUE(QDir().mkpath(data));
    CopyTemplate(data + "/Music.mdb");
    WriteBytes(home.filePath("MNP3.ini"),
               "[options]\r\noUseAppPath=0\r\noEject=0\r\ngDataPath=" + data.toUtf8());
    result = RunCli(home.path(), {"settings"});
    EXPECT_TRUE(result.out.contains("\noEject=0\n") && result.out.contains("\ngDataPath=" + data + "\n"))
        << result.out.toStdString();
}
