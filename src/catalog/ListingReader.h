#pragma once
// The reading half of a volume scan: threads of their own list the folders (entries with their
// metadata, the folder's descript.ion, the members of its ZIP archives), a little ahead of the
// thread that writes the rows, which takes the listings one by one in walking order. Reading,
// the bulk of a scan, then runs on every core and overlaps with the database work.
//
// Everything a folder's listing needs from the medium is read here, through the folder's open
// descriptor and the entries' raw names: this is where further readers of file content (archives
// of other kinds, checksums) belong, so that the writing thread never touches the medium.
#include "catalog/CountedVolume.h"
#include "catalog/DescriptIon.h"
#include "catalog/FileChecksum.h"
#include "catalog/Scanner.h"
#include "platform/DirectoryReader.h"
#include "platform/FolderTree.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
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

/// One archive's members with a name; the archive's own folders are left out.
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
    struct FileSum {
        std::uint32_t entry = 0; ///< index into entries
        Checksum checksum{};
    };
    std::vector<FileSum> checksums; ///< with the checksums option: the files read, in entry order
};

/// Whether the scan reads this entry as an archive: a ZIP archive with the ZIP option, another
/// archive (catalog/ArchiveLister.h) with that option. Only regular files are opened: a FIFO
/// named x.zip would block the walk.
bool IsArchiveEntry(const DirectoryEntry& entry, QByteArrayView name, const ScanOptions& options);

/// Whether the walk enters this entry: dot-folders are not catalogued, and a walk never leaves
/// its volume.
bool IsWalkedFolder(const DirectoryEntry& entry, QByteArrayView name, std::uint64_t rootDevice);

class ListingReader {
public:
    /// Starts listing the folders of tree; listings come out of next() in walking order: a
    /// folder, then each walked sub-folder with everything below it, in entry order. Folders
    /// in counted (the root's record of a counting pass, or null) are read by the names kept.
    ListingReader(FolderTree& tree, const VolumeTraits& traits, const ScanOptions& options,
                  std::shared_ptr<CountedFolder> counted = nullptr);
    /// Stops the reading threads (wherever they are) and waits for them.
    ~ListingReader();
    ListingReader(const ListingReader&) = delete;
    ListingReader& operator=(const ListingReader&) = delete;

    /// The next folder's listing; false when the walk stopped early because of an abort.
    /// Rethrows anything a reading thread failed with. While it waits for the listing (a folder
    /// of large files read for checksums may take minutes), waiting is called now and then.
    bool next(FolderListing& listing, const std::function<void()>& waiting = {});

    /// The bytes read for checksums so far, by every reading thread.
    std::uint64_t checksumBytes() const { return checksumBytes_.load(std::memory_order_relaxed); }

private:
    struct Slot;
    using SlotPointer = std::shared_ptr<Slot>;

    /// The heap order of unread_.
    static bool laterInWalk(const SlotPointer& a, const SlotPointer& b);
    void stopThreads();
    void work();
    /// The folder a reading thread is to read next; null when it is to end.
    SlotPointer take();
    void read(Slot& slot, DirectoryReader& reader, ChecksumReader& checksums);
    /// Makes child the counting pass's folder called name among parent's sub-folders from next
    /// on, when there is one, and moves next past it.
    static void adoptCounted(Slot& child, CountedFolder& parent, std::size_t& next, QByteArrayView name);
    bool stopping() const;
    /// False when the walk is to stop before the archive is listed to its end.
    bool listArchive(int folderFd, const char* name, ArchiveListing& archive) const;
    bool listOtherArchive(int folderFd, const char* name, ArchiveListing& archive) const;
    /// Adds the checksum of each regular file that is not catalogued as an archive; false when
    /// the walk is to stop.
    bool readChecksums(int folderFd, FolderListing& listing, ChecksumReader& checksums) const;

    FolderTree& tree_;
    const ScanOptions options_;
    const VolumeTraits traits_;

    /// The writing side's own: the folders still to be handed over, the next one last.
    std::vector<SlotPointer> order_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    /// Folders found and not yet taken: a heap whose top is the earliest in walking order.
    std::vector<SlotPointer> unread_;
    SlotPointer wanted_;            ///< the folder the writing side waits for
    std::size_t readyListings_ = 0; ///< read and not yet handed over
    std::size_t readyEntries_ = 0;  ///< entries and descriptions of those listings
    int reading_ = 0;               ///< folders being read
    int running_ = 0;               ///< reading threads still running
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
    std::atomic<std::uint64_t> checksumBytes_ = 0;
};

} // namespace mendor
