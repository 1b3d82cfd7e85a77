#pragma once
// Opening and reading files on a medium, whose content may be hostile. Every name is opened
// relative to an open folder with its raw bytes, so paths of any length and any encoding work
// and no path is ever rebuilt. A symbolic link is never followed; only folders and regular
// files are ever opened (a FIFO blocks its reader, a device may act on being opened); reads
// are bounded.
#include <cstdint>
#include <QByteArray>
#include <sys/types.h>

namespace mendor {

/// An open file descriptor, closed with its owner.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset();

private:
    int fd_ = -1;
};

/// Where a folder is: its device and inode, to make sure a folder opened again by its name is
/// still the one that was listed.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// Opens a folder by a local path of this machine (a drive's root, which may be reached through
/// links of the machine's own); not for names on the medium.
FileDescriptor OpenLocalFolder(const QByteArray& localPath);

/// Opens the sub-folder name of an open folder without following a link, and (where the system
/// lets us) without moving its last-access date.
FileDescriptor OpenFolderAt(int folderFd, const char* name);

/// The device and inode of an open file; false when they cannot be had.
bool IdentityOf(int fd, FileIdentity& identity);

/// Opens the regular file name of an open folder for reading: not a link, FIFO, socket, device
/// or folder, which are not opened at all. Its last-access date is kept where the system lets
/// us.
FileDescriptor OpenRegularFileAt(int folderFd, const char* name);

/// Reads at most limit bytes from the start of an open file into content, without ever
/// waiting for data that is not there; false on a read error (content keeps what was read).
/// complete tells whether the file ended within the limit.
bool ReadAtMost(int fd, qsizetype limit, QByteArray& content, bool& complete);

/// Replaces the content of the regular file name in an open folder, creating it when it is not
/// there; the file's data is on the disk when this returns true. A link, anything but a
/// regular file, or a file with other names (a hard link: writing it would change a file
/// elsewhere) is left alone and false returned. The open file is handed back through written
/// so that the caller can set its attributes.
bool ReplaceRegularFileAt(int folderFd, const char* name, const QByteArray& content, FileDescriptor& written);

} // namespace mendor
