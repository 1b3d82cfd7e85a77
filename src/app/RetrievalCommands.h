#pragma once
// The commands that get catalogued items back from their volume: the browse list's "Copy
// item(s) to a new location..." and "Quick Copy item(s) to your Desktop", the search result
// list's "Quick copy item(s) to your desktop" and "Copy item(s) to a new location", and the
// double-click on either list that opens an item.
//
//     InstallRetrievalCommands(window);   // once, when the main window is built
#include "retrieve/ui/RetrieveActions.h"

#include <QObject>

namespace mendor {

class CatalogTree;
class ContentList;
class MainWindow;
class ResultList;

class RetrievalCommands : public QObject {
    Q_OBJECT
public:
    /// Offers the copy commands in the list's item menu and connects them and the list's
    /// double-click open to the actions.
    RetrievalCommands(CatalogTree& tree, ContentList& list, RetrieveSetup setup, QObject* parent = nullptr);

    /// Offers the copy commands in the search result list's menu and connects them and its
    /// double-click open to the actions.
    void addSearchList(ResultList& results);

    RetrieveActions& actions() { return actions_; }

private:
    void runItemCommand(const QString& command);
    void openFile(const QString& key);
    void runSearchCommand(const QString& command);

    CatalogTree& tree_;
    ContentList& list_;
    ResultList* results_ = nullptr;
    RetrieveActions actions_;
};

RetrievalCommands* InstallRetrievalCommands(MainWindow& window);

} // namespace mendor
