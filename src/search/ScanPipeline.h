#pragma once
// The reading side of the normal search: the chosen tables are cut into ranges of IDs, and the
// ranges are read on several threads, each with its own folder maps and a connection lent for
// each range, while the search takes the finished ranges in their order. The threads keep at
// most a few ranges' worth of rows ahead of the search, so a search of a million rows never holds
// more than those in memory.
#include "search/FolderPaths.h"
#include "search/ResultReader.h"
#include "search/ResultRow.h"
#include "store/ConnectionPool.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <QList>
#include <QString>
#include <thread>
#include <vector>

namespace mendor {

class Database;

/// IDs per range: a table of a million rows is read as some thirty ranges.
inline constexpr std::int64_t kIdsPerRange = 32768;

/// A count from a volume's index row, which may hold anything: never negative, and small enough
/// that sums of such counts cannot overflow.
inline std::int64_t PlausibleCount(std::int64_t count) {
    return std::clamp<std::int64_t>(count, 0, std::int64_t(1) << 40);
}

/// One range of IDs of one volume table.
struct ScanRange {
    QString databaseFile;
    QString tableName; ///< the volume's t
    QString volumeName;
    bool folders = false;
    std::int64_t firstId = 0;
    std::optional<std::int64_t> endId; ///< exclusive; none: to the end of the table
    std::int64_t rows = 0;             ///< about how many rows it holds, as the volume's index row says
};

struct ScannedRange {
    QList<ResultRow> rows; ///< complete with location and volume, in ID order
    QByteArray lines;      ///< instead of rows when lines were asked for: AppendResultLine's
    std::int64_t lineCount = 0;
    bool failed = false; ///< an error ended the reading; rows or lines hold what came before it
    /// The parents of the rows or lines, when they were read while another thread was reading
    /// the volume's folders: they lack their locations until completeLocations.
    std::vector<std::int64_t> pendingParents;
};

/// The folders of each volume, read once by whichever thread needs them first and shared.
class SharedFolderTables {
public:
    /// Loads the table with load unless it is loaded or being loaded; an error gives no folders.
    std::shared_ptr<const FolderMap::Table>
    get(const QString& key, const std::function<std::shared_ptr<const FolderMap::Table>()>& load);
    /// The same, but nothing rather than a wait while another thread loads them.
    std::shared_ptr<const FolderMap::Table>
    getUnlessLoading(const QString& key,
                     const std::function<std::shared_ptr<const FolderMap::Table>()>& load);

private:
    std::shared_ptr<const FolderMap::Table>
    get(const QString& key, const std::function<std::shared_ptr<const FolderMap::Table>()>& load, bool wait);

    std::mutex mutex_;
    std::map<QString, std::shared_future<std::shared_ptr<const FolderMap::Table>>> tables_;
};

/// The folder maps of one reading thread, and the connections it is lent.
class ScanSession {
public:
    ScanSession(ConnectionPool& connections, QString dataPath, SharedFolderTables& folderTables)
        : connections_(connections), dataPath_(std::move(dataPath)), folderTables_(folderTables) {}
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    /// Reads one range with the condition (SQLite), as rows or as lines.
    ScannedRange read(const ScanRange& range, const QString& where, bool asLines);
    /// Puts in the locations that a range read lacks, once its volume's folders are read (or at
    /// once, waiting for them); false when they are still being read.
    bool completeLocations(ScannedRange& scanned, const ScanRange& range, bool wait);

private:
    /// Loaded once, through db; empty when the folders table cannot be read. Nothing when wait is
    /// false and another thread is loading them.
    FolderMap* folders(const QString& databaseFile, const QString& tableName, bool wait,
                       const Database* db = nullptr);

    ConnectionPool& connections_;
    QString dataPath_;
    SharedFolderTables& folderTables_;
    std::map<QString, FolderMap> folderMaps_;
    std::optional<ResultReader> reader_;
};

class ScanPipeline {
public:
    /// Starts helper threads (one less than the processors, at most three). The search's own
    /// thread reads ranges not yet begun while it waits for the one it takes.
    ScanPipeline(QString dataPath, QString where, bool asLines, std::vector<ScanRange> ranges,
                 ScanSession& ownSession, SharedFolderTables& folderTables, ConnectionPool& connections);
    /// Lets the threads finish the range in hand and waits for them.
    ~ScanPipeline();
    ScanPipeline(const ScanPipeline&) = delete;
    ScanPipeline& operator=(const ScanPipeline&) = delete;

    /// The rows of a range; ranges are taken in order, each once.
    ScannedRange take(std::size_t index);

private:
    void work();
    /// Claims a range not yet begun, under the lock: the first in a database that no other thread
    /// is reading, else the first of all. Nothing when there is none, or when the threads are as
    /// far ahead of the search as they may be.
    std::optional<std::size_t> claim();
    bool withinReach(std::size_t index) const;
    void read(ScanSession& session, std::size_t index, std::unique_lock<std::mutex>& lock);

    QString dataPath_;
    QString where_;
    bool asLines_;
    std::vector<ScanRange> ranges_;
    std::vector<std::size_t> databaseOf_;  ///< per range: its database's number
    std::vector<std::int64_t> rowsBefore_; ///< per range and one more: the rows of the ranges before it
    ScanSession& ownSession_;
    SharedFolderTables& folderTables_;
    ConnectionPool& connections_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<ScannedRange>> results_;
    std::vector<bool> claimed_;
    std::vector<int> readers_; ///< per database: the threads reading one of its ranges now
    std::size_t firstUnclaimed_ = 0;
    std::size_t taken_ = 0; ///< ranges handed to the search
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace mendor
