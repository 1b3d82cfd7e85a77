#include "catalog/VolumeTypes.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(VolumeTypes, CodesOutsideTheTableShowAsRemovableWithoutAName) {
    for (int code : {0, 8, -1, 32767, -32768}) {
        EXPECT_EQ(VolumeTypeKey(code), QStringLiteral("removable")) << code;
        EXPECT_TRUE(VolumeTypeName(code).isEmpty()) << code;
    }
}

TEST(VolumeTypes, RemovableMediaAreClassifiedByCapacityOthersByDriveType) {
    const struct {
        DriveType type;
        std::int64_t capacity;
        int code;
    } cases[] = {
        {DriveType::Removable, 1'457'664, kVolumeFloppy},
        {DriveType::Removable, 2'048'000, kVolumeFloppy},
        {DriveType::Removable, 2'048'001, kVolumeZipDisk},
        {DriveType::Removable, 106'000'000, kVolumeZipDisk},
        {DriveType::Removable, 106'000'001, kVolumeRemovable},
        {DriveType::Removable, 64LL << 30, kVolumeRemovable},
        {DriveType::Unknown, 1'457'664, kVolumeFloppy},
        {DriveType::NoRootDir, 250'000'000, kVolumeRemovable},
        {DriveType::CdRom, 1'457'664, kVolumeCdRom},
        {DriveType::RamDisk, 100'000'000, kVolumeRamDisk},
        {DriveType::Fixed, 1'457'664, kVolumeFixed},
        {DriveType::Remote, 100'000'000, kVolumeNetwork},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.capacity);
        EXPECT_EQ(VolumeTypeCodeFor(row.type, row.capacity), row.code);
    }
}

TEST(VolumeTypes, DriveListMapsRawTypesAndTreatsAAndBAsFloppies) {
    EXPECT_EQ(DriveListTypeCode(DriveType::Removable, QLatin1Char('E')), kVolumeRemovable);
    EXPECT_EQ(DriveListTypeCode(DriveType::CdRom, QLatin1Char('D')), kVolumeCdRom);
    EXPECT_EQ(DriveListTypeCode(DriveType::Unknown, QLatin1Char('Z')), kVolumeRemovable);
    for (DriveType type : {DriveType::Removable, DriveType::Fixed, DriveType::CdRom, DriveType::Remote,
                           DriveType::RamDisk, DriveType::Unknown}) {
        EXPECT_EQ(DriveListTypeCode(type, QLatin1Char('A')), kVolumeFloppy);
        EXPECT_EQ(DriveListTypeCode(type, QLatin1Char('b')), kVolumeFloppy);
        EXPECT_NE(DriveListTypeCode(type, QLatin1Char('C')), kVolumeFloppy);
    }
}
