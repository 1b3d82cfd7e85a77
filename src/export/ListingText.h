#pragma once
// The text of a listing as UTF-8 bytes. A listing runs to millions of lines, so its text forms
// are written straight into a growing buffer, without QString or QDateTime. Months are English
// and separators fixed whatever the locale, so that a listing reads the same on every machine.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace mendor {

/// A growing run of bytes that the text forms write into directly: reserve room, write
/// through the pointer, then mark where the writing ended.
class TextBuffer {
public:
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_.get(), size_}; }
    void clear() { size_ = 0; }
    /// Keeps the first size bytes.
    void truncate(std::size_t size) { size_ = size < size_ ? size : size_; }

    /// Room for at least n more bytes; returns where they go.
    char* reserve(std::size_t n) {
        if (capacity_ - size_ < n)
            grow(n);
        return data_.get() + size_;
    }
    /// Ends the text at end, a pointer into the room that reserve() gave.
    void setEnd(const char* end) { size_ = std::size_t(end - data_.get()); }

    void append(std::string_view text) {
        if (!text.empty()) {
            std::memcpy(reserve(text.size()), text.data(), text.size());
            size_ += text.size();
        }
    }
    void push(char c) {
        *reserve(1) = c;
        ++size_;
    }
    void push(std::size_t count, char c) {
        std::memset(reserve(count), c, count);
        size_ += count;
    }

private:
    void grow(std::size_t n);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

/// Stored dates (shell/StoredDate.h) as "m/d/yyyy h:mm am/pm". Working out the calendar day
/// costs more than the rest of a line, and a listing's dates fall on comparatively few days, so
/// the text of recent days is kept.
class ListingDates {
public:
    ListingDates();
    void append(TextBuffer& out, std::int64_t storedSeconds);

private:
    struct Day {
        std::int64_t number;
        std::size_t length;
        char text[32]; ///< "m/d/yyyy"
    };
    static constexpr std::size_t kDays = 4096;
    std::unique_ptr<Day[]> days_;
};

/// A stored date as "mmmm d, yyyy" (March 4, 2001).
void AppendLongDate(TextBuffer& out, std::int64_t storedSeconds);

/// A plain number without separators.
void AppendNumber(TextBuffer& out, std::int64_t value);

} // namespace mendor
