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

/// Whole days from 1970-01-01 and the second within that day, for any stored value.
struct StoredDay {
    std::int64_t days;
    int secondOfDay; ///< 0 to 86399
};
StoredDay SplitStoredSeconds(std::int64_t seconds);

/// A date of the proleptic Gregorian calendar.
struct CivilDate {
    std::int64_t year;
    int month; ///< 1 to 12
    int day;   ///< 1 to 31
};
/// The date of a day count from 1970-01-01, in integer arithmetic that holds for every day count
/// a 64-bit stored value gives; lists and listings format millions of dates with it.
CivilDate CivilDateOfDay(std::int64_t days);

} // namespace mendor
