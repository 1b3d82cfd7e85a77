// The main window's layout: the left half (tab strip and its page), the divider and the right
// half, recomputed on every resize, pane switch and divider drop.
#include "app/DividerBar.h"
#include "app/MainWindow.h"
#include "app/PaneGeometry.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "search/ui/ResultList.h"
#include "search/ui/SearchPane.h"

#include <QEvent>
#include <QTabBar>

namespace mendor {

int MainWindow::leftHalfWidth() const {
    return currentTab() == kSearchTab ? kSearchPaneLeftWidth : browseLeftWidth_;
}

void MainWindow::layoutPanes() {
    const PaneRects rects = ComputePaneRects(client_->width(), 0, client_->height(), leftHalfWidth());

    tabStrip_->setGeometry(rects.tabStrip.left(), rects.tabStrip.top(), rects.tabStrip.width(),
                           tabStrip_->sizeHint().height());
    const int pageTop = rects.tabStrip.top() + tabStrip_->height() - 1;
    tabPage_->setGeometry(rects.tabStrip.left(), pageTop, rects.tabStrip.width(),
                          rects.tabStrip.bottom() + 1 - pageTop);
    contentsTree_->setGeometry(rects.page);
    frame1_->setGeometry(rects.page);
    splitter_->setGeometry(rects.splitter);
    for (QWidget* right : {static_cast<QWidget*>(listView_), static_cast<QWidget*>(searchView_),
                           static_cast<QWidget*>(hider_)})
        right->setGeometry(rects.rightHalf);
    splitter_->raise();
    hider_->raise();
}

void MainWindow::finishDividerDrag(int barLeft) {
    // A drag in the Search pane has no lasting effect: that pane's left half is always 267 wide.
    if (currentTab() != kSearchTab)
        browseLeftWidth_ = LeftHalfWidthAfterDrag(barLeft, client_->width(), kLeftMargin);
    layoutPanes();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        layoutPanes();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace mendor
