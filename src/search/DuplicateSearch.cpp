// The duplicate search of search/SearchRun.h.
#include "search/FolderPaths.h"
#include "search/ResultReader.h"
#include "search/SearchRun.h"
#include "search/SqliteConditionWriter.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/JetFunctions.h"
#include "store/Schema.h"

#include <map>
#include <QStringList>

namespace mendor {

namespace {

const QString kAllTables = QStringLiteral("AllTables");
const QString kDuplicatesQuery = QStringLiteral("DuplicatesQuery");

QString countsText(const SearchOutcome& outcome) {
    return QStringLiteral("Found %1 folder(s) and %2 file(s)").arg(outcome.folders).arg(outcome.files);
}

struct IndexVolume {
    QString name;
    QString tableName;
};

// The volumes of the scope, in the order of the index table.
QList<IndexVolume> scopeVolumes(const Database& db, const std::optional<QString>& volumeName) {
    QString sql = QStringLiteral("SELECT \"name\", \"tablename\" FROM \"index\"");
    if (volumeName)
        sql += QStringLiteral(" WHERE %1(\"name\") = %1(?1)").arg(QLatin1String(kJetFoldFunction));
    Statement rows = db.prepare(sql + QStringLiteral(" ORDER BY rowid"));
    if (volumeName)
        rows.bind(1, *volumeName);
    QList<IndexVolume> volumes;
    while (rows.step())
        volumes.append({rows.columnText(0), rows.columnText(1)});
    return volumes;
}

// Every row of the volumes that meets the condition, with its volume's folders table and name.
// Rows of different volumes always differ in those two, so the parts are joined with UNION ALL:
// the same rows as a UNION, without comparing every row with every other.
QString allTablesSql(const QList<IndexVolume>& volumes, bool folders, const QString& where) {
    QStringList parts;
    for (const IndexVolume& volume : volumes) {
        QString part =
            QStringLiteral("SELECT *, %1 AS \"location\", %2 AS \"volume\" FROM %3")
                .arg(quoteLiteral(DirsTable(volume.tableName)), quoteLiteral(volume.name),
                     quoteIdentifier(folders ? DirsTable(volume.tableName) : FilesTable(volume.tableName)));
        if (!where.isEmpty())
            part += QStringLiteral(" WHERE ") + where;
        parts.append(part);
    }
    return parts.join(QStringLiteral(" UNION ALL "));
}

// The rows whose folded name (and size) occurs more than once among AllTables, by name. The
// grouped keys are found once and looked up row by row; the rows are unique already (each has
// its own volume and ID), so no DISTINCT is needed.
QString duplicatesSql(bool bySize) {
    const QString fold = QLatin1String(kJetFoldFunction);
    if (!bySize)
        return QStringLiteral("SELECT \"AllTables\".* FROM \"AllTables\" WHERE %1(\"AllTables\".\"name\") IN "
                              "(SELECT %1(\"name\") FROM \"AllTables\" AS \"Tmp\" GROUP BY %1(\"name\") "
                              "HAVING count(*) > 1) ORDER BY %1(\"AllTables\".\"name\")")
            .arg(fold);
    return QStringLiteral(
               "SELECT \"AllTables\".* FROM \"AllTables\" WHERE (%1(\"AllTables\".\"name\"), "
               "\"AllTables\".\"size\") IN (SELECT %1(\"name\"), \"size\" FROM \"AllTables\" AS \"Tmp\" "
               "GROUP BY %1(\"name\"), \"size\" HAVING count(*) > 1) "
               "ORDER BY %1(\"AllTables\".\"name\"), \"AllTables\".\"size\"")
        .arg(fold);
}

// Both queries are replaced together or not at all.
void storeQueries(Database& db, const QString& allTables, bool bySize) {
    Transaction transaction(db);
    db.dropView(kAllTables);
    db.dropView(kDuplicatesQuery);
    db.createView(kAllTables, allTables);
    db.createView(kDuplicatesQuery, duplicatesSql(bySize));
    transaction.commit();
}

} // namespace

bool IsWholeCatalogueCondition(const QString& condition) {
    return condition == QLatin1String("name like \"*\"") || condition == QLatin1String("name like \"*.*\"");
}

SearchOutcome RunDuplicateSearch(const DuplicateRequest& request, SearchObserver& observer) {
    SearchOutcome outcome;
    // A condition that does not translate finds nothing, and the stored queries stay as they were.
    const std::optional<QString> where = request.condition.isEmpty() ? std::optional<QString>(QString())
                                                                     : TranslateCondition(request.condition);

    struct Pass {
        bool wanted;
        bool folders;
    };
    const Pass passes[] = {{request.searchFolders, true}, {request.searchFiles, false}};
    for (const Pass& pass : passes) {
        if (!pass.wanted || !where)
            continue;
        QList<ResultRow> batch;
        try {
            Database db = Database::open(request.dataPath + QLatin1Char('/') + request.databaseFile);
            db.preferMappedReads();
            db.preferLargeSorts();
            const QList<IndexVolume> volumes = scopeVolumes(db, request.volumeName);
            if (volumes.isEmpty())
                continue;
            storeQueries(db, allTablesSql(volumes, pass.folders, *where), request.bySize);

            observer.status(QStringLiteral("  Searching Duplicate Files/Folders  "));
            Statement rows =
                db.prepare(QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(kDuplicatesQuery)));
            if (!rows.step())
                continue;
            if (isAbortRequested()) {
                outcome.end = SearchEnd::AbortedBeforeReading;
                break;
            }
            observer.pause();
            ResultReader reader(rows);
            const int locationColumn = rows.columnIndex(QStringLiteral("location"));
            const int volumeColumn = rows.columnIndex(QStringLiteral("volume"));
            std::map<QString, FolderMap> folderMaps;
            std::int64_t inQuery = 0;
            do {
                ResultRow row = reader.read(rows, pass.folders);
                const QString dirsTable = rows.columnText(locationColumn);
                auto folders = folderMaps.find(dirsTable);
                if (folders == folderMaps.end()) {
                    FolderMap map;
                    try {
                        map = FolderMap::load(db, dirsTable);
                    } catch (const SqlError&) {
                        // Without its folders a volume's rows show no location.
                    }
                    folders = folderMaps.emplace(dirsTable, std::move(map)).first;
                }
                row.location = folders->second.path(reader.parent(rows));
                row.volume = rows.columnText(volumeColumn);
                ++(pass.folders ? outcome.folders : outcome.files);
                batch.append(std::move(row));
                if (++inQuery % kRowsBetweenChecks == 0) {
                    observer.rowsFound(batch);
                    batch.clear();
                    observer.status(countsText(outcome));
                    observer.pause();
                    if (isAbortRequested()) {
                        outcome.end = SearchEnd::AbortedWhileReading;
                        break;
                    }
                }
            } while (rows.step());
        } catch (const SqlError&) {
            // The database, its volumes or its queries cannot be read: nothing more from this pass.
        }
        if (!batch.isEmpty())
            observer.rowsFound(batch);
        if (outcome.end != SearchEnd::Completed)
            break;
    }
    outcome.status = outcome.end == SearchEnd::Completed
                         ? countsText(outcome) + QStringLiteral(" -- DONE")
                         : QStringLiteral("ABORTED, but found %1 folder(s) and %2 file(s)")
                               .arg(outcome.folders)
                               .arg(outcome.files);
    return outcome;
}

} // namespace mendor
