#include "platform/DriveClassification.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace mendor {
namespace {

QString ReadTrimmed(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

/// The "E:KEY=value" lines of a udev database entry.
QMap<QString, QString> ReadUdevProperties(const QString& path) {
    QMap<QString, QString> properties;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return properties;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith("E:"))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 2)
            properties.insert(QString::fromUtf8(line.mid(2, equals - 2)),
                              QString::fromUtf8(line.mid(equals + 1)));
    }
    return properties;
}

/// Names such as "sr0", "sr10", "sr2" in number order.
QStringList NumberedBlockNames(const SystemRoots& roots, const QString& prefix) {
    const QRegularExpression pattern(QStringLiteral("^%1(\\d+)$").arg(prefix));
    QStringList names;
    for (const QString& name : QDir(roots.sys + QStringLiteral("/block"))
                                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (pattern.match(name).hasMatch())
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return a.mid(prefix.size()).toInt() < b.mid(prefix.size()).toInt();
    });
    return names;
}

bool IsOpticalSource(const QString& source) {
    static const QRegularExpression pattern(QStringLiteral("^/dev/sr\\d+$"));
    return pattern.match(source).hasMatch();
}

bool LooksLikeNetworkSource(const QString& source) {
    static const QRegularExpression hostPath(QStringLiteral("^[^/:\\s]+:/"));
    return source.startsWith(QLatin1String("//")) || hostPath.match(source).hasMatch();
}

} // namespace

bool IsNetworkFsType(const QString& fsType) {
    static const QSet<QString> network = {
        QStringLiteral("nfs"),
        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("ncpfs"),
        QStringLiteral("9p"),
        QStringLiteral("afs"),
        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),
        QStringLiteral("lustre"),
        QStringLiteral("gpfs"),
        QStringLiteral("beegfs"),
        QStringLiteral("virtiofs"),
        QStringLiteral("vboxsf"),
        QStringLiteral("fuse.sshfs"),
        QStringLiteral("sshfs"),
        QStringLiteral("fuse.rclone"),
        QStringLiteral("fuse.s3fs"),
        QStringLiteral("fuse.davfs2"),
        QStringLiteral("fuse.glusterfs"),
        QStringLiteral("fuse.vmhgfs-fuse"),
    };
    return network.contains(fsType);
}

BlockDevice BlockDeviceOf(const QString& deviceNode, unsigned major, unsigned minor,
                          const SystemRoots& roots) {
    BlockDevice device;
    QString sysfsDir;
    if (deviceNode.startsWith(QLatin1String("/dev/"))) {
        const QString resolved = QFileInfo(deviceNode).canonicalFilePath();
        const QString name = QFileInfo(resolved.isEmpty() ? deviceNode : resolved).fileName();
        const QString classDir = roots.sys + QStringLiteral("/class/block/") + name;
        if (QFileInfo::exists(classDir))
            sysfsDir = QFileInfo(classDir).canonicalFilePath();
    }
    if (sysfsDir.isEmpty() && major != 0) {
        const QString numberDir = roots.sys + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor);
        if (QFileInfo::exists(numberDir))
            sysfsDir = QFileInfo(numberDir).canonicalFilePath();
    }
    if (sysfsDir.isEmpty())
        return device;

    device.sysfsDir = sysfsDir;
    device.name = QFileInfo(sysfsDir).fileName();
    // A partition's folder sits inside its disk's folder and has a "partition" file.
    device.wholeDiskDir = QFileInfo::exists(sysfsDir + QStringLiteral("/partition"))
                              ? QFileInfo(sysfsDir).absolutePath()
                              : sysfsDir;
    device.removable = ReadTrimmed(device.wholeDiskDir + QStringLiteral("/removable")) == QLatin1String("1");
    device.scsiType = ReadTrimmed(device.wholeDiskDir + QStringLiteral("/device/type"));
    device.backingFile = ReadTrimmed(device.wholeDiskDir + QStringLiteral("/loop/backing_file"));
    const QString number = ReadTrimmed(sysfsDir + QStringLiteral("/dev"));
    if (!number.isEmpty())
        device.udev = ReadUdevProperties(roots.udevData + QStringLiteral("/b") + number);
    return device;
}

DriveType ClassifyMount(const MountEntry& mount, const SystemRoots& roots) {
    const QString& type = mount.fsType;
    const BlockDevice device = BlockDeviceOf(mount.source, mount.major, mount.minor, roots);
    const QString diskName = QFileInfo(device.wholeDiskDir).fileName();

    const bool onImage = diskName.startsWith(QLatin1String("loop")) || QFileInfo(mount.source).isFile();
    const bool discFs = type == QLatin1String("iso9660") || type == QLatin1String("udf");
    if (IsOpticalSource(mount.source) || device.scsiType == QLatin1String("5") ||
        device.udev.value(QStringLiteral("ID_CDROM")) == QLatin1String("1") || (discFs && onImage) ||
        type == QLatin1String("fuse.fuseiso") || type == QLatin1String("fuse.iso9660"))
        return DriveType::CdRom;

    if (IsNetworkFsType(type) || (!device.exists() && LooksLikeNetworkSource(mount.source)))
        return DriveType::Remote;

    if (type == QLatin1String("tmpfs") || type == QLatin1String("ramfs") ||
        diskName.startsWith(QLatin1String("ram")) || diskName.startsWith(QLatin1String("zram")))
        return DriveType::RamDisk;

    if (device.removable || diskName.startsWith(QLatin1String("fd")) ||
        device.udev.value(QStringLiteral("ID_DRIVE_FLASH_SD")) == QLatin1String("1") ||
        (diskName.startsWith(QLatin1String("mmcblk")) && device.scsiType == QLatin1String("SD")))
        return DriveType::Removable;

    return DriveType::Fixed;
}

QStringList OpticalDriveNames(const SystemRoots& roots) {
    return NumberedBlockNames(roots, QStringLiteral("sr"));
}

QStringList FloppyDriveNames(const SystemRoots& roots) {
    return NumberedBlockNames(roots, QStringLiteral("fd"));
}

} // namespace mendor
