#include "export/ListingFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {

namespace {

constexpr int kNameAttempts = 100;

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Syncs the folder so that the rename itself survives a crash. Some file systems cannot sync a
// folder; the listing is in place either way, so a failure here is not reported.
void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

ListingFile::ListingFile(const QString& destination) : destination_(destination) {
    const QFileInfo info(destination);
    // A short name of its own, so that the longest file name still leaves room for it.
    const QString stem = info.absolutePath() + QStringLiteral("/.listing-");
    // The mode 0666 lets the umask decide a new listing's permissions, as for any file the user
    // creates; O_EXCL never touches a file that is already there.
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate() & 0xffffffu, 36);
        temporaryPath_ = QFile::encodeName(stem + suffix);
        fd_ = ::open(temporaryPath_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            fail(QStringLiteral("cannot create a file in %1").arg(info.absolutePath()), errno);
    }
    if (fd_ < 0)
        fail(QStringLiteral("cannot create a file in %1").arg(info.absolutePath()), EEXIST);
    buffer_.reserve(kBlockSize + kBlockSize / 4);
}

ListingFile::~ListingFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporaryPath_.constData());
    }
}

void ListingFile::writeBuffer() {
    const char* data = buffer_.view().data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t done = ::write(fd_, data, left);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("cannot write %1").arg(destination_), errno);
        }
        data += done;
        left -= std::size_t(done);
        written_ += done;
    }
    buffer_.clear();
}

void ListingFile::truncate(std::int64_t mark) {
    if (mark >= written_) {
        buffer_.truncate(std::size_t(mark - written_));
        return;
    }
    if (::ftruncate(fd_, mark) != 0 || ::lseek(fd_, mark, SEEK_SET) != mark)
        fail(QStringLiteral("cannot write %1").arg(destination_), errno);
    buffer_.clear();
    written_ = mark;
}

void ListingFile::commit() {
    writeBuffer();
    // A listing that replaces a file keeps that file's permissions.
    const QByteArray target = QFile::encodeName(destination_);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(fd_, existing.st_mode & 07777) != 0)
        fail(QStringLiteral("cannot write %1").arg(destination_), errno);
    if (::fsync(fd_) != 0)
        fail(QStringLiteral("cannot write %1").arg(destination_), errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.constData());
        fail(QStringLiteral("cannot write %1").arg(destination_), error);
    }
    if (::rename(temporaryPath_.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.constData());
        fail(QStringLiteral("cannot replace %1").arg(destination_), error);
    }
    syncFolder(QFile::encodeName(QFileInfo(destination_).absolutePath()));
}

void ListingFile::fail(const QString& what, int error) const {
    throw ListingWriteError(what + QStringLiteral(": ") + errorText(error));
}

} // namespace mendor
