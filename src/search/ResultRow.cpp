#include "search/ResultRow.h"

#include "shell/TextFormats.h"

namespace mendor {

namespace {

QString dateText(std::int64_t stored) {
    return stored == kNoDate ? QString() : FormatDate(stored);
}

} // namespace

QString ResultText(const ResultRow& row, int column) {
    switch (column) {
    case 0:
        return row.name;
    case 1:
        return FormatSizeKB(row.size);
    case 2:
        return row.location;
    case 3:
        return row.volume;
    case 4:
        return row.type;
    case 5:
        return dateText(row.created);
    case 6:
        return dateText(row.modified);
    case 7:
        return dateText(row.accessed);
    case 8:
        return row.attrib;
    case 9:
        return row.description;
    default:
        return QString();
    }
}

bool IsZipArchiveRow(bool folder, const QString& name) {
    return folder && name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
}

QString ResultTypeName(bool folder, const QString& name) {
    static const QString folderType = QStringLiteral("(folder)");
    static const QString zipType = QStringLiteral("ZIP file");
    if (IsZipArchiveRow(folder, name))
        return zipType;
    return folder ? folderType : FileTypeName(name);
}

} // namespace mendor
