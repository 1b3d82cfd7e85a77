#include "browse/NodeKeys.h"

#include "browse/ListColumns.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(NodeKeys, FolderIdFromKeyTakesTheTrailingDigitsOfFolderKeys) {
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_3a1f0c22_d117")), QStringLiteral("117"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_0002ffff_d2")), QStringLiteral("2"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_a_d0")), QStringLiteral("1"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_a_d")), QStringLiteral("1"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_a_d10")), QStringLiteral("10"));
}

TEST(NodeKeys, FolderIdFromKeyGivesTheRootForVolumeKeysEvenWhenTheTableEndsInDigits) {
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_1234567")), QStringLiteral("1"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_cdrom0")), QStringLiteral("1"));
    EXPECT_EQ(FolderIdFromKey(QStringLiteral("Music.mdb_label")), QStringLiteral("1"));
}

TEST(NodeKeys, KindsMarkersAndZipNames) {
    EXPECT_EQ(NodeKindOfKey(QStringLiteral("MENDOR")), NodeKind::Root);
    EXPECT_EQ(NodeKindOfKey(QStringLiteral("Music.MDB")), NodeKind::Database);
    EXPECT_EQ(NodeKindOfKey(QStringLiteral("Music.mdb_0002ffff")), NodeKind::Volume);
    EXPECT_EQ(NodeKindOfKey(QStringLiteral("Music.mdb_0002ffff_d5")), NodeKind::Folder);

    EXPECT_EQ(FolderIdAfterMarker(QStringLiteral("Music.mdb_dd_d42")), 42);
    EXPECT_EQ(FolderIdAfterMarker(QStringLiteral("Music.mdb_vol")), 0);
    EXPECT_EQ(FolderKey(QStringLiteral("Music.mdb"), QStringLiteral("0002ffff"), 9),
              QStringLiteral("Music.mdb_0002ffff_d9"));

    EXPECT_TRUE(IsZipFolderName(QStringLiteral(" Old.ZIP  ")));
    EXPECT_FALSE(IsZipFolderName(QStringLiteral("zip")));
    EXPECT_FALSE(IsZipFolderName(QStringLiteral("a.zipx")));
}

TEST(ListColumns, ModesHaveTheirColumnsAndSortTables) {
    ASSERT_EQ(ColumnsOfMode(kFolderMode).size(), 8);
    EXPECT_EQ(ColumnsOfMode(kFolderMode).at(2).caption, QStringLiteral("» Type"));
    ASSERT_EQ(ColumnsOfMode(kVolumeMode).size(), 9);
    EXPECT_EQ(ColumnsOfMode(kVolumeMode).at(5).caption, QStringLiteral("Catalog Date"));
    EXPECT_EQ(ColumnsOfMode(kDatabaseMode).at(0).caption, QStringLiteral("» Database"));
    EXPECT_EQ(ColumnsOfMode(kZipMode).at(1).key, QStringLiteral("tsize"));
    EXPECT_TRUE(ColumnsOfMode(0).isEmpty());
    EXPECT_TRUE(ColumnsOfMode(5).isEmpty());

    EXPECT_EQ(InitialSortColumn(kFolderMode), 2);
    EXPECT_EQ(InitialSortColumn(kZipMode), 0);

    EXPECT_EQ(SortColumnForKey(kFolderMode, QStringLiteral("description")), 7);
    EXPECT_EQ(SortColumnForKey(kVolumeMode, QStringLiteral("description")), 6);
    EXPECT_EQ(SortColumnForKey(kVolumeMode, QStringLiteral("dirs")), -1);
    EXPECT_EQ(SortColumnForKey(kDatabaseMode, QStringLiteral("files")), 6);
    EXPECT_EQ(SortColumnForKey(kZipMode, QStringLiteral("path")), 4);
    EXPECT_EQ(SortColumnForKey(kZipMode, QStringLiteral("size")), -1);

    EXPECT_EQ(CaptionWithoutMarker(QStringLiteral("« Name")), QStringLiteral("Name"));
    EXPECT_EQ(CaptionWithoutMarker(QStringLiteral("» Type")), QStringLiteral("Type"));
    EXPECT_EQ(CaptionWithoutMarker(QStringLiteral("Size")), QStringLiteral("Size"));
}
