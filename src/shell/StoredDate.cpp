#include "shell/StoredDate.h"

#include <QTimeZone>

namespace mendor {

std::int64_t ToStoredSeconds(const QDateTime& dateTime) {
    const QDateTime asUtc(dateTime.date(), dateTime.time(), QTimeZone::utc());
    return asUtc.toSecsSinceEpoch();
}

QDateTime FromStoredSeconds(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

std::int64_t NowLocalStoredSeconds() {
    return ToStoredSeconds(QDateTime::currentDateTime());
}

} // namespace mendor
