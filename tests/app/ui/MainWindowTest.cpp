// The main window over a temporary program folder: start-up effects, placement, the first
// activation, the pane switch, the divider, exit, the toolbar and the animations.
#include "app/MainWindow.h"

#include "app/DividerBar.h"
#include "app/PaneGeometry.h"
#include "app/SplashWindow.h"
#include "app/WindowGeometry.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "search/ui/ResultList.h"
#include "search/ui/SearchPane.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/ui/ClipPlayer.h"
#include "support/ui/ProgramFolderFixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <stdexcept>

namespace mendor {
namespace {

class MainWindowTest : public ProgramFolderFixture {};

TEST_F(MainWindowTest, StartUpReadsSettingsShowsTheSplashStepsAndSetsUpTheResultColumns) {
    writeSettings("[Options]\noSearchFiles=0\noDefaultDrive= d: \n"
                  "[SearchPane]\nColumn1=180\nColumn3=-5\nColumn10=240\n");
    MainWindow window;
    SplashWindow splash;
    QStringList splashTexts;
    QObject::connect(&splash, &SplashWindow::statusChanged, &splash,
                     [&](const QString& text) { splashTexts.append(text); });
    QSignalSpy refreshed(&window, &MainWindow::catalogTreeRefreshed);

    window.load(&splash);

    EXPECT_EQ(oSearchFiles, 0);
    EXPECT_EQ(oDefaultDrive, "d:");
    EXPECT_EQ(splashTexts,
              QStringList({"Initializing Filetypes...", "Loading Databases...", "Done initializing"}));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(refreshed.count(), 1);

    ResultList* results = window.searchView();
    ASSERT_EQ(results->columnCount(), 10);
    EXPECT_EQ(results->headerCaption(0), "\u00BB Name");
    EXPECT_EQ(results->headerCaption(9), "Description or Path (in a ZIP)");
    EXPECT_EQ(results->columnWidth(0), 180);
    EXPECT_EQ(results->columnWidth(1), 100);
    EXPECT_EQ(results->columnWidth(9), 240);
    // A negative stored width is replaced before the column is made.
    EXPECT_EQ(gSearchColumnWidths[3], 100);
    EXPECT_EQ(results->columnWidth(2), 100);

    // The browse widths of every mode start at 100 before the stored ones are read.
    EXPECT_EQ(gColumnWidths[1][9], 100);
    EXPECT_EQ(gColumnWidths[4][1], 100);

    // The window opens in the Browse pane.
    EXPECT_EQ(window.currentTab(), MainWindow::kVolumesTab);
    EXPECT_FALSE(window.isSearchPaneShowing());
    EXPECT_FALSE(window.splitter()->isDragging());
}

TEST_F(MainWindowTest, PlacementDefaultsToTheScreenLessFiveHundredTwipsCentred) {
    MainWindow window;
    window.load(nullptr);

    QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen->logicalDotsPerInchX();
    const int expectedWidth = TwipsToPixels(PixelsToTwips(screen->geometry().width(), dpi) - 500, dpi);
    EXPECT_NEAR(window.width(), expectedWidth, 1);
    EXPECT_NEAR(window.x(), (screen->geometry().width() - expectedWidth) / 2, 2);
}

TEST_F(MainWindowTest, StoredPlacementIsAppliedAndNonsenseIsPulledOntoTheScreen) {
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    writeSettings(QStringLiteral("[Window]\nLeft=%1\nTop=%2\nWidth=%3\nHeight=%4\n")
                      .arg(PixelsToTwips(20, dpi))
                      .arg(PixelsToTwips(30, dpi))
                      .arg(PixelsToTwips(400, dpi))
                      .arg(PixelsToTwips(300, dpi)));
    {
        MainWindow window;
        window.load(nullptr);
        EXPECT_EQ(QRect(window.pos(), window.size()), QRect(20, 30, 400, 300));
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* stored : {"Left=-30000\nTop=-30000\nWidth=6000\nHeight=4500\n", "Width=0\nHeight=0\n",
                               "Width=-2000\nHeight=abc\nLeft=x\n", "Width=99999999999\nHeight=7\n"}) {
        writeSettings(QStringLiteral("[Window]\n") + stored);
        MainWindow window;
        window.load(nullptr);
        EXPECT_TRUE(screen.contains(QRect(window.pos(), window.size()))) << stored;
        EXPECT_GE(window.width(), kMinimumWindowWidth) << stored;
        EXPECT_GE(window.height(), kMinimumWindowHeight) << stored;
        if (stored[0] == 'L') {
            EXPECT_EQ(window.width(), TwipsToPixels(6000, dpi)) << "pulled onto the screen, not resized";
        }
    }
}

TEST_F(MainWindowTest, FirstActivationOpensTheSearchPaneOnlyOnceAndOnlyWhenAskedTo) {
    {
        MainWindow window;
        window.load(nullptr);
        window.handleActivation();
        EXPECT_FALSE(window.isSearchPaneShowing());
        EXPECT_EQ(window.currentTab(), MainWindow::kVolumesTab);
    }

    writeSettings("[Options]\noStartupMode=1\noSearchFolders=0\noSearchFiles=1\n");
    MainWindow window;
    window.load(nullptr);
    window.setStatusText(2, "3 Databases");
    window.handleActivation();
    EXPECT_TRUE(window.isSearchPaneShowing());
    EXPECT_EQ(window.currentTab(), MainWindow::kSearchTab);
    EXPECT_FALSE(window.hider()->isHidden());
    EXPECT_EQ(window.hider()->columnCount(), 10);
    EXPECT_TRUE(window.searchView()->isHidden());
    EXPECT_TRUE(window.contentsTree()->isHidden());
    EXPECT_EQ(window.statusText(1), "Ready...");
    EXPECT_EQ(window.statusText(2), " ");
    EXPECT_FALSE(window.searchPane()->searchFolders()->isChecked());
    EXPECT_TRUE(window.searchPane()->searchFiles()->isChecked());
    EXPECT_EQ(window.leftHalfWidth(), kSearchPaneLeftWidth);

    window.selectTab(MainWindow::kVolumesTab);
    EXPECT_EQ(window.statusText(2), "3 Databases");
    window.handleActivation();
    EXPECT_FALSE(window.isSearchPaneShowing());
    EXPECT_EQ(window.currentTab(), MainWindow::kVolumesTab);
}

TEST_F(MainWindowTest, TheWindowSystemsActivationRunsTheStartUpPane) {
    writeSettings("[Options]\noStartupMode=1\n");
    MainWindow window;
    window.load(nullptr);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.isSearchPaneShowing());
}

TEST_F(MainWindowTest, SwitchingPanesSavesBlanksAndRestoresTheBrowseStatusTexts) {
    MainWindow window;
    window.load(nullptr);
    const QStringList browseTexts = {"Root", "2 Databases", "7 Volumes", "1,024 Dirs", "65,000 Files"};
    for (int panel = 1; panel <= 5; ++panel)
        window.setStatusText(panel, browseTexts[panel - 1]);

    window.selectTab(MainWindow::kSearchTab);
    EXPECT_TRUE(window.isSearchPaneShowing());
    EXPECT_TRUE(window.hider()->isHidden());
    EXPECT_FALSE(window.searchView()->isHidden());
    EXPECT_TRUE(window.listView()->isHidden());
    EXPECT_EQ(window.statusText(1), "Ready...");
    for (int panel = 2; panel <= 5; ++panel)
        EXPECT_EQ(window.statusText(panel), " ");
    // The cover got the result columns with the marked first caption.
    EXPECT_EQ(window.hider()->columnCount(), 10);
    EXPECT_EQ(window.hider()->headerCaption(0), "\u00BB Name");

    // Search texts do not leak into the Browse pane, and selecting Search again keeps them.
    window.setStatusText(1, "12 items found");
    window.selectTab(MainWindow::kSearchTab);
    EXPECT_EQ(window.statusText(1), "12 items found");

    window.selectTab(MainWindow::kVolumesTab);
    EXPECT_FALSE(window.isSearchPaneShowing());
    EXPECT_FALSE(window.listView()->isHidden());
    EXPECT_TRUE(window.searchView()->isHidden());
    for (int panel = 1; panel <= 5; ++panel)
        EXPECT_EQ(window.statusText(panel), browseTexts[panel - 1]);
}

TEST_F(MainWindowTest, DraggingTheDividerFollowsTheRulesOfBothPanes) {
    MainWindow window;
    window.load(nullptr);
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    DividerBar* bar = window.splitter();
    QWidget* client = bar->parentWidget();
    const int clientWidth = client->width();

    const auto dragTo = [&](int targetX) {
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 5));
        EXPECT_TRUE(bar->isDragging());
        QTest::mouseMove(bar, QPoint(targetX - bar->x(), 5));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(0, 5));
        EXPECT_FALSE(bar->isDragging());
    };

    dragTo(400);
    EXPECT_EQ(window.leftHalfWidth(), 400 - kLeftMargin);
    EXPECT_EQ(bar->x(), kLeftMargin + window.leftHalfWidth() - 1);

    dragTo(clientWidth - 30);
    EXPECT_EQ(window.leftHalfWidth(), clientWidth - 60);

    window.selectTab(MainWindow::kSearchTab);
    EXPECT_EQ(window.leftHalfWidth(), kSearchPaneLeftWidth);
    dragTo(600);
    EXPECT_EQ(window.leftHalfWidth(), kSearchPaneLeftWidth);
    window.selectTab(MainWindow::kVolumesTab);
    EXPECT_EQ(window.leftHalfWidth(), clientWidth - 60) << "the Browse pane keeps its divider's width";

    // Another button during a drag ends it.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 5));
    QTest::mousePress(bar, Qt::RightButton, {}, QPoint(1, 5));
    EXPECT_FALSE(bar->isDragging());
}

// What is written when windows are not saved is the settings' own rule.
TEST_F(MainWindowTest, ExitWritesEverySettingAndAsksALongOperationToStop) {
    MainWindow window;
    window.load(nullptr);
    QSignalSpy exiting(&window, &MainWindow::exitRequested);
    window.show();
    gBusy = kFlagSet;
    window.close();
    EXPECT_EQ(exiting.count(), 1);
    EXPECT_NE(gAbort.load(), 0);
    const QString written = readSettings();
    for (const char* part : {"[Options]", "oUseAppPath=1", "[Window]", "[SearchPane]", "Column10="})
        EXPECT_TRUE(written.contains(part)) << part;
}

TEST_F(MainWindowTest, ToolbarShowsOnlyWiredButtonsAndKeepsTheirFixedOrder) {
    MainWindow window;
    const auto buttonKeys = [&] {
        QStringList keys;
        for (QAction* action : window.findChild<QToolBar*>("Toolbar1")->actions()) {
            if (!action->data().toString().isEmpty())
                keys.append(action->data().toString());
        }
        return keys;
    };
    EXPECT_EQ(buttonKeys(), QStringList({"options", "Export", "help"}));
    EXPECT_EQ(window.toolbarAction("catalog"), nullptr);

    int runs = 0;
    window.addToolbarAction("newdb", "Create a new database", [&] { ++runs; });
    window.addToolbarAction("catalog", "Catalog a new volume", [&] {
        ++runs;
        throw std::runtime_error("no drive");
    });
    window.addToolbarAction("compact", "Compact ALL Databases", [] {});
    EXPECT_EQ(buttonKeys(), QStringList({"catalog", "newdb", "compact", "options", "Export", "help"}));
    EXPECT_EQ(window.toolbarAction("Export")->toolTip(), QStringLiteral("Export data"));

    window.toolbarAction("catalog")->trigger();
    window.toolbarAction("newdb")->trigger();
    EXPECT_EQ(runs, 2);
}

TEST_F(MainWindowTest, AnimationsPlayFromTheInstallFolderAndAMissingClipIsHarmless) {
    MainWindow window;
    window.load(nullptr);
    window.startBrowseAnimation();
    EXPECT_TRUE(window.browseAnimation()->hasClip());
    EXPECT_TRUE(window.browseAnimation()->isPlaying());
    window.stopBrowseAnimation();
    EXPECT_FALSE(window.browseAnimation()->isPlaying());

    window.startSearchAnimation();
    EXPECT_TRUE(window.searchPane()->animation()->isPlaying());
    window.stopSearchAnimation();
    EXPECT_FALSE(window.searchPane()->animation()->isPlaying());

    SetInstallFolderOverride(emptyFolder());
    window.selectTab(MainWindow::kSearchTab);
    EXPECT_TRUE(window.isSearchPaneShowing());
    window.startSearchAnimation();
    EXPECT_FALSE(window.searchPane()->animation()->isPlaying());
    window.stopSearchAnimation();

    // A file that is not a clip at all is no clip either.
    test::WriteBytes(emptyFolder() + "/search.avi", "RIFF....AVI not really");
    window.startBrowseAnimation();
    EXPECT_FALSE(window.browseAnimation()->hasClip());
}

TEST_F(MainWindowTest, PauseLetsQueuedEventsRun) {
    MainWindow window;
    bool delivered = false;
    QMetaObject::invokeMethod(
        &window, [&] { delivered = true; }, Qt::QueuedConnection);
    window.pause(1);
    EXPECT_TRUE(delivered);
}

} // namespace
} // namespace mendor
