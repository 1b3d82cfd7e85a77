#pragma once
// The commands of the main window that create, catalogue, rename, describe, move, delete and
// compact: the toolbar buttons "catalog", "newdb" and "compact", the "Database" and "Volume"
// popup menus and the Delete key of the catalog tree, the tree's label edit (renaming a
// database or a volume in place) and the content list's "&Item" menu. Each command calls the
// store's operation and then brings the tree and the list up to date.
//
//     InstallCatalogCommands(window);   // once, when the main window is built
#include "catalog/ui/DriveSource.h"

#include <functional>
#include <memory>
#include <QObject>
#include <vector>

class QWidget;

namespace mendor {

class CatalogTree;
class ContentList;
class DialogPrompter;
class MainWindow;
class MainWindowServices;
class Prompter;
struct SelectedItem;

struct CatalogCommandsContext {
    QWidget* window; ///< parent of the dialogs
    MainWindowServices& services;
    CatalogTree& tree;
    ContentList& list;
    /// Asks and reports; null: message boxes over the window (and over each dialog).
    Prompter* prompter = nullptr;
    /// Fills the catalog tree and the search pane's volume chooser again (after a catalog run).
    std::function<void()> refreshCatalogs;
    DriveSource drives = DriveSource::system();
};

class CatalogCommands : public QObject {
    Q_OBJECT
public:
    static const QString kRootRenameMessage;
    static const QString kRootRenameTitle;

    /// Connects itself to the tree's menus, Delete key and label edits and to the list's menu.
    explicit CatalogCommands(CatalogCommandsContext context, QObject* parent = nullptr);
    ~CatalogCommands() override;

    /// "newdb": asks for a name and creates the database.
    void newDatabase();
    /// "catalog": the catalog dialog, with the database of the selected tree node preselected.
    void showCatalogDialog();
    /// "compact": repairs and compacts every database of the data folder.
    void compactAllDatabases();

    /// A command of the "Database" or "Volume" menu on the node of key.
    void runTreeCommand(const QString& command, const QString& key);
    /// Delete pressed on a database or volume node.
    void deleteNode(const QString& key);
    /// The label of the node of key was edited from oldText to newText: renames the database or
    /// volume, or refuses with a message and leaves the label as it was.
    void renameNode(const QString& key, const QString& oldText, const QString& newText);
    /// A command of the list's "&Item" menu on the selected items.
    void runItemCommand(const QString& command);

private:
    Prompter& prompter() const;
    std::vector<SelectedItem> selectedItems() const;
    void compactDatabase(const QString& key);
    void moveVolume(const QString& key);
    /// "Verify Volume...": the medium in a chosen drive compared with the volume's database.
    void verifyVolume(const QString& key);
    void renameDatabase(const QString& key, const QString& newName);
    void renameVolume(const QString& key, const QString& newName);
    void describeItems();
    void deleteItems();

    CatalogCommandsContext context_;
    std::unique_ptr<DialogPrompter> ownPrompter_;
};

/// Creates the commands for the main window, adds their toolbar buttons and connects them.
CatalogCommands* InstallCatalogCommands(MainWindow& window);

} // namespace mendor
