#include "export/ListingText.h"

#include "shell/StoredDate.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace mendor {

namespace {

// Writes 0 to 99 without a leading zero, or with one when wide.
char* writeSmall(char* at, int value, bool wide = false) {
    if (value >= 10 || wide)
        *at++ = char('0' + value / 10);
    *at++ = char('0' + value % 10);
    return at;
}

// "yyyy": four digits at least, as the years before 1000 are written too. Room for 21
// characters is needed.
char* writeYear(char* at, std::int64_t year) {
    if (year < 0 || year >= 10000)
        return std::to_chars(at, at + 21, year).ptr;
    const int y = int(year);
    *at++ = char('0' + y / 1000);
    *at++ = char('0' + y / 100 % 10);
    *at++ = char('0' + y / 10 % 10);
    *at++ = char('0' + y % 10);
    return at;
}

// " h:mm am" of every minute of a day.
struct TimeText {
    std::size_t length;
    char text[16];
};

const std::array<TimeText, 24 * 60>& timeTexts() {
    static const std::array<TimeText, 24 * 60> texts = [] {
        std::array<TimeText, 24 * 60> result{};
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const int hour = minute / 60;
            char* at = result[std::size_t(minute)].text;
            *at++ = ' ';
            at = writeSmall(at, hour % 12 == 0 ? 12 : hour % 12);
            *at++ = ':';
            at = writeSmall(at, minute % 60, true);
            *at++ = ' ';
            *at++ = hour < 12 ? 'a' : 'p';
            *at++ = 'm';
            result[std::size_t(minute)].length = std::size_t(at - result[std::size_t(minute)].text);
        }
        return result;
    }();
    return texts;
}

} // namespace

void TextBuffer::grow(std::size_t n) {
    constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max() / 4;
    if (n > kLargest - size_)
        throw std::length_error("listing text too long");
    const std::size_t capacity = std::max({capacity_ * 2, size_ + n, std::size_t(4096)});
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0)
        std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

void AppendNumber(TextBuffer& out, std::int64_t value) {
    // 20 characters hold every 64-bit value with its sign.
    char* at = out.reserve(20);
    out.setEnd(std::to_chars(at, at + 20, value).ptr);
}

ListingDates::ListingDates() : days_(std::make_unique<Day[]>(kDays)) {
    for (std::size_t i = 0; i < kDays; ++i)
        days_[i].number = std::numeric_limits<std::int64_t>::min();
}

void ListingDates::append(TextBuffer& out, std::int64_t storedSeconds) {
    const auto [days, second] = SplitStoredSeconds(storedSeconds);
    Day& day = days_[std::size_t(std::uint64_t(days) % kDays)];
    if (day.number != days) {
        const CivilDate date = CivilDateOfDay(days);
        char* at = writeSmall(day.text, date.month);
        *at++ = '/';
        at = writeSmall(at, date.day);
        *at++ = '/';
        at = writeYear(at, date.year);
        day.length = std::size_t(at - day.text);
        day.number = days;
    }
    // Both parts are copied whole, as blocks of a fixed size that the compiler copies in place,
    // and the end is set after the text.
    const TimeText& time = timeTexts()[std::size_t(second / 60)];
    char* at = out.reserve(sizeof day.text + sizeof time.text);
    std::memcpy(at, day.text, sizeof day.text);
    at += day.length;
    std::memcpy(at, time.text, sizeof time.text);
    out.setEnd(at + time.length);
}

void AppendLongDate(TextBuffer& out, std::int64_t storedSeconds) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    const CivilDate date = CivilDateOfDay(SplitStoredSeconds(storedSeconds).days);
    out.append(kMonths[std::size_t(date.month - 1)]);
    out.push(' ');
    AppendNumber(out, date.day);
    out.append(", ");
    out.setEnd(writeYear(out.reserve(21), date.year));
}

} // namespace mendor
