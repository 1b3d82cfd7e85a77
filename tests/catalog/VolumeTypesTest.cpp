#include "catalog/VolumeTypes.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(VolumeTypes, EveryCodeHasItsImageKeyAndTypeName) {
    const struct {
        int code;
        const char* key;
        const char* name;
    } expected[] = {
        {kVolumeCdRom, "cd", "CD-ROM"},           {kVolumeFixed, "fixed", "Hard Disk"},
        {kVolumeFloppy, "floppy", "Floppy Disk"}, {kVolumeNetwork, "network", "Network Share"},
        {kVolumeRamDisk, "ramdisk", "RAM Disk"},  {kVolumeRemovable, "removable", "Removable Disk"},
        {kVolumeZipDisk, "zipdisk", "ZIP Disk"},
    };
    for (const auto& row : expected) {
        EXPECT_EQ(VolumeTypeKey(row.code), QLatin1String(row.key)) << row.code;
        EXPECT_EQ(VolumeTypeName(row.code), QLatin1String(row.name)) << row.code;
    }
}

TEST(VolumeTypes, CodesOutsideTheTableShowAsRemovableWithoutAName) {
    for (int code : {0, 8, -1, 32767, -32768}) {
        EXPECT_EQ(VolumeTypeKey(code), QStringLiteral("removable")) << code;
        EXPECT_TRUE(VolumeTypeName(code).isEmpty()) << code;
    }
}

TEST(VolumeTypes, RemovableMediaAreClassifiedByCapacity) {
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 1'457'664), kVolumeFloppy);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 2'048'000), kVolumeFloppy);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 2'048'001), kVolumeZipDisk);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 100'000'000), kVolumeZipDisk);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 106'000'000), kVolumeZipDisk);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 106'000'001), kVolumeRemovable);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 250'000'000), kVolumeRemovable);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Removable, 64LL * 1024 * 1024 * 1024), kVolumeRemovable);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::Unknown, 1'457'664), kVolumeFloppy);
    EXPECT_EQ(VolumeTypeCodeFor(DriveType::NoRootDir, 250'000'000), kVolumeRemovable);
}

TEST(VolumeTypes, OtherDriveTypesIgnoreTheCapacity) {
    for (std::int64_t capacity :
         {std::int64_t{1'457'664}, std::int64_t{100'000'000}, std::int64_t{1} << 40}) {
        EXPECT_EQ(VolumeTypeCodeFor(DriveType::CdRom, capacity), kVolumeCdRom);
        EXPECT_EQ(VolumeTypeCodeFor(DriveType::RamDisk, capacity), kVolumeRamDisk);
        EXPECT_EQ(VolumeTypeCodeFor(DriveType::Fixed, capacity), kVolumeFixed);
        EXPECT_EQ(VolumeTypeCodeFor(DriveType::Remote, capacity), kVolumeNetwork);
    }
}

TEST(VolumeTypes, DriveListMapsRawTypesAndTreatsAAndBAsFloppies) {
    EXPECT_EQ(DriveListTypeCode(DriveType::Removable, QLatin1Char('E')), kVolumeRemovable);
    EXPECT_EQ(DriveListTypeCode(DriveType::CdRom, QLatin1Char('D')), kVolumeCdRom);
    EXPECT_EQ(DriveListTypeCode(DriveType::RamDisk, QLatin1Char('R')), kVolumeRamDisk);
    EXPECT_EQ(DriveListTypeCode(DriveType::Fixed, QLatin1Char('C')), kVolumeFixed);
    EXPECT_EQ(DriveListTypeCode(DriveType::Remote, QLatin1Char('N')), kVolumeNetwork);
    EXPECT_EQ(DriveListTypeCode(DriveType::Unknown, QLatin1Char('Z')), kVolumeRemovable);
    for (DriveType type : {DriveType::Removable, DriveType::Fixed, DriveType::CdRom, DriveType::Remote,
                           DriveType::RamDisk, DriveType::Unknown}) {
        EXPECT_EQ(DriveListTypeCode(type, QLatin1Char('A')), kVolumeFloppy);
        EXPECT_EQ(DriveListTypeCode(type, QLatin1Char('b')), kVolumeFloppy);
        EXPECT_NE(DriveListTypeCode(type, QLatin1Char('C')), kVolumeFloppy);
    }
}
