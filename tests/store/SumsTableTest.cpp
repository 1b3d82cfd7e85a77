// A volume's checksum table goes wherever its table pair goes.
#include "store/DatabaseLifecycle.h"
#include "store/Schema.h"
#include "store/VolumeMaintenance.h"
#include "StoreTestSupport.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace mendor;
using namespace mendor::test;

namespace {

// E:  Docs (2): a.txt (3), Sub (4): b.txt (5);  top.txt (6); every file checksummed.
FixtureVolume summed(const QString& t, const QString& name) {
    FixtureVolume volume(t, name);
    const auto docs = volume.addFolder(1, "Docs");
    volume.addFile(docs, "a.txt", 1);
    const auto sub = volume.addFolder(docs, "Sub");
    volume.addFile(sub, "b.txt", 2);
    volume.addFile(1, "top.txt", 3);
    for (const std::int64_t id : {3, 5, 6})
        volume.checksums.insert(id, QByteArray(16, char('a' + id)));
    return volume;
}

QStringList sumIds(const QString& path, const QString& t) {
    return Column(path,
                  QStringLiteral("SELECT ID || ':' || hex(checksum) FROM \"%1_sums\" ORDER BY ID").arg(t));
}

} // namespace

TEST(SumsTable, MovesWithItsVolumeAndReplacesTheTargetsStaleCopy) {
    DataFolder data;
    const QString source = data.addDatabase("Music", {summed("a1", "Backup")});
    const QStringList sums = sumIds(source, "a1");
    ASSERT_EQ(sums.size(), 3);
    // The target's older copy of the volume has checksums the moved one must not inherit.
    FixtureVolume older("a1", "Backup");
    older.addFile(1, "stale.txt");
    older.checksums.insert(2, QByteArray(16, 'z'));
    const QString target = data.addDatabase("Archive", {older});

    ScriptedPrompter prompter;
    RecordingSink sink;
    ASSERT_TRUE(MoveVolume("Music.mdb_a1", target, prompter, sink));
    EXPECT_EQ(sumIds(target, "a1"), sums);
    EXPECT_EQ(Column(target, "SELECT name FROM \"a1_files\" ORDER BY ID"),
              (QStringList{"a.txt", "b.txt", "top.txt"}));
    EXPECT_EQ(Column(target, "SELECT name FROM \"index\""), QStringList{"Backup"});
    EXPECT_TRUE(VolumeTables(source).isEmpty());

    // Moving back a copy without checksums leaves none behind.
    data.addVolume("Music", FixtureVolume("a1", "Plain"));
    ASSERT_TRUE(MoveVolume("Music.mdb_a1", target, prompter, sink));
    EXPECT_EQ(VolumeTables(target), (QStringList{"a1_dirs", "a1_files"}));
}

TEST(SumsTable, DeletedItemsAndVolumesTakeTheirChecksumsWithThem) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {summed("a1", "Backup"), summed("b2", "Other")});
    ScriptedPrompter prompter;
    prompter.answerYes().answerYes();
    RecordingSink sink;
    ASSERT_TRUE(DeleteItems({{"Music.mdb_a1_d2", "Docs"}}, "E:", prompter, sink));
    EXPECT_EQ(sumIds(path, "a1"), QStringList{"6:" + QString("67").repeated(16)});
    ASSERT_TRUE(DeleteItems({{"Music.mdb_a1_f6", "top.txt"}}, "E:", prompter, sink));
    EXPECT_TRUE(sumIds(path, "a1").isEmpty());

    prompter.answerYes();
    ASSERT_TRUE(DeleteVolume("Music.mdb_b2", prompter));
    EXPECT_EQ(VolumeTables(path), (QStringList{"a1_dirs", "a1_files", "a1_sums"}));
}

TEST(SumsTable, RepairAndCompactionKeepItWhileItsVolumeStands) {
    DataFolder data;
    FixtureVolume withoutFolders = summed("e1", "Empty");
    const QString path = data.addDatabase("Music", {summed("a1", "Kept"), withoutFolders});
    {
        Database db = Database::open(path);
        db.exec(QStringLiteral("DELETE FROM \"e1_dirs\""));
        CreateSumsTable(db, "gone");
    }
    const QStringList sums = sumIds(path, "a1");
    ScriptedPrompter prompter;
    RecordingSink sink;
    ASSERT_TRUE(CompactDatabaseFile("Music.mdb", prompter, sink));
    EXPECT_EQ(VolumeTables(path), (QStringList{"a1_dirs", "a1_files", "a1_sums"}));
    EXPECT_EQ(sumIds(path, "a1"), sums);
}
