#pragma once
// What a copy tells and asks while it runs: progress, the question before an existing file is
// replaced, and whether the user has cancelled. The copy calls these on the thread it runs on
// (the desktop program's worker thread), so an implementation hands them to its own thread.
#include <cstdint>
#include <QString>
#include <vector>

namespace mendor {

enum class OverwriteAnswer { Yes, YesToAll, No, Cancel };

struct CopyProgress {
    std::int64_t totalBytes = 0; ///< of the regular files counted before the copy began
    std::int64_t doneBytes = 0;
    std::int64_t totalItems = 0; ///< files, folders and links
    std::int64_t doneItems = 0;
    QString currentName; ///< the entry being copied; empty while counting
};

class CopyObserver {
public:
    virtual ~CopyObserver() = default;

    /// Something moved; called often (after every chunk of a large file).
    virtual void progress(const CopyProgress& progress) = 0;

    /// The file destinationPath exists: may the one being copied replace it? Blocks until answered.
    virtual OverwriteAnswer confirmOverwrite(const QString& destinationPath) = 0;

    /// Polled between chunks and entries; true stops the copy.
    virtual bool cancelRequested() = 0;
};

/// An entry that could not be copied, and why.
struct CopyFailure {
    QString path;
    QString reason;
};

enum class CopyOutcome {
    Completed, ///< everything was copied or, by the user's answer, left as it was
    Aborted,   ///< cancelled; what was complete before stays, nothing partial does
    Failed,    ///< the rest was copied, the failures were not
};

struct CopyReport {
    CopyOutcome outcome = CopyOutcome::Completed;
    std::vector<CopyFailure> failures;
    std::int64_t copiedFiles = 0; ///< regular files and links put in place
    std::int64_t copiedBytes = 0;
};

} // namespace mendor
