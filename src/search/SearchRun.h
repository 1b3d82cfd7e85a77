#pragma once
// The two searches over the catalogued volumes: the normal search lists every folder and file of
// the chosen volumes that meets the condition (search/SearchCriteria.h), the duplicate search
// the folders and files of one database whose name (and, on request, size) occurs more than once.
//
// Both run to their end on the caller's thread, hand the rows found to an observer in batches,
// report a status text as they go and poll gAbort: before reading each table, and after every
// 26 rows. Errors while opening a database, finding a volume or reading a table are not
// reported: that volume contributes no rows. A condition that does not translate therefore finds
// nothing.
#include "search/ResultRow.h"
#include "search/SearchScope.h"

#include <cstdint>
#include <QByteArray>
#include <QList>
#include <QString>

namespace mendor {

class ConnectionPool;

/// Rows are handed over, the status text renewed and gAbort polled after this many rows.
inline constexpr int kRowsBetweenChecks = 26;

class SearchObserver {
public:
    virtual ~SearchObserver() = default;
    /// The rows found since the last call, in the order found; the observer may take them.
    virtual void rowsFound(QList<ResultRow>& rows) = 0;
    /// The running status text (the normal search's is the second status panel's, the
    /// duplicate search's the first's).
    virtual void status(const QString& text) = 0;
    /// False for an observer that shows no running status text: then none is made.
    virtual bool showsStatus() const { return true; }
    /// Pause(1): before each table is read and after every kRowsBetweenChecks rows.
    virtual void pause() {}

    /// An observer that only writes the rows out as text may take them as lines instead, each as
    /// AppendResultLine gives it: then linesFound comes in place of rowsFound (except for a
    /// search that writes a report). Lines are read and formatted on the reading threads.
    virtual bool takesLines() const { return false; }
    /// The lines of the count rows found since the last call, in the order found.
    virtual void linesFound(QByteArrayView lines, std::int64_t count) {
        Q_UNUSED(lines);
        Q_UNUSED(count);
    }
};

enum class SearchEnd { Completed, AbortedBeforeReading, AbortedWhileReading };

struct SearchOutcome {
    SearchEnd end = SearchEnd::Completed;
    std::int64_t folders = 0;
    std::int64_t files = 0;
    /// The final status text.
    QString status;
    /// The finished report (UTF-8); only a completed normal search that was asked for one.
    QByteArray report;
};

struct SearchRequest {
    QString condition; ///< as BuildSearchCondition gives it
    bool searchFolders = true;
    bool searchFiles = true;
    QList<SearchTarget> targets;
    QString dataPath;
    bool writeReport = true;
    /// Connections already open to the targets' databases (the scope was read through them), or
    /// none: the search opens its own.
    ConnectionPool* connections = nullptr;
};

/// Pass 1 reads the folders tables of every target (when folders are searched), pass 2 the files
/// tables (when files are); rows come in the order of their IDs, never the root row.
SearchOutcome RunSearch(const SearchRequest& request, SearchObserver& observer);

struct DuplicateRequest {
    QString condition; ///< as BuildSearchCondition gives it
    bool searchFolders = true;
    bool searchFiles = true;
    bool bySize = false;               ///< the size must match as well as the name
    QString databaseFile;              ///< the database searched
    std::optional<QString> volumeName; ///< one volume of it; none: all its volumes
    QString dataPath;
};

/// Stores the queries "AllTables" (every row of the chosen volumes that meets the condition,
/// with its volume's folders table as "location" and the volume's name as "volume") and
/// "DuplicatesQuery" (the rows of AllTables whose name, or name and size, occurs more than once,
/// by name) in the database, replacing earlier ones, and lists DuplicatesQuery; once for the
/// folders, once for the files. Names are compared without regard to case.
SearchOutcome RunDuplicateSearch(const DuplicateRequest& request, SearchObserver& observer);

/// True for the conditions that cover the whole catalogue (name like "*" or "*.*"), for which the
/// duplicate search asks first.
bool IsWholeCatalogueCondition(const QString& condition);

inline const QString kWholeCatalogueQuestion = QStringLiteral(
    "A duplicates search of ALL files (*.* or *) will take several minutes for every 20,000 files.  Be "
    "patient.  You cannot abort while the query datasource is being created.  After the screen goes gray and "
    "starts filling with results, you can abort.  Do you wish to continue?");
inline const QString kWholeCatalogueTitle = QStringLiteral("Continue?");
inline const QString kSameSizeQuestion = QStringLiteral("Show only duplicates with the same size too?");
inline const QString kSameSizeTitle = QStringLiteral("Duplicates by Name and Size");

} // namespace mendor
