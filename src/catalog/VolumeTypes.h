#pragma once
// Volume type codes as stored in index.volumetype, their image keys and type names.
#include "platform/DriveType.h"

#include <cstdint>
#include <QString>

namespace mendor {

enum VolumeTypeCode : std::int16_t {
    kVolumeCdRom = 1,
    kVolumeFixed = 2,
    kVolumeFloppy = 3,
    kVolumeNetwork = 4,
    kVolumeRamDisk = 5,
    kVolumeRemovable = 6,
    kVolumeZipDisk = 7,
};

/// "cd", "fixed", "floppy", "network", "ramdisk", "removable", "zipdisk"; any other code "removable".
QString VolumeTypeKey(int code);

/// "CD-ROM", "Hard Disk", ... for codes 1 to 7; the empty text for any other code.
QString VolumeTypeName(int code);

/// The code a catalog run stores, from the raw drive type and the capacity in bytes:
/// removable up to 2,048,000 bytes is a floppy, up to 106,000,000 a ZIP disk, above that a
/// removable disk. Unknown types count as removable.
std::int16_t VolumeTypeCodeFor(DriveType type, std::int64_t capacity);

/// The code a drive list shows: removable 6, CD-ROM 1, RAM disk 5, fixed 2, remote 4; A: and
/// B: are floppies (3) whatever their type.
std::int16_t DriveListTypeCode(DriveType type, QChar driveLetter);

} // namespace mendor
