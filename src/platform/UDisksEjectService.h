#pragma once
// Ejecting through UDisks2 on the system bus (no root needed for the user at the console), and
// the raw CDROMEJECT ioctl for the tray.
#include "platform/EjectService.h"

namespace mendor {

class UDisksEjectService : public EjectService {
public:
    QString blockObjectOf(const QString& device) override;
    QString driveObjectOf(const QString& blockObject) override;
    QStringList mountedFileSystemsOf(const QString& driveObject) override;
    bool unmount(const QString& blockObject) override;
    bool eject(const QString& driveObject) override;
    bool powerOff(const QString& driveObject) override;
    bool openTray(const QString& device) override;
};

} // namespace mendor
