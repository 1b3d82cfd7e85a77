#include "store/Keys.h"

#include "shell/Options.h"

#include <gtest/gtest.h>

using namespace mendor;

TEST(Keys, EveryPartOfDatabaseVolumeAndItemKeys) {
    const QString saved = gDataPath;
    gDataPath = "/home/u/catalogs";
    const struct {
        const char* key;
        const char* fileName;
        const char* table;
        std::int64_t id;
        bool isFile;
    } cases[] = {
        {"Music.mdb_3a1f0c22_f117", "Music.mdb", "3a1f0c22", 117, true},
        // Table names may end in digits; only a lower-case "f" marks a file.
        {"Backups 2001.mdb_0002ffff_d1", "Backups 2001.mdb", "0002ffff", 1, false},
        {"a.mdb_t_F5", "a.mdb", "t", 5, false},
        {"Music.mdb_cd20240117", "Music.mdb", "cd20240117", 0, false},
        {"Music.mdb", "Music.mdb", "", 0, false},
        {"Music.mdb_", "Music.mdb", "", 0, false},
        // The extension is found in any case, and the first one decides.
        {"OLD.MDB_abc_f9", "OLD.MDB", "abc", 9, true},
        {"x.Mdb_vol", "x.Mdb", "vol", 0, false},
        {"a.b.mdb_t1_f5000000000", "a.b.mdb", "t1", 5'000'000'000LL, true},
        {"a.mdb_t_fxyz", "a.mdb", "t", 0, true},
        {"a.mdb_t_", "a.mdb", "t", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(DbFileNameFromKey(c.key), c.fileName);
        EXPECT_EQ(DbPathFromKey(c.key), QStringLiteral("/home/u/catalogs/") + c.fileName);
        EXPECT_EQ(TableNameFromKey(c.key), c.table);
        EXPECT_EQ(ItemIdFromKey(c.key), c.id);
        EXPECT_EQ(IsFileKey(c.key), c.isFile);
    }
    EXPECT_EQ(DbPathFromKey("Music.mdb_t_f1", "/tmp/x"), "/tmp/x/Music.mdb");
    gDataPath = saved;
}

TEST(Keys, BuiltKeys) {
    EXPECT_EQ(DatabaseKey("Music"), "Music.mdb");
    EXPECT_EQ(VolumeKey("Music", "3a1f0c22"), "Music.mdb_3a1f0c22");
    EXPECT_EQ(ItemKey("Music", "3a1f0c22", true, 117), "Music.mdb_3a1f0c22_f117");
    EXPECT_EQ(ItemKey("My Disks", "77", false, 42), "My Disks.mdb_77_d42");
}
