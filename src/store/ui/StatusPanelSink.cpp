#include "store/ui/StatusPanelSink.h"

#include "shell/ui/MainWindowServices.h"

#include <QCoreApplication>
#include <QDateTime>

namespace mendor {

namespace {

constexpr qint64 kYieldIntervalMilliseconds = 30;

} // namespace

void StatusPanelSink::status(const QString& text) {
    services_.setStatusText(1, text);
}

void StatusPanelSink::pause(int count) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (count > 0) {
        services_.pause(count);
        lastYield_ = now;
    } else if (now - lastYield_ >= kYieldIntervalMilliseconds) {
        QCoreApplication::processEvents();
        lastYield_ = now;
    }
}

} // namespace mendor
