#include "retrieve/CatalogLookup.h"

#include "browse/NodeKeys.h"
#include "store/Database.h"
#include "store/Keys.h"
#include "store/Schema.h"

#include <map>

namespace mendor {

namespace {

struct Row {
    std::int64_t id = 0;
    QString name;
};

/// The row of a name among the children of parent: the exact name, else the only one that
/// differs in letter case (in any script, which SQLite's lower() does not fold).
std::optional<Row> ChildNamed(Database& db, const QString& table, std::int64_t parent, const QString& name) {
    Statement query = db.prepare(
        QStringLiteral("SELECT \"ID\", \"name\" FROM %1 WHERE \"parent\" = ?1").arg(quoteIdentifier(table)));
    query.bind(1, parent);
    std::optional<Row> folded;
    int foldedCount = 0;
    while (query.step()) {
        Row row{query.columnInt(0), query.columnText(1)};
        if (row.name == name)
            return row;
        if (row.name.compare(name, Qt::CaseInsensitive) == 0) {
            folded = row;
            ++foldedCount;
        }
    }
    return foldedCount == 1 ? folded : std::nullopt;
}

} // namespace

QStringList StoredItemNames(const QStringList& itemKeys) {
    QStringList names;
    std::map<QString, Database> open;
    for (const QString& key : itemKeys) {
        QString name;
        try {
            const QString path = DbPathFromKey(key);
            auto found = open.find(path);
            if (found == open.end())
                found = open.emplace(path, Database::openReadOnly(path)).first;
            const QString t = TableNameFromKey(key);
            const QString table = IsFileKey(key) ? FilesTable(t) : DirsTable(t);
            Statement query = found->second.prepare(
                QStringLiteral("SELECT \"name\" FROM %1 WHERE \"ID\" = ?1").arg(quoteIdentifier(table)));
            query.bind(1, ItemIdFromKey(key));
            if (query.step())
                name = query.columnText(0);
        } catch (const SqlError&) {
            name.clear();
        }
        names.append(name);
    }
    return names;
}

CataloguedPathLookup FindCataloguedItem(const QString& databasePath, const QString& tableName,
                                        const QString& path) {
    CataloguedPathLookup lookup;
    try {
        Database db = Database::openReadOnly(databasePath);
        const QString dirs = DirsTable(tableName);
        Statement rootQuery =
            db.prepare(QStringLiteral("SELECT \"ID\", \"name\" FROM %1 WHERE \"parent\" = 0")
                           .arg(quoteIdentifier(dirs)));
        if (!rootQuery.step()) {
            lookup.failure = LookupFailure::NoVolume;
            return lookup;
        }
        const QStringList names = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            lookup.failure = LookupFailure::VolumeRoot;
            return lookup;
        }
        QString sourcePath = rootQuery.columnText(1).trimmed();
        std::int64_t parent = rootQuery.columnInt(0);
        for (qsizetype i = 0; i < names.size(); ++i) {
            const bool last = i + 1 == names.size();
            std::optional<Row> row =
                last ? ChildNamed(db, FilesTable(tableName), parent, names[i]) : std::nullopt;
            const bool isFile = row.has_value();
            if (!row)
                row = ChildNamed(db, dirs, parent, names[i]);
            if (!row)
                return lookup;
            sourcePath += QLatin1Char('\\') + row->name;
            parent = row->id;
            if (last)
                lookup.item = RetrieveItem{sourcePath, !isFile && !IsZipFolderName(row->name)};
        }
    } catch (const SqlError&) {
        lookup.failure = LookupFailure::NoVolume;
    }
    return lookup;
}

} // namespace mendor
