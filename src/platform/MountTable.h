#pragma once
// The kernel's mount table (/proc/self/mountinfo) and which of its mounts a user would call a
// drive.
#include <QByteArray>
#include <QList>
#include <QString>

namespace mendor {

struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0; ///< device number of the mounted file system
    unsigned minor = 0;
    QString root;       ///< the folder of the file system that is mounted ("/" unless a bind)
    QString mountPoint; ///< where it is mounted
    QString options;    ///< per-mount options (rw, nosuid, ...)
    QString fsType;     ///< "ext4", "fuse.sshfs", "fuseblk", ...
    QString source;     ///< "/dev/sdb1", "//host/share", an image file, or a free text
    QString superOptions;
};

/// Parses mountinfo text. Paths are unescaped (\040 blank, \011 tab, \012 newline, \134
/// backslash); malformed lines are skipped.
QList<MountEntry> ParseMountInfo(const QByteArray& text);

/// The mount table of this process now (empty when it cannot be read).
QList<MountEntry> ReadMountTable();

/// The mounts that stand for a volume a user works with, in mount-table order, without "/":
/// no pseudo or system file systems, nothing under /proc, /sys, /dev, /run (except /run/media),
/// /boot or /snap, no bind duplicates, no mount point inside a dot folder, and tmpfs/ramfs only
/// under /media, /mnt or /home. When a mount point is mounted over, the uppermost mount counts.
QList<MountEntry> VisibleMounts(const QList<MountEntry>& table);

/// The mount whose mount point holds path (the longest matching mount point); nullptr when none.
const MountEntry* MountContaining(const QList<MountEntry>& table, const QString& path);

} // namespace mendor
