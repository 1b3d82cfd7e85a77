#include "search/FolderPaths.h"

#include "shell/Options.h"
#include "store/Database.h"

#include <QSet>
#include <vector>

namespace mendor {

namespace {

const QString kSeparator = QStringLiteral("\\");

} // namespace

QString GetFolderPath(std::int64_t folderId, const QString& dirsTable, const QString& databaseFile,
                      const QString& dataPath) {
    const Database db = Database::openReadOnly(dataPath + QLatin1Char('/') + databaseFile);
    Statement row = db.prepare(QStringLiteral("SELECT \"name\", \"parent\", \"ID\" FROM %1 WHERE \"ID\" = ?1")
                                   .arg(quoteIdentifier(dirsTable)));
    QString path;
    QSet<std::int64_t> passed;
    std::int64_t id = folderId;
    while (!passed.contains(id)) {
        passed.insert(id);
        row.bind(1, id);
        if (!row.step())
            break;
        path.prepend(row.columnText(0) + kSeparator);
        id = row.columnInt(1);
        row.reset();
        if (id == 0)
            break;
    }
    return path;
}

QString GetFolderPath(std::int64_t folderId, const QString& dirsTable, const QString& databaseFile) {
    return GetFolderPath(folderId, dirsTable, databaseFile, gDataPath);
}

FolderMap FolderMap::load(const Database& db, const QString& dirsTable) {
    FolderMap map;
    Statement rows = db.prepare(
        QStringLiteral("SELECT \"ID\", \"parent\", \"name\" FROM %1").arg(quoteIdentifier(dirsTable)));
    while (rows.step())
        map.folders_.insert(rows.columnInt(0), Folder{rows.columnInt(1), rows.columnText(2), QString()});
    return map;
}

QString FolderMap::path(std::int64_t folderId) {
    // Up the chain to a folder whose path is known, to the top, to a missing row or to a row
    // already on the way (a damaged table); then the paths are built on the way back down.
    const auto first = folders_.constFind(folderId);
    if (first != folders_.constEnd() && !first->path.isNull())
        return first->path;
    std::vector<Folder*> chain;
    QSet<std::int64_t> passed;
    QString known;
    for (std::int64_t id = folderId; !passed.contains(id);) {
        passed.insert(id);
        const auto found = folders_.find(id);
        if (found == folders_.end())
            break;
        Folder& folder = found.value();
        if (!folder.path.isNull()) {
            known = folder.path;
            break;
        }
        chain.push_back(&folder);
        if (folder.parent == 0)
            break;
        id = folder.parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        known += (*it)->name + kSeparator;
        (*it)->path = known;
    }
    return known;
}

} // namespace mendor
