#pragma once
// Dates are stored as whole seconds from 1970-01-01 00:00:00 to the stored wall-clock date and
// time, with no time-zone arithmetic: file dates hold UTC, the catalog date local time.
#include <cstdint>
#include <QDateTime>

namespace mendor {

/// The wall-clock fields of dateTime (as shown, whatever its time zone) as stored seconds.
std::int64_t ToStoredSeconds(const QDateTime& dateTime);

/// A QDateTime in Qt::UTC whose fields are the stored wall-clock date and time.
QDateTime FromStoredSeconds(std::int64_t seconds);

/// The current local date and time as stored seconds.
std::int64_t NowLocalStoredSeconds();

} // namespace mendor
