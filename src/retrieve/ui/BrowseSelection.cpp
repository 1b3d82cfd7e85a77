#include "retrieve/ui/BrowseSelection.h"

#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "retrieve/CatalogLookup.h"

#include <QSet>

namespace mendor {

QString GetNodePath(const CatalogTree& tree, const QString& nodeKey) {
    QString path;
    QString key = nodeKey;
    for (;;) {
        const std::optional<NodeKind> kind = tree.kindOf(key);
        if (kind == NodeKind::Volume)
            return tree.volumeRootName(key) + QLatin1Char('\\') + path;
        if (kind != NodeKind::Folder)
            return {};
        const ItemRow* row = tree.folderInfo(key);
        path.prepend((row != nullptr ? row->name : tree.nodeText(key)) + QLatin1Char('\\'));
        const QTreeWidgetItem* node = tree.nodeByKey(key);
        if (node == nullptr || node->parent() == nullptr)
            return {};
        key = CatalogTree::keyOf(node->parent());
    }
}

std::vector<RetrieveItem> SelectedBrowseItems(const CatalogTree& tree, const ContentList& list) {
    const QString folderPath = GetNodePath(tree, tree.selectedKey());
    if (folderPath.isEmpty())
        return {};
    const QStringList selectedKeys = list.selectedKeys();
    const QSet<QString> selected(selectedKeys.begin(), selectedKeys.end());
    QStringList keys;
    QStringList shown;
    for (int row = 0; row < list.itemCount(); ++row) {
        if (selected.contains(list.itemKey(row))) {
            keys.append(list.itemKey(row));
            shown.append(list.itemText(row, 0));
        }
    }
    const QStringList names = StoredItemNames(keys);
    std::vector<RetrieveItem> items;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString name = names[i].isEmpty() ? shown[i] : names[i];
        items.push_back({folderPath + name, IsBrowseListFolder(keys[i], name)});
    }
    return items;
}

BrowseOpenTarget OpenTargetOf(const CatalogTree& tree, const ContentList& list, const QString& itemKey) {
    QString shown;
    for (int row = 0; row < list.itemCount(); ++row) {
        if (list.itemKey(row) == itemKey)
            shown = list.itemText(row, 0);
    }
    // The stored name, or the text the list shows when the row cannot be read.
    const QString stored = StoredItemNames({itemKey}).value(0);
    return {GetNodePath(tree, tree.selectedKey()), stored.isEmpty() ? shown : stored};
}

} // namespace mendor
