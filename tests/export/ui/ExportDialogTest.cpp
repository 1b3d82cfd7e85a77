// The export dialog driven as a user drives it: the volume list and its checking rule, the
// format pictures, the destination and file name checks, an export on the worker thread with
// its rows unchecked, and an abort while Close waits.
#include "export/ui/ExportDialog.h"

#include "shell/Flags.h"
#include "support/CatalogFixture.h"
#include "support/RecordingExportView.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeView>

namespace mendor {
namespace {

using test::ReadBytes;
using test::ScriptedPrompter;

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return condition();
}

QStringList rowTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

QList<bool> rowChecks(const QListWidget* list) {
    QList<bool> checks;
    for (int row = 0; row < list->count(); ++row)
        checks.append(list->item(row)->checkState() == Qt::Checked);
    return checks;
}

void clickCheckBox(QListWidgetItem* item) {
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

class ExportDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        gBusy = kFlagClear;
        gAbort = kFlagClear;
        FixtureVolume work("1234", "Work Disk");
        const auto docs = work.addFolder(1, "Docs");
        work.addFile(docs, "a.kqz", 10);
        work.addFolder(docs, "Sub");
        FixtureVolume other("77", "Other", 1, "F:");
        other.addFile(1, "one", 1);
        data_.addDatabase("Alpha", {work, other});
        data_.addDatabase("Beta", {FixtureVolume("9", "Music")});
        data_.addForeignFile("Broken");
        data_.addDatabase("Empty");

        ExportDialogSetup setup;
        setup.dataPath = data_.dataPath();
        setup.startFolder = out_.path();
        setup.prompter = &prompter_;
        dialog_ = std::make_unique<ExportDialog>(setup);
        dialog_->show();
    }

    void TearDown() override {
        dialog_.reset();
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    QString listing() const { return QDir(out_.path()).filePath("list.txt"); }

    CatalogFixture data_;
    QTemporaryDir out_;
    ScriptedPrompter prompter_;
    std::unique_ptr<ExportDialog> dialog_;
};

TEST_F(ExportDialogTest, VolumeListFormatsAndCheckingRule) {
    QListWidget* list = dialog_->exportTree();
    EXPECT_EQ(rowTexts(list),
              (QStringList{">> Alpha", "Other", "Work Disk", ">> Beta", "Music", ">> Empty"}));

    // The itemized format is preset and shows its picture; another format shows its own.
    EXPECT_TRUE(dialog_->formatButton(ExportFormat::Itemized)->isChecked());
    EXPECT_EQ(dialog_->thumbnail()->pixmap().toImage(), dialog_->picture(ExportFormat::Itemized).toImage());
    QTest::mouseClick(dialog_->formatButton(ExportFormat::Tree), Qt::LeftButton);
    EXPECT_EQ(dialog_->thumbnail()->pixmap().toImage(), dialog_->picture(ExportFormat::Tree).toImage());
    EXPECT_NE(dialog_->picture(ExportFormat::Tree).toImage(), dialog_->picture(ExportFormat::List).toImage());

    clickCheckBox(list->item(0));
    EXPECT_EQ(rowChecks(list), (QList<bool>{true, true, true, false, false, false}));
    clickCheckBox(list->item(4));
    clickCheckBox(list->item(2));
    EXPECT_EQ(rowChecks(list), (QList<bool>{true, true, false, false, true, false}));
    clickCheckBox(list->item(0));
    EXPECT_EQ(rowChecks(list), (QList<bool>{false, false, false, false, true, false}));
}

TEST_F(ExportDialogTest, DestinationAndFileNameAreRequired) {
    EXPECT_EQ(dialog_->destination(), out_.path());
    EXPECT_TRUE(dialog_->exportButton()->isEnabled());
    dialog_->destinationTree()->clearSelection();
    EXPECT_FALSE(dialog_->exportButton()->isEnabled());

    prompter_.expectMessage(ExportDialog::kNoDestinationMessage);
    dialog_->exportOrAbort();
    dialog_->selectDestination(out_.path());
    EXPECT_TRUE(dialog_->exportButton()->isEnabled());
    prompter_.expectMessage(ExportDialog::kNoFileNameMessage);
    QTest::mouseClick(dialog_->exportButton(), Qt::LeftButton);
    EXPECT_EQ(QDir(out_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(ExportDialogTest, ExportWritesTheCheckedVolumesAndUnchecksThem) {
    QListWidget* list = dialog_->exportTree();
    clickCheckBox(list->item(0));
    QTest::keyClicks(dialog_->fileNameBox(), "list");
    QTest::mouseClick(dialog_->formatButton(ExportFormat::FullPaths), Qt::LeftButton);
    dialog_->filesCheck()->setChecked(false);

    QSignalSpy finished(dialog_.get(), &ExportDialog::exportFinished);
    QTest::mouseClick(dialog_->exportButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(dialog_->lastResult()->outcome, ExportOutcome::Completed);
    EXPECT_EQ(rowChecks(list), (QList<bool>{true, false, false, false, false, false}));
    EXPECT_EQ(dialog_->exportButton()->text(), "&Export Now!");

    // The same bytes as the export itself writes.
    test::RecordingExportView quiet;
    const QString database = data_.databasePath("Alpha");
    const QString expected = QDir(out_.path()).filePath("expected");
    RunExport(expected, {.format = ExportFormat::FullPaths, .files = false},
              {{database, "Other"}, {database, "Work Disk"}}, quiet);
    EXPECT_EQ(ReadBytes(listing()), ReadBytes(expected));
    EXPECT_TRUE(ReadBytes(listing()).contains("E:\\Docs\\Sub\\\r\n"));
}

TEST_F(ExportDialogTest, AbortStopsTheExportWhileCloseWaits) {
    QListWidget* list = dialog_->exportTree();
    clickCheckBox(list->item(0));
    dialog_->fileNameBox()->setText("list.txt");
    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
    dialog_->setWorkerPauseHook([&] {
        held = true;
        while (!released)
            QThread::msleep(1);
    });

    QSignalSpy finished(dialog_.get(), &ExportDialog::exportFinished);
    QTest::mouseClick(dialog_->exportButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return held.load(); }));
    EXPECT_EQ(dialog_->exportButton()->text(), "&Abort");
    EXPECT_TRUE(isBusy());
    dialog_->closeUnlessExporting();
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    dialog_->close();
    EXPECT_TRUE(dialog_->isVisible());

    QTest::mouseClick(dialog_->exportButton(), Qt::LeftButton);
    EXPECT_TRUE(isAbortRequested());
    released = true;
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(dialog_->lastResult()->outcome, ExportOutcome::Aborted);
    EXPECT_FALSE(QFileInfo::exists(listing()));
    EXPECT_EQ(rowChecks(list), (QList<bool>{true, true, true, false, false, false}));
    EXPECT_FALSE(isBusy());
    EXPECT_TRUE(dialog_->closeButton()->isEnabled());
}

} // namespace
} // namespace mendor
