#pragma once
// What the browse list's retrieval commands act on: the selected items with the paths at which
// they were catalogued, built from the catalog tree's nodes.
#include "retrieve/RetrieveItem.h"

#include <QString>
#include <vector>

namespace mendor {

class CatalogTree;
class ContentList;

/// GetNodePath: the catalogued path of a volume or folder node, ending in "\" (E:\docs\; a
/// volume node gives its root, E:\). Folder names are the stored ones, not the node texts (which
/// are trimmed); empty for the root and database nodes.
QString GetNodePath(const CatalogTree& tree, const QString& nodeKey);

/// The selected items of the list in list order: the selected tree node's path and each item's
/// stored name (the list shows one-letter names upper-cased).
std::vector<RetrieveItem> SelectedBrowseItems(const CatalogTree& tree, const ContentList& list);

/// The folder path and name OpenItem is given for the file item of key, double-clicked in the list.
struct BrowseOpenTarget {
    QString folderPath;
    QString name;
};
BrowseOpenTarget OpenTargetOf(const CatalogTree& tree, const ContentList& list, const QString& itemKey);

} // namespace mendor
