#include "platform/DirectoryReader.h"

#include "platform/NameMapping.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
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

bool hasXattr(const char* path, const char* name) {
    return lgetxattr(path, name, nullptr, 0) >= 0;
}

bool readU32Xattr(const char* path, const char* name, std::uint32_t& value) {
    return lgetxattr(path, name, &value, sizeof value) == ssize_t(sizeof value);
}

bool readU64Xattr(const char* path, const char* name, std::uint64_t& value) {
    return lgetxattr(path, name, &value, sizeof value) == ssize_t(sizeof value);
}

bool fatIoctlAnswers(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::uint32_t attributes = 0;
    const bool answered = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0;
    ::close(fd);
    return answered;
}

VolumeTraits::AttributeSource derivedSourceFor(const char* root) {
    // Samba and Wine keep HIDDEN and SYSTEM in user.DOSATTRIB; a volume used that way carries it
    // on its root folder too, and only then is every entry asked for it.
    return hasXattr(root, kDosAttrib) ? VolumeTraits::AttributeSource::DerivedWithDosAttrib
                                      : VolumeTraits::AttributeSource::Derived;
}

} // namespace

std::uint32_t DeriveAttributes(std::uint32_t mode, const QByteArray& localName,
                               std::uint64_t statxAttributes) {
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

VolumeTraits VolumeTraits::of(const QByteArray& localRoot) {
    using Source = AttributeSource;
    VolumeTraits traits;
    const char* root = localRoot.constData();
    struct statfs fs {};
    if (statfs(root, &fs) != 0)
        return traits;
    switch (long(fs.f_type)) {
    case kMsdosMagic:
    case kExfatMagic:
        // exFAT answers the FAT ioctl only on recent kernels.
        traits.source = fatIoctlAnswers(root) ? Source::FatIoctl : derivedSourceFor(root);
        break;
    case kNtfsMagic:
    case kNtfs3Magic:
        traits.source = Source::NtfsXattr;
        break;
    case kFuseMagic:
        traits.source = hasXattr(root, kNtfsAttrib) ? Source::NtfsXattr : derivedSourceFor(root);
        break;
    case kCifsMagic:
    case kSmb2Magic:
        traits.source = hasXattr(root, kCifsAttrib)   ? Source::CifsXattr
                        : hasXattr(root, kSmb3Attrib) ? Source::Smb3Xattr
                                                      : Source::Derived;
        break;
    case kIsoMagic:
    case kUdfMagic:
        traits.readOnlyMedium = true;
        break;
    default:
        traits.source = derivedSourceFor(root);
        break;
    }
    return traits;
}

DirectoryReader::DirectoryReader(const QByteArray& localPath, const VolumeTraits& traits)
    : traits_(traits), localPath_(localPath) {
    open(::open(localPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

DirectoryReader::DirectoryReader(const DirectoryReader& parent, const QByteArray& localName)
    : traits_(parent.traits_), localPath_(parent.entryPath(localName)) {
    if (parent.fd_ >= 0)
        open(::openat(parent.fd_, localName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

DirectoryReader::~DirectoryReader() {
    if (dir_)
        closedir(dir_);
}

void DirectoryReader::open(int fd) {
    if (fd < 0)
        return;
    dir_ = fdopendir(fd);
    if (!dir_) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

QByteArray DirectoryReader::entryPath(const QByteArray& localName) const {
    QByteArray path = localPath_;
    if (!path.endsWith('/'))
        path.append('/');
    return path.append(localName);
}

bool DirectoryReader::next(DirectoryEntry& entry, Detail detail) {
    if (!dir_)
        return false;
    for (;;) {
        errno = 0;
        const dirent* found = readdir(dir_);
        if (!found)
            return false;
        const char* name = found->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry.localName = QByteArray(name, qsizetype(std::strlen(name)));
        if (detail == Detail::FoldersOnly && found->d_type != DT_DIR && found->d_type != DT_UNKNOWN) {
            entry.kind = found->d_type == DT_REG ? EntryKind::RegularFile : EntryKind::Other;
            return true;
        }
        if (stat(entry, detail))
            return true;
    }
}

bool DirectoryReader::stat(DirectoryEntry& entry, Detail detail) {
    struct statx info {};
    if (statx(fd_, entry.localName.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;
    const std::uint32_t mode = info.stx_mode;
    entry.kind = S_ISDIR(mode)   ? EntryKind::Folder
                 : S_ISREG(mode) ? EntryKind::RegularFile
                                 : EntryKind::Other;
    entry.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    if (detail == Detail::FoldersOnly)
        return true;

    entry.name = CatalogNameFromLocal(entry.localName);
    // Folders report no size, as on Windows; FIFOs, sockets and devices have no length of their own.
    entry.size =
        entry.kind == EntryKind::Folder || S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode)
            ? 0
            : std::int64_t(std::min<std::uint64_t>(info.stx_size, std::numeric_limits<std::int64_t>::max()));
    entry.accessed = info.stx_atime.tv_sec;
    entry.modified = info.stx_mtime.tv_sec;
    // Some file systems set the btime bit but leave the time 0: that is no creation time.
    const bool hasCreationTime = (info.stx_mask & STATX_BTIME) && info.stx_btime.tv_sec != 0;
    entry.created = hasCreationTime ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
    readAttributes(entry, mode, info.stx_attributes, hasCreationTime);
    return true;
}

void DirectoryReader::readAttributes(DirectoryEntry& entry, std::uint32_t mode, std::uint64_t statxAttributes,
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
            const int fd = ::openat(fd_, entry.localName.constData(), flags);
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
        const QByteArray path = entryPath(entry.localName);
        const char* name = traits_.source == Source::NtfsXattr   ? kNtfsAttrib
                           : traits_.source == Source::CifsXattr ? kCifsAttrib
                                                                 : kSmb3Attrib;
        known = readU32Xattr(path.constData(), name, attributes);
        if (!hasCreationTime) {
            std::uint64_t fileTime = 0;
            const char* timeName =
                traits_.source == Source::NtfsXattr ? kNtfsCreationTime : kCifsCreationTime;
            if (readU64Xattr(path.constData(), timeName, fileTime) && fileTime != 0)
                entry.created = UnixSecondsFromFileTime(fileTime);
        }
        break;
    }
    }
    if (!known) {
        attributes = DeriveAttributes(mode, entry.localName, statxAttributes);
        if (traits_.source == Source::DerivedWithDosAttrib) {
            char value[64];
            const ssize_t length =
                lgetxattr(entryPath(entry.localName).constData(), kDosAttrib, value, sizeof value);
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
