#include "platform/EjectService.h"

#include <QRegularExpression>

namespace mendor {

EjectResult EjectDrive(const DriveInfo& drive, EjectService& service) {
    if (drive.isFolder)
        return EjectResult::FolderOnly;
    if ((drive.type != DriveType::Removable && drive.type != DriveType::CdRom) || drive.device.isEmpty() ||
        !drive.device.startsWith(QLatin1String("/dev/")))
        return EjectResult::NotRemovable;

    const QString block = service.blockObjectOf(drive.device);
    if (!block.isEmpty()) {
        const QString driveObject = service.driveObjectOf(block);
        if (driveObject.isEmpty())
            return service.unmount(block) ? EjectResult::Ejected : EjectResult::Failed;
        bool allUnmounted = true;
        for (const QString& fileSystem : service.mountedFileSystemsOf(driveObject))
            allUnmounted = service.unmount(fileSystem) && allUnmounted;
        if (allUnmounted && (service.eject(driveObject) || service.powerOff(driveObject)))
            return EjectResult::Ejected;
    }
    static const QRegularExpression optical(QStringLiteral("^/dev/sr\\d+$"));
    if (optical.match(drive.device).hasMatch() && service.openTray(drive.device))
        return EjectResult::Ejected;
    return EjectResult::Failed;
}

} // namespace mendor
