#pragma once
// A listing file that is complete or not there at all. The text goes into a hidden temporary file
// beside the destination; commit() flushes it, syncs it to the disk and renames it over the
// destination, which an existing file of that name gives way to only then. A listing that is
// destroyed without commit() removes its temporary file and leaves the destination as it was.
//
// The text collects in a buffer that goes to the file in large blocks. Every write to the file is
// checked: a full disk or any other failure raises ListingWriteError.
#include "export/ListingText.h"

#include <cstdint>
#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace mendor {

class ListingWriteError : public std::runtime_error {
public:
    explicit ListingWriteError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class ListingFile {
public:
    /// Creates the temporary file in the destination's folder; raises ListingWriteError when the
    /// folder does not exist or cannot be written.
    explicit ListingFile(const QString& destination);
    ~ListingFile();
    ListingFile(const ListingFile&) = delete;
    ListingFile& operator=(const ListingFile&) = delete;

    /// The text not written yet, which formatters append to directly.
    TextBuffer& text() { return buffer_; }
    /// Writes the text out once it has grown large; formatters call it after each line or so.
    void flushIfFull() {
        if (buffer_.size() >= kBlockSize)
            writeBuffer();
    }

    /// Bytes appended so far: a point that truncate() can go back to.
    std::int64_t size() const { return written_ + std::int64_t(buffer_.size()); }
    /// Drops everything appended after the point mark (a size() taken earlier).
    void truncate(std::int64_t mark);

    /// Writes what is left, syncs the file and puts it in place of the destination.
    void commit();

private:
    static constexpr std::size_t kBlockSize = 1 << 20;

    void writeBuffer();
    [[noreturn]] void fail(const QString& what, int error) const;

    QString destination_;
    QByteArray temporaryPath_; ///< in the file system's encoding
    int fd_ = -1;
    TextBuffer buffer_;
    std::int64_t written_ = 0;
};

} // namespace mendor
