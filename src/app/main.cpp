// The desktop program: the main window's start-up sequence, then the event loop until the main
// window closes.
#include "app/CatalogCommands.h"
#include "app/MainWindow.h"
#include "app/RetrievalCommands.h"
#include "app/SplashWindow.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <QApplication>

namespace {

/// Whether Qt has a window system to start on: a display, or a platform chosen by the user
/// (QT_QPA_PLATFORM or -platform, offscreen for instance).
bool HasDisplay(int argc, char** argv) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Without a display Qt would end with several lines about platform plugins.
    if (!HasDisplay(argc, argv)) {
        std::fputs("mendor: no display; use mendor-cli, or run it under Xvfb (xvfb-run -a mendor)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mendor Pro"));
    QApplication::setApplicationVersion(QStringLiteral(MENDOR_VERSION));

    mendor::MainWindow window;
    mendor::InstallCatalogCommands(window);
    mendor::InstallRetrievalCommands(window);
    {
        mendor::SplashWindow splash;
        window.load(&splash);
    }
    QObject::connect(
        &window, &mendor::MainWindow::exitRequested, &app,
        [] {
            QApplication::closeAllWindows();
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
    window.show();
    // Without a window manager to hand out the focus the window would never be activated.
    window.activateWindow();
    return QApplication::exec();
}
