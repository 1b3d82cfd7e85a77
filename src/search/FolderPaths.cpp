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

template <typename Text, typename NameOf>
Text FolderMap::build(std::vector<Text>& paths, std::int64_t folderId, const Text& separator, NameOf nameOf) {
    const qsizetype first = table_->indexOf(folderId);
    if (first >= 0 && !paths[first].isNull())
        return paths[first];
    // Up the chain to a folder whose path is known, to the top, to a missing row or to a row
    // already on the way (a damaged table); then the paths are built on the way back down.
    std::vector<qsizetype> chain;
    Text known;
    for (qsizetype at = first; at >= 0;) {
        if (!paths[at].isNull()) {
            known = paths[at];
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
        known += nameOf(table_->names.constData() + folder.nameStart, folder.nameLength);
        known += separator;
        paths[*it] = known;
        onChain_[*it] = false;
    }
    return known;
}

QString FolderMap::path(std::int64_t folderId) {
    if (!table_)
        return QString();
    return build(paths_, folderId, kSeparator,
                 [](const char* name, qsizetype length) { return QString::fromUtf8(name, length); });
}

QByteArrayView FolderMap::pathUtf8(std::int64_t folderId) {
    if (!table_)
        return {};
    // Rows read in order of their IDs often lie in the folder of the row before.
    if (lastUtf8_ >= 0 && table_->folders[lastUtf8_].id == folderId)
        return pathsUtf8_[lastUtf8_];
    const qsizetype at = table_->indexOf(folderId);
    if (at < 0)
        return {};
    if (pathsUtf8_.empty())
        pathsUtf8_.resize(table_->folders.size());
    if (pathsUtf8_[at].isNull()) {
        static const QByteArray separator("\\");
        // Each name as its QString would give it: malformed UTF-8 comes out as in path().
        build(pathsUtf8_, folderId, separator, [](const char* name, qsizetype length) {
            const QByteArrayView bytes(name, length);
            return std::all_of(bytes.begin(), bytes.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x80; })
                       ? bytes.toByteArray()
                       : QString::fromUtf8(bytes).toUtf8();
        });
    }
    lastUtf8_ = at;
    return pathsUtf8_[at];
}

} // namespace mendor
