#include "catalog/DriveMedium.h"

namespace mendor {

DiskSpace DriveMedium::space() const {
    return DiskSpaceOf(drive_);
}

bool DriveMedium::rootListable() const {
    return RootIsListable(drive_);
}

DriveType DriveMedium::type() const {
    return DriveTypeOf(drive_);
}

QString DriveMedium::label() const {
    return VolumeLabelOf(drive_);
}

std::optional<std::uint32_t> DriveMedium::serialNumber() const {
    return VolumeSerialOf(drive_);
}

void DriveMedium::hideFile(int fd) const {
    SetHiddenAttribute(fd);
}

EjectResult DriveMedium::eject() const {
    return EjectDrive(drive_);
}

} // namespace mendor
