#include "platform/VolumeSuperblock.h"

#include <QtEndian>

namespace mendor {
namespace {

constexpr std::int64_t kCdSector = 2048;

std::uint16_t Le16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<std::uint16_t>(b.constData() + at);
}
std::uint32_t Le32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}
std::uint64_t Le64(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<std::uint64_t>(b.constData() + at);
}

std::uint8_t Byte(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint8_t>(b[at]);
}

QString TrimRight(QString text) {
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back().isNull()))
        text.chop(1);
    return text;
}

QString Ucs2BigEndian(const QByteArray& b, qsizetype at, qsizetype bytes) {
    QString text;
    for (qsizetype i = at; i + 1 < at + bytes; i += 2)
        text.append(QChar(static_cast<char16_t>((Byte(b, i) << 8) | Byte(b, i + 1))));
    return text;
}

/// A UDF dstring: byte 0 the compression ID (8 Latin-1, 16 UCS-2BE), the last byte the length
/// used including byte 0.
QString UdfDString(const QByteArray& b, qsizetype at, qsizetype fieldSize) {
    const int used = Byte(b, at + fieldSize - 1);
    if (used < 1 || used >= fieldSize)
        return {};
    const int compression = Byte(b, at);
    if (compression == 8)
        return TrimRight(QString::fromLatin1(b.constData() + at + 1, used - 1));
    if (compression == 16)
        return TrimRight(Ucs2BigEndian(b, at + 1, used - 1));
    return {};
}

std::uint32_t ReverseLanes(std::uint32_t nt) {
    return ((nt & 0xFF) << 24) | ((nt & 0xFF00) << 8) | ((nt >> 8) & 0xFF00) | (nt >> 24);
}

std::optional<SuperblockFacts> ReadUdf(const VolumeReader& read) {
    // The volume recognition sequence: BEA01, then NSR02 or NSR03, in 2048-byte steps from 32 KiB.
    bool beginSeen = false;
    bool nsrSeen = false;
    for (std::int64_t sector = 16; sector < 16 + 32 && !nsrSeen; ++sector) {
        const QByteArray vrs = read(sector * kCdSector, 8);
        if (vrs.size() < 6)
            break;
        const QByteArray id = vrs.mid(1, 5);
        if (id == "BEA01")
            beginSeen = true;
        else if (beginSeen && (id == "NSR02" || id == "NSR03"))
            nsrSeen = true;
        else if (id == "TEA01" || (id != "CD001" && id != "CDW02" && id != "BOOT2"))
            break;
    }
    if (!nsrSeen)
        return std::nullopt;

    for (const std::int64_t blockSize : {2048, 512, 4096, 1024}) {
        const QByteArray anchor = read(256 * blockSize, 512);
        if (anchor.size() < 24 || Le16(anchor, 0) != 2 || Le32(anchor, 12) != 256)
            continue;
        const std::uint32_t vdsLength = Le32(anchor, 16);
        const std::uint32_t vdsLocation = Le32(anchor, 20);
        std::optional<std::uint32_t> partitionStart;
        std::optional<std::uint32_t> fsdBlock;
        QString label;
        const std::int64_t sectors = std::min<std::int64_t>(vdsLength / blockSize, 64);
        for (std::int64_t i = 0; i < sectors; ++i) {
            const QByteArray d = read((vdsLocation + i) * blockSize, 512);
            if (d.size() < 512)
                break;
            const std::uint16_t tag = Le16(d, 0);
            if (tag == 5 && !partitionStart)
                partitionStart = Le32(d, 188);
            else if (tag == 6 && !fsdBlock) {
                fsdBlock = Le32(d, 252);
                label = UdfDString(d, 84, 128);
            } else if (tag == 8)
                break;
        }
        if (!partitionStart || !fsdBlock)
            return std::nullopt;
        const QByteArray fsd = read((std::int64_t(*partitionStart) + *fsdBlock) * blockSize, 512);
        if (fsd.size() < 512 || Le16(fsd, 0) != 256)
            return std::nullopt;
        SuperblockFacts facts;
        facts.kind = SuperblockKind::Udf;
        facts.serial = ReverseLanes(LaneSumSerial(fsd));
        facts.label = label;
        return facts;
    }
    return std::nullopt;
}

std::optional<SuperblockFacts> ReadIso(const VolumeReader& read, std::int64_t sessionStart) {
    QByteArray primary;
    QByteArray chosen;
    bool joliet = false;
    for (std::int64_t sector = sessionStart + 16; sector < sessionStart + 16 + 64; ++sector) {
        const QByteArray d = read(sector * kCdSector, kCdSector);
        if (d.size() < kCdSector || d.mid(1, 5) != "CD001" || Byte(d, 6) != 1 || Byte(d, 0) == 255)
            break;
        if (Byte(d, 0) == 1 && primary.isEmpty())
            primary = d;
        const QByteArray escape = d.mid(88, 3);
        if (Byte(d, 0) == 2 && (escape == "%/@" || escape == "%/C" || escape == "%/E")) {
            chosen = d;
            joliet = true;
            break;
        }
    }
    if (chosen.isEmpty())
        chosen = primary;
    if (chosen.isEmpty())
        return std::nullopt;
    SuperblockFacts facts;
    facts.kind = SuperblockKind::Iso9660;
    facts.serial = LaneSumSerial(chosen);
    facts.label =
        TrimRight(joliet ? Ucs2BigEndian(chosen, 40, 32) : QString::fromLatin1(chosen.constData() + 40, 32));
    const QByteArray& sizes = primary.isEmpty() ? chosen : primary;
    facts.size = std::int64_t(Le32(sizes, 80)) * Le16(sizes, 128);
    return facts;
}

std::optional<SuperblockFacts> ReadBootSector(const VolumeReader& read) {
    const QByteArray b = read(0, 512);
    if (b.size() < 512)
        return std::nullopt;
    const QByteArray oem = b.mid(3, 8);
    SuperblockFacts facts;
    if (oem == "NTFS    ") {
        facts.kind = SuperblockKind::Ntfs;
        facts.serial = static_cast<std::uint32_t>(Le64(b, 0x48));
        facts.size = static_cast<std::int64_t>(Le64(b, 0x28)) * Le16(b, 0x0B);
        return facts;
    }
    if (oem == "EXFAT   ") {
        facts.kind = SuperblockKind::Exfat;
        facts.serial = Le32(b, 0x64);
        const int shift = Byte(b, 0x6C);
        if (shift >= 9 && shift <= 12)
            facts.size = static_cast<std::int64_t>(Le64(b, 0x48)) << shift;
        return facts;
    }
    // FAT: a plausible BIOS parameter block (old floppies may lack the 0x55AA signature).
    const std::uint16_t bytesPerSector = Le16(b, 0x0B);
    const std::uint8_t sectorsPerCluster = Byte(b, 0x0D);
    const std::uint16_t reserved = Le16(b, 0x0E);
    const std::uint8_t fats = Byte(b, 0x10);
    const bool sizeOk =
        bytesPerSector == 512 || bytesPerSector == 1024 || bytesPerSector == 2048 || bytesPerSector == 4096;
    const bool clusterOk = sectorsPerCluster != 0 && (sectorsPerCluster & (sectorsPerCluster - 1)) == 0;
    const bool jumpOk = Byte(b, 0) == 0xEB || Byte(b, 0) == 0xE9;
    if (!sizeOk || !clusterOk || reserved == 0 || fats == 0 || fats > 4 || !jumpOk)
        return std::nullopt;
    facts.kind = SuperblockKind::Fat;
    const bool fat32 = Le16(b, 0x16) == 0;
    const qsizetype signatureAt = fat32 ? 0x42 : 0x26;
    if (Byte(b, signatureAt) == 0x29 || Byte(b, signatureAt) == 0x28)
        facts.serial = Le32(b, signatureAt + 1);
    const std::uint32_t sectors = Le16(b, 0x13) != 0 ? Le16(b, 0x13) : Le32(b, 0x20);
    facts.size = std::int64_t(sectors) * bytesPerSector;
    return facts;
}

} // namespace

std::uint32_t LaneSumSerial(const QByteArray& bytes) {
    std::uint8_t lanes[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < bytes.size(); ++i)
        lanes[i & 3] = static_cast<std::uint8_t>(lanes[i & 3] + static_cast<std::uint8_t>(bytes[i]));
    return (std::uint32_t(lanes[0]) << 24) | (std::uint32_t(lanes[1]) << 16) |
           (std::uint32_t(lanes[2]) << 8) | lanes[3];
}

std::optional<SuperblockFacts> ReadSuperblock(const VolumeReader& read, std::int64_t sessionStart) {
    if (auto udf = ReadUdf(read))
        return udf;
    if (auto iso = ReadIso(read, sessionStart))
        return iso;
    return ReadBootSector(read);
}

} // namespace mendor
