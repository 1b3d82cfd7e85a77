#pragma once
// What kind of drive a mount is: optical, network, RAM disk, removable or fixed, from the mount
// table, sysfs and the udev database.
#include "platform/DriveType.h"
#include "platform/MountTable.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace mendor {

/// Where the kernel's and udev's views of the devices are read from (fake trees in tests).
struct SystemRoots {
    QString sys = QStringLiteral("/sys");
    QString udevData = QStringLiteral("/run/udev/data");
};

/// A block device as sysfs and udev describe it.
struct BlockDevice {
    QString name;         ///< kernel name: "sdb1", "sr0", "loop3"
    QString sysfsDir;     ///< its sysfs folder
    QString wholeDiskDir; ///< the sysfs folder of the disk it is a partition of (itself for a disk)
    bool removable = false;
    QString scsiType;            ///< device/type of the whole disk ("5" for an optical drive)
    QString backingFile;         ///< the image of a loop device
    QMap<QString, QString> udev; ///< the E: properties of the udev database entry

    bool exists() const { return !sysfsDir.isEmpty(); }
};

/// The block device behind a device node (symbolic links such as /dev/disk/by-uuid/... are
/// followed), or, failing that, the device number. Not exists() when it is no block device.
BlockDevice BlockDeviceOf(const QString& deviceNode, unsigned major, unsigned minor,
                          const SystemRoots& roots = {});

/// The drive type of a mounted volume (never NoRootDir: the mount is there).
DriveType ClassifyMount(const MountEntry& mount, const SystemRoots& roots = {});

/// The kernel names of the optical drives ("sr0", "sr1", ...) and floppy drives ("fd0", "fd1"),
/// in number order, whether or not a medium is in them.
QStringList OpticalDriveNames(const SystemRoots& roots = {});
QStringList FloppyDriveNames(const SystemRoots& roots = {});

/// True for the file system types of network shares.
bool IsNetworkFsType(const QString& fsType);

} // namespace mendor
