#include "platform/VolumeInfo.h"

#include "platform/EjectService.h"
#include "platform/MediumFile.h"
#include "platform/MountTable.h"
#include "platform/UDisksEjectService.h"
#include "platform/VolumeProbe.h"
#include "platform/VolumeSuperblock.h"

#include <climits>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>
#include <memory>
#include <mutex>
#include <optional>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace mendor {
namespace {

// Linux 6.5 and later answer the file system's UUID to any user; older headers lack it.
struct FsUuid {
    __u8 length;
    __u8 uuid[16];
};
constexpr unsigned long kGetFsUuid = _IOR(0x15, 0, FsUuid);

constexpr int kStatTimeoutSeconds = 5;

/// Asks question on a thread that may be left behind, holding only its own shared state: a call
/// on a hung network share blocks in the kernel. nullopt when no answer comes in time.
template <typename Answer>
std::optional<Answer> AskWithTimeout(std::function<std::optional<Answer>()> question) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<Answer> answer;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, question = std::move(question)] {
        std::optional<Answer> answer = question();
        const std::lock_guard lock(shared->mutex);
        shared->answer = std::move(answer);
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::seconds(kStatTimeoutSeconds),
                               [&] { return shared->finished; }))
        return std::nullopt;
    return shared->answer;
}

/// count units of unitSize bytes, held at the largest value a size can have.
std::int64_t BytesOf(std::uint64_t count, std::uint64_t unitSize) {
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(count, unitSize, &bytes) || bytes > std::uint64_t(INT64_MAX))
        return INT64_MAX;
    return std::int64_t(bytes);
}

/// A file descriptor closed on every path.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

Fd OpenPath(const QString& path, int flags) {
    return Fd(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC));
}

QString ReadTrimmed(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

bool IsOpticalDevice(const QString& device) {
    static const QRegularExpression pattern(QStringLiteral("^/dev/sr\\d+$"));
    return pattern.match(device).hasMatch();
}

/// Where the medium's bytes can be read: the device when this process may read it, else the
/// image behind a loop device (with the loop's offset), else nothing.
struct Medium {
    QString path;
    std::int64_t offset = 0;
    bool isOptical = false;
};

std::optional<Medium> ReadableMediumOf(const DriveInfo& drive) {
    if (drive.device.isEmpty())
        return std::nullopt;
    const QByteArray device = QFile::encodeName(drive.device);
    if (::access(device.constData(), R_OK) == 0)
        return Medium{drive.device, 0, IsOpticalDevice(drive.device)};
    const QString name = QFileInfo(QFileInfo(drive.device).canonicalFilePath()).fileName();
    if (name.startsWith(QLatin1String("loop"))) {
        const QString loopDir = QStringLiteral("/sys/block/") + name + QStringLiteral("/loop/");
        const QString image = ReadTrimmed(loopDir + QStringLiteral("backing_file"));
        if (!image.isEmpty() && ::access(QFile::encodeName(image).constData(), R_OK) == 0)
            return Medium{image, ReadTrimmed(loopDir + QStringLiteral("offset")).toLongLong(), false};
    }
    return std::nullopt;
}

/// The first sector of the last session of a multisession disc; 0 for single sessions.
std::int64_t LastSessionStart(int fd) {
    cdrom_multisession session{};
    session.addr_format = CDROM_LBA;
    if (::ioctl(fd, CDROMMULTISESSION, &session) == 0 && session.xa_flag)
        return session.addr.lba;
    return 0;
}

std::optional<SuperblockFacts> SuperblockOf(const Medium& medium) {
    const Fd fd = OpenPath(medium.path, O_RDONLY | O_NONBLOCK);
    if (!fd.valid())
        return std::nullopt;
    const VolumeReader read = [&](std::int64_t offset, std::int64_t length) {
        QByteArray buffer(length, Qt::Uninitialized);
        const ssize_t got = ::pread(fd.get(), buffer.data(), length, medium.offset + offset);
        buffer.resize(got > 0 ? got : 0);
        return buffer;
    };
    return ReadSuperblock(read, medium.isOptical ? LastSessionStart(fd.get()) : 0);
}

std::int64_t MediumSize(const Medium& medium) {
    const Fd fd = OpenPath(medium.path, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return 0;
    if (S_ISBLK(st.st_mode)) {
        std::uint64_t bytes = 0;
        return ::ioctl(fd.get(), BLKGETSIZE64, &bytes) == 0 ? static_cast<std::int64_t>(bytes) : 0;
    }
    return S_ISREG(st.st_mode) ? st.st_size - medium.offset : 0;
}

/// udev's view of the drive's block device (readable by every user, kept current on media change).
QMap<QString, QString> UdevOf(const DriveInfo& drive) {
    if (!drive.device.startsWith(QLatin1String("/dev/")))
        return {};
    return BlockDeviceOf(drive.device, 0, 0).udev;
}

/// udev writes a label with blanks and unsafe characters as \xNN in ID_FS_LABEL_ENC.
QString DecodeUdevText(const QString& encoded) {
    QByteArray out;
    const QByteArray in = encoded.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        bool ok = false;
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

/// The Windows serial that a file system UUID as blkid spells it stands for.
std::optional<std::uint32_t> SerialFromUuid(const QString& fsType, const QString& uuid) {
    if (fsType == QLatin1String("iso9660") || fsType == QLatin1String("udf"))
        return std::nullopt; // these UUIDs are dates and set identifiers, not the serial
    QString hex = uuid;
    hex.remove(QLatin1Char('-'));
    if (fsType == QLatin1String("ntfs"))
        hex = hex.right(8);
    bool ok = false;
    const std::uint32_t serial = hex.left(8).toUInt(&ok, 16);
    return ok ? std::optional<std::uint32_t>(serial) : std::optional<std::uint32_t>(0);
}

std::optional<std::uint32_t> SerialFromRootIoctls(const QString& root, const QString& fsType) {
    const Fd fd = OpenPath(root, O_RDONLY | O_DIRECTORY);
    if (!fd.valid())
        return std::nullopt;
    if (fsType == QLatin1String("vfat") || fsType == QLatin1String("msdos")) {
        __u32 id = 0;
        if (::ioctl(fd.get(), FAT_IOCTL_GET_VOLUME_ID, &id) == 0)
            return id;
    }
    FsUuid uuid{};
    uuid.length = sizeof uuid.uuid;
    if (::ioctl(fd.get(), kGetFsUuid, &uuid) == 0 && uuid.length >= 4)
        return (std::uint32_t(uuid.uuid[0]) << 24) | (std::uint32_t(uuid.uuid[1]) << 16) |
               (std::uint32_t(uuid.uuid[2]) << 8) | uuid.uuid[3];
    return std::nullopt;
}

bool IsDosLabelPlaceholder(const QString& label) {
    return label.compare(QLatin1String("NO NAME"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString CurrentRootOf(const DriveInfo& drive) {
    if (!drive.followsDevice)
        return drive.root;
    const QString canonical = QFileInfo(drive.device).canonicalFilePath();
    const QList<MountEntry> table = ReadMountTable();
    for (const MountEntry& mount : table) {
        if (mount.source == drive.device ||
            (!canonical.isEmpty() && QFileInfo(mount.source).canonicalFilePath() == canonical))
            return mount.mountPoint;
    }
    return {};
}

DiskSpace DiskSpaceOf(const DriveInfo& drive) {
    const QString root = CurrentRootOf(drive);
    if (root.isEmpty())
        return {};
    const auto answer =
        AskWithTimeout<struct statvfs>([path = QFile::encodeName(root)]() -> std::optional<struct statvfs> {
            struct statvfs st {};
            if (::statvfs(path.constData(), &st) != 0)
                return std::nullopt;
            return st;
        });
    if (!answer)
        return {};

    DiskSpace space;
    space.total = BytesOf(answer->f_blocks, answer->f_frsize);
    space.free = BytesOf(answer->f_bfree, answer->f_frsize);
    if (space.total > 0)
        return space;

    // Some FUSE drivers report no size at all: take it from the medium, with nothing free.
    if (const auto medium = ReadableMediumOf(drive)) {
        const auto facts = SuperblockOf(*medium);
        space.total = facts && facts->size > 0 ? facts->size : MediumSize(*medium);
        space.free = 0;
    }
    return space;
}

bool RootIsListable(const DriveInfo& drive) {
    const QString root = CurrentRootOf(drive);
    if (root.isEmpty())
        return false;
    const auto listed = AskWithTimeout<bool>([path = QFile::encodeName(root)]() -> std::optional<bool> {
        const FileDescriptor fd = OpenLocalFolder(path);
        char buffer[4096];
        return fd.isOpen() && ::syscall(SYS_getdents64, fd.get(), buffer, sizeof buffer) >= 0;
    });
    return listed.value_or(false);
}

DriveType DriveTypeOf(const DriveInfo& drive) {
    const QString root = CurrentRootOf(drive);
    if (root.isEmpty()) {
        // An optical or floppy drive without a medium is still that kind of drive.
        const bool deviceThere = drive.followsDevice && QFileInfo::exists(drive.device);
        return deviceThere ? drive.type : DriveType::NoRootDir;
    }
    if (!QFileInfo(root).isDir())
        return DriveType::NoRootDir;
    if (drive.type != DriveType::Unknown && drive.type != DriveType::NoRootDir)
        return drive.type;
    const QList<MountEntry> table = ReadMountTable();
    const MountEntry* mount = MountContaining(table, root);
    return mount ? ClassifyMount(*mount) : DriveType::Fixed;
}

QString VolumeLabelOf(const DriveInfo& drive) {
    const QString root = CurrentRootOf(drive);
    const auto medium = ReadableMediumOf(drive);
    if (medium) {
        if (const auto facts = SuperblockOf(*medium)) {
            if (facts->kind == SuperblockKind::Iso9660 || facts->kind == SuperblockKind::Udf)
                return facts->label.trimmed();
        }
    }
    if (!root.isEmpty()) {
        const Fd fd = OpenPath(root, O_RDONLY | O_DIRECTORY);
        char label[FSLABEL_MAX + 1] = {};
        if (fd.valid() && ::ioctl(fd.get(), FS_IOC_GETFSLABEL, label) == 0)
            return QString::fromUtf8(label).trimmed();
    }
    if (medium) {
        if (const auto probed = ProbeVolume(medium->path)) {
            if (!probed->type.isEmpty())
                return IsDosLabelPlaceholder(probed->label) ? QString() : probed->label;
        }
    }
    const QMap<QString, QString> udev = UdevOf(drive);
    QString label = udev.contains(QStringLiteral("ID_FS_LABEL_ENC"))
                        ? DecodeUdevText(udev.value(QStringLiteral("ID_FS_LABEL_ENC")))
                        : udev.value(QStringLiteral("ID_FS_LABEL"));
    label = label.trimmed();
    return IsDosLabelPlaceholder(label) ? QString() : label;
}

std::optional<std::uint32_t> VolumeSerialOf(const DriveInfo& drive) {
    const QString root = CurrentRootOf(drive);
    const auto medium = ReadableMediumOf(drive);
    if (medium) {
        if (const auto facts = SuperblockOf(*medium))
            return facts->serial;
    }
    if (!root.isEmpty() &&
        (drive.fsType == QLatin1String("vfat") || drive.fsType == QLatin1String("msdos"))) {
        if (const auto serial = SerialFromRootIoctls(root, drive.fsType))
            return serial;
    }
    if (medium) {
        if (const auto probed = ProbeVolume(medium->path); probed && !probed->uuid.isEmpty())
            return SerialFromUuid(probed->type, probed->uuid);
    }
    const QMap<QString, QString> udev = UdevOf(drive);
    const QString uuid = udev.value(QStringLiteral("ID_FS_UUID"));
    if (!uuid.isEmpty())
        return SerialFromUuid(udev.value(QStringLiteral("ID_FS_TYPE")), uuid);
    if (root.isEmpty())
        return std::nullopt; // no medium
    if (const auto serial = SerialFromRootIoctls(root, drive.fsType))
        return serial;
    // A CD that cannot be read has no serial to give; other volumes simply have none.
    if (drive.type == DriveType::CdRom)
        return std::nullopt;
    return 0;
}

void SetHiddenAttribute(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return;
    constexpr unsigned long kMsdosMagic = 0x4d44;
    constexpr unsigned long kExfatMagic = 0x2011BAB0;
    constexpr unsigned long kCifsMagic = 0xFF534D42;
    constexpr unsigned long kSmb2Magic = 0xFE534D42;
    constexpr std::uint32_t kHidden = 0x2;
    const auto type = static_cast<unsigned long>(fs.f_type);

    if (type == kMsdosMagic || type == kExfatMagic) {
        __u32 attributes = 0;
        if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) {
            attributes |= kHidden;
            if (::ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes) == 0)
                return;
        }
    }
    // NTFS (ntfs-3g and ntfs3) and SMB shares keep the DOS attributes as a native 32-bit value.
    const char* nativeAttribute =
        (type == kCifsMagic || type == kSmb2Magic) ? "user.cifs.dosattrib" : "system.ntfs_attrib";
    std::uint32_t attributes = 0;
    if (::fgetxattr(fd, nativeAttribute, &attributes, sizeof attributes) == sizeof attributes) {
        attributes |= kHidden;
        if (::fsetxattr(fd, nativeAttribute, &attributes, sizeof attributes, 0) == 0)
            return;
    }
    // Samba and Wine read "0x.." text from user.DOSATTRIB. A binary form written by Samba is left
    // alone rather than replaced by a shorter one.
    char existing[64] = {};
    const ssize_t length = ::fgetxattr(fd, "user.DOSATTRIB", existing, sizeof existing - 1);
    std::uint32_t dos = 0;
    if (length > 0) {
        const QByteArray text(existing, length);
        bool ok = false;
        if (!text.startsWith("0x") || text.contains('\0'))
            return;
        dos = text.mid(2).toUInt(&ok, 16);
        if (!ok)
            return;
    }
    const QByteArray value = "0x" + QByteArray::number(dos | kHidden, 16);
    ::fsetxattr(fd, "user.DOSATTRIB", value.constData(), value.size(), 0);
}

EjectResult EjectDrive(const DriveInfo& drive) {
    UDisksEjectService service;
    return EjectDrive(drive, service);
}

} // namespace mendor
