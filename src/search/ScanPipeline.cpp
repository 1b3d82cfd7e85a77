#include "search/ScanPipeline.h"

#include "search/ResultReader.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <chrono>
#include <QThread>

namespace mendor {

namespace {

// Ranges that the helper threads may read ahead of the one the search is taking.
constexpr std::size_t kRangesAhead = 8;
// Rows that they may read ahead in any number of ranges: as many as those full ranges hold.
constexpr std::int64_t kRowsAhead = kRangesAhead * kIdsPerRange;
constexpr int kMaxHelpers = 3;

} // namespace

std::shared_ptr<const FolderMap::Table>
SharedFolderTables::get(const QString& key,
                        const std::function<std::shared_ptr<const FolderMap::Table>()>& load) {
    return get(key, load, true);
}

std::shared_ptr<const FolderMap::Table>
SharedFolderTables::getUnlessLoading(const QString& key,
                                     const std::function<std::shared_ptr<const FolderMap::Table>()>& load) {
    return get(key, load, false);
}

std::shared_ptr<const FolderMap::Table>
SharedFolderTables::get(const QString& key,
                        const std::function<std::shared_ptr<const FolderMap::Table>()>& load, bool wait) {
    std::promise<std::shared_ptr<const FolderMap::Table>> promise;
    std::shared_future<std::shared_ptr<const FolderMap::Table>> table;
    bool mine = false;
    {
        const std::lock_guard lock(mutex_);
        auto found = tables_.find(key);
        if (found == tables_.end()) {
            found = tables_.emplace(key, promise.get_future().share()).first;
            mine = true;
        }
        table = found->second;
    }
    if (mine) {
        std::shared_ptr<const FolderMap::Table> loaded;
        try {
            loaded = load();
        } catch (const SqlError&) {
            // Without its folders a volume's rows show no location.
            loaded = std::make_shared<FolderMap::Table>();
        }
        promise.set_value(std::move(loaded));
    } else if (!wait && table.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return nullptr;
    }
    return table.get();
}

FolderMap* ScanSession::folders(const QString& databaseFile, const QString& tableName, bool wait,
                                const Database* db) {
    const QString key = databaseFile + QLatin1Char('/') + tableName;
    auto found = folderMaps_.find(key);
    if (found == folderMaps_.end()) {
        // Without a connection (a range completed after its reading) nothing is read here: such
        // a range waits only for folders that another thread is reading.
        const auto load = [&] {
            return db ? FolderMap::loadTable(*db, DirsTable(tableName))
                      : std::make_shared<FolderMap::Table>();
        };
        const auto table = wait ? folderTables_.get(key, load) : folderTables_.getUnlessLoading(key, load);
        if (!table)
            return nullptr;
        found = folderMaps_.emplace(key, FolderMap(table)).first;
    }
    return &found->second;
}

namespace {

// Lines written without their locations, each put in after the line's second tab (neither the
// name nor the size holds one).
QByteArray withLocations(const QByteArray& lines, const std::vector<std::int64_t>& parents,
                         FolderMap& folders) {
    QByteArray complete;
    complete.reserve(lines.size() + lines.size() / 2);
    qsizetype start = 0;
    for (const std::int64_t parent : parents) {
        const qsizetype location = lines.indexOf('\t', lines.indexOf('\t', start) + 1) + 1;
        const qsizetype end = lines.indexOf('\n', location) + 1;
        complete.append(QByteArrayView(lines).sliced(start, location - start));
        AppendLineField(complete, folders.pathUtf8(parent));
        complete.append(QByteArrayView(lines).sliced(location, end - location));
        start = end;
    }
    return complete;
}

} // namespace

ScannedRange ScanSession::read(const ScanRange& range, const QString& where, bool asLines) {
    ScannedRange scanned;
    try {
        const ConnectionPool::Lease lease =
            connections_.take(dataPath_ + QLatin1Char('/') + range.databaseFile);
        const Database& db = *lease;
        const QString table = range.folders ? DirsTable(range.tableName) : FilesTable(range.tableName);
        Statement rows = db.prepare(
            QStringLiteral("SELECT \"ID\", \"parent\", \"name\", \"size\", \"description\", \"attrib\", "
                           "\"createdate\", \"moddate\", \"lastdate\" FROM %1 WHERE (%2) AND \"ID\" >= ?1%3 "
                           "ORDER BY \"ID\" ASC")
                .arg(quoteIdentifier(table), where,
                     range.endId ? QStringLiteral(" AND \"ID\" < ?2") : QString()));
        rows.bind(1, range.firstId);
        if (range.endId)
            rows.bind(2, *range.endId);
        if (!rows.step())
            return scanned;
        // Every statement here has the same columns: their places are found once, and the type
        // names of extensions stay known from range to range.
        if (!reader_)
            reader_.emplace(rows);
        ResultReader& reader = *reader_;
        // While another thread reads the volume's folders, the rows are read without their
        // locations, which are put in once the folders are there (completeLocations).
        FolderMap* folders = this->folders(range.databaseFile, range.tableName, false, &db);
        std::vector<std::int64_t>& parents = scanned.pendingParents;
        if (asLines) {
            const QByteArray volume = range.volumeName.toUtf8();
            do {
                const std::int64_t parent = reader.parent(rows);
                if (!folders)
                    parents.push_back(parent);
                reader.appendLine(scanned.lines, rows, range.folders,
                                  folders ? folders->pathUtf8(parent) : QByteArrayView(), volume);
                ++scanned.lineCount;
            } while (rows.step());
        } else {
            do {
                ResultRow row = reader.read(rows, range.folders);
                if (folders)
                    row.location = folders->path(reader.parent(rows));
                else
                    parents.push_back(reader.parent(rows));
                row.volume = range.volumeName;
                scanned.rows.append(std::move(row));
            } while (rows.step());
        }
    } catch (const SqlError&) {
        scanned.failed = true;
    }
    completeLocations(scanned, range, false);
    return scanned;
}

bool ScanSession::completeLocations(ScannedRange& scanned, const ScanRange& range, bool wait) {
    if (scanned.pendingParents.empty())
        return true;
    FolderMap* folders = this->folders(range.databaseFile, range.tableName, wait);
    if (!folders)
        return false;
    if (scanned.rows.isEmpty()) {
        scanned.lines = withLocations(scanned.lines, scanned.pendingParents, *folders);
    } else {
        for (qsizetype k = 0; k < scanned.rows.size(); ++k)
            scanned.rows[k].location = folders->path(scanned.pendingParents[std::size_t(k)]);
    }
    scanned.pendingParents.clear();
    return true;
}

ScanPipeline::ScanPipeline(QString dataPath, QString where, bool asLines, std::vector<ScanRange> ranges,
                           ScanSession& ownSession, SharedFolderTables& folderTables,
                           ConnectionPool& connections)
    : dataPath_(std::move(dataPath)), where_(std::move(where)), asLines_(asLines), ranges_(std::move(ranges)),
      ownSession_(ownSession), folderTables_(folderTables), connections_(connections),
      results_(ranges_.size()), claimed_(ranges_.size()) {
    std::map<QString, std::size_t> numbers;
    rowsBefore_.push_back(0);
    for (const ScanRange& range : ranges_) {
        databaseOf_.push_back(numbers.emplace(range.databaseFile, numbers.size()).first->second);
        rowsBefore_.push_back(rowsBefore_.back() + std::max<std::int64_t>(range.rows, 0));
    }
    readers_.resize(numbers.size());
    if (ranges_.size() < 2)
        return;
    const int helpers = std::clamp(QThread::idealThreadCount() - 1, 0, kMaxHelpers);
    for (int i = 0; i < helpers; ++i)
        threads_.emplace_back([this] { work(); });
}

ScanPipeline::~ScanPipeline() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool ScanPipeline::withinReach(std::size_t index) const {
    // A few ranges ahead, or as many small ones as hold as many rows: a thousand small volumes
    // are read as far ahead as one large one.
    return index < taken_ + kRangesAhead || rowsBefore_[index + 1] - rowsBefore_[taken_] <= kRowsAhead;
}

std::optional<std::size_t> ScanPipeline::claim() {
    while (firstUnclaimed_ < ranges_.size() && claimed_[firstUnclaimed_])
        ++firstUnclaimed_;
    if (stopping_ || firstUnclaimed_ >= ranges_.size() || !withinReach(firstUnclaimed_))
        return std::nullopt;
    // Threads that keep to databases of their own open each database about once: opening one
    // reads its whole schema, which costs more than the queries of a small volume.
    std::size_t chosen = firstUnclaimed_;
    for (std::size_t k = firstUnclaimed_; k < ranges_.size() && withinReach(k); ++k) {
        if (!claimed_[k] && readers_[databaseOf_[k]] == 0) {
            chosen = k;
            break;
        }
    }
    claimed_[chosen] = true;
    ++readers_[databaseOf_[chosen]];
    return chosen;
}

void ScanPipeline::read(ScanSession& session, std::size_t index, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    ScannedRange scanned = session.read(ranges_[index], where_, asLines_);
    lock.lock();
    results_[index] = std::move(scanned);
    --readers_[databaseOf_[index]];
}

void ScanPipeline::work() {
    ScanSession session(connections_, dataPath_, folderTables_);
    std::unique_lock lock(mutex_);
    while (true) {
        std::optional<std::size_t> index;
        changed_.wait(lock, [&] {
            index = claim();
            return index || stopping_ || firstUnclaimed_ >= ranges_.size();
        });
        if (!index)
            return;
        read(session, *index, lock);
        changed_.notify_all();
    }
}

ScannedRange ScanPipeline::take(std::size_t index) {
    std::unique_lock lock(mutex_);
    // Until the range is read and has its locations, this thread reads the ranges not yet begun,
    // as the helpers do, rather than wait: otherwise the helpers, always a range ahead, would do
    // all the reading, and the first ranges would wait while one thread reads a large volume's
    // folders. Nobody else touches a range once it is read.
    const auto complete = [&](bool wait) {
        lock.unlock();
        const bool done = ownSession_.completeLocations(*results_[index], ranges_[index], wait);
        lock.lock();
        return done;
    };
    while (!results_[index] || !complete(false)) {
        if (const std::optional<std::size_t> mine = claim()) {
            read(ownSession_, *mine, lock);
            changed_.notify_all();
        } else if (results_[index]) {
            complete(true);
            break;
        } else {
            changed_.wait(lock, [&] { return results_[index].has_value(); });
        }
    }
    ScannedRange scanned = std::move(*results_[index]);
    results_[index].reset();
    taken_ = index + 1;
    lock.unlock();
    changed_.notify_all();
    return scanned;
}

} // namespace mendor
