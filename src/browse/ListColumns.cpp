#include "browse/ListColumns.h"

#include <QStringList>

namespace mendor {

namespace {

QList<ListColumn> columns(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    QList<ListColumn> result;
    for (const auto& [caption, key] : pairs)
        result.append({QString::fromUtf8(caption), QString::fromLatin1(key)});
    return result;
}

} // namespace

QList<ListColumn> ColumnsOfMode(int mode) {
    switch (mode) {
    case kFolderMode:
        return columns({{"Name", "filename"},
                        {"Size", "size"},
                        {"» Type", "type"},
                        {"Created", "created"},
                        {"Modified", "modified"},
                        {"Last Accessed", "accessed"},
                        {"Attributes", "attributes"},
                        {"Description", "description"}});
    case kVolumeMode:
        return columns({{"» Volume", "volume"},
                        {"Type", "type"},
                        {"Capacity", "capacity"},
                        {"Used", "used"},
                        {"Free", "free"},
                        {"Catalog Date", "date"},
                        {"Description", "description"},
                        {"Dirs", "dirs"},
                        {"Files", "files"}});
    case kDatabaseMode:
        return columns({{"» Database", "database"},
                        {"Volumes", "volumes"},
                        {"Total Capacity", "size"},
                        {"Total Used", "used"},
                        {"Total Free", "free"},
                        {"Total Dirs", "dirs"},
                        {"Total Files", "files"}});
    case kZipMode:
        return columns({{"» Name", "filename"},
                        {"True Size", "tsize"},
                        {"Type", "type"},
                        {"Created", "created"},
                        {"Path", "path"}});
    default:
        return {};
    }
}

int InitialSortColumn(int mode) {
    return mode == kFolderMode ? 2 : 0;
}

int SortColumnForKey(int mode, const QString& key) {
    QStringList keys;
    for (const ListColumn& column : ColumnsOfMode(mode))
        keys.append(column.key);
    // The volume list sorts by its first seven columns only; the counts are not in its table.
    if (mode == kVolumeMode)
        keys = keys.mid(0, 7);
    return int(keys.indexOf(key));
}

} // namespace mendor
