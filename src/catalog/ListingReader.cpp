#include "catalog/ListingReader.h"

#include "catalog/ArchiveLister.h"
#include "catalog/ZipLister.h"
#include "shell/Flags.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

namespace mendor {

namespace {

// Folders are read on two threads: the machines this runs on have at least two cores, and the
// writing thread needs only a fraction of one.
constexpr int kReadingThreads = 2;

// The threads stop reading ahead once this many listings, or listings of this many entries (with
// their descriptions and archive members) in all, wait for the writer; a volume of huge folders
// still keeps its memory bounded (some 25 MB). The threads read in walking order, but the
// sub-folders of a folder become known only once it is read, after its later siblings were taken:
// a read-ahead of a few dozen listings filled up with those, and the writer then waited for
// each folder below in turn.
constexpr std::size_t kReadyListings = 8192;
constexpr std::size_t kReadyEntries = 262144;

// How often the writing side hears that it is still waiting for a listing.
constexpr auto kWaitingInterval = std::chrono::milliseconds(250);

// Archive members between two looks at the stop request.
constexpr std::int64_t kMemberBatch = 256;

constexpr QByteArrayView kDescriptIonName = "descript.ion";
constexpr QByteArrayView kZipSuffix = ".zip";

bool hasZipSuffix(QByteArrayView name) {
    return name.size() >= kZipSuffix.size() && qstrnicmp(name.data() + name.size() - kZipSuffix.size(),
                                                         kZipSuffix.data(), kZipSuffix.size()) == 0;
}

bool isDescriptIon(const DirectoryEntry& entry, QByteArrayView name) {
    return entry.kind == EntryKind::RegularFile && name.size() == kDescriptIonName.size() &&
           qstrnicmp(name.data(), kDescriptIonName.data(), kDescriptIonName.size()) == 0;
}

/// Adds member to the archive's listing; entries without a name are the archive's own folders.
void addNamedMember(const ZipMember& member, ArchiveListing& archive) {
    ArchiveMember row;
    SplitMemberPath(member.path, row.name, row.folder);
    if (row.name.trimmed().isEmpty())
        return;
    row.size = member.size;
    row.modified = member.modified;
    archive.members.push_back(std::move(row));
}

/// What a listing holds, in entries: its own, its descriptions and its archives' members.
std::size_t weightOf(const FolderListing& listing) {
    std::size_t weight = listing.entries.entries().size() + std::size_t(listing.descriptions.size());
    for (const ArchiveListing& archive : listing.archives)
        weight += archive.members.size();
    return weight;
}

} // namespace

bool IsArchiveEntry(const DirectoryEntry& entry, QByteArrayView name, const ScanOptions& options) {
    return entry.kind == EntryKind::RegularFile && ((options.zipAsFolders && hasZipSuffix(name)) ||
                                                    (options.otherArchives && IsOtherArchiveName(name)));
}

bool IsWalkedFolder(const DirectoryEntry& entry, QByteArrayView name, std::uint64_t rootDevice) {
    return entry.isFolder() && !name.startsWith('.') && entry.device == rootDevice;
}

/// One folder of the walk: where it is and, once read, its listing and sub-folders.
struct ListingReader::Slot {
    FolderTree::FolderPointer folder;
    std::shared_ptr<CountedFolder> counted; ///< what the counting pass read in it, if anything
    bool taken = false;
    bool read = false;
    FolderListing listing;
    std::vector<SlotPointer> children; ///< the walked sub-folders, in entry order
};

bool ListingReader::laterInWalk(const SlotPointer& a, const SlotPointer& b) {
    return b->folder->comesBefore(*a->folder);
}

ListingReader::ListingReader(FolderTree& tree, const VolumeTraits& traits, const ScanOptions& options,
                             std::shared_ptr<CountedFolder> counted)
    : tree_(tree), options_(options), traits_(traits) {
    auto root = std::make_shared<Slot>();
    root->folder = tree.root();
    root->counted = std::move(counted);
    order_.push_back(root);
    unread_.push_back(root);
    running_ = kReadingThreads;
    try {
        for (int i = 0; i < kReadingThreads; ++i)
            threads_.emplace_back([this] { work(); });
    } catch (...) {
        stopThreads();
        throw;
    }
}

ListingReader::~ListingReader() {
    stopThreads();
}

void ListingReader::stopThreads() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool ListingReader::next(FolderListing& listing, const std::function<void()>& waiting) {
    // The threads may have read far ahead: what they read after an abort is not handed over.
    if (order_.empty() || isAbortRequested())
        return false;
    const SlotPointer slot = std::move(order_.back());
    order_.pop_back();
    std::unique_lock lock(mutex_);
    if (!slot->read) {
        wanted_ = slot;
        changed_.notify_all();
        const auto ready = [&] { return slot->read || running_ == 0; };
        while (!changed_.wait_for(lock, kWaitingInterval, ready)) {
            if (waiting) {
                lock.unlock();
                waiting();
                lock.lock();
            }
        }
        wanted_.reset();
    }
    if (!slot->read) {
        if (failure_)
            std::rethrow_exception(failure_);
        return false;
    }
    --readyListings_;
    readyEntries_ -= weightOf(slot->listing);
    lock.unlock();
    changed_.notify_all();
    listing = std::move(slot->listing);
    order_.insert(order_.end(), slot->children.rbegin(), slot->children.rend());
    return true;
}

void ListingReader::work() {
    try {
        DirectoryReader reader(traits_);
        ChecksumReader checksums(&checksumBytes_, [this] { return stopping(); });
        while (const SlotPointer slot = take())
            read(*slot, reader, checksums);
    } catch (...) {
        const std::lock_guard lock(mutex_);
        if (!failure_)
            failure_ = std::current_exception();
        stop_ = true;
    }
    {
        const std::lock_guard lock(mutex_);
        --running_;
    }
    changed_.notify_all();
}

ListingReader::SlotPointer ListingReader::take() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stop_ || isAbortRequested())
            return nullptr;
        // The earliest folder in walking order is read first. While the writer waits for one
        // not yet taken (in walking order it is that earliest one), reading goes on past the
        // read-ahead limits.
        SlotPointer slot;
        const bool writerWaits = wanted_ && !wanted_->taken;
        if (!unread_.empty() &&
            (writerWaits || (readyListings_ < kReadyListings && readyEntries_ < kReadyEntries))) {
            std::pop_heap(unread_.begin(), unread_.end(), laterInWalk);
            slot = std::move(unread_.back());
            unread_.pop_back();
        } else if (unread_.empty() && reading_ == 0) {
            return nullptr; // every folder has been read
        }
        if (slot) {
            slot->taken = true;
            ++reading_;
            return slot;
        }
        changed_.wait(lock);
    }
}

void ListingReader::read(Slot& slot, DirectoryReader& reader, ChecksumReader& checksums) {
    FolderListing listing;
    std::vector<SlotPointer> children;
    FileDescriptor fd = tree_.open(slot.folder);
    listing.readable = fd.isOpen();
    const std::shared_ptr<CountedFolder> counted = std::move(slot.counted);
    if (listing.readable) {
        // A folder that fails part-way keeps the entries read before.
        if (counted && counted->listed)
            reader.readNamed(fd.get(), counted->names, listing.entries);
        else
            reader.read(fd.get(), listing.entries);
        std::size_t nextCounted = 0;
        bool descriptionsRead = !options_.readDescriptIon;
        for (const DirectoryEntry& e : listing.entries.entries()) {
            const QByteArrayView name = listing.entries.nameOf(e);
            // On a case-sensitive volume only the first of several spellings counts.
            if (!descriptionsRead && isDescriptIon(e, name)) {
                descriptionsRead = true;
                listing.descriptions = DescriptIon::load(fd.get(), listing.entries.cNameOf(e));
            }
            if (IsArchiveEntry(e, name, options_)) {
                listing.archives.emplace_back();
                const char* archive = listing.entries.cNameOf(e);
                const bool going = options_.zipAsFolders && hasZipSuffix(name)
                                       ? listArchive(fd.get(), archive, listing.archives.back())
                                       : listOtherArchive(fd.get(), archive, listing.archives.back());
                if (!going)
                    return;
            }
            if (IsWalkedFolder(e, name, tree_.rootDevice())) {
                auto child = std::make_shared<Slot>();
                if (counted)
                    adoptCounted(*child, *counted, nextCounted, name);
                if (!child->folder)
                    child->folder = tree_.child(slot.folder, name, e.inode);
                child->folder->inode = e.inode;
                child->folder->rank = std::uint32_t(children.size() + 1);
                children.push_back(std::move(child));
            }
        }
        if (options_.checksums && !readChecksums(fd.get(), listing, checksums))
            return;
        tree_.keep(slot.folder, std::move(fd), children.size());
    }
    {
        const std::lock_guard lock(mutex_);
        --reading_;
        ++readyListings_;
        readyEntries_ += weightOf(listing);
        slot.listing = std::move(listing);
        slot.children = children;
        slot.read = true;
        for (const SlotPointer& child : children) {
            unread_.push_back(child);
            std::push_heap(unread_.begin(), unread_.end(), laterInWalk);
        }
    }
    changed_.notify_all();
}

void ListingReader::adoptCounted(Slot& child, CountedFolder& parent, std::size_t& next, QByteArrayView name) {
    // In entry order, like the entries; one that is no folder now is passed over.
    for (std::size_t i = next; i < parent.subFolders.size(); ++i) {
        CountedFolder::SubFolder& sub = parent.subFolders[i];
        if (sub.folder->name == name) {
            child.folder = std::move(sub.folder);
            child.counted = std::move(sub.counted);
            next = i + 1;
            return;
        }
    }
}

bool ListingReader::stopping() const {
    if (isAbortRequested())
        return true;
    const std::lock_guard lock(mutex_);
    return stop_;
}

bool ListingReader::listArchive(int folderFd, const char* name, ArchiveListing& archive) const {
    ZipLister zip;
    archive.opened = zip.open(folderFd, name);
    if (!archive.opened)
        return true;
    ZipMember member;
    for (std::int64_t i = 0; i < zip.count(); ++i) {
        if (i % kMemberBatch == kMemberBatch - 1 && stopping())
            return false;
        if (!zip.member(i, member))
            return true;
        addNamedMember(member, archive);
    }
    archive.complete = true;
    return true;
}

bool ListingReader::listOtherArchive(int folderFd, const char* name, ArchiveListing& archive) const {
    std::vector<ZipMember> members;
    QString why;
    const ArchiveListOutcome outcome =
        ListOtherArchive(folderFd, name, members, why, [this] { return stopping(); });
    if (outcome == ArchiveListOutcome::Stopped)
        return false;
    // A damaged, encrypted, oversized or too slow archive stays a plain file.
    archive.opened = archive.complete = outcome == ArchiveListOutcome::Listed;
    for (const ZipMember& member : members)
        addNamedMember(member, archive);
    return true;
}

bool ListingReader::readChecksums(int folderFd, FolderListing& listing, ChecksumReader& checksums) const {
    const std::vector<DirectoryEntry>& entries = listing.entries.entries();
    std::size_t archive = 0;
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        const DirectoryEntry& e = entries[i];
        if (e.kind != EntryKind::RegularFile)
            continue;
        // An archive listed to its end is a folder row, which has no checksum.
        if (IsArchiveEntry(e, listing.entries.nameOf(e), options_)) {
            const ArchiveListing& members = listing.archives[archive++];
            if (members.opened && members.complete)
                continue;
        }
        FolderListing::FileSum sum;
        sum.entry = i;
        switch (checksums.checksumOf(folderFd, listing.entries.cNameOf(e), sum.checksum)) {
        case ChecksumOutcome::Computed:
            listing.checksums.push_back(sum);
            break;
        case ChecksumOutcome::Unreadable:
            break;
        case ChecksumOutcome::Stopped:
            return false;
        }
    }
    return true;
}

} // namespace mendor
