#include "search/FolderPaths.h"

#include "shell/Options.h"
#include "store/Database.h"

#include <algorithm>
#include <QSet>

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

std::shared_ptr<const FolderMap::Table> FolderMap::loadTable(const Database& db, const QString& dirsTable) {
    auto table = std::make_shared<Table>();
    // The names go into one block of UTF-8: a hundred thousand folders are one allocation, and
    // only the folders that results lie in are ever decoded.
    Statement rows = db.prepare(QStringLiteral("SELECT \"ID\", \"parent\", \"name\" FROM %1 ORDER BY \"ID\"")
                                    .arg(quoteIdentifier(dirsTable)));
    while (rows.step()) {
        const QByteArrayView name = rows.columnUtf8(2);
        table->folders.push_back({rows.columnInt(0), rows.columnInt(1), table->names.size(), name.size()});
        table->names.append(name);
    }
    return table;
}

qsizetype FolderMap::Table::indexOf(std::int64_t id) const {
    const auto found =
        std::lower_bound(folders.begin(), folders.end(), id,
                         [](const Folder& folder, std::int64_t wanted) { return folder.id < wanted; });
    return found != folders.end() && found->id == id ? found - folders.begin() : -1;
}

FolderMap::FolderMap(std::shared_ptr<const Table> table)
    : table_(std::move(table)), paths_(table_->folders.size()), onChain_(table_->folders.size()) {}

QString FolderMap::path(std::int64_t folderId) {
    if (!table_)
        return QString();
    const qsizetype first = table_->indexOf(folderId);
    if (first >= 0 && !paths_[first].isNull())
        return paths_[first];
    // Up the chain to a folder whose path is known, to the top, to a missing row or to a row
    // already on the way (a damaged table); then the paths are built on the way back down.
    std::vector<qsizetype> chain;
    QString known;
    for (qsizetype at = first; at >= 0;) {
        if (!paths_[at].isNull()) {
            known = paths_[at];
            break;
        }
        if (onChain_[at])
            break;
        onChain_[at] = true;
        chain.push_back(at);
        if (table_->folders[at].parent == 0)
            break;
        at = table_->indexOf(table_->folders[at].parent);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const Table::Folder& folder = table_->folders[*it];
        known +=
            QString::fromUtf8(table_->names.constData() + folder.nameStart, folder.nameLength) + kSeparator;
        paths_[*it] = known;
        onChain_[*it] = false;
    }
    return known;
}

} // namespace mendor
