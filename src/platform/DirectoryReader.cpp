#include "platform/DirectoryReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace mendor {

namespace {

// File system magic numbers (statfs f_type) of the kinds that keep DOS attributes.
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;
constexpr long kNtfsMagic = 0x5346544e;  // the old ntfs driver
constexpr long kNtfs3Magic = 0x7366746e; // ntfs3
constexpr long kFuseMagic = 0x65735546;  // ntfs-3g among others
constexpr long kCifsMagic = static_cast<long>(0xFF534D42);
constexpr long kSmb2Magic = static_cast<long>(0xFE534D42);
constexpr long kIsoMagic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

constexpr const char* kNtfsAttrib = "system.ntfs_attrib";
constexpr const char* kNtfsCreationTime = "system.ntfs_crtime";
constexpr const char* kCifsAttrib = "user.cifs.dosattrib";
constexpr const char* kSmb3Attrib = "user.smb3.dosattrib";
constexpr const char* kCifsCreationTime = "user.cifs.creationtime";
constexpr const char* kDosAttrib = "user.DOSATTRIB";

// Seconds from 1601-01-01 (FILETIME's epoch) to 1970-01-01.
constexpr std::int64_t kFileTimeEpochOffset = 11644473600LL;

constexpr std::size_t kListingBufferSize = 64 * 1024;

bool hasXattr(int fd, const char* name) {
    return fgetxattr(fd, name, nullptr, 0) >= 0;
}

bool readU32Xattr(const char* path, const char* name, std::uint32_t& value) {
    return lgetxattr(path, name, &value, sizeof value) == ssize_t(sizeof value);
}

bool readU64Xattr(const char* path, const char* name, std::uint64_t& value) {
    return lgetxattr(path, name, &value, sizeof value) == ssize_t(sizeof value);
}

VolumeTraits::AttributeSource derivedSourceFor(int rootFd) {
    // Samba and Wine keep HIDDEN and SYSTEM in user.DOSATTRIB; a volume used that way carries it
    // on its root folder too, and only then is every entry asked for it.
    return hasXattr(rootFd, kDosAttrib) ? VolumeTraits::AttributeSource::DerivedWithDosAttrib
                                        : VolumeTraits::AttributeSource::Derived;
}

/// A path that names the entry name of the open folder folderFd without following a link in
/// it, for the calls that take only paths (the xattr ones): /proc/self/fd/N/name.
std::string entryPath(int folderFd, const char* name) {
    return "/proc/self/fd/" + std::to_string(folderFd) + '/' + name;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

std::uint32_t DeriveAttributes(std::uint32_t mode, QByteArrayView localName, std::uint64_t statxAttributes) {
    std::uint32_t attributes = S_ISDIR(mode) ? kAttributeDirectory : kAttributeArchive;
    if ((mode & 0222) == 0)
        attributes |= kAttributeReadOnly;
    if (localName.startsWith('.'))
        attributes |= kAttributeHidden;
    if (statxAttributes & STATX_ATTR_COMPRESSED)
        attributes |= kAttributeCompressed;
    return attributes;
}

std::uint32_t HiddenSystemFromDosAttrib(const QByteArray& value) {
    QByteArray text = value;
    if (text.endsWith('\0'))
        text.chop(1);
    if (!text.startsWith("0x") && !text.startsWith("0X"))
        return 0;
    bool ok = false;
    const std::uint32_t bits = text.mid(2).toUInt(&ok, 16);
    return ok ? bits & (kAttributeHidden | kAttributeSystem) : 0;
}

std::int64_t UnixSecondsFromFileTime(std::uint64_t fileTime) {
    return std::int64_t(fileTime / 10000000ULL) - kFileTimeEpochOffset;
}

std::uint32_t WithNormalRule(std::uint32_t attributes) {
    const std::uint32_t others = attributes & ~std::uint32_t(kAttributeNormal);
    return others == 0 ? std::uint32_t(kAttributeNormal) : others;
}

VolumeTraits VolumeTraits::of(int rootFd) {
    using Source = AttributeSource;
    VolumeTraits traits;
    struct statfs fs {};
    if (fstatfs(rootFd, &fs) != 0)
        return traits;
    switch (long(fs.f_type)) {
    case kMsdosMagic:
    case kExfatMagic: {
        // exFAT answers the FAT ioctl only on recent kernels.
        std::uint32_t attributes = 0;
        traits.source = ioctl(rootFd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0 ? Source::FatIoctl
                                                                                  : derivedSourceFor(rootFd);
        break;
    }
    case kNtfsMagic:
    case kNtfs3Magic:
        traits.source = Source::NtfsXattr;
        break;
    case kFuseMagic:
        traits.source = hasXattr(rootFd, kNtfsAttrib) ? Source::NtfsXattr : derivedSourceFor(rootFd);
        break;
    case kCifsMagic:
    case kSmb2Magic:
        traits.source = hasXattr(rootFd, kCifsAttrib)   ? Source::CifsXattr
                        : hasXattr(rootFd, kSmb3Attrib) ? Source::Smb3Xattr
                                                        : Source::Derived;
        break;
    case kIsoMagic:
    case kUdfMagic:
        traits.readOnlyMedium = true;
        break;
    default:
        traits.source = derivedSourceFor(rootFd);
        break;
    }
    return traits;
}

DirectoryEntry* DirectoryListing::add(QByteArrayView name) {
    const std::size_t offset = names_.size();
    if (offset + std::size_t(name.size()) + 1 > std::numeric_limits<std::uint32_t>::max())
        return nullptr;
    names_.append(name.data(), std::size_t(name.size()));
    names_.push_back('\0');
    DirectoryEntry& entry = entries_.emplace_back();
    entry.nameOffset = std::uint32_t(offset);
    entry.nameLength = std::uint32_t(name.size());
    return &entry;
}

void DirectoryListing::dropLast() {
    names_.resize(entries_.back().nameOffset);
    entries_.pop_back();
}

DirectoryReader::DirectoryReader(const VolumeTraits& traits) : traits_(traits), buffer_(kListingBufferSize) {}

bool DirectoryReader::read(int folderFd, DirectoryListing& listing, Detail detail) {
    // The records getdents64 fills the buffer with: inode, offset, record length, type, name.
    constexpr std::size_t kInodeAt = 0;
    constexpr std::size_t kLengthAt = 16;
    constexpr std::size_t kTypeAt = 18;
    constexpr std::size_t kNameAt = 19;
    for (;;) {
        const long got = syscall(SYS_getdents64, folderFd, buffer_.data(), buffer_.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (long at = 0; at < got;) {
            const char* record = buffer_.data() + at;
            std::uint16_t length = 0;
            std::memcpy(&length, record + kLengthAt, sizeof length);
            at += length;
            const char* name = record + kNameAt;
            if (isDotOrDotDot(name))
                continue;
            std::uint64_t inode = 0;
            std::memcpy(&inode, record + kInodeAt, sizeof inode);
            if (!add(folderFd, {name, std::strlen(name), inode, static_cast<unsigned char>(record[kTypeAt])},
                     listing, detail))
                return false;
        }
    }
}

bool DirectoryReader::readNamed(int folderFd, std::string_view names, DirectoryListing& listing) {
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        const std::size_t length = std::strlen(name);
        at += length + 1;
        if (!add(folderFd, {name, length, 0, DT_UNKNOWN}, listing, Detail::Full))
            return false;
    }
    return true;
}

bool DirectoryReader::add(int folderFd, const Found& found, DirectoryListing& listing, Detail detail) {
    DirectoryEntry* entry = listing.add(QByteArrayView(found.name, qsizetype(found.length)));
    if (!entry)
        return false;
    entry->inode = found.inode;
    if (detail == Detail::FoldersOnly && found.type != DT_UNKNOWN) {
        entry->kind = found.type == DT_DIR   ? EntryKind::Folder
                      : found.type == DT_REG ? EntryKind::RegularFile
                                             : EntryKind::Other;
        return true;
    }
    if (!stat(folderFd, found.name, *entry, detail))
        listing.dropLast();
    return true;
}

bool DirectoryReader::stat(int folderFd, const char* name, DirectoryEntry& entry, Detail detail) {
    struct statx info {};
    if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
              &info) != 0)
        return false;
    const std::uint32_t mode = info.stx_mode;
    entry.kind = S_ISDIR(mode)   ? EntryKind::Folder
                 : S_ISREG(mode) ? EntryKind::RegularFile
                                 : EntryKind::Other;
    entry.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    entry.inode = info.stx_ino;
    if (detail == Detail::FoldersOnly)
        return true;

    // Folders report no size, as on Windows; FIFOs, sockets and devices have no length of their
    // own. A length beyond every signed total (a file system may claim one) is held there.
    const bool hasLength = entry.kind == EntryKind::RegularFile || S_ISLNK(mode);
    entry.size =
        hasLength
            ? std::int64_t(std::min<std::uint64_t>(info.stx_size, std::numeric_limits<std::int64_t>::max()))
            : 0;
    entry.accessed = info.stx_atime.tv_sec;
    entry.modified = info.stx_mtime.tv_sec;
    // Some file systems set the btime bit but leave the time 0: that is no creation time.
    const bool hasCreationTime = (info.stx_mask & STATX_BTIME) && info.stx_btime.tv_sec != 0;
    entry.created = hasCreationTime ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
    readAttributes(folderFd, name, entry, mode, info.stx_attributes, hasCreationTime);
    return true;
}

void DirectoryReader::readAttributes(int folderFd, const char* name, DirectoryEntry& entry,
                                     std::uint32_t mode, std::uint64_t statxAttributes,
                                     bool hasCreationTime) {
    using Source = VolumeTraits::AttributeSource;
    std::uint32_t attributes = 0;
    bool known = false;
    switch (traits_.source) {
    case Source::Derived:
    case Source::DerivedWithDosAttrib:
        break;
    case Source::FatIoctl:
        if (entry.kind == EntryKind::Folder || entry.kind == EntryKind::RegularFile) {
            const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                              (entry.kind == EntryKind::Folder ? O_DIRECTORY : 0);
            const int fd = ::openat(folderFd, name, flags);
            if (fd >= 0) {
                known = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0;
                ::close(fd);
                // The volume-label bit is not an attribute a directory search reports.
                attributes &= ~std::uint32_t(ATTR_VOLUME);
            }
        }
        break;
    case Source::NtfsXattr:
    case Source::CifsXattr:
    case Source::Smb3Xattr: {
        const std::string path = entryPath(folderFd, name);
        const char* attributeName = traits_.source == Source::NtfsXattr   ? kNtfsAttrib
                                    : traits_.source == Source::CifsXattr ? kCifsAttrib
                                                                          : kSmb3Attrib;
        known = readU32Xattr(path.c_str(), attributeName, attributes);
        if (!hasCreationTime) {
            std::uint64_t fileTime = 0;
            const char* timeName =
                traits_.source == Source::NtfsXattr ? kNtfsCreationTime : kCifsCreationTime;
            if (readU64Xattr(path.c_str(), timeName, fileTime) && fileTime != 0)
                entry.created = UnixSecondsFromFileTime(fileTime);
        }
        break;
    }
    }
    if (!known) {
        attributes = DeriveAttributes(mode, QByteArrayView(name, entry.nameLength), statxAttributes);
        if (traits_.source == Source::DerivedWithDosAttrib) {
            char value[64];
            const ssize_t length =
                lgetxattr(entryPath(folderFd, name).c_str(), kDosAttrib, value, sizeof value);
            if (length > 0)
                attributes |= HiddenSystemFromDosAttrib(QByteArray(value, length));
        }
    }
    if (traits_.readOnlyMedium)
        attributes |= kAttributeReadOnly;
    if (entry.kind == EntryKind::Folder)
        attributes |= kAttributeDirectory;
    entry.attributes = WithNormalRule(attributes);
}

} // namespace mendor
