#include "search/SearchRun.h"

#include "search/FolderPaths.h"
#include "search/ResultReader.h"
#include "search/SearchReport.h"
#include "search/SqliteConditionWriter.h"
#include "shell/Flags.h"
#include "shell/TextFormats.h"
#include "store/Database.h"
#include "store/JetFunctions.h"
#include "store/Schema.h"

#include <map>
#include <memory>

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

// The database of the volume being searched stays open while the next volumes are in it, and
// the folders of each volume are read once for the whole search.
class SearchSession {
public:
    explicit SearchSession(QString dataPath) : dataPath_(std::move(dataPath)) {}

    /// Raises SqlError when the file cannot be opened.
    const Database& database(const QString& databaseFile) {
        if (!database_ || databaseFile_ != databaseFile) {
            database_.reset();
            database_ = std::make_unique<Database>(
                Database::openReadOnly(dataPath_ + QLatin1Char('/') + databaseFile));
            databaseFile_ = databaseFile;
        }
        return *database_;
    }

    FolderMap& folders(const QString& databaseFile, const QString& tableName) {
        const QString key = databaseFile + QLatin1Char('/') + tableName;
        auto found = folderMaps_.find(key);
        if (found == folderMaps_.end()) {
            FolderMap map;
            try {
                map = FolderMap::load(database(databaseFile), DirsTable(tableName));
            } catch (const SqlError&) {
                // Without its folders a volume's rows show no location.
            }
            found = folderMaps_.emplace(key, std::move(map)).first;
        }
        return found->second;
    }

private:
    QString dataPath_;
    std::unique_ptr<Database> database_;
    QString databaseFile_;
    std::map<QString, FolderMap> folderMaps_;
};

// The volume's table name from its index row; nothing when the volume is not there.
std::optional<QString> tableNameOf(const Database& db, const QString& volumeName) {
    Statement lookup =
        db.prepare(QStringLiteral("SELECT \"tablename\" FROM \"index\" WHERE %1(\"name\") = %1(?1)")
                       .arg(QLatin1String(kJetFoldFunction)));
    lookup.bind(1, volumeName);
    if (!lookup.step())
        return std::nullopt;
    return lookup.columnText(0);
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
    SearchSession session(request.dataPath);

    struct Pass {
        bool wanted;
        bool folders;
    };
    const Pass passes[] = {{request.searchFolders, true}, {request.searchFiles, false}};
    for (const Pass& pass : passes) {
        if (!pass.wanted)
            continue;
        for (const SearchTarget& target : request.targets) {
            observer.status(QStringLiteral("  Searching %1%2  ")
                                .arg(pass.folders ? QStringLiteral("Folders: ") : QStringLiteral("Files: "),
                                     target.volumeName));
            if (!where)
                continue;
            QList<ResultRow> batch;
            try {
                const Database& db = session.database(target.databaseFile);
                const std::optional<QString> tableName = tableNameOf(db, target.volumeName);
                if (!tableName)
                    continue;
                const QString table = pass.folders ? DirsTable(*tableName) : FilesTable(*tableName);
                Statement rows = db.prepare(
                    QStringLiteral("SELECT \"ID\", \"parent\", \"name\", \"size\", \"description\", "
                                   "\"attrib\", \"createdate\", \"moddate\", \"lastdate\" FROM %1 "
                                   "WHERE %2 ORDER BY \"ID\" ASC")
                        .arg(quoteIdentifier(table), *where));
                if (!rows.step())
                    continue;
                if (isAbortRequested()) {
                    outcome.end = SearchEnd::AbortedBeforeReading;
                    break;
                }
                observer.pause();
                ResultReader reader(rows);
                FolderMap& folders = session.folders(target.databaseFile, *tableName);
                std::int64_t inTable = 0;
                do {
                    ResultRow row = reader.read(rows, pass.folders);
                    row.location = folders.path(reader.parent(rows));
                    row.volume = target.volumeName;
                    row.databaseFile = target.databaseFile;
                    row.tableName = *tableName;
                    if (request.writeReport)
                        report.addEntry(row.folder, row.name, FormatSizeKB(row.size), row.volume,
                                        row.location);
                    ++(pass.folders ? outcome.folders : outcome.files);
                    batch.append(std::move(row));
                    if (++inTable % kRowsBetweenChecks == 0) {
                        observer.rowsFound(batch);
                        batch.clear();
                        observer.status(QStringLiteral(" Found %1 folders, and %2 files ")
                                            .arg(outcome.folders)
                                            .arg(outcome.files));
                        observer.pause();
                        if (isAbortRequested()) {
                            outcome.end = SearchEnd::AbortedWhileReading;
                            break;
                        }
                    }
                } while (rows.step());
            } catch (const SqlError&) {
                // This volume contributes what was read before the error.
            }
            if (!batch.isEmpty())
                observer.rowsFound(batch);
            if (outcome.end != SearchEnd::Completed)
                break;
        }
        if (outcome.end != SearchEnd::Completed)
            break;
    }
    outcome.status = finalStatus(outcome);
    if (outcome.end == SearchEnd::Completed && request.writeReport)
        outcome.report = report.finish();
    return outcome;
}

} // namespace mendor
