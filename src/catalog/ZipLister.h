#pragma once
// The members of a ZIP archive, read from its central directory (nothing is extracted).
#include <cstdint>
#include <QByteArray>
#include <QString>

struct zip;

namespace mendor {

struct ZipMember {
    QString path;              ///< the entry's path inside the archive, folders split by "\"
    std::int64_t size = 0;     ///< uncompressed size in bytes, as declared (at most 2^63 - 1)
    std::int64_t modified = 0; ///< the entry's date and time, as stored seconds
};

class ZipLister {
public:
    ZipLister() = default;
    ~ZipLister();
    ZipLister(const ZipLister&) = delete;
    ZipLister& operator=(const ZipLister&) = delete;

    /// Opens the archive name of the open folder folderFd, when it is a regular file; false (with
    /// errorText) when it is missing, unreadable or not a ZIP archive.
    bool open(int folderFd, const char* name);
    void close();

    std::int64_t count() const { return count_; }

    /// Entry index (from 0); false (with errorText) when the entry cannot be read.
    bool member(std::int64_t index, ZipMember& member);

    const QString& errorText() const { return errorText_; }

private:
    zip* archive_ = nullptr;
    std::int64_t count_ = 0;
    QString errorText_;
};

/// Splits a member path at its last "\": the name after it, and the folder "\" + the text up to
/// and including it ("\" alone for a member at the archive's top level).
void SplitMemberPath(const QString& path, QString& name, QString& folder);

} // namespace mendor
