#include "catalog/ListingReader.h"

#include "catalog/ZipLister.h"
#include "shell/Flags.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace mendor {

namespace {

// Folders are read on two threads: the machines this runs on have at least two cores, and the
// writing thread needs only a fraction of one.
constexpr int kReadingThreads = 2;

// The threads stop reading ahead once this many listings, or listings of this many entries (with
// their descriptions and archive members) in all, wait for the writer: enough to keep it busy, while a volume
// of huge folders still keeps its memory bounded.
constexpr std::size_t kReadyListings = 32;
constexpr std::size_t kReadyEntries = 32768;

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

/// What a listing holds, in entries: its own, its descriptions and its archives' members.
std::size_t weightOf(const FolderListing& listing) {
    std::size_t weight = listing.entries.entries().size() + std::size_t(listing.descriptions.size());
    for (const ArchiveListing& archive : listing.archives)
        weight += archive.members.size();
    return weight;
}

} // namespace

bool IsArchiveEntry(const DirectoryEntry& entry, QByteArrayView name, const ScanOptions& options) {
    return options.zipAsFolders && entry.kind == EntryKind::RegularFile && hasZipSuffix(name);
}

bool IsWalkedFolder(const DirectoryEntry& entry, QByteArrayView name, std::uint64_t rootDevice) {
    return entry.isFolder() && !name.startsWith('.') && entry.device == rootDevice;
}

/// One folder of the walk: where it is and, once read, its listing and sub-folders.
struct ListingReader::Slot {
    FolderTree::FolderPointer folder;
    bool taken = false;
    bool read = false;
    FolderListing listing;
    std::vector<SlotPointer> children; ///< the walked sub-folders, in entry order
};

ListingReader::ListingReader(FolderTree& tree, const VolumeTraits& traits, const ScanOptions& options)
    : tree_(tree), options_(options), traits_(traits) {
    auto root = std::make_shared<Slot>();
    root->folder = tree.root();
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

bool ListingReader::next(FolderListing& listing) {
    if (order_.empty())
        return false;
    const SlotPointer slot = std::move(order_.back());
    order_.pop_back();
    std::unique_lock lock(mutex_);
    if (!slot->read) {
        wanted_ = slot;
        changed_.notify_all();
        changed_.wait(lock, [&] { return slot->read || running_ == 0; });
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
        while (const SlotPointer slot = take())
            read(*slot, reader);
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
        // The folder the writer waits for is read even when enough others are ready.
        SlotPointer slot;
        if (wanted_ && !wanted_->taken) {
            slot = wanted_;
            // It is usually at or near the top.
            unread_.erase(std::prev(std::find(unread_.rbegin(), unread_.rend(), slot).base()));
        } else if (!unread_.empty() && readyListings_ < kReadyListings && readyEntries_ < kReadyEntries) {
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

void ListingReader::read(Slot& slot, DirectoryReader& reader) {
    FolderListing listing;
    std::vector<SlotPointer> children;
    FileDescriptor fd = tree_.open(slot.folder);
    listing.readable = fd.isOpen();
    if (listing.readable) {
        // A folder that fails part-way keeps the entries read before.
        reader.read(fd.get(), listing.entries);
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
                if (!listArchive(fd.get(), listing.entries.cNameOf(e), listing.archives.back()))
                    return;
            }
            if (IsWalkedFolder(e, name, tree_.rootDevice())) {
                children.push_back(std::make_shared<Slot>());
                children.back()->folder = tree_.child(slot.folder, name, e.inode);
            }
        }
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
        // The first sub-folder on top: the threads read ahead in walking order.
        unread_.insert(unread_.end(), children.rbegin(), children.rend());
    }
    changed_.notify_all();
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
    ArchiveMember row;
    for (std::int64_t i = 0; i < zip.count(); ++i) {
        if (i % kMemberBatch == kMemberBatch - 1 && stopping())
            return false;
        if (!zip.member(i, member))
            return true;
        SplitMemberPath(member.path, row.name, row.folder);
        // Entries without a name are the archive's own folders.
        if (row.name.trimmed().isEmpty())
            continue;
        row.size = member.size;
        row.modified = member.modified;
        archive.members.push_back(row);
    }
    archive.complete = true;
    return true;
}

} // namespace mendor
