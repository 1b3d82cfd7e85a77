// The desktop program: the main window's start-up sequence, then the event loop until the main
// window closes.
#include "app/CatalogCommands.h"
#include "app/MainWindow.h"
#include "app/RetrievalCommands.h"
#include "app/SplashWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mendor Pro"));
    QApplication::setApplicationVersion(QStringLiteral("3.0.0"));

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
