#include "platform/MediumFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {

MediumFile::~MediumFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool MediumFile::open(int folderFd, const QByteArray& localName) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    // A name with a NUL in it would name another file than the one meant.
    if (localName.isEmpty() || localName.contains('\0')) {
        errno = ENOENT;
        return false;
    }
    // O_NOATIME: reading a file to catalogue it is no use of it; only its owner may say so.
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::openat(folderFd, localName.constData(), kFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(folderFd, localName.constData(), kFlags);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    fd_ = fd;
    size_ = std::int64_t(info.st_size);
    modified_ = std::int64_t(info.st_mtim.tv_sec);
    return true;
}

} // namespace mendor
