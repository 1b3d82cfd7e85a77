#include "browse/BrowseStatus.h"

#include <gtest/gtest.h>

using namespace mendor;

namespace {

QStringList texts(const StatusTexts& panels) {
    return QStringList(panels.begin(), panels.end());
}

} // namespace

TEST(BrowseStatus, TotalsOfTheVolumeListDatabaseListAndOneVolume) {
    EXPECT_EQ(texts(VolumeListStatus(CatalogTotals{1, 10'240'000, 2'048'000, 8'192'000, 12, 3456}, 20480)),
              QStringList({"1 volume active (20,480 bytes on disk)", " 10.0MB Total Capacity ",
                           " 2.0MB Total Used ", " 8.0MB Total Free ", " 12 dirs, 3,456 files "}));
    EXPECT_EQ(VolumeListStatus(CatalogTotals{1234, 0, 0, 0, 0, 0}, 0)[0],
              "1,234 volumes active (0 bytes on disk)");

    EXPECT_EQ(DatabaseListStatus(1, {})[0], "1 database active");
    EXPECT_EQ(DatabaseListStatus(0, {})[0], "0 databases active");
    EXPECT_EQ(texts(DatabaseListStatus(2, CatalogTotals{3, 5'120'000, 0, 0, 1000, 2})),
              QStringList({"2 databases active", " 5.0MB Total Capacity ", " 0.0MB Total Used ",
                           " 0.0MB Total Free ", " 1,000 dirs, 2 files "}));
    EXPECT_EQ(texts(EmptyDatabaseStatus()),
              QStringList({"No volumes active (empty database)", " ", " ", " ", " "}));

    EXPECT_EQ(
        texts(VolumeSelectionStatus(VolumeFigures{10'240'000, 1'024'000, 9'216'000, 4, 1234})),
        QStringList({"10.0MB media size", " 1.0MB used ", " 9.0MB free ", " 4 dirs ", " 1,234 files "}));
    EXPECT_EQ(VolumeSelectionStatus(std::nullopt)[0], " ");
}
