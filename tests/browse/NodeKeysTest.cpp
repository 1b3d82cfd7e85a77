#include "browse/NodeKeys.h"

#include "browse/ColumnSort.h"
#include "browse/ListColumns.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(NodeKeys, FolderIdFromKeyTakesTheTrailingDigitsOfFolderKeysOnly) {
    const struct {
        const char* key;
        const char* expected;
    } cases[] = {{"Music.mdb_3a1f0c22_d117", "117"},
                 {"Music.mdb_0002ffff_d2", "2"},
                 {"Music.mdb_a_d0", "1"},
                 {"Music.mdb_a_d", "1"},
                 {"Music.mdb_a_d10", "10"},
                 // Volume keys give the root, also when the table name ends in digits.
                 {"Music.mdb_1234567", "1"},
                 {"Music.mdb_cdrom0", "1"},
                 {"Music.mdb_label", "1"}};
    for (const auto& c : cases)
        EXPECT_EQ(FolderIdFromKey(c.key), c.expected) << c.key;
}

TEST(NodeKeys, KindsMarkersAndZipNames) {
    EXPECT_EQ(NodeKindOfKey("MENDOR"), NodeKind::Root);
    EXPECT_EQ(NodeKindOfKey("Music.MDB"), NodeKind::Database);
    EXPECT_EQ(NodeKindOfKey("Music.mdb_0002ffff"), NodeKind::Volume);
    EXPECT_EQ(NodeKindOfKey("Music.mdb_0002ffff_d5"), NodeKind::Folder);

    EXPECT_EQ(FolderIdAfterMarker("Music.mdb_dd_d42"), 42);
    EXPECT_EQ(FolderIdAfterMarker("Music.mdb_vol"), 0);
    EXPECT_EQ(FolderKey("Music.mdb", "0002ffff", 9), "Music.mdb_0002ffff_d9");

    EXPECT_TRUE(IsZipFolderName(" Old.ZIP  "));
    EXPECT_FALSE(IsZipFolderName("zip"));
    EXPECT_FALSE(IsZipFolderName("a.zipx"));
}

TEST(ListColumns, SortKeysMapToTheColumnsOfEachModeAndMarkersComeOff) {
    EXPECT_TRUE(ColumnsOfMode(0).isEmpty());
    EXPECT_TRUE(ColumnsOfMode(5).isEmpty());
    EXPECT_EQ(SortColumnForKey(kFolderMode, "description"), 7);
    EXPECT_EQ(SortColumnForKey(kVolumeMode, "description"), 6);
    EXPECT_EQ(SortColumnForKey(kVolumeMode, "dirs"), -1);
    EXPECT_EQ(SortColumnForKey(kDatabaseMode, "files"), 6);
    EXPECT_EQ(SortColumnForKey(kZipMode, "path"), 4);
    EXPECT_EQ(SortColumnForKey(kZipMode, "size"), -1);

    EXPECT_EQ(CaptionWithoutMarker("« Name"), "Name");
    EXPECT_EQ(CaptionWithoutMarker("» Type"), "Type");
    EXPECT_EQ(CaptionWithoutMarker("Size"), "Size");
}
