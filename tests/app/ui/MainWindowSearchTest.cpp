// The Search pane's buttons on the main window: a search and a duplicate search run from the
// pane fill the result list, the status bar and the report; missing criteria are refused.
#include "app/MainWindow.h"
#include "browse/ui/VolumeChooser.h"
#include "search/SearchCriteria.h"
#include "search/SearchRun.h"
#include "search/ui/ResultList.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/SearchPane.h"
#include "support/CatalogFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/ui/ProgramFolderFixture.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace mendor {
namespace {

class MainWindowSearchTest : public ProgramFolderFixture {
protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        FixtureVolume music(QStringLiteral("0002ffff"), QStringLiteral("Music CD"));
        music.checksums[music.addFile(music.addFolder(1, QStringLiteral("Docs")),
                                      QStringLiteral("readme.txt"), 100)] = QByteArray(16, 'r');
        FixtureVolume backup(QStringLiteral("5a5a0001"), QStringLiteral("Backup"));
        backup.checksums[backup.addFile(1, QStringLiteral("README.TXT"), 100)] = QByteArray(16, 'r');
        data_.addDatabase(QStringLiteral("Music"), {music, backup});
        writeSettings("[Options]\noUseAppPath=0\ngDataPath=" + data_.dataPath() + "\n");
        window_.load(nullptr);
        window_.setSearchPrompter(&prompter_);
        window_.selectTab(MainWindow::kSearchTab);
    }

    SearchPane& pane() { return *window_.searchPane(); }

    /// Clicks the button and waits for the search it starts to end.
    void runFrom(QPushButton* button) {
        QSignalSpy finished(&window_, &MainWindow::searchFinished);
        button->click();
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(10000));
        }
    }

    CatalogFixture data_;
    test::ScriptedPrompter prompter_;
    MainWindow window_;
};

TEST_F(MainWindowSearchTest, ASearchFromThePaneFillsTheListTheStatusBarAndTheReport) {
    pane().namePattern()->setText(QStringLiteral("readme"));
    QSignalSpy finished(&window_, &MainWindow::searchFinished);
    pane().startButton()->click();
    // Running: the button aborts, the cover hides the list, the other search waits.
    EXPECT_EQ(pane().startButton()->text(), "Abort Search");
    EXPECT_FALSE(pane().duplicatesButton()->isEnabled());
    EXPECT_TRUE(window_.searchView()->isHidden());
    ASSERT_TRUE(finished.wait(10000));

    EXPECT_EQ(pane().startButton()->text(), "Start Search");
    EXPECT_FALSE(window_.searchView()->isHidden());
    EXPECT_TRUE(window_.hider()->isHidden());
    EXPECT_EQ(window_.statusText(2), " Found 0 folders, and 2 files, Done ");
    const ResultListModel& rows = window_.searchView()->model();
    ASSERT_EQ(rows.rowCount(), 2);
    // Sorted by name without regard to case; equal names stay in the order found (the volumes
    // in the chooser's order).
    EXPECT_EQ(rows.row(0).volume, "Backup");
    EXPECT_EQ(rows.data(rows.index(1, 2)).toString(), "E:\\Docs\\");
    EXPECT_TRUE(window_.report().report().contains("File {\\b README.TXT} (1kb) on {\\b Backup} in E:\\\\ "));
    EXPECT_FALSE(isBusy());
}

// The report holds what the search itself writes, in the order found whatever the list's order,
// and keeps it when the list is emptied or filled by the next search.
TEST_F(MainWindowSearchTest, TheReportIsTheSearchesOwnAndOutlivesItsRows) {
    struct : SearchObserver {
        void rowsFound(QList<ResultRow>&) override {}
        void status(const QString&) override {}
    } ignore;
    SearchRequest request;
    request.targets = SearchTargets(ReadChooserDatabases(data_.dataPath()), SearchScope());
    request.dataPath = data_.dataPath();
    for (const char* name : {"*", "nothing"}) {
        pane().namePattern()->setText(QString::fromLatin1(name));
        runFrom(pane().startButton());
        window_.searchView()->ColumnClick(0);
        request.condition = QStringLiteral("name like \"%1\"").arg(NamePattern(QString::fromLatin1(name)));
        const QByteArray written = RunSearch(request, ignore).report;
        EXPECT_EQ(window_.report().report(), written) << name;
        QList<ResultRow> next = {ResultRow()};
        window_.searchView()->model().clearRows();
        window_.searchView()->model().appendRows(next);
        EXPECT_EQ(window_.report().report(), written) << name;
    }
}

TEST_F(MainWindowSearchTest, DuplicatesWithinTheChosenDatabaseAfterTheQuestions) {
    ASSERT_TRUE(window_.searchTree()->selectEntry(2));
    emit window_.searchTree()->nodeClicked(false);
    ASSERT_TRUE(pane().duplicatesButton()->isEnabled());

    pane().namePattern()->setText(QStringLiteral("*"));
    prompter_.answerYes(kSameSizeQuestion, kSameSizeTitle)
        .answerNo(kWholeCatalogueQuestion, kWholeCatalogueTitle);
    runFrom(pane().duplicatesButton());
    EXPECT_EQ(window_.searchView()->model().rowCount(), 0);
    EXPECT_TRUE(pane().startButton()->isEnabled());

    pane().namePattern()->setText(QStringLiteral("*.txt"));
    prompter_.answerNo(kSameSizeQuestion, kSameSizeTitle);
    runFrom(pane().duplicatesButton());
    EXPECT_EQ(window_.statusText(1), "Found 0 folder(s) and 2 file(s) -- DONE");
    EXPECT_EQ(window_.searchView()->model().rowCount(), 2);
    EXPECT_EQ(pane().duplicatesButton()->text(), "Find Duplicates");
    EXPECT_TRUE(pane().startButton()->isEnabled());
}

TEST_F(MainWindowSearchTest, IdenticalFilesOfAllVolumesGroupByGroupWithTheSortOff) {
    ASSERT_TRUE(window_.searchTree()->allVolumesSelected());
    ASSERT_TRUE(pane().identicalButton()->isEnabled());
    window_.searchView()->ColumnClick(0);
    runFrom(pane().identicalButton());
    EXPECT_EQ(window_.statusText(1), "Found 1 group(s) of identical files, 2 file(s) -- DONE");
    const ResultListModel& rows = window_.searchView()->model();
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.row(0).volume, "Backup"); // the chooser's order
    EXPECT_EQ(rows.row(1).volume, "Music CD");
    EXPECT_FALSE(window_.searchView()->sort().isOn());
    EXPECT_EQ(pane().identicalButton()->text(), "Find Identical Files");
    EXPECT_TRUE(pane().startButton()->isEnabled());
    EXPECT_FALSE(pane().duplicatesButton()->isEnabled());
}

TEST_F(MainWindowSearchTest, WithoutCriteriaNothingIsSearched) {
    prompter_.expectMessage(kNoCriteriaMessage);
    runFrom(pane().startButton());
    EXPECT_EQ(pane().startButton()->text(), "Start Search");
    EXPECT_EQ(window_.statusText(2), "");
    EXPECT_TRUE(window_.report().report().isEmpty());
}

} // namespace
} // namespace mendor
