#pragma once
// The retrieval commands as the lists run them: quick copy to the desktop, copy to a new
// location through frmBrowse / frmBrowse2, and open. Each is handed the selected items; what it
// asks and shows goes through seams that default to the desktop's dialogs, so tests can script
// the drive prompt, run copies directly and record what is opened.
#include "catalog/ui/DriveSource.h"
#include "retrieve/CopyCommands.h"
#include "retrieve/ItemFinder.h"
#include "retrieve/ItemOpener.h"
#include "retrieve/RetrieveItem.h"

#include <vector>

class QWidget;

namespace mendor {

class Prompter;

struct RetrieveSetup {
    QWidget* window = nullptr; ///< parent of the dialogs
    DriveSource drives = DriveSource::system();
    Prompter* prompter = nullptr;     ///< null: message boxes
    DriveChooser* chooser = nullptr;  ///< null: the "Choose Drive" prompt
    CopyRunner* runner = nullptr;     ///< null: copies behind the progress dialog
    ItemLauncher* launcher = nullptr; ///< null: the desktop's services
};

class RetrieveActions {
public:
    explicit RetrieveActions(RetrieveSetup setup);

    /// quick_copy, s_quick_copy.
    void quickCopy(const std::vector<RetrieveItem>& items);
    /// copy_item (dialogName frmBrowse), s_copy_items (frmBrowse2): the dialog opens on the
    /// desktop folder; each OK copies the items into the folder chosen.
    void copyToNewLocation(const std::vector<RetrieveItem>& items, const QString& dialogName);
    /// The double-click on an item: OpenItem(folderPath, name).
    void openItem(const QString& folderPath, const QString& name);

private:
    RetrieveSetup setup_;
};

} // namespace mendor
