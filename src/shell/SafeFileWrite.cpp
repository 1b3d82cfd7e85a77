#include "shell/SafeFileWrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

/// The file a path ends up at: a link is replaced by its target, not by a plain file.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

/// The folder is synced so that the rename itself survives a power failure; a file system that
/// cannot sync folders has already made the rename as durable as it can.
void syncFolderOf(const QByteArray& file) {
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : file.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool WriteFileSafely(const QString& path, const QByteArray& content, QString* error) {
    const QByteArray target = QFile::encodeName(resolvedPath(path));
    QByteArray temporary = target + ".XXXXXX";
    const auto fail = [&](int code) {
        if (error != nullptr)
            *error = QStringLiteral("%1: %2").arg(path, systemError(code));
        return false;
    };

    mode_t mode = 0666 & ~currentUmask();
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0)
        mode = existing.st_mode & 07777;

    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    bool ok = WriteAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int code = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return fail(code);
    }
    syncFolderOf(target);
    return true;
}

bool WriteAll(int fd, const QByteArray& content) {
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace mendor
