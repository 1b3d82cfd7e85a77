#pragma once
// An item chosen in the browse list, the search result list or on the command line, with the
// path at which it was catalogued.
#include <QString>

namespace mendor {

struct RetrieveItem {
    QString sourcePath;    ///< E:\docs\a.txt: the volume's root name, then the names below it
    bool isFolder = false; ///< looked for as a folder with contents; a ZIP archive catalogued as a
                           ///< folder is a file here
};

/// The browse list's rule: a folder is an item whose key is not a file key and whose name does
/// not end in ".zip" (any case).
bool IsBrowseListFolder(const QString& itemKey, const QString& name);

/// The search result list's rule: a folder is a row whose type column reads "(folder)" (any case).
bool IsSearchListFolder(const QString& typeText);

} // namespace mendor
