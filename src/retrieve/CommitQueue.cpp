#include "retrieve/CommitQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <utility>

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
    if (committer_.joinable())
        committer_.join();
    for (Entry& entry : batch_.entries)
        ::unlinkat(entry.folder->get(), entry.tempName.constData(), 0);
}

void CommitQueue::addFile(Folder folder, FileDescriptor file, QByteArray tempName, QByteArray finalName,
                          bool replace, std::int64_t bytes, QString displayPath) {
    batch_.entries.push_back({std::move(folder), std::move(file), std::move(tempName), std::move(finalName),
                              replace, std::move(displayPath)});
    batch_.bytes += bytes;
}

void CommitQueue::addLink(Folder folder, QByteArray tempName, QByteArray finalName, bool replace,
                          QString displayPath) {
    batch_.entries.push_back({std::move(folder), FileDescriptor(), std::move(tempName), std::move(finalName),
                              replace, std::move(displayPath)});
}

void CommitQueue::addFinishedFolder(Folder folder, mode_t mode, const struct timespec (&times)[2]) {
    FinishedFolder finished{std::move(folder), mode, {times[0], times[1]}};
    batch_.folders.push_back(std::move(finished));
}

void CommitQueue::commitIfFull() {
    if (batch_.entries.size() >= kMaxEntries || batch_.bytes >= kMaxBytes ||
        batch_.folders.size() >= kMaxFolders)
        submit();
}

std::int64_t CommitQueue::finish(std::vector<CopyFailure>& failures) {
    if (!batch_.entries.empty() || !batch_.folders.empty())
        submit();
    if (committer_.joinable())
        committer_.join();
    failures.insert(failures.end(), failures_.begin(), failures_.end());
    failures_.clear();
    return std::exchange(placed_, 0);
}

void CommitQueue::submit() {
    if (committer_.joinable())
        committer_.join();
    committer_ = std::thread([this, batch = std::move(batch_)]() mutable { commit(batch); });
    batch_ = Batch();
}

void CommitQueue::commit(Batch& batch) {
    auto drop = [&](Entry& entry, const QString& reason) {
        ::unlinkat(entry.folder->get(), entry.tempName.constData(), 0);
        failures_.push_back({entry.displayPath, reason});
        entry.tempName.clear();
    };
    // One flush of each file system serves the whole batch: a flush per file would make the disk
    // empty its cache once for every file. Each file's own write-back errors are collected after it.
    std::vector<std::pair<dev_t, int>> flushed;
    for (Entry& entry : batch.entries) {
        if (!entry.file.isOpen())
            continue;
        struct stat status {};
        int error = ::fstat(entry.file.get(), &status) == 0 ? 0 : errno;
        if (error == 0) {
            auto found = std::find_if(flushed.begin(), flushed.end(),
                                      [&](const auto& device) { return device.first == status.st_dev; });
            if (found == flushed.end())
                found = flushed.insert(flushed.end(),
                                       {status.st_dev, ::syncfs(entry.file.get()) == 0 ? 0 : errno});
            error = found->second;
        }
        if (error == 0 && ::sync_file_range(entry.file.get(), 0, 0,
                                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                                SYNC_FILE_RANGE_WAIT_AFTER) != 0)
            error = errno;
        if (error == 0 && ::close(entry.file.release()) != 0)
            error = errno;
        if (error != 0)
            drop(entry, ErrorText(error));
    }
    for (Entry& entry : batch.entries) {
        if (entry.tempName.isEmpty())
            continue;
        if (const int error =
                RenameInto(entry.folder->get(), entry.tempName, entry.finalName, entry.replace)) {
            drop(entry, error == EEXIST ? QStringLiteral("another file of this name appeared meanwhile")
                                        : ErrorText(error));
            continue;
        }
        ++placed_;
    }
    // Permissions and times are kept where the file system allows; a folder on one that does not
    // (FAT) is still complete.
    for (const FinishedFolder& finished : batch.folders) {
        ::fchmod(finished.folder->get(), finished.mode);
        ::futimens(finished.folder->get(), finished.times);
    }
}

} // namespace mendor
