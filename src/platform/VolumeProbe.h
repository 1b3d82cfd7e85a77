#pragma once
// libblkid's reading of a file system's superblock: type, UUID and label of a device or image
// that this process may read. Probes never use blkid's cache, which can be stale for a user.
#include <optional>
#include <QString>

namespace mendor {

struct ProbedVolume {
    QString type;  ///< "vfat", "ext4", "iso9660", ...
    QString uuid;  ///< as blkid spells it ("1234-5678", "0b1a2c3d-...", an ISO date, ...)
    QString label; ///< for FAT the root-folder label entry, not the boot-sector copy
};

/// nullopt when the path cannot be opened or holds no known file system.
std::optional<ProbedVolume> ProbeVolume(const QString& deviceOrImage);

} // namespace mendor
