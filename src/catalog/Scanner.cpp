#include "catalog/Scanner.h"

#include "catalog/AttributeLetters.h"
#include "catalog/ListingReader.h"
#include "catalog/VolumeIdentification.h"
#include "platform/DirectoryReader.h"
#include "shell/Flags.h"
#include "shell/Saturating.h"
#include "shell/StoredDate.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <QFile>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mendor {

namespace {

using Clock = std::chrono::steady_clock;

// Progress is shown at most this often: reporting every folder of a fast disk would cost more
// than the walk itself.
constexpr auto kReportInterval = std::chrono::milliseconds(30);

// Archive members between two looks at the abort flag and the clock.
constexpr std::int64_t kMemberBatch = 256;

// 1985-01-01 00:00:00 as stored seconds: an archive's last-access date before it is not trusted.
constexpr std::int64_t kEarliestArchiveAccess = 473385600;

class ReportClock {
public:
    /// True when the last report is long enough ago; the first call is always due.
    bool due() {
        const Clock::time_point now = Clock::now();
        if (reported_ && now - last_ < kReportInterval)
            return false;
        reported_ = true;
        last_ = now;
        return true;
    }

private:
    Clock::time_point last_;
    bool reported_ = false;
};

QByteArray localPathOf(const QString& localRoot) {
    return QFile::encodeName(localRoot);
}

bool deviceOf(const QByteArray& localPath, std::uint64_t& device) {
    struct statx info {};
    if (statx(AT_FDCWD, localPath.constData(), 0, STATX_BASIC_STATS, &info) != 0)
        return false;
    device = makedev(info.stx_dev_major, info.stx_dev_minor);
    return true;
}

QString withBackslash(const QString& path) {
    return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

// ---- counting pass --------------------------------------------------------------------------

/// Only the number of folders matters here, not their order, so the calling thread and one
/// helper take turns at a common stack of folders still to be read.
class FolderCounter {
public:
    FolderCounter(const ScanOptions& options, ProgressSink& progress, std::uint64_t rootDevice,
                  const VolumeTraits& traits)
        : options_(options), progress_(progress), rootDevice_(rootDevice), traits_(traits) {}

    std::int32_t run(const QByteArray& root) {
        countFolder(root);
        if (clock_.due())
            report();
        std::thread helper([this] { work(false); });
        work(true);
        helper.join();
        report();
        return count_;
    }

private:
    void work(bool reporting) {
        QByteArray path;
        while (take(path)) {
            countFolder(path);
            {
                const std::lock_guard lock(mutex_);
                --reading_;
            }
            changed_.notify_all();
            if (reporting && clock_.due())
                report();
        }
    }

    /// The next folder to read; false when there is none left (or the user aborted).
    bool take(QByteArray& path) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (isAbortRequested())
                return false;
            if (!pending_.empty()) {
                path = std::move(pending_.back());
                pending_.pop_back();
                ++reading_;
                return true;
            }
            // The other thread may still find more folders.
            if (reading_ == 0)
                return false;
            changed_.wait(lock);
        }
    }

    void countFolder(const QByteArray& path) {
        DirectoryReader reader(path, traits_);
        const QByteArray prefix = path.endsWith('/') ? path : path + '/';
        std::vector<QByteArray> found;
        std::int32_t counted = 0;
        DirectoryEntry entry;
        while (!isAbortRequested() && reader.next(entry, DirectoryReader::Detail::FoldersOnly)) {
            if (entry.localName.startsWith('.'))
                continue;
            if (IsWalkedFolder(entry, rootDevice_)) {
                ++counted;
                found.push_back(prefix + entry.localName);
            } else if (IsArchiveEntry(entry, options_)) {
                ++counted;
            }
        }
        count_ += counted;
        if (found.empty())
            return;
        {
            const std::lock_guard lock(mutex_);
            std::move(found.begin(), found.end(), std::back_inserter(pending_));
        }
        changed_.notify_all();
    }

    void report() {
        progress_.status(isAbortRequested()
                             ? QStringLiteral("Aborting...")
                             : QStringLiteral("Analyzing Directory Structure... %1 Dirs").arg(count_.load()));
        progress_.pause(0);
    }

    const ScanOptions& options_;
    ProgressSink& progress_;
    const std::uint64_t rootDevice_;
    const VolumeTraits traits_;
    std::atomic<std::int32_t> count_ = 0;
    ReportClock clock_; ///< the calling thread's alone

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<QByteArray> pending_; ///< folders found and not yet read
    int reading_ = 0;                 ///< folders taken and still being read
};

// ---- scan -----------------------------------------------------------------------------------

/// The attribute letters of each attribute combination met, kept as the UTF-8 the rows bind: a
/// volume has only a handful of combinations.
class AttributeTexts {
public:
    const QByteArray& of(std::uint32_t attributes, bool folderRow) {
        auto& known = folderRow ? folders_ : files_;
        auto it = known.find(attributes);
        if (it == known.end()) {
            QByteArray letters = AttributeLetters(attributes, folderRow).toUtf8();
            // No letters is the empty text, never NULL.
            if (letters.isNull())
                letters = QByteArray("", 0);
            it = known.emplace(attributes, std::move(letters)).first;
        }
        return it->second;
    }

private:
    std::unordered_map<std::uint32_t, QByteArray> folders_;
    std::unordered_map<std::uint32_t, QByteArray> files_;
};

/// True when a local name is its own catalog name's UTF-8: plain ASCII without a backslash,
/// by far the most common kind, which then skips the round trip through UTF-16.
bool isPlainName(const QByteArray& localName) {
    for (const char c : localName) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\')
            return false;
    }
    return true;
}

/// Writes the rows of the listings a ListingReader hands over, on the calling thread.
class VolumeScan {
public:
    VolumeScan(Database& db, const QString& t, const ScanOptions& options, ProgressSink& progress,
               std::uint64_t rootDevice, ListingReader& listings)
        : db_(db), t_(t), options_(options), progress_(progress), rootDevice_(rootDevice),
          listings_(listings), insertFolder_(db.prepare(insertSql(DirsTable(t)))),
          insertFile_(db.prepare(insertSql(FilesTable(t)))) {}

    void writeRootRow(const QString& driveName) {
        const std::int64_t now = NowLocalStoredSeconds();
        bindRow(insertFolder_, 1, 0, now, now, now, 0);
        insertFolder_.bind(3, driveName).bindNull(4).bind(5, QStringLiteral("D")).bindNull(6);
        insertRow(insertFolder_);
        nextId_ = 1;
    }

    /// Writes the contents of the next folder in walking order (whose row has the ID folderId)
    /// and everything below it; returns the bytes below it. A folder that cannot be read has no
    /// content rows and 0 bytes.
    std::int64_t scanFolder(const QString& catalogPath, std::int64_t folderId, int depth) {
        const std::size_t slot = folderTotals_.size();
        folderTotals_.emplace_back(folderId, 0);
        FolderListing listing;
        if (!listings_.next(listing) || !listing.readable)
            return 0;

        report(catalogPath);

        std::int64_t total = 0;
        std::size_t archive = 0;
        for (const DirectoryEntry& file : listing.entries) {
            if (isAbortRequested())
                break;
            if (file.isFolder())
                continue;
            ++totals_.fileCount;
            if (IsArchiveEntry(file, options_)) {
                ++totals_.folderCount;
                if (writeArchive(file, listing.archives[archive++], catalogPath, folderId, depth, total))
                    continue;
            }
            writeFileRow(file, folderId, depth, listing.descriptions);
            total = SaturatingAdd(total, file.size);
        }
        if (isAbortRequested()) {
            progress_.status(QStringLiteral("Aborting..."));
            return 0;
        }
        folderTotals_[slot].second = total;

        // Only the sub-folders stay in memory while their contents are written.
        std::erase_if(listing.entries,
                      [this](const DirectoryEntry& e) { return !IsWalkedFolder(e, rootDevice_); });
        listing.entries.shrink_to_fit();
        listing.archives = {};
        for (const DirectoryEntry& folder : listing.entries) {
            if (isAbortRequested())
                break;
            ++totals_.folderCount;
            const std::int64_t id = ++nextId_;
            writeFolderRow(id, folder, folderId, depth, listing.descriptions);
            folderTotals_[slot].second =
                SaturatingAdd(folderTotals_[slot].second,
                              scanFolder(catalogPath + folder.name + QLatin1Char('\\'), id, depth + 1));
        }
        if (isAbortRequested()) {
            progress_.status(QStringLiteral("Aborting..."));
            return 0;
        }
        return folderTotals_[slot].second;
    }

    /// Writes every folder's total in ID order (archive rows keep the archive's own length).
    void storeFolderSizes() {
        Statement update = db_.prepare(QStringLiteral("UPDATE %1 SET \"size\" = ?1 WHERE \"ID\" = ?2")
                                           .arg(quoteIdentifier(DirsTable(t_))));
        for (const auto& [id, total] : folderTotals_) {
            update.bind(1, total).bind(2, id);
            update.execute();
            update.reset();
        }
    }

    const ScanTotals& totals() const { return totals_; }

private:
    static QString insertSql(const QString& table) {
        return QStringLiteral("INSERT INTO %1 (\"ID\", \"parent\", \"name\", \"description\", \"attrib\", "
                              "\"size\", \"createdate\", \"lastdate\", \"moddate\", \"depth\") "
                              "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)")
            .arg(quoteIdentifier(table));
    }

    /// Binds the numbers of a row but its size (?6); the texts (?3, ?4, ?5) are the caller's.
    static void bindRow(Statement& insert, std::int64_t id, std::int64_t parent, std::int64_t created,
                        std::int64_t accessed, std::int64_t modified, int depth) {
        insert.bind(1, id).bind(2, parent);
        insert.bind(7, created).bind(8, accessed).bind(9, modified).bind(10, depth);
    }

    static void bindName(Statement& insert, const DirectoryEntry& entry) {
        if (isPlainName(entry.localName))
            insert.bindUtf8(3, entry.localName);
        else
            insert.bind(3, entry.name);
    }

    static void insertRow(Statement& insert) {
        insert.execute();
        insert.reset();
    }

    void writeFolderRow(std::int64_t id, const DirectoryEntry& folder, std::int64_t parent, int depth,
                        const DescriptIon& descriptions) {
        bindRow(insertFolder_, id, parent, folder.created, folder.accessed, folder.modified, depth);
        bindName(insertFolder_, folder);
        insertFolder_.bind(4, descriptions.descriptionOf(folder.localName));
        insertFolder_.bindUtf8(5, attributeTexts_.of(folder.attributes, true)).bindNull(6);
        insertRow(insertFolder_);
    }

    void writeFileRow(const DirectoryEntry& file, std::int64_t parent, int depth,
                      const DescriptIon& descriptions) {
        bindRow(insertFile_, ++nextId_, parent, file.created, file.accessed, file.modified, depth);
        bindName(insertFile_, file);
        insertFile_.bind(4, descriptions.descriptionOf(file.localName));
        insertFile_.bindUtf8(5, attributeTexts_.of(file.attributes, false)).bind(6, file.size);
        insertRow(insertFile_);
    }

    /// Writes the archive's row and one row per member, adding the members' sizes to total;
    /// false when the archive could not be opened or read to its end.
    bool writeArchive(const DirectoryEntry& archive, const ArchiveListing& members,
                      const QString& catalogPath, std::int64_t parent, int depth, std::int64_t& total);

    void report(const QString& text) {
        if (!clock_.due())
            return;
        progress_.status(text);
        progress_.setProgressValue(totals_.folderCount);
        progress_.pause(0);
    }

    Database& db_;
    QString t_;
    const ScanOptions& options_;
    ProgressSink& progress_;
    std::uint64_t rootDevice_;
    ListingReader& listings_;
    Statement insertFolder_;
    Statement insertFile_;
    AttributeTexts attributeTexts_;
    std::int64_t nextId_ = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> folderTotals_; ///< (folder ID, bytes below)
    ScanTotals totals_;
    ReportClock clock_;
};

bool VolumeScan::writeArchive(const DirectoryEntry& archive, const ArchiveListing& members,
                              const QString& catalogPath, std::int64_t parent, int depth,
                              std::int64_t& total) {
    if (!members.opened)
        return false;

    const std::int64_t archiveId = ++nextId_;
    const std::int64_t accessed =
        archive.accessed < kEarliestArchiveAccess ? archive.modified : archive.accessed;
    bindRow(insertFolder_, archiveId, parent, archive.created, accessed, archive.modified, depth);
    bindName(insertFolder_, archive);
    insertFolder_.bindNull(4)
        .bindUtf8(5, attributeTexts_.of(archive.attributes, false))
        .bind(6, archive.size);
    insertRow(insertFolder_);
    const QString archivePath = catalogPath + archive.name;
    report(archivePath);

    insertFile_.bindNull(5);
    for (std::size_t i = 0; i < members.members.size(); ++i) {
        if (i % kMemberBatch == kMemberBatch - 1) {
            if (isAbortRequested())
                return true;
            report(archivePath);
        }
        const ArchiveMember& member = members.members[i];
        bindRow(insertFile_, ++nextId_, archiveId, member.modified, member.modified, member.modified, depth);
        insertFile_.bind(3, member.name).bind(4, member.folder).bind(6, member.size);
        insertRow(insertFile_);
        total = SaturatingAdd(total, member.size);
    }
    // A damaged entry ended the listing; the caller then records the archive as a file too.
    return members.complete;
}

} // namespace

std::int32_t CountFolders(const QString& localRoot, const ScanOptions& options, ProgressSink& progress) {
    const QByteArray root = localPathOf(localRoot);
    std::uint64_t rootDevice = 0;
    deviceOf(root, rootDevice);
    FolderCounter counter(options, progress, rootDevice, VolumeTraits::of(root));
    return counter.run(root);
}

ScanTotals ScanVolume(Database& db, const QString& t, const QString& driveName, const QString& localRoot,
                      const ScanOptions& options, ProgressSink& progress) {
    if (isAbortRequested()) {
        ScanTotals nothing;
        nothing.aborted = true;
        return nothing;
    }
    const Clock::time_point start = Clock::now();
    const QByteArray root = localPathOf(localRoot);
    // A root that cannot be read gives the root row alone.
    std::uint64_t rootDevice = 0;
    deviceOf(root, rootDevice);

    QString rootName = driveName;
    while (rootName.endsWith(QLatin1Char('\\')))
        rootName.chop(1);

    ListingReader listings(root, VolumeTraits::of(root), options, rootDevice);
    VolumeScan scan(db, t, options, progress, rootDevice, listings);
    scan.writeRootRow(rootName);
    scan.scanFolder(withBackslash(rootName), 1, 0);

    ScanTotals totals = scan.totals();
    totals.aborted = isAbortRequested();
    if (!totals.aborted) {
        scan.storeFolderSizes();
        CreateVolumeIndexes(db, t);
    }
    // The identification marker is never part of the catalog.
    Statement removeMarker = db.prepare(QStringLiteral("DELETE FROM %1 WHERE \"name\" = ?1 COLLATE NOCASE")
                                            .arg(quoteIdentifier(FilesTable(t))));
    removeMarker.bind(1, kMarkerFileName).execute();
    totals.elapsedSeconds =
        std::int32_t(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count());
    return totals;
}

} // namespace mendor
