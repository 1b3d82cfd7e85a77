#pragma once
// A regular file of a catalogued medium, open for reading. The medium is not ours: the file is
// opened relative to its folder's descriptor by its raw name bytes, a symbolic link is never
// followed, the open never waits (an entry that has become a FIFO since it was listed), and
// anything but a regular file is closed again at once. The descriptor closes with the object.
#include <cstdint>
#include <QByteArray>

namespace mendor {

class MediumFile {
public:
    MediumFile() = default;
    ~MediumFile();
    MediumFile(const MediumFile&) = delete;
    MediumFile& operator=(const MediumFile&) = delete;

    /// Opens the entry localName of the folder open as folderFd; false (errno set) when it is
    /// missing, unreadable or not a regular file.
    bool open(int folderFd, const QByteArray& localName);

    int fd() const { return fd_; }
    /// The size and modification time (UTC seconds) when it was opened.
    std::int64_t size() const { return size_; }
    std::int64_t modified() const { return modified_; }

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t modified_ = 0;
};

} // namespace mendor
