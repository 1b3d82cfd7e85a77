#include "cli/TerminalProgress.h"

#include "cli/CliCommand.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace mendor::cli {

namespace {

// Redrawing costs a write to the terminal: a few times a second is enough for the eye.
constexpr qint64 kRedrawMs = 100;
// The elapsed time ticks in seconds; pauses between steps keep it current.
constexpr qint64 kTickMs = 1000;

TerminalProgress* gShown = nullptr;

int terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

QString elapsedText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    const QString minutesSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesSeconds;
    return QStringLiteral("%1:%2")
        .arg(seconds / 3600)
        .arg(minutesSeconds.rightJustified(5, QLatin1Char('0')));
}

const char* const kEraseLine = "\r\x1b[K";

} // namespace

TerminalProgress::TerminalProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {
    started_.start();
}

TerminalProgress::~TerminalProgress() {
    if (gShown == this)
        clearLine();
}

void TerminalProgress::status(const QString& text) {
    status_ = text;
    draw();
}

void TerminalProgress::setProgressMaximum(int maximum) {
    maximum_ = maximum;
}

void TerminalProgress::setProgressValue(int value) {
    value_ = value;
    drawWhenDue(kRedrawMs);
}

void TerminalProgress::pause(int) {
    drawWhenDue(kTickMs);
}

void TerminalProgress::clearLine() {
    if (!gShown)
        return;
    err() << kEraseLine;
    err().flush();
    gShown = nullptr;
}

void TerminalProgress::drawWhenDue(qint64 interval) {
    if (!lastDraw_.isValid() || lastDraw_.elapsed() >= interval)
        draw();
}

void TerminalProgress::draw() {
    if (!terminal_ || status_.isEmpty())
        return;
    QString suffix = QStringLiteral("  ");
    if (maximum_ > 0 && value_ > 0)
        suffix += QStringLiteral("%1/%2  ").arg(value_).arg(maximum_);
    suffix += elapsedText(started_.elapsed());
    // A line longer than the terminal would wrap, and the carriage return would no longer reach
    // its start.
    const qsizetype room = std::max<qsizetype>(0, terminalWidth() - 1 - suffix.size());
    err() << kEraseLine << status_.left(room) << suffix;
    err().flush();
    gShown = this;
    lastDraw_.start();
}

} // namespace mendor::cli
