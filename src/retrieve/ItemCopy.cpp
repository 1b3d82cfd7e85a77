#include "retrieve/ItemCopy.h"

#include "retrieve/CommitQueue.h"
#include "retrieve/FileDataCopy.h"
#include "shell/Saturating.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <QRandomGenerator>
#include <vector>

namespace mendor {

namespace {

constexpr int kTempNameAttempts = 100;

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

FileIdentity IdOf(const struct stat& status) {
    return {status.st_dev, status.st_ino};
}

/// The names in an open folder other than "." and "..", in byte order so that a copy runs in the
/// same order every time; false (errno set) when the folder cannot be read.
bool ReadNames(int folder, std::vector<QByteArray>& names) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    errno = error;
    return error == 0;
}

class Copier {
public:
    explicit Copier(CopyObserver& observer)
        : observer_(observer),
          tempPrefix_(".mendor-copy-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                      '-') {}

    CopyReport run(const MediumPath& source, const QByteArray& destinationFolder);

private:
    /// Puts what is complete in place and tells how the copy ended.
    CopyReport finish();

    /// What to do with a folder met on the medium.
    enum class FolderRule { Descend, KeepEmpty, IntoItself, Loop, TooDeep };
    /// What to do about the destination name of a file or link.
    enum class Target { Free, Replace, Skip, Stop };

    FolderRule ruleFor(const struct stat& status, int depth) const;
    void count(int parent, const QByteArray& name, int depth);
    void copyEntry(int parent, const QByteArray& name, const QByteArray& sourcePath,
                   const CommitQueue::Folder& target, const QByteArray& targetPath, int depth);
    void copyFolder(int parent, const QByteArray& name, const struct stat& status,
                    const QByteArray& sourcePath, const CommitQueue::Folder& target,
                    const QByteArray& targetPath, int depth);
    void copyFile(int parent, const QByteArray& name, const QByteArray& sourcePath,
                  const CommitQueue::Folder& target, const QByteArray& targetPath);
    void copyLink(int parent, const QByteArray& name, const struct stat& status, const QByteArray& sourcePath,
                  const CommitQueue::Folder& target, const QByteArray& targetPath);
    Target checkTarget(int target, const QByteArray& name, const QByteArray& targetPath,
                       const QByteArray& sourcePath);
    /// A new temporary name in folder; the file is created when wanted, else only the name chosen.
    FileDescriptor createTemp(int folder, QByteArray& tempName);
    QByteArray nextTempName() { return tempPrefix_ + QByteArray::number(++tempCounter_); }

    bool cancelled();
    void fail(const QByteArray& path, const QString& reason);
    void itemDone(std::int64_t skippedBytes = 0);

    CopyObserver& observer_;
    CommitQueue queue_;
    CopyProgress progress_;
    CopyReport report_;
    QByteArray tempPrefix_;
    std::uint64_t tempCounter_ = 0;
    dev_t sourceDevice_ = 0;
    FileIdentity destination_;
    std::vector<FileIdentity> ancestors_;
    bool intoItself_ = false;
    bool yesToAll_ = false;
    bool aborted_ = false;
};

CopyReport Copier::run(const MediumPath& source, const QByteArray& destinationFolder) {
    const QByteArray sourcePath = source.localPath();
    auto target = std::make_shared<const FileDescriptor>(OpenLocalFolder(destinationFolder));
    struct stat status {};
    if (!target->isOpen() || ::fstat(target->get(), &status) != 0) {
        fail(destinationFolder, ErrorText(errno));
        return finish();
    }
    destination_ = IdOf(status);
    const FileDescriptor parent = OpenContainingFolder(source);
    if (!parent.isOpen() ||
        ::fstatat(parent.get(), source.name().constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        fail(sourcePath, ErrorText(errno));
        return finish();
    }
    sourceDevice_ = status.st_dev;

    observer_.progress(progress_);
    count(parent.get(), source.name(), 0);
    if (intoItself_ && !aborted_) {
        fail(sourcePath, QStringLiteral("the destination folder is inside it"));
        return finish();
    }
    if (!aborted_) {
        observer_.progress(progress_);
        copyEntry(parent.get(), source.name(), sourcePath, target, Joined(destinationFolder, source.name()),
                  0);
    }
    return finish();
}

CopyReport Copier::finish() {
    report_.copiedFiles += queue_.finish(report_.failures);
    if (aborted_)
        report_.outcome = CopyOutcome::Aborted;
    else if (!report_.failures.empty())
        report_.outcome = CopyOutcome::Failed;
    return report_;
}

Copier::FolderRule Copier::ruleFor(const struct stat& status, int depth) const {
    const FileIdentity id = IdOf(status);
    if (id == destination_)
        return FolderRule::IntoItself;
    if (status.st_dev != sourceDevice_)
        return FolderRule::KeepEmpty;
    if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end())
        return FolderRule::Loop;
    return depth >= kMaxCopyDepth ? FolderRule::TooDeep : FolderRule::Descend;
}

void Copier::count(int parent, const QByteArray& name, int depth) {
    if (cancelled())
        return;
    struct stat status {};
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    progress_.totalItems = SaturatingAdd(progress_.totalItems, 1);
    if (S_ISREG(status.st_mode))
        progress_.totalBytes = SaturatingAdd(progress_.totalBytes, status.st_size);
    if (!S_ISDIR(status.st_mode))
        return;
    const FolderRule rule = ruleFor(status, depth);
    if (rule == FolderRule::IntoItself)
        intoItself_ = true;
    if (rule != FolderRule::Descend)
        return;
    const FileDescriptor folder = OpenFolderAt(parent, name.constData());
    std::vector<QByteArray> names;
    if (!folder.isOpen() || !ReadNames(folder.get(), names))
        return;
    ancestors_.push_back(IdOf(status));
    for (const QByteArray& child : names) {
        count(folder.get(), child, depth + 1);
        if (intoItself_)
            break;
    }
    ancestors_.pop_back();
}

void Copier::copyEntry(int parent, const QByteArray& name, const QByteArray& sourcePath,
                       const CommitQueue::Folder& target, const QByteArray& targetPath, int depth) {
    if (cancelled())
        return;
    struct stat status {};
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        fail(sourcePath, ErrorText(errno));
        itemDone();
        return;
    }
    progress_.currentName = QFile::decodeName(name);
    observer_.progress(progress_);
    if (S_ISDIR(status.st_mode)) {
        copyFolder(parent, name, status, sourcePath, target, targetPath, depth);
    } else if (S_ISREG(status.st_mode)) {
        copyFile(parent, name, sourcePath, target, targetPath);
    } else if (S_ISLNK(status.st_mode)) {
        copyLink(parent, name, status, sourcePath, target, targetPath);
    } else {
        fail(sourcePath, QStringLiteral("not a file, folder or link; not copied"));
        itemDone();
    }
    queue_.commitIfFull();
}

void Copier::copyFolder(int parent, const QByteArray& name, const struct stat& status,
                        const QByteArray& sourcePath, const CommitQueue::Folder& target,
                        const QByteArray& targetPath, int depth) {
    const FolderRule rule = ruleFor(status, depth);
    if (rule == FolderRule::Loop || rule == FolderRule::TooDeep) {
        fail(sourcePath, rule == FolderRule::Loop ? QStringLiteral("the folder repeats a folder above it")
                                                  : QStringLiteral("folders nested too deeply"));
        itemDone();
        return;
    }
    struct stat existing {};
    bool created = false;
    if (::fstatat(target->get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(existing.st_mode)) {
            fail(
                sourcePath,
                QStringLiteral("a file of this name is in the way at %1").arg(QFile::decodeName(targetPath)));
            itemDone();
            return;
        }
    } else if (::mkdirat(target->get(), name.constData(), S_IRWXU) == 0) {
        created = true;
    } else {
        fail(sourcePath, ErrorText(errno));
        itemDone();
        return;
    }
    auto folder = std::make_shared<const FileDescriptor>(OpenFolderAt(target->get(), name.constData()));
    if (!folder->isOpen()) {
        fail(sourcePath, ErrorText(errno));
        itemDone();
        return;
    }
    itemDone();

    if (rule == FolderRule::Descend) {
        const FileDescriptor source = OpenFolderAt(parent, name.constData());
        std::vector<QByteArray> names;
        struct stat opened {};
        int error = 0;
        if (!source.isOpen() || ::fstat(source.get(), &opened) != 0 || !ReadNames(source.get(), names))
            error = errno;
        else if (IdOf(opened) != IdOf(status))
            error = ESTALE; // replaced between the look and the opening
        if (error != 0) {
            fail(sourcePath, ErrorText(error));
        } else {
            ancestors_.push_back(IdOf(status));
            for (const QByteArray& child : names) {
                if (aborted_)
                    break;
                copyEntry(source.get(), child, Joined(sourcePath, child), folder, Joined(targetPath, child),
                          depth + 1);
            }
            ancestors_.pop_back();
        }
    }
    if (created && !aborted_) {
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        queue_.addFinishedFolder(folder, (status.st_mode & 0777) | S_IRWXU, times);
    }
}

Copier::Target Copier::checkTarget(int target, const QByteArray& name, const QByteArray& targetPath,
                                   const QByteArray& sourcePath) {
    struct stat existing {};
    if (::fstatat(target, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return Target::Free;
    if (S_ISDIR(existing.st_mode)) {
        fail(sourcePath,
             QStringLiteral("a folder of this name is in the way at %1").arg(QFile::decodeName(targetPath)));
        return Target::Skip;
    }
    if (yesToAll_)
        return Target::Replace;
    switch (observer_.confirmOverwrite(QFile::decodeName(targetPath))) {
    case OverwriteAnswer::YesToAll:
        yesToAll_ = true;
        return Target::Replace;
    case OverwriteAnswer::Yes:
        return Target::Replace;
    case OverwriteAnswer::No:
        return Target::Skip;
    case OverwriteAnswer::Cancel:
        break;
    }
    aborted_ = true;
    return Target::Stop;
}

FileDescriptor Copier::createTemp(int folder, QByteArray& tempName) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempName = nextTempName();
        FileDescriptor file(::openat(folder, tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                     S_IRUSR | S_IWUSR));
        if (file.isOpen() || errno != EEXIST)
            return file;
    }
    return {};
}

void Copier::copyFile(int parent, const QByteArray& name, const QByteArray& sourcePath,
                      const CommitQueue::Folder& target, const QByteArray& targetPath) {
    struct stat status {};
    errno = 0;
    const FileDescriptor in = OpenRegularFileAt(parent, name.constData());
    if (!in.isOpen() || ::fstat(in.get(), &status) != 0) {
        // Without an error of its own the name was swapped for something else meanwhile.
        fail(sourcePath, errno != 0 ? ErrorText(errno) : QStringLiteral("changed while copying; not copied"));
        itemDone();
        return;
    }
    const Target decision = checkTarget(target->get(), name, targetPath, sourcePath);
    if (decision == Target::Stop)
        return;
    if (decision == Target::Skip) {
        itemDone(status.st_size);
        return;
    }

    QByteArray tempName;
    FileDescriptor out = createTemp(target->get(), tempName);
    if (!out.isOpen()) {
        fail(sourcePath,
             QStringLiteral("cannot write to %1: %2").arg(QFile::decodeName(targetPath), ErrorText(errno)));
        itemDone(status.st_size);
        return;
    }
    const FileDataCopy copied = CopyFileData(in.get(), out.get(), [this](std::int64_t chunk) {
        progress_.doneBytes = std::min(SaturatingAdd(progress_.doneBytes, chunk), progress_.totalBytes);
        observer_.progress(progress_);
        return !cancelled();
    });
    if (copied.result != FileDataCopy::Result::Done) {
        ::unlinkat(target->get(), tempName.constData(), 0);
        if (copied.result == FileDataCopy::Result::Failed) {
            fail(sourcePath, copied.writeError
                                 ? QStringLiteral("cannot write to %1: %2")
                                       .arg(QFile::decodeName(targetPath), ErrorText(copied.error))
                                 : ErrorText(copied.error));
            itemDone(std::max<std::int64_t>(status.st_size - copied.bytes, 0));
        }
        return;
    }
    // Best effort: a file system without permissions or times (FAT) still gets the whole file.
    ::fchmod(out.get(), (status.st_mode & 0777) | S_IWUSR);
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::futimens(out.get(), times);
    queue_.addFile(target, std::move(out), tempName, name, decision == Target::Replace, copied.bytes,
                   QFile::decodeName(sourcePath));
    report_.copiedBytes = SaturatingAdd(report_.copiedBytes, copied.bytes);
    itemDone(std::max<std::int64_t>(status.st_size - copied.bytes, 0));
}

void Copier::copyLink(int parent, const QByteArray& name, const struct stat& status,
                      const QByteArray& sourcePath, const CommitQueue::Folder& target,
                      const QByteArray& targetPath) {
    QByteArray link(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(parent, name.constData(), link.data(), std::size_t(link.size()));
    if (length < 0 || length >= link.size()) {
        fail(sourcePath, length < 0 ? ErrorText(errno) : QStringLiteral("link text too long"));
        itemDone();
        return;
    }
    link.truncate(length);
    const Target decision = checkTarget(target->get(), name, targetPath, sourcePath);
    if (decision == Target::Stop)
        return;
    if (decision == Target::Skip) {
        itemDone();
        return;
    }
    QByteArray tempName;
    int error = EEXIST;
    for (int attempt = 0; attempt < kTempNameAttempts && error == EEXIST; ++attempt) {
        tempName = nextTempName();
        error = ::symlinkat(link.constData(), target->get(), tempName.constData()) == 0 ? 0 : errno;
    }
    if (error != 0) {
        fail(sourcePath,
             QStringLiteral("cannot write to %1: %2").arg(QFile::decodeName(targetPath), ErrorText(error)));
        itemDone();
        return;
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::utimensat(target->get(), tempName.constData(), times, AT_SYMLINK_NOFOLLOW);
    queue_.addLink(target, tempName, name, decision == Target::Replace, QFile::decodeName(sourcePath));
    itemDone();
}

bool Copier::cancelled() {
    if (!aborted_ && observer_.cancelRequested())
        aborted_ = true;
    return aborted_;
}

void Copier::fail(const QByteArray& path, const QString& reason) {
    report_.failures.push_back({QFile::decodeName(path), reason});
}

void Copier::itemDone(std::int64_t skippedBytes) {
    progress_.doneItems = std::min(SaturatingAdd(progress_.doneItems, 1), progress_.totalItems);
    progress_.doneBytes = std::min(SaturatingAdd(progress_.doneBytes, skippedBytes), progress_.totalBytes);
    observer_.progress(progress_);
}

} // namespace

CopyReport CopyItem(const MediumPath& source, const QByteArray& destinationFolder, CopyObserver& observer) {
    Copier copier(observer);
    return copier.run(source, destinationFolder);
}

} // namespace mendor
