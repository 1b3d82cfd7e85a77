#pragma once
// Copies written under temporary names wait here until they are on the disk and can take their
// real names, a batch at a time: flushing a batch of files one after the other costs the file
// system about one journal commit, where a flush per file would cost one each. A file gets its
// real name only after its data has reached the disk, so a crash or a full disk never leaves a
// copy that looks complete and is not. Folders created by the copy get their permissions and
// times when everything inside them is in place (a rename into a folder changes its times).
#include "retrieve/CopyObserver.h"
#include "retrieve/UniqueFd.h"

#include <memory>
#include <QByteArray>
#include <sys/stat.h>
#include <vector>

namespace mendor {

class CommitQueue {
public:
    /// A destination folder, kept open while anything waits to go into it.
    using Folder = std::shared_ptr<const UniqueFd>;

    CommitQueue() = default;
    /// Whatever is still queued is removed, never given its real name.
    ~CommitQueue();
    CommitQueue(const CommitQueue&) = delete;
    CommitQueue& operator=(const CommitQueue&) = delete;

    /// A file written completely under tempName in folder; it is flushed through file and renamed
    /// to finalName, replacing an entry of that name only when replace is set.
    void addFile(Folder folder, UniqueFd file, QByteArray tempName, QByteArray finalName, bool replace,
                 std::int64_t bytes, QString displayPath);
    /// A symbolic link created under tempName (nothing to flush).
    void addLink(Folder folder, QByteArray tempName, QByteArray finalName, bool replace, QString displayPath);
    /// A folder the copy created, whose entries are all queued or in place.
    void addFinishedFolder(Folder folder, mode_t mode, const struct timespec (&times)[2]);

    /// Enough waits that the next flush should come now.
    bool full() const;

    /// Puts everything queued in place; what fails is removed and listed in failures.
    /// Returns the number of files and links put in place.
    std::int64_t flush(std::vector<CopyFailure>& failures);

private:
    struct Entry {
        Folder folder;
        UniqueFd file; ///< invalid for a link
        QByteArray tempName;
        QByteArray finalName;
        bool replace = false;
        QString displayPath;
    };
    struct FinishedFolder {
        Folder folder;
        mode_t mode = 0;
        struct timespec times[2]{};
    };

    std::vector<Entry> entries_;
    std::vector<FinishedFolder> folders_;
    std::int64_t bytes_ = 0;
};

} // namespace mendor
