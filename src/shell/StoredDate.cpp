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

StoredDay SplitStoredSeconds(std::int64_t seconds) {
    constexpr std::int64_t kSecondsPerDay = 86400;
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t second = seconds % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    return {days, int(second)};
}

CivilDate CivilDateOfDay(std::int64_t days) {
    // Counted in 400-year eras from 0000-03-01, so that the leap day ends each year.
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

} // namespace mendor
