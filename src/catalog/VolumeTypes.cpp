#include "catalog/VolumeTypes.h"

#include <optional>

namespace mendor {

namespace {

// Largest removable media of each kind, in bytes of capacity.
constexpr std::int64_t kLargestFloppy = 2'048'000;
constexpr std::int64_t kLargestZipDisk = 106'000'000;

struct VolumeTypeText {
    const char* key;
    const char* name;
};

// Indexed by code - 1.
constexpr VolumeTypeText kVolumeTypeTexts[] = {
    {"cd", "CD-ROM"},          {"fixed", "Hard Disk"},
    {"floppy", "Floppy Disk"}, {"network", "Network Share"},
    {"ramdisk", "RAM Disk"},   {"removable", "Removable Disk"},
    {"zipdisk", "ZIP Disk"},
};

bool isKnownCode(int code) {
    return code >= kVolumeCdRom && code <= kVolumeZipDisk;
}

const VolumeTypeText& textsOf(int code) {
    return kVolumeTypeTexts[code - kVolumeCdRom];
}

} // namespace

QString VolumeTypeKey(int code) {
    return QString::fromLatin1(textsOf(isKnownCode(code) ? code : kVolumeRemovable).key);
}

QString VolumeTypeName(int code) {
    return isKnownCode(code) ? QString::fromLatin1(textsOf(code).name) : QString();
}

namespace {

// The code of a drive type that does not depend on the medium's size; none for removable drives.
std::optional<std::int16_t> codeOfDriveType(DriveType type) {
    switch (type) {
    case DriveType::CdRom:
        return kVolumeCdRom;
    case DriveType::RamDisk:
        return kVolumeRamDisk;
    case DriveType::Fixed:
        return kVolumeFixed;
    case DriveType::Remote:
        return kVolumeNetwork;
    case DriveType::Removable:
    case DriveType::Unknown:
    case DriveType::NoRootDir:
        break;
    }
    return std::nullopt;
}

} // namespace

std::int16_t VolumeTypeCodeFor(DriveType type, std::int64_t capacity) {
    if (const auto code = codeOfDriveType(type))
        return *code;
    if (capacity <= kLargestFloppy)
        return kVolumeFloppy;
    return capacity <= kLargestZipDisk ? kVolumeZipDisk : kVolumeRemovable;
}

std::int16_t DriveListTypeCode(DriveType type, QChar driveLetter) {
    const QChar letter = driveLetter.toUpper();
    if (letter == QLatin1Char('A') || letter == QLatin1Char('B'))
        return kVolumeFloppy;
    return codeOfDriveType(type).value_or(std::int16_t(kVolumeRemovable));
}

} // namespace mendor
