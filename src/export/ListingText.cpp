#include "export/ListingText.h"

#include <array>
#include <charconv>

namespace mendor {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

struct CivilDate {
    std::int64_t year;
    int month; ///< 1 to 12
    int day;   ///< 1 to 31
    int secondOfDay;
};

// The proleptic Gregorian date of a day count from 1970-01-01, in integer arithmetic that holds
// for every 64-bit stored value (the day count stays far from the limits).
CivilDate civilDate(std::int64_t storedSeconds) {
    std::int64_t days = storedSeconds / kSecondsPerDay;
    std::int64_t second = storedSeconds % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    // Counted in 400-year eras from 0000-03-01, so that the leap day ends each year.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day, int(second)};
}

void appendYear(QByteArray& out, std::int64_t year) {
    // Four digits at least, as "yyyy" writes the years before 1000.
    for (std::int64_t limit = 1000; year >= 0 && year < limit && limit > 1; limit /= 10)
        out.append('0');
    AppendNumber(out, year);
}

void appendTwoDigits(QByteArray& out, int value) {
    out.append(char('0' + value / 10));
    out.append(char('0' + value % 10));
}

} // namespace

void AppendNumber(QByteArray& out, std::int64_t value) {
    std::array<char, 24> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)error; // 24 characters hold every 64-bit value
    out.append(digits.data(), end - digits.data());
}

void AppendListingDate(QByteArray& out, std::int64_t storedSeconds) {
    const CivilDate date = civilDate(storedSeconds);
    AppendNumber(out, date.month);
    out.append('/');
    AppendNumber(out, date.day);
    out.append('/');
    appendYear(out, date.year);
    out.append(' ');
    const int hour = date.secondOfDay / 3600;
    AppendNumber(out, hour % 12 == 0 ? 12 : hour % 12);
    out.append(':');
    appendTwoDigits(out, date.secondOfDay / 60 % 60);
    out.append(hour < 12 ? " am" : " pm");
}

void AppendLongDate(QByteArray& out, std::int64_t storedSeconds) {
    static constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                            "May",       "June",     "July",     "August",
                                                            "September", "October",  "November", "December"};
    const CivilDate date = civilDate(storedSeconds);
    out.append(kMonths[std::size_t(date.month - 1)]);
    out.append(' ');
    AppendNumber(out, date.day);
    out.append(", ");
    appendYear(out, date.year);
}

} // namespace mendor
