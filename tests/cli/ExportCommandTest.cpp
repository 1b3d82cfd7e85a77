// mendor-cli export writes the same bytes as the export itself; a database alone stands for all
// of its volumes.
#include "export/ExportRun.h"
#include "support/CatalogFixture.h"
#include "support/RecordingExportView.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>

using namespace mendor;
using namespace mendor::test;

TEST(ExportCommand, SameListingAsTheExportAndClearRefusals) {
    CatalogFixture home;
    FixtureVolume backup("a1", "Backup");
    backup.addFile(backup.addFolder(1, "Docs"), "a.txt", 100);
    FixtureVolume archive("b2", "Archive", 1, "F:");
    archive.addFile(1, "b.zqx", 7, "old");
    const QString database = home.addDatabase("Main", {backup, archive});

    test::RecordingExportView quiet;
    const QString expected = QDir(home.dataPath()).filePath("expected.txt");
    RunExport(expected, {.format = ExportFormat::Itemized, .depth = 0, .volumeInfo = false},
              {{database, "Archive"}, {database, "Backup"}}, quiet);

    const QString listing = QDir(home.dataPath()).filePath("listing");
    const CliResult all = RunCli(
        home.dataPath(), {"export", "--format", "3", "--depth", "0", "--no-info", "--out", listing, "Main"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(ReadBytes(listing), ReadBytes(expected));
    EXPECT_TRUE(ReadBytes(listing).contains("b.zqx\t7\tzqx file\t"));

    const CliResult one =
        RunCli(home.dataPath(), {"export", "--format", "1", "--out", listing, "Main/backup"});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_TRUE(ReadBytes(listing).contains("Volume Name: Backup\r\n"));

    EXPECT_EQ(RunCli(home.dataPath(), {"export", "--format", "1", "Main"}).exitCode, 2);
    EXPECT_EQ(RunCli(home.dataPath(), {"export", "--format", "1", "--depth", "11", "--out", listing, "Main"})
                  .exitCode,
              2);
    const CliResult missing =
        RunCli(home.dataPath(), {"export", "--format", "1", "--out", listing, "Main/Nope"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("has no volume Nope")) << missing.err.toStdString();
}
