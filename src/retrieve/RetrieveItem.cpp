#include "retrieve/RetrieveItem.h"

#include "browse/NodeKeys.h"
#include "store/Keys.h"

namespace mendor {

bool IsBrowseListFolder(const QString& itemKey, const QString& name) {
    return !IsFileKey(itemKey) && !IsZipFolderName(name);
}

bool IsSearchListFolder(const QString& typeText) {
    return typeText.compare(QLatin1String("(folder)"), Qt::CaseInsensitive) == 0;
}

} // namespace mendor
