#include "catalog/Scanner.h"

#include "catalog/AttributeLetters.h"
#include "catalog/ListingReader.h"
#include "catalog/RowAppender.h"
#include "catalog/VolumeIdentification.h"
#include "platform/DirectoryReader.h"
#include "platform/FolderTree.h"
#include "platform/NameMapping.h"
#include "shell/Flags.h"
#include "shell/Saturating.h"
#include "shell/StoredDate.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
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

const QString kAbortingStatus = QStringLiteral("Aborting...");
constexpr QByteArrayView kRootAttributes = "D";
const QByteArrayView kMarkerBytes(kMarkerFileName);

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

QString withBackslash(const QString& path) {
    return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

// ---- counting pass --------------------------------------------------------------------------

/// Only the number of folders matters here, not their order, so the calling thread and one
/// helper take turns at a common stack of folders still to be read. Taking the latest first
/// keeps the walk depth-first, and with it the folders held open few. What it reads of each
/// folder stays in the volume's records for the scan.
class FolderCounter {
public:
    FolderCounter(const ScanOptions& options, ProgressSink& progress, CountedVolume& volume)
        : options_(options), progress_(progress), volume_(volume), tree_(volume.tree()),
          traits_(volume.traits()) {
        pending_.push_back({tree_.root(), volume.root()});
    }

    std::int64_t run() {
        if (!tree_.rootOpened())
            return 0;
        std::thread helper([this] { work(false); });
        work(true);
        helper.join();
        report();
        return count_;
    }

private:
    void work(bool reporting) {
        DirectoryReader reader(traits_);
        DirectoryListing listing;
        CountedFolder::SubFolder folder;
        while (take(folder)) {
            countFolder(folder, reader, listing);
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
    bool take(CountedFolder::SubFolder& folder) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (isAbortRequested())
                return false;
            if (!pending_.empty()) {
                folder = std::move(pending_.back());
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

    /// Counts folder itself (the root aside) and the archives in it. A sub-folder counts when it
    /// is opened in its turn: only then is it known to be on the volume, without a stat call.
    void countFolder(const CountedFolder::SubFolder& folder, DirectoryReader& reader,
                     DirectoryListing& listing) {
        listing = DirectoryListing();
        bool onVolume = false;
        FileDescriptor fd = tree_.open(folder.folder, &onVolume);
        std::int64_t counted = folder.folder != tree_.root() && onVolume ? 1 : 0;
        std::vector<CountedFolder::SubFolder> found;
        if (fd.isOpen() && !isAbortRequested()) {
            CountedFolder& record = *folder.counted;
            record.listed = reader.read(fd.get(), listing, DirectoryReader::Detail::FoldersOnly);
            for (const DirectoryEntry& entry : listing.entries()) {
                const QByteArrayView name = listing.nameOf(entry);
                if (name.startsWith('.'))
                    continue;
                if (entry.isFolder())
                    found.push_back(
                        {tree_.child(folder.folder, name, entry.inode), std::make_shared<CountedFolder>()});
                else if (IsArchiveEntry(entry, name, options_))
                    ++counted;
            }
            if (record.listed && volume_.takeNameBytes(listing.nameBuffer().size()))
                record.names = listing.nameBuffer();
            else
                record.listed = false;
            record.subFolders = found;
            tree_.keep(folder.folder, std::move(fd), found.size());
        }
        count_ += counted;
        if (found.empty())
            return;
        {
            const std::lock_guard lock(mutex_);
            pending_.insert(pending_.end(), std::make_move_iterator(found.rbegin()),
                            std::make_move_iterator(found.rend()));
        }
        changed_.notify_all();
    }

    void report() {
        progress_.status(isAbortRequested()
                             ? kAbortingStatus
                             : QStringLiteral("Analyzing Directory Structure... %1 Dirs").arg(count_.load()));
        progress_.pause(0);
    }

    const ScanOptions& options_;
    ProgressSink& progress_;
    CountedVolume& volume_;
    FolderTree& tree_;
    const VolumeTraits traits_;
    std::atomic<std::int64_t> count_ = 0;
    ReportClock clock_; ///< the calling thread's alone

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<CountedFolder::SubFolder> pending_; ///< folders found and not yet read
    int reading_ = 0;                               ///< folders taken and still being read
};

// ---- scan -----------------------------------------------------------------------------------

/// The attribute letters of each attribute combination met, kept as the UTF-8 the rows bind: a
/// volume has only a handful of combinations. The texts stay where they are for the whole scan.
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

/// A folder whose listing is being written or whose sub-folders are still to come.
struct OpenFolder {
    FolderListing listing;
    std::int64_t id = 0;
    int depth = 0;
    std::size_t slot = 0;              ///< its entry in the folder totals
    std::vector<std::uint32_t> walked; ///< the entries of its walked sub-folders, in entry order
    std::size_t nextWalked = 0;
};

/// Writes the rows of the listings a ListingReader hands over, on the calling thread. The walk
/// is a loop over a stack of folders that still have sub-folders to come, never a recursion.
class VolumeScan {
public:
    VolumeScan(Database& db, const QString& t, const QString& rootName, const ScanOptions& options,
               ProgressSink& progress, std::uint64_t rootDevice, ListingReader& listings)
        : rootName_(rootName), options_(options), progress_(progress), rootDevice_(rootDevice),
          listings_(listings), folders_(db, DirsTable(t), RowAppender::Holding::UntilFlush),
          files_(db, FilesTable(t)) {
        if (options.checksums) {
            CreateSumsTable(db, t);
            sums_.emplace(db.prepare(QStringLiteral("INSERT INTO %1 (\"ID\", \"checksum\") VALUES (?1, ?2)")
                                         .arg(quoteIdentifier(SumsTable(t)))));
        }
        started_ = Clock::now();
    }

    void writeRootRow() {
        currentPath_ = withBackslash(rootName_);
        pathEnds_.assign(1, currentPath_.size());
        const QByteArray name = rootName_.toUtf8();
        CatalogRow row;
        row.id = 1;
        row.name = name;
        row.attrib = kRootAttributes;
        row.created = row.accessed = row.modified = NowLocalStoredSeconds();
        rootRow_ = folders_.add(row);
        nextId_ = 1;
    }

    /// Writes every row below the root row.
    void walk() {
        std::vector<OpenFolder> stack;
        OpenFolder root;
        root.id = 1;
        if (enter(root, kNoParent, rootRow_) && !root.walked.empty())
            stack.push_back(std::move(root));
        while (!stack.empty() && !isAbortRequested()) {
            OpenFolder& parent = stack.back();
            const DirectoryEntry entry = parent.listing.entries.entries()[parent.walked[parent.nextWalked++]];
            OpenFolder folder;
            folder.id = ++nextId_;
            folder.depth = parent.depth + 1;
            ++totals_.folderCount;
            const std::size_t row = writeFolderRow(folder.id, entry, parent);
            enterPath(folder.depth, parent.listing.entries.nameOf(entry));
            const std::size_t parentSlot = parent.slot;
            // A folder whose last sub-folder is taken leaves the stack now: a chain of single
            // folders keeps it one deep.
            if (parent.nextWalked == parent.walked.size())
                stack.pop_back();
            if (!enter(folder, parentSlot, row))
                break;
            if (!folder.walked.empty())
                stack.push_back(std::move(folder));
        }
        files_.flush();
        if (isAbortRequested())
            progress_.status(kAbortingStatus);
    }

    /// Writes the rows of the folders table, held until every total is known, so that each row
    /// is written once, with its size: every folder's own files first, then, children before
    /// parents, what lies below. Archive rows keep the archive's own length. After an abort the
    /// rows go without totals.
    void writeFolderRows(bool withTotals) {
        if (withTotals) {
            for (std::size_t i = folderTotals_.size(); i-- > 1;) {
                FolderTotal& parent = folderTotals_[folderTotals_[i].parentSlot];
                parent.bytes = SaturatingAdd(parent.bytes, folderTotals_[i].bytes);
            }
            for (const FolderTotal& folder : folderTotals_)
                folders_.setSize(folder.row, folder.bytes);
        }
        folders_.flush();
    }

    const ScanTotals& totals() const { return totals_; }

private:
    struct FolderTotal {
        std::size_t row = 0; ///< its row among those held for the folders table
        std::size_t parentSlot = 0;
        std::int64_t bytes = 0; ///< its own files and archive members, later everything below it
    };
    static constexpr std::size_t kNoParent = 0; ///< the root's: it is its own slot

    /// A row's name and description in UTF-8; the name is the bytes themselves where they
    /// already are its catalog form.
    class RowTexts {
    public:
        RowTexts(QByteArrayView localName, const DescriptIon& descriptions) {
            if (IsOwnCatalogName(localName))
                name_ = localName;
            else
                name_ = converted_ = CatalogNameFromLocal(localName.data(), localName.size()).toUtf8();
            if (!descriptions.isEmpty())
                description_ = descriptions.descriptionOf(localName).toUtf8();
        }
        RowTexts(const RowTexts&) = delete;
        RowTexts& operator=(const RowTexts&) = delete;
        /// The row's texts are this object's own: it must live until the row is added.
        void fill(CatalogRow& row) const {
            row.name = name_;
            row.description = description_;
        }

    private:
        QByteArrayView name_;
        QByteArray converted_;
        QByteArray description_; ///< null: no description
    };

    static CatalogRow rowOf(const DirectoryEntry& entry, std::int64_t id, std::int64_t parent, int depth) {
        CatalogRow row;
        row.id = id;
        row.parent = parent;
        row.created = entry.created;
        row.accessed = entry.accessed;
        row.modified = entry.modified;
        row.depth = depth;
        return row;
    }

    /// Takes the next listing for folder (whose row, held at row, is written) and writes its
    /// files; false when the walk ends early (an abort).
    bool enter(OpenFolder& folder, std::size_t parentSlot, std::size_t row) {
        folder.slot = folderTotals_.size();
        folderTotals_.push_back({row, parentSlot, 0});
        if (!listings_.next(folder.listing, [this] { report([this] { return progressText(); }); }))
            return false;
        if (!folder.listing.readable)
            return true;
        report([this] { return progressText(); });
        writeFiles(folder);
        return !isAbortRequested();
    }

    void writeFiles(OpenFolder& folder) {
        const DirectoryListing& entries = folder.listing.entries;
        std::int64_t total = 0;
        std::size_t archive = 0;
        auto sum = folder.listing.checksums.cbegin();
        for (std::uint32_t i = 0; i < entries.entries().size(); ++i) {
            const DirectoryEntry& file = entries.entries()[i];
            const QByteArrayView name = entries.nameOf(file);
            if (file.isFolder()) {
                if (IsWalkedFolder(file, name, rootDevice_))
                    folder.walked.push_back(i);
                continue;
            }
            if (isAbortRequested())
                return;
            ++totals_.fileCount;
            if (IsArchiveEntry(file, name, options_)) {
                ++totals_.folderCount;
                if (writeArchive(file, name, folder.listing.archives[archive++], folder, total))
                    continue;
            }
            total = SaturatingAdd(total, file.size);
            const std::int64_t id = ++nextId_;
            if (isMarkerName(name))
                continue;
            CatalogRow row = rowOf(file, id, folder.id, folder.depth);
            const RowTexts texts(name, folder.listing.descriptions);
            texts.fill(row);
            row.attrib = attributeTexts_.of(file.attributes, false);
            row.size = file.size;
            files_.add(row);
            while (sum != folder.listing.checksums.cend() && sum->entry < i)
                ++sum;
            if (sums_ && sum != folder.listing.checksums.cend() && sum->entry == i)
                writeSum(id, sum->checksum);
        }
        folderTotals_[folder.slot].bytes = total;
    }

    /// The identification marker is never part of the catalog: its rows are not written (their
    /// numbers are used all the same, and its size counts, as if they were removed afterwards).
    static bool isMarkerName(QByteArrayView name) {
        return name.size() == kMarkerBytes.size() &&
               qstrnicmp(name.data(), kMarkerBytes.data(), name.size()) == 0;
    }

    void writeSum(std::int64_t id, const Checksum& checksum) {
        sums_->reset();
        sums_->bind(1, id);
        sums_->bindBlob(2, QByteArray::fromRawData(reinterpret_cast<const char*>(checksum.data()),
                                                   qsizetype(checksum.size())));
        sums_->step();
    }

    /// The folder being written and, while checksums are read, how much and how fast.
    QString progressText() const {
        if (!sums_)
            return currentPath_;
        const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        const double megabytes = double(listings_.checksumBytes()) / (1024.0 * 1024.0);
        return QStringLiteral("%1  (%2 MB read, %3 MB/s)")
            .arg(currentPath_)
            .arg(megabytes, 0, 'f', 0)
            .arg(seconds > 0 ? megabytes / seconds : 0.0, 0, 'f', 1);
    }

    /// Holds the row of a sub-folder of parent; returns its place.
    std::size_t writeFolderRow(std::int64_t id, const DirectoryEntry& folder, const OpenFolder& parent) {
        const QByteArrayView name = parent.listing.entries.nameOf(folder);
        CatalogRow row = rowOf(folder, id, parent.id, parent.depth);
        const RowTexts texts(name, parent.listing.descriptions);
        texts.fill(row);
        row.attrib = attributeTexts_.of(folder.attributes, true);
        return folders_.add(row);
    }

    /// Writes the archive's row and one row per member, adding the members' sizes to total;
    /// false when the archive could not be opened or read to its end.
    bool writeArchive(const DirectoryEntry& archive, QByteArrayView name, const ArchiveListing& members,
                      const OpenFolder& folder, std::int64_t& total);

    /// Makes the catalog path of the folder being written ("E:\docs\") that of a folder at
    /// depth with this name: in walking order its parent is the last folder one level up.
    void enterPath(int depth, QByteArrayView name) {
        currentPath_.truncate(pathEnds_[std::size_t(depth) - 1]);
        currentPath_ += CatalogNameFromLocal(name.data(), name.size());
        currentPath_ += QLatin1Char('\\');
        pathEnds_.resize(std::size_t(depth) + 1);
        pathEnds_.back() = currentPath_.size();
    }

    void report(const std::function<QString()>& text) {
        if (!clock_.due())
            return;
        progress_.status(text());
        progress_.setProgressValue(ProgressValueOf(totals_.folderCount));
        progress_.pause(0);
    }

    QString rootName_;
    const ScanOptions& options_;
    ProgressSink& progress_;
    std::uint64_t rootDevice_;
    ListingReader& listings_;
    RowAppender folders_;
    RowAppender files_;
    AttributeTexts attributeTexts_;
    std::int64_t nextId_ = 0;
    std::size_t rootRow_ = 0;
    std::vector<FolderTotal> folderTotals_; ///< per folder in visiting order; the root first
    ScanTotals totals_;
    ReportClock clock_;
    std::optional<Statement> sums_; ///< the insert into t_sums, with checksums
    Clock::time_point started_;
    QString currentPath_;             ///< the catalog path of the folder being written
    std::vector<qsizetype> pathEnds_; ///< where each level of it ends, by depth
};

bool VolumeScan::writeArchive(const DirectoryEntry& archive, QByteArrayView name,
                              const ArchiveListing& members, const OpenFolder& folder, std::int64_t& total) {
    if (!members.opened)
        return false;

    const std::int64_t archiveId = ++nextId_;
    const std::int64_t accessed =
        archive.accessed < kEarliestArchiveAccess ? archive.modified : archive.accessed;
    CatalogRow row = rowOf(archive, archiveId, folder.id, folder.depth);
    row.accessed = accessed;
    const RowTexts texts(name, DescriptIon());
    texts.fill(row);
    row.attrib = attributeTexts_.of(archive.attributes, false);
    row.size = archive.size;
    folders_.add(row);
    const auto archivePath = [&] { return currentPath_ + CatalogNameFromLocal(name.data(), name.size()); };
    report(archivePath);

    for (std::size_t i = 0; i < members.members.size(); ++i) {
        if (i % kMemberBatch == kMemberBatch - 1) {
            if (isAbortRequested())
                return true;
            report(archivePath);
        }
        const ArchiveMember& member = members.members[i];
        total = SaturatingAdd(total, member.size);
        const std::int64_t id = ++nextId_;
        if (isMarkerName(member.name.toUtf8()))
            continue;
        const QByteArray memberName = member.name.toUtf8();
        const QByteArray memberFolder = member.folder.toUtf8();
        CatalogRow memberRow;
        memberRow.id = id;
        memberRow.parent = archiveId;
        memberRow.name = memberName;
        memberRow.description = memberFolder;
        memberRow.size = member.size;
        memberRow.created = memberRow.accessed = memberRow.modified = member.modified;
        memberRow.depth = folder.depth;
        files_.add(memberRow);
    }
    // A damaged entry ended the listing; the caller then records the archive as a file too.
    return members.complete;
}

} // namespace

std::int64_t CountFolders(CountedVolume& volume, const ScanOptions& options, ProgressSink& progress) {
    FolderCounter counter(options, progress, volume);
    return counter.run();
}

ScanTotals ScanVolume(Database& db, const QString& t, const QString& driveName, CountedVolume& volume,
                      const ScanOptions& options, ProgressSink& progress) {
    if (isAbortRequested()) {
        ScanTotals nothing;
        nothing.aborted = true;
        return nothing;
    }
    const Clock::time_point start = Clock::now();
    // A root that cannot be read gives the root row alone.
    FolderTree& tree = volume.tree();

    QString rootName = driveName;
    while (rootName.endsWith(QLatin1Char('\\')))
        rootName.chop(1);

    ListingReader listings(tree, volume.traits(), options, volume.root());
    VolumeScan scan(db, t, rootName, options, progress, tree.rootDevice(), listings);
    scan.writeRootRow();
    scan.walk();

    ScanTotals totals = scan.totals();
    totals.aborted = isAbortRequested();
    scan.writeFolderRows(!totals.aborted);
    if (!totals.aborted)
        CreateVolumeIndexes(db, t);
    totals.elapsedSeconds =
        std::int32_t(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count());
    return totals;
}

} // namespace mendor
