#pragma once
// The copy commands of both lists: quick copy to the desktop and copy to a chosen folder. Each
// selected item in turn is found on its volume (asking for its drive while it is not there) and
// copied; a cancelled drive prompt ends the command, and the items copied before it stay.
#include "retrieve/CopyObserver.h"
#include "retrieve/ItemFinder.h"
#include "retrieve/RetrieveItem.h"
#include "shell/Prompter.h"

#include <QString>
#include <vector>

namespace mendor {

inline const QString kCopyAbortedMessage = QStringLiteral("Copy operation aborted...");
inline const QString kCopyFailedMessage = QStringLiteral("Copy operation Failed");

/// Runs the copy of one found item: the desktop program on a worker thread behind its progress
/// dialog, the command-line tool and tests on the calling thread.
class CopyRunner {
public:
    virtual ~CopyRunner() = default;
    virtual CopyReport copy(const MediumPath& source, const QString& destinationFolder) = 0;
};

struct CopyCommandResult {
    int copied = 0; ///< items whose copy completed
    bool promptCancelled = false;
    bool aborted = false; ///< some copy was cancelled
    bool failed = false;  ///< some copy left entries behind
};

/// ShellCopy for each item in order: "Copy operation aborted..." after a cancelled copy, "Copy
/// operation Failed" after one whose entries did not all make it.
CopyCommandResult CopyItemsTo(const std::vector<RetrieveItem>& items, const QString& destinationFolder,
                              ItemFinder& finder, CopyRunner& runner, Prompter& prompter);

/// The same into the desktop folder (created when missing).
CopyCommandResult QuickCopy(const std::vector<RetrieveItem>& items, ItemFinder& finder, CopyRunner& runner,
                            Prompter& prompter);

} // namespace mendor
