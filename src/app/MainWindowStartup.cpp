// The main window's start-up sequence, its placement on the screen, and what it writes when it
// closes.
#include "app/DividerBar.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/WindowGeometry.h"
#include "browse/ui/ContentList.h"
#include "search/ui/ResultList.h"
#include "search/ui/SearchColumns.h"
#include "shell/Flags.h"
#include "shell/Settings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace mendor {

namespace {

constexpr int kSplashPaintYields = 100;
constexpr int kSplashStepYields = 25;

void yieldTimes(int count) {
    for (int i = 0; i < count; ++i)
        QCoreApplication::processEvents();
}

void showSplashStep(SplashWindow* splash, const QString& text) {
    if (!splash)
        return;
    splash->setStatus(text);
    yieldTimes(kSplashStepYields);
}

QScreen* placementScreen() {
    return QGuiApplication::primaryScreen();
}

} // namespace

void MainWindow::load(SplashWindow* splash) {
    LoadSettings();
    if (splash) {
        splash->show();
        yieldTimes(kSplashPaintYields);
    }
    SetDefaultFilePaneWidths();
    showSplashStep(splash, tr("Initializing Filetypes..."));
    showSplashStep(splash, tr("Loading Databases..."));
    LoadFilePaneWidths(4);
    LoadSearchPaneWidths();
    SetSearchColumns(*searchView_);
    // The cover starts out looking like the empty result list it hides.
    SetCoverColumns(*hider_);
    refreshCatalogTree();
    showSplashStep(splash, tr("Done initializing"));
    if (splash)
        splash->close();
    splitter_->resetAnchor();
    applyWindowPlacement();
}

void MainWindow::applyWindowPlacement() {
    QScreen* screen = placementScreen();
    if (!screen)
        return;
    const double dpiX = screen->logicalDotsPerInchX();
    const double dpiY = screen->logicalDotsPerInchY();
    const QRect screenArea = screen->geometry();
    const int screenWidthTwips = PixelsToTwips(screenArea.width(), dpiX);
    const int screenHeightTwips = PixelsToTwips(screenArea.height(), dpiY);

    const auto toPixels = [&](const WindowPlacement& placement) {
        return QRect(TwipsToPixels(placement.left, dpiX), TwipsToPixels(placement.top, dpiY),
                     TwipsToPixels(placement.width, dpiX), TwipsToPixels(placement.height, dpiY));
    };
    const QRect stored = toPixels(LoadWindowPlacement(screenWidthTwips, screenHeightTwips));
    const QRect fallback = toPixels(DefaultPlacement(screenWidthTwips, screenHeightTwips));

    QList<QRect> screens = {screen->availableGeometry()};
    for (QScreen* other : QGuiApplication::screens()) {
        if (other != screen)
            screens.append(other->availableGeometry());
    }
    const QRect placed = PlaceOnScreens(stored, screens, fallback);
    resize(placed.size());
    move(placed.topLeft());
}

LiveLayout MainWindow::liveLayout() const {
    LiveLayout layout;
    layout.minimized = isMinimized();
    if (QScreen* screen = placementScreen()) {
        const double dpiX = screen->logicalDotsPerInchX();
        const double dpiY = screen->logicalDotsPerInchY();
        // A maximised window keeps the placement it returns to.
        const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
        layout.window =
            WindowPlacement{PixelsToTwips(normal.left(), dpiX), PixelsToTwips(normal.top(), dpiY),
                            PixelsToTwips(normal.width(), dpiX), PixelsToTwips(normal.height(), dpiY)};
    }
    layout.browseWidths = listView_->liveColumnWidths();
    layout.searchWidths = LiveColumnWidths(*searchView_);
    return layout;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings(liveLayout());
    // A search or listing still running stops at its next poll; the program ends meanwhile.
    if (isBusy())
        gAbort = kFlagSet;
    event->accept();
    emit exitRequested();
}

} // namespace mendor
