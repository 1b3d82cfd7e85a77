#include "platform/VolumeSuperblock.h"

#include <gtest/gtest.h>
#include <QtEndian>

namespace mendor {
namespace {

/// An in-memory image grown on demand.
class Image {
public:
    void put(std::int64_t offset, const QByteArray& bytes) {
        if (data.size() < offset + bytes.size())
            data.resize(offset + bytes.size(), '\0');
        data.replace(offset, bytes.size(), bytes);
    }
    /// A little-endian number of the width of T.
    template <typename T>
    void putLE(std::int64_t offset, T value) {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        put(offset, QByteArray(bytes, sizeof(T)));
    }
    void put8(std::int64_t offset, std::uint8_t v) { putLE(offset, v); }
    void put16(std::int64_t offset, std::uint16_t v) { putLE(offset, v); }
    void put32(std::int64_t offset, std::uint32_t v) { putLE(offset, v); }
    void put64(std::int64_t offset, std::uint64_t v) { putLE(offset, v); }
    VolumeReader reader() const {
        return [this](std::int64_t offset, std::int64_t length) { return data.mid(offset, length); };
    }
    std::optional<SuperblockFacts> read() const { return ReadSuperblock(reader()); }

    QByteArray data;
};

Image FatBootSector(bool fat32) {
    Image image;
    image.put(0, QByteArray("\xEB\x3C\x90MSDOS5.0", 11));
    image.put16(0x0B, 512);
    image.put8(0x0D, 1);
    image.put16(0x0E, fat32 ? 32 : 1);
    image.put8(0x10, 2);
    image.put16(0x13, fat32 ? 0 : 2880);
    image.put16(0x16, fat32 ? 0 : 9);
    image.put32(0x20, fat32 ? 1048576 : 0);
    image.put16(510, 0xAA55);
    return image;
}

TEST(VolumeSuperblockTest, LaneSumsMatchTheKnownCdVector) {
    QByteArray descriptor(2048, '\0');
    descriptor.replace(0, 7,
                       QByteArray("\x01"
                                  "CD001"
                                  "\x01",
                                  7));
    EXPECT_EQ(LaneSumSerial(descriptor), 0x31744530u);
    // Sums wrap at 8 bits per lane.
    EXPECT_EQ(LaneSumSerial(QByteArray(8, '\x80')), 0u);
    EXPECT_EQ(LaneSumSerial(QByteArray("\xFF\x01\x02\x03\x02", 5)), 0x01010203u);
}

TEST(VolumeSuperblockTest, BootSectorSerialsAndSizes) {
    Image fat12 = FatBootSector(false);
    fat12.put8(0x26, 0x29);
    fat12.put32(0x27, 0x12345678);
    fat12.put32(0x43, 0xDEADBEEF); // where FAT32 keeps it: must not be used here

    Image noExtendedRecord = FatBootSector(false);
    noExtendedRecord.put32(0x27, 0x12345678);

    Image fat32 = FatBootSector(true);
    fat32.put8(0x26, 0x29); // a FAT16 signature position holds something else on FAT32
    fat32.put32(0x27, 0x11111111);
    fat32.put8(0x42, 0x29);
    fat32.put32(0x43, 0x0BADF00D);

    Image exfat;
    exfat.put(0, QByteArray("\xEB\x76\x90"
                            "EXFAT   ",
                            11));
    exfat.put64(0x48, 32768);
    exfat.put32(0x64, 0xCAFEBABE);
    exfat.put8(0x6C, 9);
    exfat.put16(510, 0xAA55);

    Image ntfs;
    ntfs.put(0, QByteArray("\xEB\x52\x90NTFS    ", 11));
    ntfs.put16(0x0B, 512);
    ntfs.put64(0x28, 65535);
    ntfs.put64(0x48, 0x0123456789ABCDEFull);
    ntfs.put16(510, 0xAA55);

    const struct {
        const Image& image;
        SuperblockKind kind;
        std::uint32_t serial;
        std::int64_t size;
    } cases[] = {{fat12, SuperblockKind::Fat, 0x12345678u, 2880 * 512},
                 {noExtendedRecord, SuperblockKind::Fat, 0u, 2880 * 512},
                 {fat32, SuperblockKind::Fat, 0x0BADF00Du, std::int64_t(1048576) * 512},
                 {exfat, SuperblockKind::Exfat, 0xCAFEBABEu, 32768 * 512},
                 {ntfs, SuperblockKind::Ntfs, 0x89ABCDEFu, 65535 * 512}};
    for (const auto& c : cases) {
        const auto facts = c.image.read();
        ASSERT_TRUE(facts) << c.serial;
        EXPECT_EQ(facts->kind, c.kind) << c.serial;
        EXPECT_EQ(facts->serial, c.serial);
        EXPECT_EQ(facts->size, c.size) << c.serial;
    }
}

TEST(VolumeSuperblockTest, UnknownOrShortMediaGiveNothing) {
    Image zeros;
    zeros.put(0, QByteArray(64 * 1024, '\0'));
    EXPECT_FALSE(zeros.read());
    Image tiny;
    tiny.put(0, QByteArray("\xEB\x3C\x90", 3));
    EXPECT_FALSE(tiny.read());
    Image badSectorSize = FatBootSector(false);
    badSectorSize.put16(0x0B, 500);
    EXPECT_FALSE(badSectorSize.read());
}

QByteArray IsoDescriptor(std::uint8_t type) {
    QByteArray d(2048, '\0');
    d[0] = static_cast<char>(type);
    d.replace(1, 6, QByteArray("CD001\x01", 6));
    return d;
}

TEST(VolumeSuperblockTest, IsoPrefersJolietAndReadsLabelAndSize) {
    Image image;
    QByteArray primary = IsoDescriptor(1);
    primary.replace(40, 32, QByteArray("PRIMARY_LABEL").leftJustified(32, ' '));
    primary.replace(80, 4, QByteArray("\xB9\0\0\0", 4)); // 185 blocks
    primary.replace(128, 2, QByteArray("\0\x08", 2));    // of 2048 bytes
    QByteArray boot = IsoDescriptor(0);
    QByteArray joliet = IsoDescriptor(2);
    joliet.replace(88, 3, "%/E");
    const QString jolietLabel = "Jöliet";
    for (int i = 0; i < 16; ++i) {
        const char16_t c = i < jolietLabel.size() ? jolietLabel[i].unicode() : u' ';
        joliet[40 + 2 * i] = static_cast<char>(c >> 8);
        joliet[41 + 2 * i] = static_cast<char>(c & 0xFF);
    }
    QByteArray terminator = IsoDescriptor(255);
    image.put(16 * 2048, primary);
    image.put(17 * 2048, boot);
    image.put(18 * 2048, joliet);
    image.put(19 * 2048, terminator);

    auto facts = image.read();
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->kind, SuperblockKind::Iso9660);
    EXPECT_EQ(facts->serial, LaneSumSerial(joliet));
    EXPECT_EQ(facts->label, jolietLabel);
    EXPECT_EQ(facts->size, 185 * 2048);

    // Without Joliet the primary descriptor counts.
    image.put(18 * 2048, terminator);
    facts = image.read();
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->serial, LaneSumSerial(primary));
    EXPECT_EQ(facts->label, "PRIMARY_LABEL");

    // A later session's descriptors are the ones that count.
    Image multi;
    multi.put(16 * 2048, IsoDescriptor(1));
    multi.put(1016 * 2048, primary);
    multi.put(1017 * 2048, terminator);
    facts = ReadSuperblock(multi.reader(), 1000);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->label, "PRIMARY_LABEL");
}

/// A tagged UDF descriptor of 512 bytes.
QByteArray UdfTag(std::uint16_t id, std::uint32_t location) {
    Image tag;
    tag.put(0, QByteArray(512, '\0'));
    tag.put16(0, id);
    tag.put32(12, location);
    return tag.data;
}

TEST(VolumeSuperblockTest, UdfSerialComesFromTheFileSetDescriptorLowLaneFirst) {
    constexpr std::int64_t block = 2048;
    Image image;
    image.put(16 * block, QByteArray("\0BEA01\x01", 7));
    image.put(17 * block, QByteArray("\0NSR02\x01", 7));
    image.put(18 * block, QByteArray("\0TEA01\x01", 7));
    QByteArray anchor = UdfTag(2, 256);
    Image a;
    a.put(0, anchor);
    a.put32(16, 4 * block); // main descriptor sequence: 4 blocks at block 32
    a.put32(20, 32);
    image.put(256 * block, a.data);
    Image partition;
    partition.put(0, UdfTag(5, 32));
    partition.put32(188, 300); // partition starts at block 300
    image.put(32 * block, partition.data);
    Image volume;
    volume.put(0, UdfTag(6, 33));
    QByteArray label = QByteArray("\x08") + "MY DVD";
    label = label.leftJustified(127, '\0');
    label.append(static_cast<char>(7));
    volume.put(84, label);
    volume.put32(252, 5); // file set descriptor at block 5 of the partition
    image.put(33 * block, volume.data);
    image.put(34 * block, UdfTag(8, 34));
    QByteArray fsd = UdfTag(256, 5);
    fsd[16] = '\x10';
    fsd[17] = '\x20';
    fsd[18] = '\x30';
    fsd[19] = '\x40';
    image.put(305 * block, fsd);

    const auto facts = image.read();
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->kind, SuperblockKind::Udf);
    EXPECT_EQ(facts->label, "MY DVD");
    const std::uint32_t nt = LaneSumSerial(fsd);
    EXPECT_EQ(facts->serial, qbswap(nt));
    EXPECT_NE(facts->serial, nt);

    // Without a file set descriptor where the volume points, there is no UDF serial.
    image.put(305 * block, UdfTag(0, 5));
    EXPECT_FALSE(image.read());
}

} // namespace
} // namespace mendor
