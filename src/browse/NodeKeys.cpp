#include "browse/NodeKeys.h"

namespace mendor {

NodeKind NodeKindOfKey(const QString& key) {
    if (key.compare(kRootKey, Qt::CaseInsensitive) == 0)
        return NodeKind::Root;
    if (key.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
        return NodeKind::Database;
    return key.count(QLatin1Char('_')) == 1 ? NodeKind::Volume : NodeKind::Folder;
}

QString FolderIdFromKey(const QString& key) {
    qsizetype start = key.size();
    while (start > 0 && key.at(start - 1).isDigit() && key.at(start - 1).unicode() < 128)
        --start;
    const QString run = key.mid(start);
    if (run.isEmpty() || run == QLatin1String("0") || key.count(QLatin1Char('_')) == 1)
        return QStringLiteral("1");
    return run;
}

std::int64_t FolderIdAfterMarker(const QString& key) {
    const qsizetype at = key.lastIndexOf(QLatin1String("_d"));
    if (at < 0)
        return 0;
    // The leading decimal number of the rest, as a numeric conversion of the text would read it.
    const QString rest = key.mid(at + 2).trimmed();
    qsizetype digits = 0;
    while (digits < rest.size() && rest.at(digits).isDigit() && rest.at(digits).unicode() < 128)
        ++digits;
    return rest.left(digits).toLongLong();
}

QString FolderKey(const QString& databaseFile, const QString& tableName, std::int64_t id) {
    return databaseFile + QLatin1Char('_') + tableName + QLatin1String("_d") + QString::number(id);
}

} // namespace mendor
