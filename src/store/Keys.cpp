#include "store/Keys.h"

#include "shell/Options.h"

namespace mendor {

namespace {

const QString kMdb = QStringLiteral(".mdb");

QString keyUpToMdb(const QString& key) {
    const int at = key.indexOf(kMdb, 0, Qt::CaseInsensitive);
    return at < 0 ? key : key.left(at + kMdb.size());
}

} // namespace

QString DbPathFromKey(const QString& key, const QString& dataPath) {
    return dataPath + QLatin1Char('/') + keyUpToMdb(key);
}

QString DbPathFromKey(const QString& key) {
    return DbPathFromKey(key, gDataPath);
}

QString DbFileNameFromKey(const QString& key) {
    const QString path = DbPathFromKey(key);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString TableNameFromKey(const QString& key) {
    const int at = key.indexOf(kMdb, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    const int start = at + kMdb.size() + 1;
    if (start > key.size())
        return QString();
    const int end = key.indexOf(QLatin1Char('_'), start);
    return end < 0 ? key.mid(start) : key.mid(start, end - start);
}

std::int64_t ItemIdFromKey(const QString& key) {
    const int at = key.lastIndexOf(QLatin1Char('_'));
    return key.mid(at + 2).toLongLong();
}

bool IsFileKey(const QString& key) {
    const int at = key.lastIndexOf(QLatin1Char('_'));
    return at >= 0 && at + 1 < key.size() && key.at(at + 1) == QLatin1Char('f');
}

QString DatabaseKey(const QString& databaseName) {
    return databaseName + kMdb;
}

QString VolumeKey(const QString& databaseName, const QString& tableName) {
    return DatabaseKey(databaseName) + QLatin1Char('_') + tableName;
}

QString ItemKey(const QString& databaseName, const QString& tableName, bool isFile, std::int64_t id) {
    return VolumeKey(databaseName, tableName) + QLatin1Char('_') + QLatin1Char(isFile ? 'f' : 'd') +
           QString::number(id);
}

} // namespace mendor
