#pragma once
// The drive table: drive letters mapped to local folders, so that catalogued paths can name a
// volume by its letter (E:\docs\a.txt) as the catalog shows them everywhere.
//
// C: is "/"; A: and B: are kept for floppy devices; every optical drive gets a letter even with no
// disc; the other visible mounts take the next free letters from D: in mount-table order.
// Letters are remembered in MNP3.ini so they stay stable, and the "Drives" section maps a letter
// to any folder (E:=/media/cdrom), overriding the automatic choice.
#include "platform/DriveType.h"

#include <QChar>
#include <QList>
#include <QString>

#include <optional>

namespace mendor {

struct DriveInfo {
    QChar letter;          ///< upper case, 'A'..'Z'
    QString root;          ///< local folder of the drive's root ("/" for C:); empty for an optical
                           ///< drive with no disc
    QString device;        ///< block device or image file behind the mount, when known
    QString fsType;        ///< file system type from the mount table, when known
    DriveType type = DriveType::Unknown;

    /// "E:"
    QString name() const { return QString(letter) + QLatin1Char(':'); }
};

class DriveTable {
public:
    /// Reads the mount table and the "Drives" section of the settings file.
    static DriveTable load();

    /// A table of the given drives only (tests, the command-line tool's explicit mappings).
    explicit DriveTable(QList<DriveInfo> drives = {});

    /// In letter order.
    const QList<DriveInfo>& drives() const { return drives_; }
    std::optional<DriveInfo> drive(QChar letter) const;

    /// E:\docs\a.txt -> <root of E:>/docs/a.txt; the empty text when the letter is not mapped.
    QString localPath(const QString& cataloguedPath) const;

    /// The catalogued form of a local path, by the drive with the longest matching root.
    QString cataloguedPath(const QString& localPath) const;

private:
    QList<DriveInfo> drives_;
};

} // namespace mendor
