// The duplicate search of search/SearchRun.h.
#include "search/DuplicateFinder.h"
#include "search/ScanPipeline.h"
#include "search/SearchRun.h"
#include "search/SqliteConditionWriter.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/JetFunctions.h"
#include "store/Schema.h"

#include <future>
#include <optional>
#include <QStringList>
#include <vector>

namespace mendor {

namespace {

const QString kAllTables = QStringLiteral("AllTables");
// Places whose lines are gathered at a time for the output.
constexpr std::size_t kPlacesPerBlock = 16384;
const QString kDuplicatesQuery = QStringLiteral("DuplicatesQuery");

QString countsText(const SearchOutcome& outcome) {
    return QStringLiteral("Found %1 folder(s) and %2 file(s)").arg(outcome.folders).arg(outcome.files);
}

// The volumes of the scope, in the order of the index table.
QList<DuplicateVolume> scopeVolumes(const Database& db, const std::optional<QString>& volumeName) {
    QString sql = QStringLiteral("SELECT \"name\", \"tablename\", \"dirs\", \"files\" FROM \"index\"");
    if (volumeName)
        sql += QStringLiteral(" WHERE %1(\"name\") = %1(?1)").arg(QLatin1String(kJetFoldFunction));
    Statement rows = db.prepare(sql + QStringLiteral(" ORDER BY rowid"));
    if (volumeName)
        rows.bind(1, *volumeName);
    QList<DuplicateVolume> volumes;
    while (rows.step())
        volumes.append({rows.columnText(0), rows.columnText(1),
                        PlausibleCount(rows.columnInt(2)) + PlausibleCount(rows.columnInt(3))});
    return volumes;
}

// Every row of the volumes that meets the condition, with its volume's folders table and name.
// Rows of different volumes always differ in those two, so the parts are joined with UNION ALL:
// the same rows as a UNION, without comparing every row with every other.
QString allTablesSql(const QList<DuplicateVolume>& volumes, bool folders, const QString& where) {
    QStringList parts;
    for (const DuplicateVolume& volume : volumes) {
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

    // Both passes are searched at once, so that the short search of the folders fills the gaps in
    // that of the files, and listed in turn. A pass's queries are stored as its listing begins, as
    // if the passes ran one after the other (a search aborted in the first leaves the first's),
    // but never while a search of this file is reading it: the first pass's before either search
    // starts, the second's once its search is done.
    const QString databasePath = request.dataPath + QLatin1Char('/') + request.databaseFile;
    // One connection reads the volumes and stores the first pass's queries; it is closed before
    // the searches read the file.
    std::optional<Database> db;
    QList<DuplicateVolume> volumes;
    try {
        if (where) {
            db.emplace(Database::open(databasePath));
            volumes = scopeVolumes(*db, request.volumeName);
        }
    } catch (const SqlError&) {
        // The database or its volumes cannot be read: nothing is searched.
    }
    std::vector<DuplicateScan> scans;
    for (const bool folders : {true, false}) {
        if (!(folders ? request.searchFolders : request.searchFiles) || volumes.isEmpty())
            continue;
        DuplicateScan& scan = scans.emplace_back();
        scan.databasePath = databasePath;
        scan.folders = folders;
        scan.where = *where;
        scan.bySize = request.bySize;
        scan.asLines = observer.takesLines();
        scan.volumes = volumes;
    }
    // The queries cannot be stored: nothing from that pass.
    const auto stored = [&](const DuplicateScan& scan) {
        try {
            if (!db)
                db.emplace(Database::open(scan.databasePath));
            storeQueries(*db, allTablesSql(scan.volumes, scan.folders, *where), request.bySize);
            db.reset();
            return true;
        } catch (const SqlError&) {
            db.reset();
            return false;
        }
    };
    if (!scans.empty() && !stored(scans.front()))
        scans.erase(scans.begin());
    db.reset();
    SharedFolderTables folderTables;
    std::vector<std::future<std::optional<FoundDuplicates>>> searches;
    for (const DuplicateScan& scan : scans)
        searches.push_back(std::async(std::launch::async,
                                      [&scan, &folderTables] { return FindDuplicates(scan, folderTables); }));
    for (std::size_t k = 0; k < scans.size(); ++k) {
        const DuplicateScan& scan = scans[k];
        observer.status(QStringLiteral("  Searching Duplicate Files/Folders  "));
        std::optional<FoundDuplicates> found = searches[k].get();
        if (k > 0 && !stored(scan))
            continue;
        if (!found) {
            outcome.end = SearchEnd::AbortedBeforeReading;
            break;
        }
        std::size_t first = 0;
        while (first < found->places() && !found->present(first))
            ++first;
        if (first == found->places())
            continue;
        if (isAbortRequested()) {
            outcome.end = SearchEnd::AbortedBeforeReading;
            break;
        }
        observer.pause();
        // Lines go out as they follow each other: the lines of the next places are gathered on
        // another thread while those before go out, the two buffers taking turns. Rows go out in
        // batches.
        QByteArray block;
        QByteArray nextBlock;
        std::size_t blockEnd = first;
        qsizetype sent = 0;
        qsizetype gathered = 0;
        std::int64_t unsent = 0;
        const auto gather = [&found, &nextBlock](std::size_t from) {
            return std::async(std::launch::async, [&found, &nextBlock, from] {
                found->gatherLines(from, from + kPlacesPerBlock, nextBlock);
            });
        };
        const auto sendLines = [&] {
            if (unsent > 0)
                observer.linesFound(QByteArrayView(block).sliced(sent, gathered - sent), unsent);
            sent = gathered;
            unsent = 0;
        };
        std::future<void> next;
        if (scan.asLines)
            next = gather(first);
        QList<ResultRow> batch;
        std::int64_t inQuery = 0;
        for (std::size_t place = first; place < found->places(); ++place) {
            if (!found->present(place))
                continue;
            if (scan.asLines) {
                while (place >= blockEnd) {
                    sendLines();
                    next.get();
                    block.swap(nextBlock);
                    sent = gathered = 0;
                    blockEnd += kPlacesPerBlock;
                    if (blockEnd < found->places())
                        next = gather(blockEnd);
                }
                gathered += found->line(place).size();
                ++unsent;
            } else {
                batch.append(std::move(found->row(place)));
            }
            ++(scan.folders ? outcome.folders : outcome.files);
            if (++inQuery % kRowsBetweenChecks == 0) {
                sendLines();
                if (!batch.isEmpty())
                    observer.rowsFound(batch);
                batch.clear();
                if (observer.showsStatus())
                    observer.status(countsText(outcome));
                observer.pause();
                if (isAbortRequested()) {
                    outcome.end = SearchEnd::AbortedWhileReading;
                    break;
                }
            }
        }
        sendLines();
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
