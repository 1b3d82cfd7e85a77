#include "retrieve/ui/RetrieveActions.h"

#include "retrieve/DesktopFolder.h"
#include "retrieve/ui/CopyDestinationDialog.h"
#include "retrieve/ui/DesktopRetrieval.h"
#include "shell/ui/DialogPrompter.h"

namespace mendor {

namespace {

/// What one command asks and shows through: the setup's seams, or else the desktop's dialogs
/// over parent (the window, or the copy dialog while it is open, so that they show above it).
class CommandSeams {
public:
    CommandSeams(const RetrieveSetup& setup, QWidget* parent)
        : setup_(setup), dialogPrompter_(parent), dialogChooser_(setup.drives, parent),
          dialogRunner_(parent) {}

    Prompter& prompter() { return setup_.prompter != nullptr ? *setup_.prompter : dialogPrompter_; }
    CopyRunner& runner() { return setup_.runner != nullptr ? *setup_.runner : dialogRunner_; }
    ItemFinder finder() {
        return ItemFinder(setup_.drives.loadDrives, setup_.chooser != nullptr
                                                        ? *setup_.chooser
                                                        : static_cast<DriveChooser&>(dialogChooser_));
    }

private:
    const RetrieveSetup& setup_;
    DialogPrompter dialogPrompter_;
    DialogDriveChooser dialogChooser_;
    DialogCopyRunner dialogRunner_;
};

} // namespace

RetrieveActions::RetrieveActions(RetrieveSetup setup) : setup_(std::move(setup)) {}

void RetrieveActions::quickCopy(const std::vector<RetrieveItem>& items) {
    if (items.empty())
        return;
    CommandSeams seams(setup_, setup_.window);
    ItemFinder finder = seams.finder();
    QuickCopy(items, finder, seams.runner(), seams.prompter());
}

void RetrieveActions::copyToNewLocation(const std::vector<RetrieveItem>& items, const QString& dialogName) {
    if (items.empty())
        return;
    CommandSeams windowSeams(setup_, setup_.window);
    const std::optional<QString> desktop = DesktopFolder(windowSeams.prompter());
    if (!desktop)
        return;
    CopyDestinationDialog dialog(dialogName, setup_.drives, *desktop, {}, setup_.window);
    CommandSeams seams(setup_, &dialog);
    dialog.setCopyAction([&](const QString& folder) {
        ItemFinder finder = seams.finder();
        CopyItemsTo(items, folder, finder, seams.runner(), seams.prompter());
    });
    dialog.exec();
}

void RetrieveActions::openItem(const QString& folderPath, const QString& name) {
    CommandSeams seams(setup_, setup_.window);
    ItemFinder finder = seams.finder();
    DesktopLauncher desktop;
    OpenItem(folderPath, name, finder, setup_.launcher != nullptr ? *setup_.launcher : desktop);
}

} // namespace mendor
