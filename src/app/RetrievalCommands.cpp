#include "app/RetrievalCommands.h"

#include "app/MainWindow.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "retrieve/ui/BrowseSelection.h"
#include "retrieve/ui/CopyDestinationDialog.h"
#include "search/ui/ResultList.h"

namespace mendor {

namespace {

// A result is found by its location as the list shows it (ending in "\") and its name; a folder
// by its type column.
std::vector<RetrieveItem> SelectedSearchItems(const ResultList& results) {
    std::vector<RetrieveItem> items;
    for (const ResultRow& row : results.selectedResults())
        items.push_back({ResultText(row, 2) + row.name, IsSearchListFolder(ResultText(row, 4))});
    return items;
}

} // namespace

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

void RetrievalCommands::addSearchList(ResultList& results) {
    results_ = &results;
    results.enableItemCommand(QStringLiteral("s_quick_copy"));
    results.enableItemCommand(QStringLiteral("s_copy_items"));
    connect(&results, &ResultList::itemCommand, this, &RetrievalCommands::runSearchCommand);
    connect(&results, &ResultList::openRequested, this,
            [this](const ResultRow& row) { actions_.openItem(ResultText(row, 2), row.name); });
}

void RetrievalCommands::runSearchCommand(const QString& command) {
    if (command == QLatin1String("s_quick_copy"))
        actions_.quickCopy(SelectedSearchItems(*results_));
    else if (command == QLatin1String("s_copy_items"))
        actions_.copyToNewLocation(SelectedSearchItems(*results_), CopyDestinationDialog::kSearchListName);
}

RetrievalCommands* InstallRetrievalCommands(MainWindow& window) {
    RetrieveSetup setup;
    setup.window = &window;
    auto* commands =
        new RetrievalCommands(*window.contentsTree(), *window.listView(), std::move(setup), &window);
    commands->addSearchList(*window.searchView());
    return commands;
}

} // namespace mendor
