#pragma once
// What a drive reports about the medium in it: sizes, label and serial number, as Windows
// reports them for the same medium; and the few things done to it (hide the marker, eject).
#include "platform/DriveTable.h"
#include "platform/EjectService.h"

#include <cstdint>
#include <optional>
#include <QString>

namespace mendor {

struct DiskSpace {
    std::int64_t total = 0; ///< bytes; 0 when the drive is not ready
    std::int64_t free = 0;  ///< total free bytes
};

/// The drive's root now: for a drive that follows its device, where the device is mounted at this
/// moment (empty when it is not); for every other drive its root.
QString CurrentRootOf(const DriveInfo& drive);

/// statvfs of the drive's root, with the fallbacks for file systems that report no size.
DiskSpace DiskSpaceOf(const DriveInfo& drive);

/// Whether the drive's root can be opened and listed now: the drive is ready, whatever size its
/// file system reports (some FUSE mounts report none).
bool RootIsListable(const DriveInfo& drive);

/// The drive type of a letter now (NoRootDir when unmapped or its root is missing).
DriveType DriveTypeOf(const DriveInfo& drive);

/// The file system's label, trimmed; empty when it has none.
QString VolumeLabelOf(const DriveInfo& drive);

/// The 32-bit serial number Windows would report; nullopt when it cannot be read.
std::optional<std::uint32_t> VolumeSerialOf(const DriveInfo& drive);

/// Gives the open file fd the hidden attribute where its file system keeps one. Best effort.
void SetHiddenAttribute(int fd);

/// Unmounts and ejects the medium of a removable or optical drive (see EjectService.h).
EjectResult EjectDrive(const DriveInfo& drive);

} // namespace mendor
