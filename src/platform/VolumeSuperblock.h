#pragma once
// The serial number, label and size that Windows reads from a volume's own descriptors, for the
// file systems whose Windows serial differs from what Linux tools show: FAT12/16/32, exFAT, NTFS,
// ISO 9660 (with Joliet) and UDF.
//
// Serial numbers:
//   FAT12/16  the extended boot record's ID, LE32 at 0x27 (0 without an extended boot record)
//   FAT32     LE32 at 0x43
//   exFAT     LE32 at 0x64
//   NTFS      the low 32 bits of the LE64 at 0x48
//   ISO 9660  four 8-bit sums of the descriptor's bytes by position modulo 4, the sum of
//             positions 0, 4, 8, ... as the top byte; the descriptor is the first Joliet
//             supplementary descriptor of the last session, else its primary descriptor
//   UDF       the same four sums over the 512 bytes of the File Set Descriptor, in the opposite
//             order (the sum of positions 0, 4, 8, ... as the low byte); UDF wins on a bridge disc
#include <cstdint>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QString>

namespace mendor {

/// Reads length bytes at offset of a device or image; fewer (or none) at its end or on error.
using VolumeReader = std::function<QByteArray(std::int64_t offset, std::int64_t length)>;

enum class SuperblockKind { Fat, Exfat, Ntfs, Iso9660, Udf };

struct SuperblockFacts {
    SuperblockKind kind = SuperblockKind::Fat;
    std::uint32_t serial = 0;
    QString label;         ///< ISO and UDF only (the others' labels come from ProbeVolume)
    std::int64_t size = 0; ///< bytes, from the descriptors; 0 when they do not tell
};

/// The four lane sums of a descriptor, NT order (lane 0 in the top byte).
std::uint32_t LaneSumSerial(const QByteArray& bytes);

/// nullopt when none of the file systems above is found. sessionStart is the first 2048-byte
/// sector of the last session of a multisession disc (0 for images and everything else).
std::optional<SuperblockFacts> ReadSuperblock(const VolumeReader& read, std::int64_t sessionStart = 0);

} // namespace mendor
