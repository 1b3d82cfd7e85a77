#include "browse/BrowseStatus.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(BrowseStatus, VolumeListCountsVolumesAndBytesOnDisk) {
    const StatusTexts one =
        VolumeListStatus(CatalogTotals{1, 10'240'000, 2'048'000, 8'192'000, 12, 3456}, 20480);
    EXPECT_EQ(one[0], QStringLiteral("1 volume active (20,480 bytes on disk)"));
    EXPECT_EQ(one[1], QStringLiteral(" 10.0MB Total Capacity "));
    EXPECT_EQ(one[2], QStringLiteral(" 2.0MB Total Used "));
    EXPECT_EQ(one[3], QStringLiteral(" 8.0MB Total Free "));
    EXPECT_EQ(one[4], QStringLiteral(" 12 dirs, 3,456 files "));

    const StatusTexts many = VolumeListStatus(CatalogTotals{1234, 0, 0, 0, 0, 0}, 0);
    EXPECT_EQ(many[0], QStringLiteral("1,234 volumes active (0 bytes on disk)"));
}

TEST(BrowseStatus, DatabaseListAndEmptyDatabase) {
    EXPECT_EQ(DatabaseListStatus(1, {})[0], QStringLiteral("1 database active"));
    EXPECT_EQ(DatabaseListStatus(0, {})[0], QStringLiteral("0 databases active"));
    const StatusTexts two = DatabaseListStatus(2, CatalogTotals{3, 5'120'000, 0, 0, 1000, 2});
    EXPECT_EQ(two[0], QStringLiteral("2 databases active"));
    EXPECT_EQ(two[1], QStringLiteral(" 5.0MB Total Capacity "));
    EXPECT_EQ(two[4], QStringLiteral(" 1,000 dirs, 2 files "));

    const StatusTexts empty = EmptyDatabaseStatus();
    EXPECT_EQ(empty[0], QStringLiteral("No volumes active (empty database)"));
    for (int panel = 1; panel < 5; ++panel)
        EXPECT_EQ(empty[panel], QStringLiteral(" "));
}

TEST(BrowseStatus, SelectedVolumeShowsItsWholeFigures) {
    const StatusTexts texts = VolumeSelectionStatus(VolumeFigures{10'240'000, 1'024'000, 9'216'000, 4, 1234});
    EXPECT_EQ(texts[0], QStringLiteral("10.0MB media size"));
    EXPECT_EQ(texts[1], QStringLiteral(" 1.0MB used "));
    EXPECT_EQ(texts[2], QStringLiteral(" 9.0MB free "));
    EXPECT_EQ(texts[3], QStringLiteral(" 4 dirs "));
    EXPECT_EQ(texts[4], QStringLiteral(" 1,234 files "));
    EXPECT_EQ(VolumeSelectionStatus(std::nullopt)[0], QStringLiteral(" "));
}
