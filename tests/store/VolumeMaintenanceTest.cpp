#include "store/VolumeMaintenance.h"

#include "shell/Flags.h"
#include "store/DatabaseLifecycle.h"
#include "StoreTestSupport.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"
#include "support/WithoutPermissionOverride.h"

#include <gtest/gtest.h>

using namespace mendor;
using namespace mendor::test;

namespace {

// E: (1, 650)
//   Docs (2, 600): a.txt (3, 100), Sub (4, 500): b.txt (5, 200), Deep (6, 300): c.txt (7, 300)
//   top.txt (8, 50)
FixtureVolume backup(const QString& t = "a1", const QString& name = "Backup") {
    FixtureVolume volume(t, name, 5);
    volume.description = "weekly";
    const auto docs = volume.addFolder(1, "Docs");
    volume.addFile(docs, "a.txt", 100, "old");
    const auto sub = volume.addFolder(docs, "Sub");
    volume.addFile(sub, "b.txt", 200);
    const auto deep = volume.addFolder(sub, "Deep");
    volume.addFile(deep, "c.txt", 300);
    volume.addFile(1, "top.txt", 50);
    return volume;
}

QString sizes(const QString& path, const QString& table) {
    return Column(path, QStringLiteral("SELECT name || '=' || size FROM \"%1\" ORDER BY ID").arg(table))
        .join(QLatin1Char(' '));
}

QString counts(const QString& path, const QString& t) {
    return Column(path,
                  QStringLiteral("SELECT dirs || '/' || files FROM \"index\" WHERE tablename = '%1'").arg(t))
        .join(QLatin1Char(' '));
}

} // namespace

TEST(VolumeRename, StoresAnyNameButOneAnotherVolumeHasInAnyLetterCase) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {backup(), backup("b2", "Other")});
    const QStringList tables = VolumeTables(path);
    ScriptedPrompter prompter;
    ASSERT_TRUE(RenameVolume("Music.mdb_a1", "My \"best\" disc", prompter));
    prompter.expectMessage(kNameInUseMessage);
    EXPECT_FALSE(RenameVolume("Music.mdb_b2", "MY \"BEST\" DISC", prompter));
    EXPECT_TRUE(RenameVolume("Music.mdb_b2", "OTHER", prompter));
    prompter.expectMessage(kNameInUseMessage); // the database's own label in the tree
    EXPECT_FALSE(RenameVolume("Music.mdb_b2", "music", prompter));
    EXPECT_FALSE(RenameVolume("Music.mdb_a1", QString(), prompter));

    EXPECT_EQ(Column(path, "SELECT name FROM \"index\" ORDER BY tablename"),
              (QStringList{"My \"best\" disc", "OTHER"}));
    EXPECT_EQ(VolumeTables(path), tables);
    EXPECT_EQ(VolumeTableByName(path, "my \"best\" DISC"), "a1");
    EXPECT_EQ(VolumeTableByName(path, "none"), std::nullopt);
}

TEST(DescribeVolume, ShowsTheCurrentDescriptionAndCancelEmptiesIt) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {backup()});
    const QString prompt = QStringLiteral(
        "Enter a description for Backup. Pressing Cancel will delete any existing description.");
    ScriptedPrompter prompter;
    prompter.answerInput("it's \"new\"", prompt, "Describe Volume").cancelInput(prompt, "Describe Volume");
    EXPECT_EQ(DescribeVolume("Music.mdb_a1", "Backup", prompter), "it's \"new\"");
    EXPECT_EQ(prompter.prompts().at(0).defaultText, "weekly");
    EXPECT_EQ(DescribeVolume("Music.mdb_a1", "Backup", prompter), QString());
    EXPECT_EQ(prompter.prompts().at(1).defaultText, "it's \"new\"");
    EXPECT_EQ(Column(path, "SELECT thedescription FROM \"index\""), QStringList{QString()});
    EXPECT_EQ(DescribeVolume("Music.mdb_zz", "None", prompter), std::nullopt);
}

TEST(DeleteVolume, RemovesRowAndTablesAfterYesEvenWhenTablesAreMissing) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {backup(), backup("b2", "Other")});
    const QStringList before = DumpDatabase(path);
    ScriptedPrompter prompter;
    prompter.answerNo("Delete this Volume?", "Confirm Deletion")
        .answerYes("Delete this Volume?", "Confirm Deletion")
        .answerYes();
    EXPECT_FALSE(DeleteVolume("Music.mdb_a1", prompter));
    EXPECT_EQ(DumpDatabase(path), before);
    {
        Database db = Database::open(path);
        db.exec("DROP TABLE \"a1_files\"");
    }
    EXPECT_TRUE(DeleteVolume("Music.mdb_a1", prompter));
    EXPECT_EQ(VolumeTables(path), (QStringList{"b2_dirs", "b2_files"}));
    EXPECT_EQ(Column(path, "SELECT name FROM \"index\""), QStringList{"Other"});
    prompter.expectMessage("The volume is no longer in its database; nothing was deleted.");
    EXPECT_FALSE(DeleteVolume("Music.mdb_a1", prompter));

    // A database that cannot be written says so and keeps the volume.
    const QStringList kept = DumpDatabase(path);
    QFile::setPermissions(path, QFile::ReadOwner);
    {
        const WithoutPermissionOverride asUser;
        prompter.answerYes().expectMessage();
        EXPECT_FALSE(DeleteVolume("Music.mdb_b2", prompter));
    }
    EXPECT_TRUE(prompter.messages().last().startsWith("The volume could not be deleted"))
        << prompter.messages().last().toStdString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(DumpDatabase(path), kept);
}

TEST(DescribeItems, AsksForEachItemInListOrderAndReturnsTheNewDescriptions) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {backup()});
    ScriptedPrompter prompter;
    prompter
        .answerInput(
            "notes",
            QStringLiteral("Enter a description for a.txt.  Pressing Cancel will delete any existing "
                           "description."),
            "Describe Volume")
        .cancelInput(QStringLiteral("Enter a description for Sub.  Pressing Cancel will delete any existing "
                                    "description."));
    const std::vector<SelectedItem> items{
        {"Music.mdb_a1_f3", "a.txt"}, {"Music.mdb_a1_d99", "gone"}, {"Music.mdb_a1_d4", "Sub"}};
    const std::vector<ItemDescription> described = DescribeItems(items, prompter);
    ASSERT_EQ(described.size(), 2u);
    EXPECT_EQ(described[0].key, "Music.mdb_a1_f3");
    EXPECT_EQ(described[0].description, "notes");
    EXPECT_EQ(described[1].key, "Music.mdb_a1_d4");
    EXPECT_EQ(described[1].description, QString());
    EXPECT_EQ(prompter.prompts().at(0).defaultText, "old");
    EXPECT_EQ(Column(path, "SELECT description FROM \"a1_files\" WHERE ID = 3"), QStringList{"notes"});
    EXPECT_EQ(Column(path, "SELECT description FROM \"a1_dirs\" WHERE ID = 4"), QStringList{""});
}

TEST(DeleteItems, RemovesFolderSubtreesAndFilesAndKeepsSizesAndCountsConsistent) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {backup()});
    ASSERT_EQ(sizes(path, "a1_dirs"), "E:=650 Docs=600 Sub=500 Deep=300");
    ASSERT_EQ(counts(path, "a1"), "3/4");
    const QStringList before = DumpDatabase(path);
    const std::vector<SelectedItem> items{{"Music.mdb_a1_d4", "Sub"}, {"Music.mdb_a1_f3", "a.txt"}};
    const QString question = "Delete all selected files/folders from Docs?";
    ScriptedPrompter prompter;
    prompter.answerNo(question, "Delete Confirmation").answerYes(question, "Delete Confirmation");
    RecordingSink sink;
    EXPECT_FALSE(DeleteItems(items, "Docs", prompter, sink));
    EXPECT_EQ(DumpDatabase(path), before);
    EXPECT_TRUE(sink.statuses.isEmpty());

    EXPECT_TRUE(DeleteItems(items, "Docs", prompter, sink));
    EXPECT_EQ(sink.statuses, QStringList{"Deleting items... please wait."});
    EXPECT_EQ(sizes(path, "a1_dirs"), "E:=50 Docs=0");
    EXPECT_EQ(sizes(path, "a1_files"), "top.txt=50");
    EXPECT_EQ(counts(path, "a1"), "1/1");
}

TEST(MoveVolume, TargetListLeavesOutOnlyTheVolumesOwnFile) {
    DataFolder data;
    data.addDatabase("Music", {backup()});
    ScriptedPrompter prompter;
    prompter.expectMessage(kNoMoveTargetsMessage);
    EXPECT_TRUE(MoveTargetNames("Music.mdb_a1", prompter).isEmpty());

    data.addDatabase("music");
    data.addDatabase("Archive");
    EXPECT_EQ(MoveTargetNames("Music.mdb_a1", prompter), (QStringList{"Archive", "music"}));
}

TEST(MoveVolume, CopiesEverythingAndNamesTheCopyAfterTheNamesTaken) {
    DataFolder data;
    const QString source = data.addDatabase("Music", {backup(), backup("b2", "Other")});
    const QString target =
        data.addDatabase("Archive", {backup("c1", "BACKUP"), backup("c2", "backup (copy 2)")});
    const QStringList rows =
        Column(source, QStringLiteral("SELECT ID || parent || name || size || depth || "
                                      "ifnull(description, '-') FROM \"a1_files\" ORDER BY ID"));
    ScriptedPrompter prompter;
    RecordingSink sink;
    ASSERT_TRUE(MoveVolume("Music.mdb_a1", target, prompter, sink));
    EXPECT_EQ(sink.statuses, (QStringList{"Moving Backup (folders)", "Moving Backup (files)"}));
    EXPECT_FALSE(isBusy());

    EXPECT_EQ(Column(target, QStringLiteral("SELECT ID || parent || name || size || depth || "
                                            "ifnull(description, '-') FROM \"a1_files\" ORDER BY ID")),
              rows);
    EXPECT_EQ(sizes(target, "a1_dirs"), "E:=650 Docs=600 Sub=500 Deep=300");
    EXPECT_EQ(
        Column(target, QStringLiteral("SELECT name || '|' || volumetype || '|' || thedescription || '|' || "
                                      "size || '|' || dirs || '|' || files FROM \"index\" "
                                      "WHERE tablename = 'a1'")),
        QStringList{"Backup (Copy 3)|5|weekly|10240000|3|4"});
    EXPECT_EQ(Column(source, "SELECT tablename FROM \"index\""), QStringList{"b2"});
    EXPECT_EQ(VolumeTables(source), (QStringList{"b2_dirs", "b2_files"}));
    EXPECT_EQ(IntegrityCheck(target), "ok");
}

TEST(MoveVolume, AFailureWhileCopyingLeavesBothDatabasesAsTheyWere) {
    DataFolder data;
    const QString source = data.addDatabase("Music", {backup()});
    FixtureVolume older("a1", "Older");
    const QString target = data.addDatabase("Archive", {older});
    {
        // The index row is written last: refusing it fails the move after every row was copied.
        Database db = Database::open(target);
        db.exec(QStringLiteral("CREATE TRIGGER \"full\" BEFORE INSERT ON \"index\" "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    }
    const QStringList sourceBefore = DumpDatabase(source);
    const QStringList targetBefore = DumpDatabase(target);
    ScriptedPrompter prompter;
    prompter.allowAnyMessages();
    RecordingSink sink;
    EXPECT_FALSE(MoveVolume("Music.mdb_a1", target, prompter, sink));
    EXPECT_EQ(sink.statuses.size(), 2);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().contains("disk full"));
    EXPECT_EQ(DumpDatabase(source), sourceBefore);
    EXPECT_EQ(DumpDatabase(target), targetBefore);
    EXPECT_FALSE(isBusy());
}

TEST(MoveVolume, DoesNothingWhileAnotherLongOperationRuns) {
    DataFolder data;
    const QString source = data.addDatabase("Music", {backup()});
    const QString target = data.addDatabase("Archive");
    const QStringList before = DumpDatabase(source);
    ScriptedPrompter prompter;
    RecordingSink sink;
    gBusy.store(kFlagSet);
    EXPECT_FALSE(MoveVolume("Music.mdb_a1", target, prompter, sink));
    EXPECT_TRUE(isBusy());
    gBusy.store(kFlagClear);
    EXPECT_EQ(DumpDatabase(source), before);
    EXPECT_TRUE(VolumeTables(target).isEmpty());
}
