#include "app/CatalogCommands.h"

#include "app/MainWindow.h"
#include "browse/NodeKeys.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "catalog/ui/CatalogDialog.h"
#include "catalog/ui/VerifyDialog.h"
#include "shell/ui/DialogPrompter.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"
#include "store/ui/DatabaseNameDialog.h"
#include "store/ui/MoveVolumeDialog.h"
#include "store/ui/StatusPanelSink.h"
#include "store/VolumeMaintenance.h"

#include <array>
#include <QApplication>
#include <QTreeWidgetItemIterator>

namespace mendor {

namespace {

constexpr int kStatusPanels = 5;

/// The five status panel texts, put back when the operation ends.
class SavedStatusTexts {
public:
    explicit SavedStatusTexts(MainWindowServices& services) : services_(services) {
        for (int panel = 1; panel <= kStatusPanels; ++panel)
            texts_[panel - 1] = services_.statusText(panel);
    }
    ~SavedStatusTexts() {
        for (int panel = 1; panel <= kStatusPanels; ++panel)
            services_.setStatusText(panel, texts_[panel - 1]);
    }
    SavedStatusTexts(const SavedStatusTexts&) = delete;
    SavedStatusTexts& operator=(const SavedStatusTexts&) = delete;

private:
    MainWindowServices& services_;
    std::array<QString, kStatusPanels> texts_;
};

/// The hourglass pointer while an operation runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString databaseNameOfKey(const QString& key) {
    const QString file = DbFileNameFromKey(key);
    return file.left(file.size() - 4);
}

} // namespace

const QString CatalogCommands::kRootRenameMessage = QStringLiteral("You cannot rename the Mendor object...");
const QString CatalogCommands::kRootRenameTitle = QStringLiteral("Attention");

CatalogCommands::CatalogCommands(CatalogCommandsContext context, QObject* parent)
    : QObject(parent), context_(std::move(context)) {
    if (context_.prompter == nullptr)
        ownPrompter_ = std::make_unique<DialogPrompter>(context_.window);
    connect(&context_.tree, &CatalogTree::menuCommand, this, &CatalogCommands::runTreeCommand);
    connect(&context_.tree, &CatalogTree::deleteRequested, this, &CatalogCommands::deleteNode);
    // After the editor has closed: a rename rebuilds the tree the editor belongs to.
    connect(&context_.tree, &CatalogTree::labelEdited, this, &CatalogCommands::renameNode,
            Qt::QueuedConnection);
    connect(&context_.list, &ContentList::itemCommand, this, &CatalogCommands::runItemCommand);
    context_.list.enableItemCommand(QStringLiteral("delete_item"));
    context_.list.enableItemCommand(QStringLiteral("describe_item"));
}

CatalogCommands::~CatalogCommands() = default;

Prompter& CatalogCommands::prompter() const {
    return context_.prompter != nullptr ? *context_.prompter : *ownPrompter_;
}

void CatalogCommands::newDatabase() {
    context_.services.pause(25);
    const QString name = DatabaseNameDialog::AskDatabaseName(context_.window);
    if (name.isEmpty())
        return;
    if (!NewDatabase(name, prompter()).isEmpty())
        context_.tree.RefreshCatalogTree();
}

void CatalogCommands::showCatalogDialog() {
    CatalogDialogSetup setup;
    setup.drives = context_.drives;
    setup.prompter = context_.prompter;
    setup.selectedNodeKey = context_.tree.selectedKey();
    setup.refreshCatalogs = context_.refreshCatalogs;
    CatalogDialog::Show(std::move(setup), context_.window);
}

void CatalogCommands::compactAllDatabases() {
    StatusPanelSink sink(context_.services);
    {
        const SavedStatusTexts saved(context_.services);
        const WaitCursor wait;
        CompactAllDatabases(prompter(), sink);
    }
    context_.services.pause(25);
}

void CatalogCommands::runTreeCommand(const QString& command, const QString& key) {
    if (command == QLatin1String("delete_database") || command == QLatin1String("delete_volume"))
        deleteNode(key);
    else if (command == QLatin1String("compact_database"))
        compactDatabase(key);
    else if (command == QLatin1String("describe_volume"))
        DescribeVolume(key, context_.tree.nodeText(key), prompter());
    else if (command == QLatin1String("move_volume"))
        moveVolume(key);
    else if (command == QLatin1String("verify_volume"))
        verifyVolume(key);
}

void CatalogCommands::verifyVolume(const QString& key) {
    VerifyDialog dialog(databaseNameOfKey(key), context_.tree.nodeText(key), DriveSource::system(),
                        prompter(), context_.window);
    dialog.exec();
}

void CatalogCommands::deleteNode(const QString& key) {
    switch (NodeKindOfKey(key)) {
    case NodeKind::Database:
        if (DeleteDatabase(key, prompter()) == 1)
            context_.tree.RefreshCatalogTree();
        break;
    case NodeKind::Volume:
        if (DeleteVolume(key, prompter()))
            context_.tree.RefreshCatalogTree();
        break;
    case NodeKind::Root:
    case NodeKind::Folder:
        break;
    }
}

void CatalogCommands::compactDatabase(const QString& key) {
    StatusPanelSink sink(context_.services);
    {
        const WaitCursor wait;
        const SavedStatusTexts saved(context_.services);
        context_.services.pause(25);
        CompactDatabaseFile(key, prompter(), sink);
    }
    context_.services.pause(25);
}

void CatalogCommands::moveVolume(const QString& key) {
    bool moved = false;
    StatusPanelSink sink(context_.services);
    MoveVolumeDialog::MoveInteractively(
        key, prompter(),
        [&](const QString& targetPath) {
            // The lists of the volume are left before its tables go.
            context_.tree.selectNode(kRootKey);
            MoveVolume(key, targetPath, prompter(), sink);
            moved = true;
        },
        context_.window);
    if (moved)
        context_.tree.RefreshCatalogTree();
}

void CatalogCommands::renameNode(const QString& key, const QString& /*oldText*/, const QString& newText) {
    const QString lowered = newText.toLower();
    for (QTreeWidgetItemIterator it(&context_.tree); *it != nullptr; ++it) {
        if (CatalogTree::keyOf(*it) != key && (*it)->text(0).toLower() == lowered) {
            prompter().message(kNameInUseMessage);
            return;
        }
    }
    switch (NodeKindOfKey(key)) {
    case NodeKind::Root:
        prompter().message(kRootRenameMessage, kRootRenameTitle);
        break;
    case NodeKind::Database:
        renameDatabase(key, newText);
        break;
    case NodeKind::Volume:
        renameVolume(key, newText);
        break;
    case NodeKind::Folder:
        break;
    }
}

void CatalogCommands::renameDatabase(const QString& key, const QString& newName) {
    if (!RenameDatabase(databaseNameOfKey(key), newName, prompter()))
        return;
    // Every node of the database carries the file name in its key: the rebuilt tree has the new one.
    CatalogTree& tree = context_.tree;
    tree.RefreshCatalogTree();
    const QString newKey = DatabaseKey(newName);
    if (!tree.selectNode(newKey))
        return;
    context_.list.SetVolumeColumns();
    tree.setCurrentKey(newKey);
    context_.list.ListVolumes();
}

void CatalogCommands::renameVolume(const QString& key, const QString& newName) {
    if (!RenameVolume(key, newName, prompter()))
        return;
    CatalogTree& tree = context_.tree;
    tree.setNodeText(key, newName);
    if (!tree.selectNode(key))
        return;
    context_.list.SetFolderColumns();
    tree.setCurrentKey(key);
    context_.list.ListFolder();
}

std::vector<SelectedItem> CatalogCommands::selectedItems() const {
    const ContentList& list = context_.list;
    const QStringList keys = list.selectedKeys();
    std::vector<SelectedItem> items;
    for (int row = 0; row < list.itemCount(); ++row) {
        const QString key = list.itemKey(row);
        if (keys.contains(key))
            items.push_back({key, list.itemText(row, 0)});
    }
    return items;
}

void CatalogCommands::runItemCommand(const QString& command) {
    if (command == QLatin1String("describe_item"))
        describeItems();
    else if (command == QLatin1String("delete_item"))
        deleteItems();
}

void CatalogCommands::describeItems() {
    const std::vector<SelectedItem> items = selectedItems();
    if (items.empty())
        return;
    const std::vector<ItemDescription> described = DescribeItems(items, prompter());
    if (described.empty())
        return;
    // A folder's description in the list comes from the tree's cached folder row.
    CatalogTree& tree = context_.tree;
    for (const ItemDescription& item : described) {
        if (!IsFileKey(item.key))
            tree.setFolderDescription(item.key, item.description);
    }
    // The list shows what the selected node holds only when it was listed last.
    if (tree.selectedKey() == tree.currentKey())
        context_.list.ListFolder();
}

void CatalogCommands::deleteItems() {
    const std::vector<SelectedItem> items = selectedItems();
    if (items.empty())
        return;
    const QString nodeLabel = context_.tree.nodeText(context_.tree.selectedKey());
    bool deleted = false;
    {
        const SavedStatusTexts saved(context_.services);
        StatusPanelSink sink(context_.services);
        deleted = DeleteItems(items, nodeLabel, prompter(), sink);
    }
    if (deleted)
        context_.tree.RefreshCatalogTree();
}

CatalogCommands* InstallCatalogCommands(MainWindow& window) {
    auto* commands = new CatalogCommands(CatalogCommandsContext{&window, window, *window.contentsTree(),
                                                                *window.listView(), nullptr,
                                                                [&window] {
                                                                    window.refreshCatalogTree();
                                                                    window.fillVolumeChooser();
                                                                }},
                                         &window);
    window.addToolbarAction(QStringLiteral("catalog"), QObject::tr("Catalog a new volume"),
                            [commands] { commands->showCatalogDialog(); });
    window.addToolbarAction(QStringLiteral("newdb"), QObject::tr("Create a new database"),
                            [commands] { commands->newDatabase(); });
    window.addToolbarAction(QStringLiteral("compact"), QObject::tr("Compact ALL Databases"),
                            [commands] { commands->compactAllDatabases(); });
    return commands;
}

} // namespace mendor
