// The Verify Volume dialog over a folder standing in for a medium with a marker.
#include "catalog/ui/VerifyDialog.h"

#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "support/CatalogFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDriveMedium.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace mendor;

TEST(VerifyDialogTest, ListsTheDifferencesOfTheMediumInTheChosenDriveWithASummary) {
    CatalogFixture data;
    FixtureVolume disc("5551212", "Disc");
    disc.addFile(1, "a.txt", 5);
    data.addDatabase("Disks", {disc});
    gDataPath = data.dataPath();
    SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR)); // the template for the walk
    QTemporaryDir medium;
    test::WriteBytes(medium.filePath("Mendor.cat"), "5551212\r\n");
    test::WriteBytes(medium.filePath("a.txt"), "12345");
    test::WriteBytes(medium.filePath("b.txt"), "new");

    const DriveInfo drive{QLatin1Char('E'), medium.path(), {}, {}, DriveType::Fixed};
    DriveSource drives{
        [drive] { return DriveTable({drive}); },
        [](const DriveInfo& info) { return std::make_unique<test::TestDriveMedium>(info.root); }};
    test::ScriptedPrompter prompter;
    VerifyDialog dialog("Disks", "Disc", drives, prompter);
    dialog.verifyButton()->click();

    QTreeWidget& list = *dialog.differenceList();
    ASSERT_EQ(list.topLevelItemCount(), 2) << dialog.summaryLabel()->text().toStdString();
    EXPECT_EQ(list.topLevelItem(0)->text(0) + list.topLevelItem(0)->text(1), "Changeda.txt");
    EXPECT_TRUE(list.topLevelItem(0)->text(4).startsWith("modified"))
        << list.topLevelItem(0)->text(4).toStdString();
    EXPECT_EQ(list.topLevelItem(1)->text(0) + list.topLevelItem(1)->text(1), "Newb.txt");
    EXPECT_TRUE(dialog.summaryLabel()->text().endsWith("0 missing, 1 new, 1 changed."))
        << dialog.summaryLabel()->text().toStdString();
    EXPECT_EQ(dialog.closeButton()->text(), "C&lose");
    SetInstallFolderOverride({});
}
