#pragma once
// One folder's entries as a Windows directory search reports them: names, sizes, the DOS
// attribute bits and the three dates. Entries are read with getdents64 and statx relative to the
// open folder, by their raw name bytes; symbolic links are never followed and FIFOs, sockets and
// devices are never opened.
//
// Attributes come from the file system itself where it keeps DOS attributes (the FAT attribute
// ioctl, the NTFS and SMB attribute xattrs) and are otherwise derived from the POSIX mode:
// ARCHIVE for every non-folder, READONLY without any write bit, HIDDEN for a name beginning with
// a dot, COMPRESSED from the inode flag, HIDDEN and SYSTEM from a Samba/Wine user.DOSATTRIB xattr.
// NORMAL stands alone: it is reported only when no other bit is set.
//
// Dates are whole UTC seconds as the kernel reports them. The creation date is the birth time
// when the file system keeps a non-zero one, else the NTFS or SMB creation-time xattr, else the
// write time (never the change time, which chmod moves). FAT keeps local times on disk and the
// kernel converts them with its own time-zone setting, so a stick written elsewhere may show
// times off by the writer's UTC offset; nothing here can tell.
#include <cstdint>
#include <QByteArray>
#include <QByteArrayView>
#include <string>
#include <string_view>
#include <vector>

namespace mendor {

enum FileAttribute : std::uint32_t {
    kAttributeReadOnly = 0x1,
    kAttributeHidden = 0x2,
    kAttributeSystem = 0x4,
    kAttributeDirectory = 0x10,
    kAttributeArchive = 0x20,
    kAttributeNormal = 0x80,
    kAttributeTemporary = 0x100,
    kAttributeCompressed = 0x800,
};

enum class EntryKind : std::uint8_t {
    Folder,      ///< a real directory (a symbolic link to one is Other)
    RegularFile, ///< the only kind of file whose content is ever opened
    Other,       ///< symbolic links, FIFOs, sockets and devices: files of their own
};

/// One entry of a folder. Its name is kept in the listing's name buffer, so reading an entry
/// allocates nothing of its own.
struct DirectoryEntry {
    std::uint32_t nameOffset = 0; ///< where the name's bytes begin in the listing's buffer
    std::uint32_t nameLength = 0;
    EntryKind kind = EntryKind::Other;
    std::uint32_t attributes = 0; ///< FileAttribute bits, as the file system keeps them
    std::int64_t size = 0;        ///< bytes; 0 for folders, FIFOs, sockets and devices
    std::int64_t created = 0;     ///< UTC seconds since 1970
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    std::uint64_t device = 0; ///< the file system the entry lives on
    std::uint64_t inode = 0;

    bool isFolder() const { return kind == EntryKind::Folder; }
};

/// A folder's entries in the file system's order, their names in one buffer (each followed by
/// a NUL, so that it can be handed to the system as it stands).
class DirectoryListing {
public:
    const std::vector<DirectoryEntry>& entries() const { return entries_; }
    std::vector<DirectoryEntry>& entries() { return entries_; }
    QByteArrayView nameOf(const DirectoryEntry& entry) const {
        return QByteArrayView(names_.data() + entry.nameOffset, entry.nameLength);
    }
    const char* cNameOf(const DirectoryEntry& entry) const { return names_.data() + entry.nameOffset; }
    /// Every entry's name followed by a NUL, in entry order: the form readNamed() takes.
    std::string_view nameBuffer() const { return names_; }
    /// The memory the listing holds, for budgets of listings waiting in memory.
    std::size_t bytes() const { return names_.capacity() + entries_.capacity() * sizeof(DirectoryEntry); }

    /// Adds an entry named name and returns it for its fields to be filled; null when the
    /// listing cannot hold another name (4 GiB of names in one folder).
    DirectoryEntry* add(QByteArrayView name);
    /// Removes the last entry added.
    void dropLast();

private:
    std::string names_;
    std::vector<DirectoryEntry> entries_;
};

/// Where a volume's attributes and creation times come from; decided once per volume from its
/// file system type, so that walks of ext4 or tmpfs never pay for probes that cannot answer.
struct VolumeTraits {
    enum class AttributeSource : std::uint8_t {
        Derived,
        DerivedWithDosAttrib, ///< derived, plus HIDDEN and SYSTEM from user.DOSATTRIB
        FatIoctl,
        NtfsXattr,
        CifsXattr,
        Smb3Xattr,
    };
    AttributeSource source = AttributeSource::Derived;
    bool readOnlyMedium = false; ///< ISO 9660 and UDF: every file is read-only

    /// The traits of the volume whose root folder is open as rootFd.
    static VolumeTraits of(int rootFd);
};

/// Reads folders, one after the other, with a buffer of its own (one reader per thread).
class DirectoryReader {
public:
    enum class Detail : std::uint8_t {
        Full,        ///< everything in DirectoryEntry
        FoldersOnly, ///< the kind of every entry, and nothing else; a stat call only for entries
                     ///< whose kind the listing does not tell
    };

    explicit DirectoryReader(const VolumeTraits& traits);

    /// Appends the entries of the open folder folderFd other than "." and ".." to listing. An
    /// entry that vanished between listing and stat is skipped. False when the folder could not
    /// be read to its end (the entries read before stay).
    bool read(int folderFd, DirectoryListing& listing, Detail detail = Detail::Full);
    /// Appends the entries of the open folder folderFd named in names (each followed by a NUL),
    /// in that order, with everything in DirectoryEntry: a folder listed before is read again
    /// without listing it. A name no longer there is skipped. False when listing cannot hold them.
    bool readNamed(int folderFd, std::string_view names, DirectoryListing& listing);

private:
    /// An entry as a listing names it; inode and type are 0 and DT_UNKNOWN when it does not tell.
    struct Found {
        const char* name;
        std::size_t length;
        std::uint64_t inode;
        unsigned char type;
    };
    /// Adds the entry of folderFd; false when the listing cannot hold it.
    bool add(int folderFd, const Found& found, DirectoryListing& listing, Detail detail);
    bool stat(int folderFd, const char* name, DirectoryEntry& entry, Detail detail);
    void readAttributes(int folderFd, const char* name, DirectoryEntry& entry, std::uint32_t mode,
                        std::uint64_t statxAttributes, bool hasCreationTime);

    VolumeTraits traits_;
    std::vector<char> buffer_;
};

/// The attribute bits derived from a POSIX mode, the entry's name and its statx attributes.
std::uint32_t DeriveAttributes(std::uint32_t mode, QByteArrayView localName, std::uint64_t statxAttributes);

/// The HIDDEN and SYSTEM bits of a user.DOSATTRIB value written as hex text ("0x22"); 0 for
/// any other form.
std::uint32_t HiddenSystemFromDosAttrib(const QByteArray& value);

/// Whole Unix seconds (rounded down) of a Windows FILETIME (100 ns ticks since 1601).
std::int64_t UnixSecondsFromFileTime(std::uint64_t fileTime);

/// The bits as Windows reports them: NORMAL when nothing else is set, NORMAL dropped otherwise.
std::uint32_t WithNormalRule(std::uint32_t attributes);

} // namespace mendor
