// How long the desktop program takes to fill its search result list: the main window over a
// data folder, a search started from the Search pane as the user starts it, until the list shows
// every row (sorted by name, as the list keeps its sort). Prints seconds, rows and the peak
// memory of the process. With --then, also what comes after, each on a line of its own: a click
// on the Name header (the filled list sorted the other way) and the report made for "Print" and
// "Save Report...".
// usage: search-list-bench HOME [NAME [--then]]   (HOME holds MNP3.ini naming the data folder;
//        NAME "*")
#include "app/MainWindow.h"
#include "search/ui/ReportBox.h"
#include "search/ui/ResultList.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/SearchPane.h"
#include "shell/ProgramFolder.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>

using namespace mendor;

namespace {

// The peak resident memory of this process, in megabytes.
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s+(\\d+) kB"));
    const QRegularExpressionMatch match = peak.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: search-list-bench HOME [NAME]\n");
        return 2;
    }
    SetProgramFolderOverride(QString::fromLocal8Bit(argv[1]));
    SetInstallFolderOverride(QStringLiteral(MENDOR_BENCH_PROGRAM_DIR));
    MainWindow window;
    window.load(nullptr);
    window.show();
    window.selectTab(MainWindow::kSearchTab);
    window.searchPane()->namePattern()->setText(argc > 2 ? QString::fromLocal8Bit(argv[2])
                                                         : QStringLiteral("*"));

    QEventLoop loop;
    QObject::connect(&window, &MainWindow::searchFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    window.startSearchClicked();
    loop.exec();
    // The list is shown once the events the end posted are handled.
    QCoreApplication::processEvents();
    std::printf("%.2f s  %d rows  peak %.0f MB\n", timer.elapsed() / 1000.0,
                window.searchView()->model().rowCount(), peakMegabytes());
    if (argc > 3 && QByteArray(argv[3]) == "--then") {
        timer.restart();
        window.searchView()->ColumnClick(0);
        std::printf("%.2f s  header click  peak %.0f MB\n", timer.elapsed() / 1000.0, peakMegabytes());
        timer.restart();
        const qsizetype bytes = window.report().report().size();
        std::printf("%.2f s  report of %lld bytes  peak %.0f MB\n", timer.elapsed() / 1000.0,
                    static_cast<long long>(bytes), peakMegabytes());
    }
    return 0;
}
