#include "platform/MountTable.h"

#include <QFile>
#include <QHash>
#include <QSet>

namespace mendor {
namespace {

/// The kernel escapes blank, tab, newline and backslash in paths as three octal digits.
QString Unescape(const QByteArray& field) {
    if (!field.contains('\\'))
        return QFile::decodeName(field);
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.append(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                         (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return QFile::decodeName(out);
}

bool IsPseudoFsType(const QString& type) {
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),           QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),      QStringLiteral("securityfs"),      QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("pstore"),          QStringLiteral("bpf"),
        QStringLiteral("tracefs"),     QStringLiteral("debugfs"),         QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("mqueue"),          QStringLiteral("hugetlbfs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("autofs"),          QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),   QStringLiteral("rpc_pipefs"),      QStringLiteral("nsfs"),
        QStringLiteral("nfsd"),        QStringLiteral("overlay"),         QStringLiteral("squashfs"),
        QStringLiteral("rootfs"),      QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("fuse.portal"),
    };
    return pseudo.contains(type);
}

bool IsUnder(const QString& path, QLatin1String folder) {
    return path == folder ||
           (path.startsWith(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

bool IsSystemPath(const QString& path) {
    if (IsUnder(path, QLatin1String("/run/media")))
        return false;
    for (const char* folder : {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock", "/boot", "/snap"}) {
        if (IsUnder(path, QLatin1String(folder)))
            return true;
    }
    return false;
}

bool IsInsideDotFolder(const QString& path) {
    return path.contains(QLatin1String("/."));
}

bool IsRamFs(const QString& type) {
    return type == QLatin1String("tmpfs") || type == QLatin1String("ramfs");
}

bool IsUserArea(const QString& path) {
    return IsUnder(path, QLatin1String("/media")) || IsUnder(path, QLatin1String("/mnt")) ||
           IsUnder(path, QLatin1String("/home")) || IsUnder(path, QLatin1String("/run/media"));
}

} // namespace

QList<MountEntry> ParseMountInfo(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // Six fixed fields, any number of optional fields, "-", then type, source, super options.
        const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
        if (fields.size() < 7 || separator < 0 || separator + 2 >= fields.size())
            continue;
        MountEntry entry;
        bool okId = false;
        bool okParent = false;
        entry.id = fields[0].toInt(&okId);
        entry.parentId = fields[1].toInt(&okParent);
        const QList<QByteArray> device = fields[2].split(':');
        if (!okId || !okParent || device.size() != 2)
            continue;
        entry.major = device[0].toUInt();
        entry.minor = device[1].toUInt();
        entry.root = Unescape(fields[3]);
        entry.mountPoint = Unescape(fields[4]);
        entry.options = QString::fromLatin1(fields[5]);
        entry.fsType = Unescape(fields[separator + 1]);
        entry.source = Unescape(fields[separator + 2]);
        if (separator + 3 < fields.size())
            entry.superOptions = Unescape(fields[separator + 3]);
        entries.append(entry);
    }
    return entries;
}

QList<MountEntry> ReadMountTable() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A proc file reports size 0: read until the end instead of by size.
    return ParseMountInfo(file.readAll());
}

QList<MountEntry> VisibleMounts(const QList<MountEntry>& table) {
    // A later mount on the same mount point hides the earlier one.
    QHash<QString, qsizetype> uppermost;
    for (qsizetype i = 0; i < table.size(); ++i)
        uppermost.insert(table[i].mountPoint, i);

    QList<MountEntry> visible;
    QSet<QPair<unsigned, unsigned>> devicesSeen;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const MountEntry& entry = table[i];
        const QPair<unsigned, unsigned> device(entry.major, entry.minor);
        if (entry.mountPoint == QLatin1String("/")) {
            devicesSeen.insert(device); // C: already stands for it
            continue;
        }
        if (uppermost.value(entry.mountPoint) != i)
            continue;
        if (IsPseudoFsType(entry.fsType) || IsSystemPath(entry.mountPoint) ||
            IsInsideDotFolder(entry.mountPoint))
            continue;
        if (IsRamFs(entry.fsType) && !IsUserArea(entry.mountPoint))
            continue;
        // A bind of a folder, or a second mount of a file system already listed, is a duplicate.
        if (entry.root != QLatin1String("/"))
            continue;
        if (devicesSeen.contains(device))
            continue;
        devicesSeen.insert(device);
        visible.append(entry);
    }
    return visible;
}

const MountEntry* MountContaining(const QList<MountEntry>& table, const QString& path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : table) {
        const QString& point = entry.mountPoint;
        const bool holds =
            point == QLatin1String("/") || path == point ||
            (path.startsWith(point) && path.size() > point.size() && path[point.size()] == '/');
        // ">=" so that the uppermost of several mounts on one point wins.
        if (holds && (!best || point.size() >= best->mountPoint.size()))
            best = &entry;
    }
    return best;
}

} // namespace mendor
