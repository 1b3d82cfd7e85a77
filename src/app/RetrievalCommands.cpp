#include "app/RetrievalCommands.h"

#include "app/MainWindow.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "retrieve/ui/BrowseSelection.h"
#include "retrieve/ui/CopyDestinationDialog.h"

namespace mendor {

RetrievalCommands::RetrievalCommands(CatalogTree& tree, ContentList& list, RetrieveSetup setup,
                                     QObject* parent)
    : QObject(parent), tree_(tree), list_(list), actions_(std::move(setup)) {
    list_.enableItemCommand(QStringLiteral("copy_item"));
    list_.enableItemCommand(QStringLiteral("quick_copy"));
    connect(&list_, &ContentList::itemCommand, this, &RetrievalCommands::runItemCommand);
    connect(&list_, &ContentList::openFileRequested, this, &RetrievalCommands::openFile);
}

void RetrievalCommands::runItemCommand(const QString& command) {
    if (command == QLatin1String("copy_item"))
        actions_.copyToNewLocation(SelectedBrowseItems(tree_, list_), CopyDestinationDialog::kBrowseListName);
    else if (command == QLatin1String("quick_copy"))
        actions_.quickCopy(SelectedBrowseItems(tree_, list_));
}

void RetrievalCommands::openFile(const QString& key) {
    const BrowseOpenTarget target = OpenTargetOf(tree_, list_, key);
    if (!target.folderPath.isEmpty())
        actions_.openItem(target.folderPath, target.name);
}

RetrievalCommands* InstallRetrievalCommands(MainWindow& window) {
    RetrieveSetup setup;
    setup.window = &window;
    return new RetrievalCommands(*window.contentsTree(), *window.listView(), std::move(setup), &window);
}

} // namespace mendor
