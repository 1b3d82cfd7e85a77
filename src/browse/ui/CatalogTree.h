#pragma once
// The catalog tree of the Browse pane: the root "Mendor Pro", one node per usable database of the
// data folder, its volumes, and their folders as catalogued. Folder levels below the first are
// loaded lazily, one level ahead of what the user has opened. Every node carries its key (see
// browse/NodeKeys.h), the address by which the other operations find a database, volume or folder.
//
// Use from the main window:
//     auto* tree = new CatalogTree(services, parent);
//     auto* list = new ContentList(services, *tree, parent);  // attaches itself to the tree
//     tree->RefreshCatalogTree();                               // start-up, after a catalog run,...
// The tree drives the list: a mouse release over the tree lists the selected node. Commands of the
// popup menus and the Delete key are only reported through signals; the rename commands and F2
// start editing the label in place, whose result is reported by labelEdited.
#include "browse/CatalogQueries.h"
#include "browse/NodeKeys.h"

#include <optional>
#include <QHash>
#include <QStringList>
#include <QTreeWidget>

class QMenu;

namespace mendor {

class ContentList;
class MainWindowServices;

class CatalogTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit CatalogTree(MainWindowServices& services, QWidget* parent = nullptr);
    ~CatalogTree() override;

    /// Rebuilds the whole tree from gDataPath, selects the root and lists the databases.
    void RefreshCatalogTree();

    /// Makes sure the children of every child of the node with this key are loaded.
    void LoadNextTreeLevel(const QString& key);

    /// The key of the node whose contents the list shows ("mendor" after a refresh).
    const QString& currentKey() const { return currentKey_; }
    void setCurrentKey(const QString& key) { currentKey_ = key; }

    /// The selected node's key; empty when nothing is selected.
    QString selectedKey() const;
    /// Makes the node visible (expanding its ancestors) and selects it; false when there is none.
    bool selectNode(const QString& key);

    QTreeWidgetItem* nodeByKey(const QString& key) const;
    static QString keyOf(const QTreeWidgetItem* node);
    /// The image key a node shows when it is not selected, and when it is.
    static QString imageOf(const QTreeWidgetItem* node);
    static QString selectedImageOf(const QTreeWidgetItem* node);
    /// Root, database, volume (parent is a database) or folder; nothing for an unknown key.
    std::optional<NodeKind> kindOf(const QString& key) const;
    QString nodeText(const QString& key) const;
    QStringList childKeys(const QString& key) const;
    /// Keys of the database nodes under the root, in tree order.
    QStringList databaseKeys() const { return childKeys(kRootKey); }
    /// Replaces a node's label (after a rename has been carried out).
    void setNodeText(const QString& key, const QString& text);

    /// The folder row cached when a folder node was added; null for other nodes.
    const ItemRow* folderInfo(const QString& key) const;
    /// Updates the cached description of a folder node after it was edited; nothing for a key
    /// that has no folder node.
    void setFolderDescription(const QString& key, const QString& description);
    /// The name of a volume's root folder row (such as "E:"), from the volume's node key.
    QString volumeRootName(const QString& volumeKey) const;

    /// Starts editing the label of a database or volume node in place.
    void startLabelEdit(const QString& key);

    /// The selection handler, also run by a mouse release over the tree.
    void handleSelection(Qt::MouseButton button);

signals:
    /// A command of the "Database" or "Volume" popup menu: delete_database, compact_database,
    /// delete_volume, describe_volume, move_volume (the rename commands start a label edit).
    void menuCommand(const QString& command, const QString& key);
    /// Delete pressed on a database or volume node.
    void deleteRequested(const QString& key);
    /// A label edit ended with a text other than the old one. The label is set back to oldText;
    /// whoever carries out the rename calls setNodeText or refreshes the tree.
    void labelEdited(const QString& key, const QString& oldText, const QString& newText);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    friend class ContentList;
    void attachContentList(ContentList* list) { list_ = list; }

    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                             const QString& image, const QString& selectedImage = QString());
    QTreeWidgetItem* addFolderNode(QTreeWidgetItem* parent, const QString& databaseFile,
                                   const QString& tableName, const ItemRow& row);
    void clearAll();
    void onExpanded(QTreeWidgetItem* node);
    void onCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void onItemChanged(QTreeWidgetItem* node, int column);
    QMenu* makeMenu(const QString& title, const QList<QPair<QString, QString>>& commands);

    MainWindowServices& services_;
    ContentList* list_ = nullptr;
    QString currentKey_;
    QHash<QString, QTreeWidgetItem*> nodes_;
    QHash<QString, ItemRow> folderInfo_;
    QHash<QString, QString> volumeRootNames_;
    QMenu* databaseMenu_ = nullptr;
    QMenu* volumeMenu_ = nullptr;
    QString popupKey_;
    QString editingKey_;
    QString editingOldText_;
};

} // namespace mendor
