#include "catalog/Scanner.h"

#include "catalog/AttributeLetters.h"
#include "catalog/DescriptIon.h"
#include "catalog/ZipLister.h"
#include "platform/DirectoryReader.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoredDate.h"

#include <chrono>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

const QByteArray kDescriptIonName = QByteArrayLiteral("descript.ion");
const QByteArray kZipSuffix = QByteArrayLiteral(".zip");
const QString kMarkerFileName = QStringLiteral("Mendor.cat");

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

bool hasZipSuffix(const QByteArray& localName) {
    return localName.size() > kZipSuffix.size() - 1 &&
           qstrnicmp(localName.constData() + localName.size() - kZipSuffix.size(), kZipSuffix.constData(),
                     kZipSuffix.size()) == 0;
}

bool isDotName(const QByteArray& localName) {
    return localName.startsWith('.');
}

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

class FolderCounter {
public:
    FolderCounter(const ScanOptions& options, ProgressSink& progress, std::uint64_t rootDevice)
        : options_(options), progress_(progress), rootDevice_(rootDevice) {}

    void count(DirectoryReader& reader) {
        DirectoryEntry entry;
        while (!isAbortRequested() && reader.next(entry, DirectoryReader::Detail::FoldersOnly)) {
            if (isDotName(entry.localName))
                continue;
            if (entry.isFolder() && entry.device == rootDevice_) {
                ++count_;
                DirectoryReader child(reader, entry.localName);
                count(child);
            } else if (options_.zipAsFolders && entry.kind == EntryKind::RegularFile &&
                       hasZipSuffix(entry.localName)) {
                ++count_;
            }
        }
        if (clock_.due())
            report();
    }

    void report() {
        progress_.status(isAbortRequested()
                             ? QStringLiteral("Aborting...")
                             : QStringLiteral("Analyzing Directory Structure... %1 Dirs").arg(count_));
        progress_.pause(0);
    }

    std::int32_t total() const { return count_; }

private:
    const ScanOptions& options_;
    ProgressSink& progress_;
    std::uint64_t rootDevice_;
    std::int32_t count_ = 0;
    ReportClock clock_;
};

// ---- scan -----------------------------------------------------------------------------------

class VolumeScan {
public:
    VolumeScan(Database& db, const QString& t, const ScanOptions& options, ProgressSink& progress,
               std::uint64_t rootDevice)
        : db_(db), t_(t), options_(options), progress_(progress), rootDevice_(rootDevice),
          insertFolder_(db.prepare(insertSql(DirsTable(t)))),
          insertFile_(db.prepare(insertSql(FilesTable(t)))) {}

    void writeRootRow(const QString& driveName) {
        const std::int64_t now = NowLocalStoredSeconds();
        bindRow(insertFolder_, 1, 0, driveName, QString(), QStringLiteral("D"), now, now, now, 0);
        insertFolder_.bindNull(6);
        insertRow(insertFolder_);
        nextId_ = 1;
    }

    /// Reads one folder (whose row has the ID folderId) and everything below it; returns the
    /// bytes below it. A folder that cannot be read has no content rows and 0 bytes.
    std::int64_t scanFolder(DirectoryReader& reader, const QString& catalogPath, std::int64_t folderId,
                            int depth) {
        const std::size_t slot = folderTotals_.size();
        folderTotals_.emplace_back(folderId, 0);
        if (!reader.isOpen())
            return 0;

        std::vector<DirectoryEntry> entries;
        DirectoryEntry entry;
        const DirectoryEntry* descriptIonFile = nullptr;
        while (reader.next(entry))
            entries.push_back(std::move(entry));
        if (options_.readDescriptIon) {
            for (const DirectoryEntry& e : entries) {
                if (e.kind == EntryKind::RegularFile && e.localName.size() == kDescriptIonName.size() &&
                    qstricmp(e.localName.constData(), kDescriptIonName.constData()) == 0) {
                    descriptIonFile = &e;
                    break;
                }
            }
        }
        const DescriptIon descriptions =
            descriptIonFile ? DescriptIon::load(reader.localPath() + '/' + descriptIonFile->localName)
                            : DescriptIon();

        report(catalogPath);

        std::int64_t total = 0;
        for (const DirectoryEntry& file : entries) {
            if (isAbortRequested())
                break;
            if (file.isFolder())
                continue;
            ++totals_.fileCount;
            // Only regular files are opened as archives: a FIFO named x.zip would block the walk.
            if (options_.zipAsFolders && file.kind == EntryKind::RegularFile &&
                hasZipSuffix(file.localName)) {
                ++totals_.folderCount;
                if (readArchive(reader, file, catalogPath, folderId, depth, total))
                    continue;
            }
            writeFileRow(file, folderId, depth, descriptions);
            total += file.size;
        }
        if (isAbortRequested()) {
            progress_.status(QStringLiteral("Aborting..."));
            return 0;
        }
        folderTotals_[slot].second = total;

        // Only the sub-folders stay in memory while their contents are read.
        std::erase_if(entries, [](const DirectoryEntry& e) { return !e.isFolder(); });
        entries.shrink_to_fit();
        for (const DirectoryEntry& folder : entries) {
            if (isAbortRequested())
                break;
            // Dot-folders are not catalogued, and a walk never leaves its volume.
            if (isDotName(folder.localName) || folder.device != rootDevice_)
                continue;
            ++totals_.folderCount;
            const std::int64_t id = ++nextId_;
            writeFolderRow(id, folder, folderId, depth, descriptions);
            DirectoryReader child(reader, folder.localName);
            folderTotals_[slot].second +=
                scanFolder(child, catalogPath + folder.name + QLatin1Char('\\'), id, depth + 1);
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

    /// Binds every value but the size (?6), which folder rows leave to the totals pass.
    static void bindRow(Statement& insert, std::int64_t id, std::int64_t parent, const QString& name,
                        const QString& description, const QString& attrib, std::int64_t created,
                        std::int64_t accessed, std::int64_t modified, int depth) {
        insert.bind(1, id).bind(2, parent).bind(3, name).bind(4, description).bind(5, attrib);
        insert.bind(7, created).bind(8, accessed).bind(9, modified).bind(10, depth);
    }

    static void insertRow(Statement& insert) {
        insert.execute();
        insert.reset();
    }

    void writeFolderRow(std::int64_t id, const DirectoryEntry& folder, std::int64_t parent, int depth,
                        const DescriptIon& descriptions) {
        bindRow(insertFolder_, id, parent, folder.name, descriptions.descriptionOf(folder.name),
                AttributeLetters(folder.attributes, true), folder.created, folder.accessed, folder.modified,
                depth);
        insertFolder_.bindNull(6);
        insertRow(insertFolder_);
    }

    void writeFileRow(const DirectoryEntry& file, std::int64_t parent, int depth,
                      const DescriptIon& descriptions) {
        bindRow(insertFile_, ++nextId_, parent, file.name, descriptions.descriptionOf(file.name),
                AttributeLetters(file.attributes, false), file.created, file.accessed, file.modified, depth);
        insertFile_.bind(6, file.size);
        insertRow(insertFile_);
    }

    /// Writes the archive's row and one row per member, adding the members' sizes to total;
    /// false when the archive cannot be opened or read to its end.
    bool readArchive(const DirectoryReader& reader, const DirectoryEntry& archive, const QString& catalogPath,
                     std::int64_t parent, int depth, std::int64_t& total);

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
    Statement insertFolder_;
    Statement insertFile_;
    std::int64_t nextId_ = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> folderTotals_; ///< (folder ID, bytes below)
    ScanTotals totals_;
    ReportClock clock_;
};

bool VolumeScan::readArchive(const DirectoryReader& reader, const DirectoryEntry& archive,
                             const QString& catalogPath, std::int64_t parent, int depth,
                             std::int64_t& total) {
    ZipLister zip;
    if (!zip.open(reader.localPath() + '/' + archive.localName))
        return false;

    const std::int64_t archiveId = ++nextId_;
    const std::int64_t accessed =
        archive.accessed < kEarliestArchiveAccess ? archive.modified : archive.accessed;
    bindRow(insertFolder_, archiveId, parent, archive.name, QString(),
            AttributeLetters(archive.attributes, false), archive.created, accessed, archive.modified, depth);
    insertFolder_.bind(6, archive.size);
    insertRow(insertFolder_);
    const QString archivePath = catalogPath + archive.name;
    report(archivePath);

    ZipMember member;
    QString name;
    QString folder;
    for (std::int64_t i = 0; i < zip.count(); ++i) {
        if (i % kMemberBatch == kMemberBatch - 1) {
            if (isAbortRequested())
                return true;
            report(archivePath);
        }
        // A damaged entry ends the listing; the caller then records the archive as a file too.
        if (!zip.member(i, member))
            return false;
        SplitMemberPath(member.path, name, folder);
        // Entries without a name are the archive's own folders.
        if (name.trimmed().isEmpty())
            continue;
        bindRow(insertFile_, ++nextId_, archiveId, name, folder, QString(), member.modified, member.modified,
                member.modified, depth);
        insertFile_.bind(6, member.size);
        insertRow(insertFile_);
        total += member.size;
    }
    return true;
}

} // namespace

std::int32_t CountFolders(const QString& localRoot, const ScanOptions& options, ProgressSink& progress) {
    const QByteArray root = localPathOf(localRoot);
    std::uint64_t rootDevice = 0;
    deviceOf(root, rootDevice);
    FolderCounter counter(options, progress, rootDevice);
    DirectoryReader reader(root, VolumeTraits::of(root));
    counter.count(reader);
    counter.report();
    return counter.total();
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

    VolumeScan scan(db, t, options, progress, rootDevice);
    scan.writeRootRow(rootName);
    DirectoryReader reader(root, VolumeTraits::of(root));
    scan.scanFolder(reader, withBackslash(rootName), 1, 0);

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
