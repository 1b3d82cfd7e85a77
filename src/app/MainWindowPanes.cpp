// The two panes of the main window: the switch between them, the first activation that may
// open the Search pane, the status texts each pane keeps, and the busy animations.
#include "app/MainWindow.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "browse/ui/VolumeChooser.h"
#include "search/ui/ResultList.h"
#include "search/ui/SearchColumns.h"
#include "search/ui/SearchPane.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"
#include "shell/ui/ClipPlayer.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolBar>

namespace mendor {

namespace {

const QString kReadyText = QStringLiteral("Ready...");
const QString kBrowseClip = QStringLiteral("search.avi");
const QString kSearchClip = QStringLiteral("findfile.avi");

} // namespace

int MainWindow::currentTab() const {
    return tabStrip_->currentIndex();
}

bool MainWindow::isSearchPaneShowing() const {
    return !frame1_->isHidden();
}

void MainWindow::selectTab(int tab) {
    if (tabStrip_->currentIndex() == tab)
        onTabSelected(tab);
    else
        tabStrip_->setCurrentIndex(tab);
}

void MainWindow::onTabSelected(int tab) {
    stopBrowseAnimation();
    if (tab == kVolumesTab) {
        if (!isSearchPaneShowing())
            return;
        hider_->hide();
        // Like every width saved on the way, written again (and a failure reported) at exit.
        SaveSearchPaneWidths(LiveColumnWidths(*searchView_));
        restoreStatusTexts();
        contentsTree_->show();
        frame1_->hide();
        searchView_->hide();
        listView_->show();
        layoutPanes();
        return;
    }
    layoutPanes();
    SetCoverColumns(*hider_);
    if (isSearchPaneShowing())
        return;
    SaveFilePaneWidths(gListMode, listView_->columnCount());
    showSearchControls();
}

// The steps shared by a switch to the Search pane and the first activation.
void MainWindow::showSearchControls() {
    saveStatusTexts();
    clearStatusTexts();
    openSearchClip();
    setStatusText(1, kReadyText);
    frame1_->show();
    contentsTree_->hide();
    searchView_->show();
    listView_->hide();
    fillVolumeChooser();
    frame1_->namePattern()->setFocus();
}

void MainWindow::handleActivation() {
    if (startupPaneApplied_ || oStartupMode == 0)
        return;
    startupPaneApplied_ = true;
    stopBrowseAnimation();
    {
        // The steps below are the whole switch; the tab's own handler must not run them twice.
        const QSignalBlocker blocker(tabStrip_);
        tabStrip_->setCurrentIndex(kSearchTab);
    }
    SetSearchColumns(*searchView_);
    showSearchControls();
    frame1_->searchFolders()->setChecked(oSearchFolders != 0);
    frame1_->searchFiles()->setChecked(oSearchFiles != 0);
    hider_->show();
    searchView_->hide();
    layoutPanes();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        handleActivation();
    const bool result = QMainWindow::event(event);
    if (framePlacementPending_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        !windowFrameMargins().isNull())
        placeFrame();
    return result;
}

void MainWindow::saveStatusTexts() {
    for (int i = 0; i < kStatusPanelCount; ++i)
        savedStatusTexts_[i] = statusPanels_[i]->text();
}

void MainWindow::restoreStatusTexts() {
    for (int i = 0; i < kStatusPanelCount; ++i)
        statusPanels_[i]->setText(savedStatusTexts_[i]);
}

void MainWindow::clearStatusTexts() {
    for (QLabel* panel : statusPanels_)
        panel->setText(QStringLiteral(" "));
}

void MainWindow::refreshCatalogTree() {
    contentsTree_->RefreshCatalogTree();
    emit catalogTreeRefreshed();
}

void MainWindow::fillVolumeChooser() {
    searchTree_->FillVolumeChooser();
    // Duplicates are looked for within one database: not while "ALL Volumes" is chosen.
    frame1_->duplicatesButton()->setEnabled(!searchTree_->allVolumesSelected());
    emit volumeChooserFilled();
}

void MainWindow::openSearchClip() {
    ClipPlayer* clip = frame1_->animation();
    clip->open(InstallFile(kSearchClip));
    clip->stop();
}

void MainWindow::startBrowseAnimation() {
    animationAction_->setVisible(true);
    if (animation1_->open(InstallFile(kBrowseClip)))
        animation1_->play();
}

void MainWindow::stopBrowseAnimation() {
    animation1_->stop();
    animationAction_->setVisible(false);
}

void MainWindow::startSearchAnimation() {
    ClipPlayer* clip = frame1_->animation();
    if (clip->open(InstallFile(kSearchClip)))
        clip->play();
    QCoreApplication::processEvents();
}

void MainWindow::stopSearchAnimation() {
    frame1_->animation()->stop();
    QCoreApplication::processEvents();
}

} // namespace mendor
