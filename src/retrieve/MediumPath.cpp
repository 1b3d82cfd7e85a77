#include "retrieve/MediumPath.h"

#include "platform/NameMapping.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>

namespace mendor {

namespace {

bool IsPlainName(const QByteArray& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

} // namespace

QByteArray MediumPath::localPath() const {
    QByteArray path = root;
    for (const QByteArray& name : names) {
        if (!path.endsWith('/'))
            path.append('/');
        path.append(name);
    }
    return path;
}

QString MediumPath::displayPath() const {
    return QFile::decodeName(localPath());
}

std::optional<MediumPath> MediumPathOf(const DriveTable& drives, const QString& cataloguedPath) {
    if (cataloguedPath.size() < 2 || cataloguedPath[1] != QLatin1Char(':'))
        return std::nullopt;
    const std::optional<DriveInfo> drive = drives.drive(cataloguedPath[0]);
    if (!drive || drive->root.isEmpty())
        return std::nullopt;
    MediumPath path;
    path.root = QFile::encodeName(drive->root);
    for (const QString& name : cataloguedPath.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        QByteArray local = LocalNameFromCatalog(name);
        if (!IsPlainName(local))
            return std::nullopt;
        path.names.append(std::move(local));
    }
    return path;
}

FileDescriptor OpenContainingFolder(const MediumPath& path) {
    if (path.names.isEmpty()) {
        errno = EINVAL;
        return {};
    }
    FileDescriptor folder = OpenLocalFolder(path.root);
    for (qsizetype i = 0; folder.isOpen() && i + 1 < path.names.size(); ++i)
        folder = OpenFolderAt(folder.get(), path.names[i].constData());
    return folder;
}

MediumEntryKind EntryKindAt(int folderFd, const QByteArray& name, struct stat* status) {
    struct stat own {};
    struct stat& st = status != nullptr ? *status : own;
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return MediumEntryKind::Missing;
    if (S_ISDIR(st.st_mode))
        return MediumEntryKind::Folder;
    if (S_ISREG(st.st_mode))
        return MediumEntryKind::RegularFile;
    return S_ISLNK(st.st_mode) ? MediumEntryKind::Link : MediumEntryKind::Other;
}

bool FolderHasEntries(int folderFd, const QByteArray& name) {
    FileDescriptor folder = OpenFolderAt(folderFd, name.constData());
    if (!folder.isOpen())
        return false;
    const int fd = folder.release();
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace mendor
