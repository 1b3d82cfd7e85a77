#pragma once
// Copies written under temporary names wait here until they are on the disk and can take their
// real names, a batch at a time: one flush of the file system serves a whole batch, where a flush
// per file would cost a journal commit and a disk cache flush for every file. A file gets its
// real name only after its data has reached the disk, so a crash or a full disk never leaves a
// copy that looks complete and is not. Folders created by the copy get their permissions and
// times when everything inside them is in place (a rename into a folder changes its times).
//
// A batch is flushed and renamed on a thread of its own while the copy goes on filling the next
// one, so the copy waits for the disk only when the disk is slower than the copying.
#include "platform/MediumFile.h"
#include "retrieve/CopyObserver.h"

#include <memory>
#include <QByteArray>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace mendor {

class CommitQueue {
public:
    /// A destination folder, kept open while anything waits to go into it.
    using Folder = std::shared_ptr<const FileDescriptor>;

    CommitQueue() = default;
    /// Whatever is still queued is removed, never given its real name.
    ~CommitQueue();
    CommitQueue(const CommitQueue&) = delete;
    CommitQueue& operator=(const CommitQueue&) = delete;

    /// A file written completely under tempName in folder; it is flushed through file and renamed
    /// to finalName, replacing an entry of that name only when replace is set.
    void addFile(Folder folder, FileDescriptor file, QByteArray tempName, QByteArray finalName, bool replace,
                 std::int64_t bytes, QString displayPath);
    /// A symbolic link created under tempName (nothing to flush).
    void addLink(Folder folder, QByteArray tempName, QByteArray finalName, bool replace, QString displayPath);
    /// A folder the copy created, whose entries are all queued or in place.
    void addFinishedFolder(Folder folder, mode_t mode, const struct timespec (&times)[2]);

    /// Hands the batch gathered so far to be committed when it is big enough; waits only while
    /// the batch before it is still being committed.
    void commitIfFull();

    /// Commits everything still queued and waits until it is in place; what fails is removed and
    /// appended to failures. Returns the number of files and links put in place.
    std::int64_t finish(std::vector<CopyFailure>& failures);

private:
    struct Entry {
        Folder folder;
        FileDescriptor file; ///< not open for a link
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

    struct Batch {
        std::vector<Entry> entries;
        std::vector<FinishedFolder> folders;
        std::int64_t bytes = 0;
    };

    void submit();
    /// Flushes a batch, renames its files and finishes its folders (on the committing thread).
    void commit(Batch& batch);

    Batch batch_;
    std::thread committer_; ///< commits one batch; only it touches failures_ and placed_ meanwhile
    std::vector<CopyFailure> failures_;
    std::int64_t placed_ = 0;
};

} // namespace mendor
