#pragma once
// The commands that get catalogued items back from their volume: the browse list's "Copy
// item(s) to a new location..." and "Quick Copy item(s) to your Desktop", and the double-click
// that opens a file.
//
//     InstallRetrievalCommands(window);   // once, when the main window is built
#include "retrieve/ui/RetrieveActions.h"

#include <QObject>

namespace mendor {

class CatalogTree;
class ContentList;
class MainWindow;

class RetrievalCommands : public QObject {
    Q_OBJECT
public:
    /// Offers the copy commands in the list's item menu and connects them and the list's
    /// double-click open to the actions.
    RetrievalCommands(CatalogTree& tree, ContentList& list, RetrieveSetup setup, QObject* parent = nullptr);

    RetrieveActions& actions() { return actions_; }

private:
    void runItemCommand(const QString& command);
    void openFile(const QString& key);

    CatalogTree& tree_;
    ContentList& list_;
    RetrieveActions actions_;
};

RetrievalCommands* InstallRetrievalCommands(MainWindow& window);

} // namespace mendor
