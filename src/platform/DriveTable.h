#pragma once
// The drive table: drive letters mapped to local folders, so that catalogued paths can name a
// volume by its letter (E:\docs\a.txt) as the catalog shows them everywhere.
//
// C: is "/"; A: and B: are kept for floppy devices; every optical drive gets a letter even with no
// disc; the other visible mounts take the next free letters from D: in mount-table order.
// Letters are remembered in MNP3.ini so they stay stable, and the "Drives" section maps a letter
// to any folder (E:=/media/cdrom), overriding the automatic choice.
//
// Settings used (MNP3.ini):
//   [Drives]        E:=/media/cdrom       a letter for a folder (also "E=..."); an empty value
//                   D:=device:/dev/sr0    maps nothing; "device:" follows a device to wherever
//                                         its medium is mounted
//   [DriveLetters]  E=uuid:1234-5678      written by load(): the drive each letter was last
//                   F=device:/dev/sr0     given to, by file-system UUID, device node (optical
//                   G=mount:/mnt/share    and floppy drives) or mount point (no UUID)
//
// Catalogued names are mapped to and from local names by platform/NameMapping.h, so a name
// holding a backslash or bytes that are not UTF-8 neither splits a catalogued path nor gets lost.
// Local paths given as QString are decoded as Qt decodes file names (UTF-8); the byte forms
// keep any name exactly.
#include "platform/DriveClassification.h"
#include "platform/DriveType.h"

#include <optional>
#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

namespace mendor {

struct DriveInfo {
    QChar letter;   ///< upper case, 'A'..'Z'
    QString root;   ///< local folder of the drive's root ("/" for C:); empty for an optical
                    ///< drive with no disc
    QString device; ///< block device or image file behind the mount, when known
    QString fsType; ///< file system type from the mount table, when known
    DriveType type = DriveType::Unknown;
    bool followsDevice = false; ///< an optical or floppy drive, or a "device:" mapping: its root
                                ///< is wherever device is mounted now (see CurrentRootOf)
    bool isFolder = false;      ///< a "Drives" mapping of a folder that is not a mount point: a
                                ///< part of a volume, never ejected as a whole

    /// "E:"
    QString name() const { return QString(letter) + QLatin1Char(':'); }
};

/// What load() reads; tests give fake ones.
struct DriveTableSources {
    QByteArray mountInfo; ///< the text of /proc/self/mountinfo
    SystemRoots roots;
    QString settingsPath; ///< MNP3.ini
};

class DriveTable {
public:
    /// Reads the mount table and the "Drives" section of the settings file.
    static DriveTable load();
    static DriveTable load(const DriveTableSources& sources);

    /// The sources load() uses: this process's mount table, /sys, the settings file.
    static DriveTableSources systemSources();

    /// A table of the given drives only (tests, the command-line tool's explicit mappings).
    explicit DriveTable(QList<DriveInfo> drives = {});

    /// In letter order.
    const QList<DriveInfo>& drives() const { return drives_; }
    std::optional<DriveInfo> drive(QChar letter) const;

    /// E:\docs\a.txt -> <root of E:>/docs/a.txt; the empty text when the letter is not mapped.
    QString localPath(const QString& cataloguedPath) const;

    /// The catalogued form of a local path, by the drive with the longest matching root
    /// (E:\docs\a.txt; a drive's root itself is E:\); the empty text when no drive holds it.
    QString cataloguedPath(const QString& localPath) const;

    /// The same conversions with local paths as the file system's bytes.
    QByteArray localPathBytes(const QString& cataloguedPath) const;
    QString cataloguedPathFromBytes(const QByteArray& localPath) const;

private:
    QList<DriveInfo> drives_;
};

} // namespace mendor
