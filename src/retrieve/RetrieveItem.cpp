#include "retrieve/RetrieveItem.h"

#include "catalog/ArchiveLister.h"
#include "store/Keys.h"

namespace mendor {

bool IsBrowseListFolder(const QString& itemKey, const QString& name) {
    return !IsFileKey(itemKey) && !IsArchiveFolderName(name);
}

bool IsSearchListFolder(const QString& typeText) {
    return typeText.compare(QLatin1String("(folder)"), Qt::CaseInsensitive) == 0;
}

} // namespace mendor
