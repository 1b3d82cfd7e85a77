#include "search/SearchRun.h"

#include "search/ScanPipeline.h"
#include "search/SearchReport.h"
#include "search/SqliteConditionWriter.h"
#include "shell/Flags.h"
#include "shell/TextFormats.h"
#include "store/ConnectionPool.h"
#include "store/Database.h"
#include "store/JetPattern.h"
#include "store/Schema.h"

#include <algorithm>
#include <limits>
#include <map>
#include <string>

namespace mendor {

namespace {

QString foundText(const SearchOutcome& outcome) {
    return QStringLiteral("found %1 folders, and %2 files").arg(outcome.folders).arg(outcome.files);
}

QString finalStatus(const SearchOutcome& outcome) {
    switch (outcome.end) {
    case SearchEnd::Completed:
        return QStringLiteral(" Found %1 folders, and %2 files, Done ")
            .arg(outcome.folders)
            .arg(outcome.files);
    case SearchEnd::AbortedBeforeReading:
        return QStringLiteral("ABORTED, but ") + foundText(outcome);
    case SearchEnd::AbortedWhileReading:
        return QStringLiteral(" ABORTED, but ") + foundText(outcome) + QLatin1Char(' ');
    }
    return QString();
}

struct IndexEntry {
    QString tableName;
    std::int64_t folders = 0; ///< as counted in the index row
    std::int64_t files = 0;
};

// One table that the search reads, with its ranges in the pipeline.
struct TablePlan {
    const SearchTarget* target = nullptr;
    bool folders = false;
    std::size_t firstRange = 0;
    std::size_t endRange = 0;
};

// The index rows of each database, read once: folded name to table name and size.
class VolumeIndex {
public:
    VolumeIndex(ConnectionPool& connections, QString dataPath)
        : connections_(connections), dataPath_(std::move(dataPath)) {}

    std::optional<IndexEntry> find(const QString& databaseFile, const QString& volumeName) {
        auto database = entries_.find(databaseFile);
        if (database == entries_.end()) {
            std::map<std::string, IndexEntry> volumes;
            try {
                const ConnectionPool::Lease db =
                    connections_.take(dataPath_ + QLatin1Char('/') + databaseFile);
                Statement rows =
                    db->prepare(QStringLiteral("SELECT \"name\", \"tablename\", \"dirs\", \"files\" "
                                               "FROM \"index\" ORDER BY rowid"));
                while (rows.step()) {
                    const QByteArrayView name = rows.columnUtf8(0);
                    // The first of two rows with the same name is the one a lookup finds.
                    volumes.emplace(FoldCaseUtf8(name.data(), std::size_t(name.size())),
                                    IndexEntry{rows.columnText(1), PlausibleCount(rows.columnInt(2)),
                                               PlausibleCount(rows.columnInt(3))});
                }
            } catch (const SqlError&) {
                // A database that cannot be read contributes no volumes.
            }
            database = entries_.emplace(databaseFile, std::move(volumes)).first;
        }
        const QByteArray name = volumeName.toUtf8();
        const auto found = database->second.find(FoldCaseUtf8(name.constData(), std::size_t(name.size())));
        if (found == database->second.end())
            return std::nullopt;
        return found->second;
    }

private:
    ConnectionPool& connections_;
    QString dataPath_;
    std::map<QString, std::map<std::string, IndexEntry>> entries_;
};

// The ranges of one table: the IDs of a volume run from 1 to about its number of rows; the last
// range takes every ID beyond, so that nothing is missed whatever the index row says.
void addRanges(std::vector<ScanRange>& ranges, const SearchTarget& target, const IndexEntry& entry,
               bool folders) {
    // Folders and files take their IDs from one count: each table's IDs spread over all ranges.
    const std::int64_t count =
        std::clamp<std::int64_t>((entry.folders + entry.files) / kIdsPerRange + 1, 1, 1 << 20);
    const std::int64_t rowsPerRange = (folders ? entry.folders : entry.files) / count + 1;
    for (std::int64_t k = 0; k < count; ++k) {
        ScanRange range{target.databaseFile,
                        entry.tableName,
                        target.volumeName,
                        folders,
                        k == 0 ? std::numeric_limits<std::int64_t>::min() : k * kIdsPerRange,
                        std::nullopt,
                        rowsPerRange};
        if (k + 1 < count)
            range.endId = (k + 1) * kIdsPerRange;
        ranges.push_back(std::move(range));
    }
}

} // namespace

SearchOutcome RunSearch(const SearchRequest& request, SearchObserver& observer) {
    SearchOutcome outcome;
    SearchReport report;
    if (request.writeReport)
        report.start();
    // The root row of a volume (parent 0) is never listed.
    const std::optional<QString> where =
        TranslateCondition(request.condition + QStringLiteral(" and parent > 0"));

    // Pass 1 the folders tables, pass 2 the files tables; the volumes in the chooser's order.
    ConnectionPool ownConnections;
    ConnectionPool& connections = request.connections ? *request.connections : ownConnections;
    SharedFolderTables folderTables;
    ScanSession session(connections, request.dataPath, folderTables);
    VolumeIndex index(connections, request.dataPath);
    std::vector<TablePlan> tables;
    std::vector<ScanRange> ranges;
    for (const bool folders : {true, false}) {
        if (!(folders ? request.searchFolders : request.searchFiles))
            continue;
        for (const SearchTarget& target : request.targets) {
            TablePlan table{&target, folders, ranges.size(), ranges.size()};
            if (where) {
                if (const std::optional<IndexEntry> entry =
                        index.find(target.databaseFile, target.volumeName))
                    addRanges(ranges, target, *entry, folders);
            }
            table.endRange = ranges.size();
            tables.push_back(table);
        }
    }
    const bool asLines = observer.takesLines() && !request.writeReport;
    ScanPipeline pipeline(request.dataPath, where.value_or(QString()), asLines, std::move(ranges), session,
                          folderTables, connections);

    // After every kRowsBetweenChecks rows: the rows so far, the status, a pause and the Abort.
    const auto checkpoint = [&] {
        if (observer.showsStatus())
            observer.status(
                QStringLiteral(" Found %1 folders, and %2 files ").arg(outcome.folders).arg(outcome.files));
        observer.pause();
        if (isAbortRequested())
            outcome.end = SearchEnd::AbortedWhileReading;
        return outcome.end == SearchEnd::Completed;
    };
    for (const TablePlan& table : tables) {
        observer.status(QStringLiteral("  Searching %1%2  ")
                            .arg(table.folders ? QStringLiteral("Folders: ") : QStringLiteral("Files: "),
                                 table.target->volumeName));
        std::int64_t& found = table.folders ? outcome.folders : outcome.files;
        QList<ResultRow> batch;
        std::int64_t inTable = 0;
        bool tableEnded = false;
        for (std::size_t r = table.firstRange; r < table.endRange; ++r) {
            ScannedRange scanned = pipeline.take(r);
            if (tableEnded)
                continue;
            if (inTable == 0 && (!scanned.rows.isEmpty() || scanned.lineCount > 0)) {
                if (isAbortRequested()) {
                    outcome.end = SearchEnd::AbortedBeforeReading;
                    break;
                }
                observer.pause();
            }
            // Lines go out in the portions that rows would.
            const QByteArrayView lines(scanned.lines);
            qsizetype start = 0;
            for (std::int64_t left = scanned.lineCount; left > 0;) {
                const std::int64_t portion =
                    std::min<std::int64_t>(left, kRowsBetweenChecks - inTable % kRowsBetweenChecks);
                qsizetype end = start;
                for (std::int64_t k = 0; k < portion; ++k)
                    end = lines.indexOf('\n', end) + 1;
                observer.linesFound(lines.sliced(start, end - start), portion);
                start = end;
                left -= portion;
                found += portion;
                if ((inTable += portion) % kRowsBetweenChecks == 0 && !checkpoint())
                    break;
            }
            for (ResultRow& row : scanned.rows) {
                if (request.writeReport)
                    report.addEntry(row.folder, row.name, row.size, row.volume, row.location);
                ++found;
                batch.append(std::move(row));
                if (++inTable % kRowsBetweenChecks == 0) {
                    observer.rowsFound(batch);
                    batch.clear();
                    if (!checkpoint())
                        break;
                }
            }
            // An error ends the table with what was read before it.
            tableEnded = scanned.failed || outcome.end != SearchEnd::Completed;
            if (outcome.end != SearchEnd::Completed)
                break;
        }
        if (!batch.isEmpty())
            observer.rowsFound(batch);
        if (outcome.end != SearchEnd::Completed)
            break;
    }
    outcome.status = finalStatus(outcome);
    if (outcome.end == SearchEnd::Completed && request.writeReport)
        outcome.report = report.finish();
    return outcome;
}

} // namespace mendor
