#pragma once
// Ejecting a drive's medium: unmount every file system of the drive, then eject it (or power it
// off when it cannot eject, as USB sticks cannot), and for an optical drive that the disk
// service does not know, open the tray directly.
//
// The calls to the system go through EjectService so that the order of the steps can be checked
// without a drive.
#include "platform/DriveTable.h"

#include <QString>
#include <QStringList>

namespace mendor {

/// What an eject came to.
enum class EjectResult {
    Ejected,
    FolderOnly,   ///< the drive is a folder mapped to a letter, not a medium of its own
    NotRemovable, ///< a hard disk, network share, RAM disk or image file: nothing to eject
    Failed,       ///< the medium stayed: a file system on it would not unmount, or the drive would not eject
};

class EjectService {
public:
    virtual ~EjectService() = default;

    /// The disk service's object for a device node; empty when unknown or the service is absent.
    virtual QString blockObjectOf(const QString& device) = 0;
    /// The drive object a block object belongs to; empty when it has none (loop devices).
    virtual QString driveObjectOf(const QString& blockObject) = 0;
    /// The block objects of a drive that hold a mounted file system.
    virtual QStringList mountedFileSystemsOf(const QString& driveObject) = 0;
    virtual bool unmount(const QString& blockObject) = 0;
    virtual bool eject(const QString& driveObject) = 0;
    /// Powers the drive off when it can be; false otherwise.
    virtual bool powerOff(const QString& driveObject) = 0;
    /// Opens the tray of an optical drive through its device node.
    virtual bool openTray(const QString& device) = 0;
};

/// Ejects the medium of a removable or optical drive; does nothing for other drives, and says
/// which it was.
EjectResult EjectDrive(const DriveInfo& drive, EjectService& service);

} // namespace mendor
