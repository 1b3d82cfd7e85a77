#include "platform/MediumFile.h"

#include "shell/SafeFileWrite.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {

namespace {

constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool isRegularEntry(int folderFd, const char* name, struct stat& info) {
    return ::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

/// True when fd is the regular file that info described before it was opened: the name was not
/// swapped for something else in between.
bool isSameRegularFile(int fd, const struct stat& before) {
    struct stat now {};
    return ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == before.st_dev &&
           now.st_ino == before.st_ino;
}

} // namespace

void FileDescriptor::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

FileDescriptor OpenLocalFolder(const QByteArray& localPath) {
    return FileDescriptor(::open(localPath.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
}

FileDescriptor OpenFolderAt(int folderFd, const char* name) {
    constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    // Listing a folder, for the count and again for the scan, is no use of it either.
    FileDescriptor fd(::openat(folderFd, name, kFolderFlags | O_NOATIME));
    if (!fd.isOpen() && errno == EPERM)
        fd = FileDescriptor(::openat(folderFd, name, kFolderFlags));
    return fd;
}

bool IdentityOf(int fd, FileIdentity& identity) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    return true;
}

FileDescriptor OpenRegularFileAt(int folderFd, const char* name) {
    struct stat before {};
    if (!isRegularEntry(folderFd, name, before))
        return {};
    // Listing an archive or reading descriptions is no use of the file: its last-access date
    // stays where the system lets us keep it (only the owner may ask for that).
    FileDescriptor fd(::openat(folderFd, name, kReadFlags | O_NOATIME));
    if (!fd.isOpen() && errno == EPERM)
        fd = FileDescriptor(::openat(folderFd, name, kReadFlags));
    if (!fd.isOpen() || !isSameRegularFile(fd.get(), before))
        return {};
    return fd;
}

bool ReadAtMost(int fd, qsizetype limit, QByteArray& content, bool& complete) {
    content.clear();
    complete = false;
    // The file's length is only a hint (it may grow or shrink under us); one byte more than the
    // limit tells whether the file goes on.
    struct stat info {};
    const qsizetype hint = ::fstat(fd, &info) == 0 && info.st_size < limit ? qsizetype(info.st_size) : limit;
    content.resize(std::min(std::max<qsizetype>(hint, 4096), limit) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (filled > limit)
                break;
            content.resize(std::min(content.size() * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, content.data() + filled, std::size_t(content.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            content.truncate(filled);
            complete = got == 0;
            return got == 0;
        }
        filled += got;
    }
    content.truncate(limit);
    return true;
}

bool ReplaceRegularFileAt(int folderFd, const char* name, const QByteArray& content,
                          FileDescriptor& written) {
    struct stat before {};
    const bool existed = ::fstatat(folderFd, name, &before, AT_SYMLINK_NOFOLLOW) == 0;
    if (existed && (!S_ISREG(before.st_mode) || before.st_nlink != 1))
        return false;
    if (!existed && errno != ENOENT)
        return false;
    // O_NOFOLLOW also refuses a link that appears after the look above; a FIFO without a reader
    // fails with ENXIO instead of blocking.
    FileDescriptor fd(
        ::openat(folderFd, name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    if (!fd.isOpen())
        return false;
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_nlink != 1 ||
        (existed && (opened.st_dev != before.st_dev || opened.st_ino != before.st_ino)))
        return false;
    if (::ftruncate(fd.get(), 0) != 0 || !WriteAll(fd.get(), content) || ::fsync(fd.get()) != 0)
        return false;
    written = std::move(fd);
    return true;
}

} // namespace mendor
