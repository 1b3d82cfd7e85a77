#include "retrieve/CopyCommands.h"

#include "retrieve/DesktopFolder.h"

#include <QDir>

namespace mendor {

CopyCommandResult CopyItemsTo(const std::vector<RetrieveItem>& items, const QString& destinationFolder,
                              ItemFinder& finder, CopyRunner& runner, Prompter& prompter) {
    CopyCommandResult result;
    const QString destination = QDir::cleanPath(destinationFolder);
    for (const RetrieveItem& item : items) {
        const std::optional<FoundItem> found = finder.find(item.sourcePath, item.isFolder);
        if (!found) {
            result.promptCancelled = true;
            break;
        }
        const CopyReport report = runner.copy(found->medium, destination);
        switch (report.outcome) {
        case CopyOutcome::Completed:
            ++result.copied;
            break;
        case CopyOutcome::Aborted:
            result.aborted = true;
            prompter.message(kCopyAbortedMessage);
            break;
        case CopyOutcome::Failed:
            result.failed = true;
            prompter.message(kCopyFailedMessage);
            break;
        }
    }
    return result;
}

CopyCommandResult QuickCopy(const std::vector<RetrieveItem>& items, ItemFinder& finder, CopyRunner& runner,
                            Prompter& prompter) {
    const std::optional<QString> desktop = DesktopFolder(prompter);
    if (!desktop) {
        CopyCommandResult result;
        result.failed = true;
        return result;
    }
    return CopyItemsTo(items, *desktop, finder, runner, prompter);
}

} // namespace mendor
