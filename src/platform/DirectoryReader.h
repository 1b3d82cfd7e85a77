#pragma once
// One folder's entries as a Windows directory search reports them: names, sizes, the DOS
// attribute bits and the three dates. Entries are read with readdir and statx relative to the
// folder's descriptor; symbolic links are never followed and FIFOs, sockets and devices are
// never opened.
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
#include <dirent.h>
#include <QByteArray>
#include <QString>

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

struct DirectoryEntry {
    QByteArray localName; ///< the name's bytes on the file system
    QString name;         ///< the catalog form of the name
    EntryKind kind = EntryKind::Other;
    std::int64_t size = 0;        ///< bytes; 0 for folders, FIFOs, sockets and devices
    std::uint32_t attributes = 0; ///< FileAttribute bits, as the file system keeps them
    std::int64_t created = 0;     ///< UTC seconds since 1970
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    std::uint64_t device = 0; ///< the file system the entry lives on

    bool isFolder() const { return kind == EntryKind::Folder; }
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

    /// The traits of the volume whose root folder is localRoot.
    static VolumeTraits of(const QByteArray& localRoot);
};

class DirectoryReader {
public:
    enum class Detail : std::uint8_t {
        Full,        ///< everything in DirectoryEntry
        FoldersOnly, ///< kind and localName of every entry; the rest (and the stat call) only
                     ///< for folders and entries whose kind the listing does not tell
    };

    /// Opens a folder by its local path.
    DirectoryReader(const QByteArray& localPath, const VolumeTraits& traits);
    /// Opens the sub-folder localName of an open reader; a symbolic link is not followed.
    DirectoryReader(const DirectoryReader& parent, const QByteArray& localName);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    /// The open folder, for opening its entries by name.
    int fd() const { return fd_; }
    const QByteArray& localPath() const { return localPath_; }

    /// The next entry other than "." and ".."; false at the end or when the folder cannot be
    /// read further. An entry that vanished between listing and stat is skipped.
    bool next(DirectoryEntry& entry, Detail detail = Detail::Full);

private:
    void open(int fd);
    bool stat(DirectoryEntry& entry, Detail detail);
    void readAttributes(DirectoryEntry& entry, std::uint32_t mode, std::uint64_t statxAttributes,
                        bool hasCreationTime);
    QByteArray entryPath(const QByteArray& localName) const;

    VolumeTraits traits_;
    QByteArray localPath_;
    DIR* dir_ = nullptr;
    int fd_ = -1;
};

/// The attribute bits derived from a POSIX mode, the entry's name and its statx attributes.
std::uint32_t DeriveAttributes(std::uint32_t mode, const QByteArray& localName,
                               std::uint64_t statxAttributes);

/// The HIDDEN and SYSTEM bits of a user.DOSATTRIB value written as hex text ("0x22"); 0 for
/// any other form.
std::uint32_t HiddenSystemFromDosAttrib(const QByteArray& value);

/// Whole Unix seconds (rounded down) of a Windows FILETIME (100 ns ticks since 1601).
std::int64_t UnixSecondsFromFileTime(std::uint64_t fileTime);

/// The bits as Windows reports them: NORMAL when nothing else is set, NORMAL dropped otherwise.
std::uint32_t WithNormalRule(std::uint32_t attributes);

} // namespace mendor
