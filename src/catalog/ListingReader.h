#pragma once
// The reading half of a volume scan: threads of their own list the folders (entries with their
// metadata, the folder's descript.ion, the members of its ZIP archives), a little ahead of the
// thread that writes the rows, which takes the listings one by one in walking order. Reading,
// the bulk of a scan, then runs on every core and overlaps with the database work.
//
// Everything a folder's listing needs from the medium is read here, through the folder's open
// descriptor and the entries' raw names: this is where further readers of file content (archives
// of other kinds, checksums) belong, so that the writing thread never touches the medium.
#include "catalog/DescriptIon.h"
#include "catalog/Scanner.h"
#include "platform/DirectoryReader.h"
#include "platform/FolderTree.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <QString>
#include <thread>
#include <vector>

namespace mendor {

struct ArchiveMember {
    QString name;   ///< the member's file name (never blank)
    QString folder; ///< "\" + its folder path inside the archive, up to and including the last "\"
    std::int64_t size = 0;
    std::int64_t modified = 0;
};

/// One ZIP archive's members with a name; the archive's own folders are left out.
struct ArchiveListing {
    bool opened = false;   ///< false: not a readable archive, it stays a plain file
    bool complete = false; ///< false: a damaged entry ended the listing after members
    std::vector<ArchiveMember> members;
};

/// One folder as the scan writes it.
struct FolderListing {
    bool readable = false;    ///< false: the folder could not be listed
    DirectoryListing entries; ///< in the file system's order
    DescriptIon descriptions;
    std::vector<ArchiveListing> archives; ///< one per archive entry, in entry order
};

/// Whether the scan reads this entry as a ZIP archive. Only regular files are opened: a FIFO
/// named x.zip would block the walk.
bool IsArchiveEntry(const DirectoryEntry& entry, QByteArrayView name, const ScanOptions& options);

/// Whether the walk enters this entry: dot-folders are not catalogued, and a walk never leaves
/// its volume.
bool IsWalkedFolder(const DirectoryEntry& entry, QByteArrayView name, std::uint64_t rootDevice);

class ListingReader {
public:
    /// Starts listing the folders of tree; listings come out of next() in walking order: a
    /// folder, then each walked sub-folder with everything below it, in entry order.
    ListingReader(FolderTree& tree, const VolumeTraits& traits, const ScanOptions& options);
    /// Stops the reading threads (wherever they are) and waits for them.
    ~ListingReader();
    ListingReader(const ListingReader&) = delete;
    ListingReader& operator=(const ListingReader&) = delete;

    /// The next folder's listing; false when the walk stopped early because of an abort.
    /// Rethrows anything a reading thread failed with.
    bool next(FolderListing& listing);

private:
    struct Slot;
    using SlotPointer = std::shared_ptr<Slot>;

    void stopThreads();
    void work();
    /// The folder a reading thread is to read next; null when it is to end.
    SlotPointer take();
    void read(Slot& slot, DirectoryReader& reader);
    bool stopping() const;
    /// False when the walk is to stop before the archive is listed to its end.
    bool listArchive(int folderFd, const char* name, ArchiveListing& archive) const;

    FolderTree& tree_;
    const ScanOptions options_;
    const VolumeTraits traits_;

    /// The writing side's own: the folders still to be handed over, the next one last.
    std::vector<SlotPointer> order_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SlotPointer> unread_; ///< folders found and not yet taken, the earliest last
    SlotPointer wanted_;              ///< the folder the writing side waits for
    std::size_t readyListings_ = 0;   ///< read and not yet handed over
    std::size_t readyEntries_ = 0;    ///< entries and descriptions of those listings
    int reading_ = 0;                 ///< folders being read
    int running_ = 0;                 ///< reading threads still running
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

} // namespace mendor
