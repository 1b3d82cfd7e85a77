#include "retrieve/ui/RetrieveActions.h"

#include "retrieve/DesktopFolder.h"
#include "retrieve/ui/CopyDestinationDialog.h"
#include "retrieve/ui/DesktopRetrieval.h"
#include "shell/ui/DialogPrompter.h"

namespace mendor {

RetrieveActions::RetrieveActions(RetrieveSetup setup) : setup_(std::move(setup)) {
    if (setup_.prompter == nullptr) {
        ownPrompter_ = std::make_unique<DialogPrompter>(setup_.window);
        setup_.prompter = ownPrompter_.get();
    }
    if (setup_.chooser == nullptr) {
        ownChooser_ = std::make_unique<DialogDriveChooser>(setup_.drives, setup_.window);
        setup_.chooser = ownChooser_.get();
    }
    if (setup_.runner == nullptr) {
        ownRunner_ = std::make_unique<DialogCopyRunner>(setup_.window);
        setup_.runner = ownRunner_.get();
    }
    if (setup_.launcher == nullptr) {
        ownLauncher_ = std::make_unique<DesktopLauncher>();
        setup_.launcher = ownLauncher_.get();
    }
}

RetrieveActions::~RetrieveActions() = default;

ItemFinder RetrieveActions::finder() {
    return ItemFinder(setup_.drives.loadDrives, *setup_.chooser);
}

void RetrieveActions::quickCopy(const std::vector<RetrieveItem>& items) {
    if (items.empty())
        return;
    ItemFinder itemFinder = finder();
    QuickCopy(items, itemFinder, *setup_.runner, *setup_.prompter);
}

void RetrieveActions::copyToNewLocation(const std::vector<RetrieveItem>& items, const QString& dialogName) {
    if (items.empty())
        return;
    const std::optional<QString> desktop = DesktopFolder(*setup_.prompter);
    if (!desktop)
        return;
    CopyDestinationDialog dialog(
        dialogName, setup_.drives, *desktop,
        [this, &items](const QString& folder) {
            ItemFinder itemFinder = finder();
            CopyItemsTo(items, folder, itemFinder, *setup_.runner, *setup_.prompter);
        },
        setup_.window);
    dialog.exec();
}

void RetrieveActions::openItem(const QString& folderPath, const QString& name) {
    ItemFinder itemFinder = finder();
    OpenItem(folderPath, name, itemFinder, *setup_.launcher);
}

} // namespace mendor
