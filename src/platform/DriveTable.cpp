#include "platform/DriveTable.h"

#include "platform/NameMapping.h"
#include "platform/VolumeProbe.h"
#include "shell/ProfileFile.h"
#include "shell/Settings.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace mendor {
namespace {

const QString kDrivesSection = QStringLiteral("Drives");
const QString kLettersSection = QStringLiteral("DriveLetters");
const QString kDevicePrefix = QStringLiteral("device:");

/// A drive waiting for a letter, with the identity under which its letter is remembered.
struct Candidate {
    DriveInfo drive;
    QString identity;
};

QString DeviceOfMount(const MountEntry& mount) {
    if (mount.source.startsWith(QLatin1String("/dev/")) || QFileInfo(mount.source).isFile())
        return mount.source;
    return {};
}

DriveInfo DriveOfMount(const MountEntry& mount, const SystemRoots& roots) {
    DriveInfo drive;
    drive.root = mount.mountPoint;
    drive.device = DeviceOfMount(mount);
    drive.fsType = mount.fsType;
    drive.type = ClassifyMount(mount, roots);
    return drive;
}

/// The mount of a device node, matched also through symbolic links (/dev/cdrom -> sr0).
const MountEntry* MountOfDevice(const QList<MountEntry>& mounts, const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    for (const MountEntry& mount : mounts) {
        if (mount.source == device ||
            (!canonical.isEmpty() && QFileInfo(mount.source).canonicalFilePath() == canonical))
            return &mount;
    }
    return nullptr;
}

/// How a mounted volume is recognised next time: its file system's UUID where one can be read,
/// else its mount point (RAM disks, network shares, anything without a UUID).
QString IdentityOfMount(const MountEntry& mount, const DriveInfo& drive, const SystemRoots& roots) {
    if (drive.type != DriveType::RamDisk && drive.type != DriveType::Remote) {
        const BlockDevice block = BlockDeviceOf(mount.source, mount.major, mount.minor, roots);
        QString uuid = block.udev.value(QStringLiteral("ID_FS_UUID"));
        if (uuid.isEmpty() && !drive.device.isEmpty()) {
            if (const auto probed = ProbeVolume(drive.device))
                uuid = probed->uuid;
        }
        if (!uuid.isEmpty())
            return QStringLiteral("uuid:") + uuid;
    }
    return QStringLiteral("mount:") + mount.mountPoint;
}

/// A profile value is cut to ProfileFile::kMaxValueLength characters: compare in that form.
QString Stored(const QString& identity) {
    return identity.left(ProfileFile::kMaxValueLength);
}

bool IsDriveRootPrefix(const QByteArray& root, const QByteArray& path) {
    if (root == "/")
        return path.startsWith('/');
    return path == root || (path.startsWith(root) && path.size() > root.size() && path[root.size()] == '/');
}

} // namespace

DriveTable::DriveTable(QList<DriveInfo> drives) : drives_(std::move(drives)) {
    std::sort(drives_.begin(), drives_.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
}

DriveTableSources DriveTable::systemSources() {
    DriveTableSources sources;
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (mountInfo.open(QIODevice::ReadOnly))
        sources.mountInfo = mountInfo.readAll();
    sources.settingsPath = SettingsFilePath();
    return sources;
}

DriveTable DriveTable::load() {
    return load(systemSources());
}

DriveTable DriveTable::load(const DriveTableSources& sources) {
    const QList<MountEntry> table = ParseMountInfo(sources.mountInfo);
    QList<MountEntry> visible = VisibleMounts(table);
    ProfileFile settings = ProfileFile::snapshotOf(sources.settingsPath);

    QMap<QChar, DriveInfo> assigned;
    auto takeMount = [&](const MountEntry* mount) {
        if (!mount)
            return;
        visible.removeIf([&](const MountEntry& m) { return m.mountPoint == mount->mountPoint; });
    };

    // The user's own mappings come first and win over every automatic choice.
    QStringList overriddenDevices;
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        const QChar letter(c);
        QString value = settings.readString(kDrivesSection, QString(letter) + QLatin1Char(':'), QString());
        if (value.isEmpty())
            value = settings.readString(kDrivesSection, QString(letter), QString());
        if (value.isEmpty())
            continue;
        DriveInfo drive;
        drive.letter = letter;
        if (value.startsWith(kDevicePrefix, Qt::CaseInsensitive)) {
            drive.device = value.mid(kDevicePrefix.size()).trimmed();
            drive.followsDevice = true;
            overriddenDevices.append(drive.device);
            MountEntry asMounted;
            asMounted.source = drive.device;
            if (const MountEntry* mount = MountOfDevice(table, drive.device)) {
                asMounted = *mount;
                drive.root = mount->mountPoint;
                drive.fsType = mount->fsType;
                takeMount(mount);
            }
            drive.type = ClassifyMount(asMounted, sources.roots);
        } else {
            drive.root = QDir::cleanPath(value);
            drive.isFolder = true;
            // A folder reports the volume that holds it.
            if (const MountEntry* mount = MountContaining(table, drive.root)) {
                drive.device = DeviceOfMount(*mount);
                drive.fsType = mount->fsType;
                drive.type = ClassifyMount(*mount, sources.roots);
                drive.isFolder = mount->mountPoint != drive.root;
                if (!drive.isFolder)
                    takeMount(mount);
            }
        }
        assigned.insert(letter, drive);
    }

    if (!assigned.contains(QLatin1Char('C'))) {
        DriveInfo system;
        system.letter = QLatin1Char('C');
        system.root = QStringLiteral("/");
        if (const MountEntry* mount = MountContaining(table, system.root)) {
            system.device = DeviceOfMount(*mount);
            system.fsType = mount->fsType;
            system.type = ClassifyMount(*mount, sources.roots);
        } else {
            system.type = DriveType::Fixed;
        }
        assigned.insert(system.letter, system);
    }

    // Floppy and optical drives by device node, mounted or not; other volumes by their mounts.
    auto deviceDrive = [&](const QString& name, DriveType type) {
        Candidate candidate;
        candidate.drive.device = QStringLiteral("/dev/") + name;
        candidate.drive.type = type;
        candidate.drive.followsDevice = true;
        candidate.identity = kDevicePrefix + candidate.drive.device;
        if (const MountEntry* mount = MountOfDevice(visible, candidate.drive.device)) {
            candidate.drive.root = mount->mountPoint;
            candidate.drive.fsType = mount->fsType;
            takeMount(mount);
        }
        return candidate;
    };
    const QStringList floppies = FloppyDriveNames(sources.roots);
    for (qsizetype i = 0; i < std::min<qsizetype>(floppies.size(), 2); ++i) {
        const QChar letter(static_cast<char16_t>(u'A' + i));
        Candidate floppy = deviceDrive(floppies[i], DriveType::Removable);
        if (!assigned.contains(letter) && !overriddenDevices.contains(floppy.drive.device)) {
            floppy.drive.letter = letter;
            assigned.insert(letter, floppy.drive);
        }
    }
    QList<Candidate> candidates;
    for (const QString& name : OpticalDriveNames(sources.roots)) {
        Candidate optical = deviceDrive(name, DriveType::CdRom);
        if (!overriddenDevices.contains(optical.drive.device))
            candidates.append(optical);
    }
    for (const MountEntry& mount : std::as_const(visible)) {
        Candidate candidate;
        candidate.drive = DriveOfMount(mount, sources.roots);
        if (overriddenDevices.contains(candidate.drive.device))
            continue;
        candidate.identity = IdentityOfMount(mount, candidate.drive, sources.roots);
        candidates.append(candidate);
    }

    // Remembered letters first, then the next free letters from D:, preferring letters that no
    // absent drive is remembered under.
    QMap<QChar, QString> remembered;
    for (char16_t c = u'D'; c <= u'Z'; ++c) {
        const QString identity = settings.readString(kLettersSection, QString(QChar(c)), QString());
        if (!identity.isEmpty())
            remembered.insert(QChar(c), identity);
    }
    QList<Candidate*> waiting;
    for (Candidate& candidate : candidates) {
        const QChar letter = remembered.key(Stored(candidate.identity), QChar());
        if (!letter.isNull() && !assigned.contains(letter)) {
            candidate.drive.letter = letter;
            assigned.insert(letter, candidate.drive);
        } else {
            waiting.append(&candidate);
        }
    }
    for (Candidate* candidate : std::as_const(waiting)) {
        QChar chosen;
        for (bool allowRemembered : {false, true}) {
            for (char16_t c = u'D'; c <= u'Z' && chosen.isNull(); ++c) {
                if (!assigned.contains(QChar(c)) && (allowRemembered || !remembered.contains(QChar(c))))
                    chosen = QChar(c);
            }
        }
        if (chosen.isNull())
            break; // all 26 letters are in use
        candidate->drive.letter = chosen;
        assigned.insert(chosen, candidate->drive);
        if (remembered.value(chosen) != Stored(candidate->identity))
            settings.writeString(kLettersSection, QString(chosen), candidate->identity);
    }
    return DriveTable(assigned.values());
}

std::optional<DriveInfo> DriveTable::drive(QChar letter) const {
    const QChar upper = letter.toUpper();
    for (const DriveInfo& d : drives_) {
        if (d.letter == upper)
            return d;
    }
    return std::nullopt;
}

QByteArray DriveTable::localPathBytes(const QString& cataloguedPath) const {
    if (cataloguedPath.size() < 2 || cataloguedPath[1] != QLatin1Char(':'))
        return {};
    const auto found = drive(cataloguedPath[0]);
    if (!found || found->root.isEmpty())
        return {};
    QByteArray local = QFile::encodeName(found->root);
    for (const QString& name : cataloguedPath.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (!local.endsWith('/'))
            local.append('/');
        local.append(LocalNameFromCatalog(name));
    }
    return local;
}

QString DriveTable::localPath(const QString& cataloguedPath) const {
    return QFile::decodeName(localPathBytes(cataloguedPath));
}

QString DriveTable::cataloguedPathFromBytes(const QByteArray& localPath) const {
    const DriveInfo* best = nullptr;
    QByteArray bestRoot;
    for (const DriveInfo& d : drives_) {
        const QByteArray root = QFile::encodeName(d.root);
        if (!root.isEmpty() && IsDriveRootPrefix(root, localPath) &&
            (!best || root.size() > bestRoot.size())) {
            best = &d;
            bestRoot = root;
        }
    }
    if (!best)
        return {};
    const QByteArray rest = bestRoot == "/" ? localPath : localPath.mid(bestRoot.size());
    QList<QByteArray> names;
    for (const QByteArray& name : rest.split('/')) {
        if (name == "..") {
            if (!names.isEmpty())
                names.removeLast();
        } else if (!name.isEmpty() && name != ".") {
            names.append(name);
        }
    }
    QString catalogued = best->name() + QLatin1Char('\\');
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0)
            catalogued.append(QLatin1Char('\\'));
        catalogued.append(CatalogNameFromLocal(names[i]));
    }
    return catalogued;
}

QString DriveTable::cataloguedPath(const QString& localPath) const {
    return cataloguedPathFromBytes(QFile::encodeName(localPath));
}

} // namespace mendor
