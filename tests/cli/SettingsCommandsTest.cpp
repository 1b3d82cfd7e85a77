// mendor-cli settings, run as a separate process against a home folder of their own.
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

using namespace mendor;
using namespace mendor::test;

TEST(CliSettings, PrintsTheOptionsInEffect) {
    QTemporaryDir home;
    CliResult result = RunCli(home.path(), {"settings"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "oStartupMode=0\noSaveWindows=1\noClearDesc=1\noEject=1\noSearchFolders=1\n"
                          "oSearchFiles=1\noZIPasFolder=1\noDefaultDrive=C:\ngDataPath=" +
                              home.path() +
                              "\noCheckDesc=1\noUseAppPath=1\noChecksums=0\noOtherArchives=0\n");

    const QString data = home.filePath("Catalogs");
    ASSERT_TRUE(QDir().mkpath(data));
    CopyTemplate(data + "/Music.mdb");
    WriteBytes(home.filePath("MNP3.ini"), "[options]\r\noUseAppPath=0\r\noEject=1.6\r\noDefaultDrive= E: \r\n"
                                          "gDataPath=" +
                                              home.filePath("CATALOGS").toUtf8() + "\r\n");
    result = RunCli(home.path(), {"settings"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines.at(3), "oEject=2");
    EXPECT_EQ(lines.at(7), "oDefaultDrive=E:");
    EXPECT_EQ(lines.at(8), "gDataPath=" + data);
    EXPECT_EQ(lines.at(10), "oUseAppPath=0");
}
