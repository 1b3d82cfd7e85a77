#pragma once
// The reading side of the normal search: the chosen tables are cut into ranges of IDs, and the
// ranges are read on several threads, each with its own connections and folder maps, while the
// search takes the finished ranges in their order. The threads keep at most a few ranges ahead
// of the search, so a search of a million rows never holds more than those ranges in memory.
#include "search/FolderPaths.h"
#include "search/ResultReader.h"
#include "search/ResultRow.h"

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

/// One range of IDs of one volume table.
struct ScanRange {
    QString databaseFile;
    QString tableName; ///< the volume's t
    QString volumeName;
    bool folders = false;
    std::int64_t firstId = 0;
    std::optional<std::int64_t> endId; ///< exclusive; none: to the end of the table
};

struct ScannedRange {
    QList<ResultRow> rows; ///< complete with location and volume, in ID order
    QByteArray lines;      ///< instead of rows when lines were asked for: AppendResultLine's
    std::int64_t lineCount = 0;
    bool failed = false; ///< an error ended the reading; rows or lines hold what came before it
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

/// The connections and folder maps of one reading thread.
class ScanSession {
public:
    ScanSession(QString dataPath, SharedFolderTables& folderTables)
        : dataPath_(std::move(dataPath)), folderTables_(folderTables) {}
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    /// Opened once and kept; raises SqlError when the file cannot be opened.
    const Database& database(const QString& databaseFile);
    /// Loaded once; empty when the folders table cannot be read.
    FolderMap& folders(const QString& databaseFile, const QString& tableName);
    /// Reads one range with the condition (SQLite), as rows or as lines.
    ScannedRange read(const ScanRange& range, const QString& where, bool asLines);

private:
    /// Nothing when wait is false and another thread is loading them.
    FolderMap* folders(const QString& databaseFile, const QString& tableName, bool wait);

    QString dataPath_;
    SharedFolderTables& folderTables_;
    std::map<QString, std::unique_ptr<Database>> databases_;
    std::map<QString, FolderMap> folderMaps_;
    std::optional<ResultReader> reader_;
};

class ScanPipeline {
public:
    /// Starts helper threads (one less than the processors, at most three). The search's own
    /// thread reads ranges not yet begun while it waits for the one it takes.
    ScanPipeline(QString dataPath, QString where, bool asLines, std::vector<ScanRange> ranges,
                 ScanSession& ownSession, SharedFolderTables& folderTables);
    /// Lets the threads finish the range in hand and waits for them.
    ~ScanPipeline();
    ScanPipeline(const ScanPipeline&) = delete;
    ScanPipeline& operator=(const ScanPipeline&) = delete;

    /// The rows of a range; ranges are taken in order, each once.
    ScannedRange take(std::size_t index);

private:
    void work();
    /// Claims the next range not yet begun, under the lock; nothing when there is none, or when
    /// the threads are as far ahead of the search as they may be.
    std::optional<std::size_t> claim();
    void store(std::size_t index, ScannedRange scanned);

    QString dataPath_;
    QString where_;
    bool asLines_;
    std::vector<ScanRange> ranges_;
    ScanSession& ownSession_;
    SharedFolderTables& folderTables_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<ScannedRange>> results_;
    std::size_t next_ = 0;  ///< the next range not yet begun
    std::size_t taken_ = 0; ///< ranges handed to the search
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace mendor
