#pragma once
// What retrieval reads from the catalog: the stored names of list items (the list shows a
// one-letter name upper-cased, the file system needs it as it is), and items named by their
// catalogued path on the command line.
#include "retrieve/RetrieveItem.h"

#include <optional>
#include <QString>
#include <QStringList>

namespace mendor {

/// The stored name of each item key (files and folders of one or more volumes), in the order
/// given; the empty text for a key whose row cannot be read.
QStringList StoredItemNames(const QStringList& itemKeys);

/// Why a catalogued path names no item.
enum class LookupFailure { NoVolume, VolumeRoot, NotCatalogued };

struct CataloguedPathLookup {
    std::optional<RetrieveItem> item;
    LookupFailure failure = LookupFailure::NotCatalogued;
};

/// The item at path (\docs\a.txt, as the catalog shows it) in volume t of a database: its source
/// path from the volume's root name and the stored names, and whether it is a folder (a ZIP
/// archive catalogued as a folder is a file). Each name matches exactly or, when no name does,
/// as the one name that differs in letter case only.
CataloguedPathLookup FindCataloguedItem(const QString& databasePath, const QString& tableName,
                                        const QString& path);

} // namespace mendor
