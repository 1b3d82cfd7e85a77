#include "retrieve/CommitQueue.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>

namespace mendor {

namespace {

constexpr std::size_t kMaxEntries = 128;
constexpr std::int64_t kMaxBytes = std::int64_t(256) << 20;
constexpr std::size_t kMaxFolders = 128;

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

/// Renames, refusing to replace an entry unless replace is set; file systems that cannot rename
/// that way are asked first whether the name is free.
int RenameInto(int folder, const QByteArray& from, const QByteArray& to, bool replace) {
    if (replace)
        return ::renameat(folder, from.constData(), folder, to.constData()) == 0 ? 0 : errno;
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat existing {};
    if (::fstatat(folder, to.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(folder, from.constData(), folder, to.constData()) == 0 ? 0 : errno;
}

} // namespace

CommitQueue::~CommitQueue() {
    for (Entry& entry : entries_)
        ::unlinkat(entry.folder->get(), entry.tempName.constData(), 0);
}

void CommitQueue::addFile(Folder folder, UniqueFd file, QByteArray tempName, QByteArray finalName,
                          bool replace, std::int64_t bytes, QString displayPath) {
    entries_.push_back({std::move(folder), std::move(file), std::move(tempName), std::move(finalName),
                        replace, std::move(displayPath)});
    bytes_ += bytes;
}

void CommitQueue::addLink(Folder folder, QByteArray tempName, QByteArray finalName, bool replace,
                          QString displayPath) {
    entries_.push_back({std::move(folder), UniqueFd(), std::move(tempName), std::move(finalName), replace,
                        std::move(displayPath)});
}

void CommitQueue::addFinishedFolder(Folder folder, mode_t mode, const struct timespec (&times)[2]) {
    FinishedFolder finished{std::move(folder), mode, {times[0], times[1]}};
    folders_.push_back(std::move(finished));
}

bool CommitQueue::full() const {
    return entries_.size() >= kMaxEntries || bytes_ >= kMaxBytes || folders_.size() >= kMaxFolders;
}

std::int64_t CommitQueue::flush(std::vector<CopyFailure>& failures) {
    std::int64_t placed = 0;
    auto drop = [&](Entry& entry, const QString& reason) {
        ::unlinkat(entry.folder->get(), entry.tempName.constData(), 0);
        failures.push_back({entry.displayPath, reason});
        entry.tempName.clear();
    };
    for (Entry& entry : entries_) {
        if (!entry.file.valid())
            continue;
        if (::fdatasync(entry.file.get()) != 0 || entry.file.close() != 0)
            drop(entry, ErrorText(errno));
    }
    for (Entry& entry : entries_) {
        if (entry.tempName.isEmpty())
            continue;
        if (const int error =
                RenameInto(entry.folder->get(), entry.tempName, entry.finalName, entry.replace)) {
            drop(entry, error == EEXIST ? QStringLiteral("another file of this name appeared meanwhile")
                                        : ErrorText(error));
            continue;
        }
        ++placed;
    }
    entries_.clear();
    bytes_ = 0;
    // Permissions and times are kept where the file system allows; a folder on one that does not
    // (FAT) is still complete.
    for (const FinishedFolder& finished : folders_) {
        ::fchmod(finished.folder->get(), finished.mode);
        ::futimens(finished.folder->get(), finished.times);
    }
    folders_.clear();
    return placed;
}

} // namespace mendor
