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
#include "shell/ui/DialogPrompter.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

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
    framePlacement_ = PlaceOnScreens(stored, screens, fallback);
    placeFrame();
}

QMargins MainWindow::windowFrameMargins() const {
    const QWindow* window = windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

// The placement is the outer rectangle, as it is stored, but a window's size is that of its
// inside: the frame is taken off. A window manager frames the window only once it is shown, so
// until the frame is known the placement is applied again whenever the window moves or resizes.
void MainWindow::placeFrame() {
    const QMargins frame = windowFrameMargins();
    framePlacementPending_ = frame.isNull();
    resize(framePlacement_.size().shrunkBy(frame));
    move(framePlacement_.topLeft());
}

LiveLayout MainWindow::liveLayout() const {
    LiveLayout layout;
    layout.minimized = isMinimized();
    if (QScreen* screen = placementScreen()) {
        const double dpiX = screen->logicalDotsPerInchX();
        const double dpiY = screen->logicalDotsPerInchY();
        // A maximised window keeps the placement it returns to; the frame counts, as it does when
        // the placement is applied.
        const QRect normal =
            isMaximized() ? normalGeometry().marginsAdded(windowFrameMargins()) : frameGeometry();
        layout.window =
            WindowPlacement{PixelsToTwips(normal.left(), dpiX), PixelsToTwips(normal.top(), dpiY),
                            PixelsToTwips(normal.width(), dpiX), PixelsToTwips(normal.height(), dpiY)};
    }
    layout.browseWidths = listView_->liveColumnWidths();
    layout.searchWidths = LiveColumnWidths(*searchView_);
    return layout;
}

bool MainWindow::saveSettings() {
    QString error;
    if (SaveSettings(liveLayout(), &error))
        return true;
    DialogPrompter(this).message(
        tr("The settings could not be saved; the settings file has been left as it was.\n\n%1").arg(error));
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveSettings();
    // A search or listing still running stops at its next poll; the program ends meanwhile.
    if (isBusy())
        gAbort = kFlagSet;
    event->accept();
    emit exitRequested();
}

} // namespace mendor
