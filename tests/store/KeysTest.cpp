#include "store/Keys.h"

#include "shell/Options.h"

#include <gtest/gtest.h>

using namespace mendor;

namespace {

// Points the data folder somewhere known for one test and puts it back afterwards.
class KeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gDataPath;
        gDataPath = QStringLiteral("/home/u/catalogs");
    }
    void TearDown() override { gDataPath = saved_; }

private:
    QString saved_;
};

} // namespace

TEST_F(KeysTest, ItemKeyGivesEveryPart) {
    const QString key = QStringLiteral("Music.mdb_3a1f0c22_f117");
    EXPECT_EQ(DbPathFromKey(key), QStringLiteral("/home/u/catalogs/Music.mdb"));
    EXPECT_EQ(DbPathFromKey(key, QStringLiteral("/tmp/x")), QStringLiteral("/tmp/x/Music.mdb"));
    EXPECT_EQ(DbFileNameFromKey(key), QStringLiteral("Music.mdb"));
    EXPECT_EQ(TableNameFromKey(key), QStringLiteral("3a1f0c22"));
    EXPECT_EQ(ItemIdFromKey(key), 117);
    EXPECT_TRUE(IsFileKey(key));
}

TEST_F(KeysTest, FolderKeysAndTableNamesEndingInDigits) {
    const QString key = QStringLiteral("Backups 2001.mdb_0002ffff_d1");
    EXPECT_EQ(DbFileNameFromKey(key), QStringLiteral("Backups 2001.mdb"));
    EXPECT_EQ(TableNameFromKey(key), QStringLiteral("0002ffff"));
    EXPECT_EQ(ItemIdFromKey(key), 1);
    EXPECT_FALSE(IsFileKey(key));
    // Only a lower-case "f" marks a file.
    EXPECT_FALSE(IsFileKey(QStringLiteral("a.mdb_t_F5")));
}

TEST_F(KeysTest, VolumeAndDatabaseKeysWithoutItemPart) {
    const QString volume = QStringLiteral("Music.mdb_cd20240117");
    EXPECT_EQ(TableNameFromKey(volume), QStringLiteral("cd20240117"));
    EXPECT_EQ(DbFileNameFromKey(volume), QStringLiteral("Music.mdb"));
    EXPECT_FALSE(IsFileKey(volume));

    const QString database = QStringLiteral("Music.mdb");
    EXPECT_EQ(DbPathFromKey(database), QStringLiteral("/home/u/catalogs/Music.mdb"));
    EXPECT_TRUE(TableNameFromKey(database).isEmpty());
    EXPECT_TRUE(TableNameFromKey(QStringLiteral("Music.mdb_")).isEmpty());
    EXPECT_FALSE(IsFileKey(database));
    EXPECT_EQ(ItemIdFromKey(database), 0);
    EXPECT_FALSE(IsFileKey(QStringLiteral("Music.mdb_")));
}

TEST_F(KeysTest, ExtensionIsFoundInAnyCaseAndTheKeysCaseIsKept) {
    const QString key = QStringLiteral("OLD.MDB_abc_f9");
    EXPECT_EQ(DbPathFromKey(key), QStringLiteral("/home/u/catalogs/OLD.MDB"));
    EXPECT_EQ(DbFileNameFromKey(key), QStringLiteral("OLD.MDB"));
    EXPECT_EQ(TableNameFromKey(key), QStringLiteral("abc"));
    EXPECT_EQ(TableNameFromKey(QStringLiteral("x.Mdb_vol")), QStringLiteral("vol"));
}

TEST_F(KeysTest, TheFirstExtensionDecidesAndIdsBeyond32Bits) {
    // A dotted database name is cut at its first ".mdb".
    const QString key = QStringLiteral("a.b.mdb_t1_f5000000000");
    EXPECT_EQ(DbFileNameFromKey(key), QStringLiteral("a.b.mdb"));
    EXPECT_EQ(TableNameFromKey(key), QStringLiteral("t1"));
    EXPECT_EQ(ItemIdFromKey(key), 5'000'000'000LL);
    EXPECT_EQ(ItemIdFromKey(QStringLiteral("a.mdb_t_fxyz")), 0);
    EXPECT_EQ(ItemIdFromKey(QStringLiteral("a.mdb_t_")), 0);
}

TEST_F(KeysTest, BuiltKeysParseBack) {
    EXPECT_EQ(DatabaseKey(QStringLiteral("Music")), QStringLiteral("Music.mdb"));
    EXPECT_EQ(VolumeKey(QStringLiteral("Music"), QStringLiteral("3a1f0c22")),
              QStringLiteral("Music.mdb_3a1f0c22"));
    EXPECT_EQ(ItemKey(QStringLiteral("Music"), QStringLiteral("3a1f0c22"), true, 117),
              QStringLiteral("Music.mdb_3a1f0c22_f117"));
    for (bool isFile : {true, false}) {
        const QString key = ItemKey(QStringLiteral("My Disks"), QStringLiteral("77"), isFile, 42);
        EXPECT_EQ(DbFileNameFromKey(key), QStringLiteral("My Disks.mdb"));
        EXPECT_EQ(TableNameFromKey(key), QStringLiteral("77"));
        EXPECT_EQ(ItemIdFromKey(key), 42);
        EXPECT_EQ(IsFileKey(key), isFile);
    }
}
