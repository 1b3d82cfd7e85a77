#include "browse/ListColumns.h"
#include "browse/TextFormats.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "browse/ui/VolumeChooser.h"
#include "platform/ProgramFolder.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "support/CatalogFixture.h"
#include "support/ui/FakeMainWindowServices.h"

#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace mendor;
using mendor::test::FakeMainWindowServices;

namespace {

QString key(const char* text) {
    return QString::fromUtf8(text);
}

// A data folder with three databases and a program folder for the settings file:
//   Music.mdb   "Music CD" (0002ffff, CD-ROM): Archive.zip, art/, Docs/{old/{deep/}, A.txt, b.txt}, top.txt
//               "backup" (m1234, fixed): an empty root
//   Empty.mdb   no volumes
//   Old.mdb     version 2 (not shown in the tree)
class BrowseWidgets : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptionsToDefaults();
        gListMode = 0;
        SetProgramFolderOverride(programFolder.path());
        gBusy.store(kFlagClear);

        FixtureVolume music(key("0002ffff"), key("Music CD"), 1);
        docs = music.addFolder(1, key("Docs"));
        old = music.addFolder(docs, key("old"));
        deep = music.addFolder(old, key("deep"));
        music.addFile(docs, key("b.txt"), 1536);
        music.addFile(docs, key("A.txt"), 0, key("the first"));
        music.addFile(docs, key("notes"), 10);
        music.row(music.files().at(1).id).accessed = 0; // 1/1/1970: shows the modification date
        zip = music.addZipArchive(1, key("Archive.zip"), 999);
        member = music.addZipMember(zip, key("readme.txt"), 100, key("\\docs\\old\\"));
        art = music.addFolder(1, key("art"));
        music.addFile(1, key("top.txt"), 1);
        FixtureVolume backup(key("m1234"), key("backup"), 2, key("F:"));
        data.addDatabase(key("Music"), {music, backup});
        data.addDatabase(key("Empty"));
        data.addDatabase(key("Old"));
        data.setVersion(key("Old"), 2);
        gDataPath = data.dataPath();
        create();
    }

    void TearDown() override {
        list.reset();
        tree.reset();
        SetProgramFolderOverride(QString());
        gBusy.store(kFlagClear);
    }

    void create() {
        list.reset();
        tree = std::make_unique<CatalogTree>(services);
        list = std::make_unique<ContentList>(services, *tree);
        tree->RefreshCatalogTree();
    }

    void click(const QString& nodeKey, Qt::MouseButton button = Qt::LeftButton) {
        ASSERT_TRUE(tree->selectNode(nodeKey)) << nodeKey.toStdString();
        tree->handleSelection(button);
    }

    QStringList captions() const {
        QStringList result;
        for (int column = 0; column < list->columnCount(); ++column)
            result << list->headerCaption(column);
        return result;
    }

    QStringList column(int index) const {
        QStringList result;
        for (int row = 0; row < list->itemCount(); ++row)
            result << list->itemText(row, index);
        return result;
    }

    int nodeCount() const {
        int count = 0;
        for (QTreeWidgetItemIterator it(tree.get()); *it != nullptr; ++it)
            ++count;
        return count;
    }

    QString folderKey(std::int64_t id) const { return QStringLiteral("Music.mdb_0002ffff_d%1").arg(id); }

    QTemporaryDir programFolder;
    CatalogFixture data;
    FakeMainWindowServices services;
    std::unique_ptr<CatalogTree> tree;
    std::unique_ptr<ContentList> list;
    std::int64_t docs = 0, old = 0, deep = 0, zip = 0, member = 0, art = 0;
};

} // namespace

TEST_F(BrowseWidgets, RefreshBuildsRootDatabasesVolumesAndTheFirstFolderLevel) {
    QTreeWidgetItem* root = tree->nodeByKey(kRootKey);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), key("Mendor Pro"));
    EXPECT_EQ(CatalogTree::imageOf(root), key("mendor"));
    EXPECT_EQ(tree->selectedKey(), kRootKey);
    EXPECT_EQ(tree->currentKey(), kRootKey);
    EXPECT_EQ(tree->databaseKeys(), (QStringList{key("Empty.mdb"), key("Music.mdb")}));
    EXPECT_EQ(tree->nodeText(key("Music.mdb")), key("Music"));
    EXPECT_FALSE(tree->nodeByKey(key("Music.mdb"))->isExpanded());

    EXPECT_EQ(tree->childKeys(key("Music.mdb")),
              (QStringList{key("Music.mdb_m1234"), key("Music.mdb_0002ffff")}));
    EXPECT_EQ(CatalogTree::imageOf(tree->nodeByKey(key("Music.mdb_0002ffff"))), key("cd"));
    EXPECT_EQ(CatalogTree::imageOf(tree->nodeByKey(key("Music.mdb_m1234"))), key("fixed"));
    EXPECT_EQ(tree->volumeRootName(key("Music.mdb_m1234")), key("F:"));
    EXPECT_EQ(tree->childKeys(key("Music.mdb_m1234")).size(), 0);
    EXPECT_EQ(tree->childKeys(key("Empty.mdb")).size(), 0);

    EXPECT_EQ(tree->childKeys(key("Music.mdb_0002ffff")),
              (QStringList{folderKey(zip), folderKey(art), folderKey(docs)}));
    QTreeWidgetItem* archive = tree->nodeByKey(folderKey(zip));
    EXPECT_EQ(CatalogTree::imageOf(archive), key("zip_closed"));
    EXPECT_EQ(CatalogTree::selectedImageOf(archive), key("zip_open"));
    EXPECT_EQ(CatalogTree::selectedImageOf(tree->nodeByKey(folderKey(docs))), key("open"));
    ASSERT_NE(tree->folderInfo(folderKey(docs)), nullptr);
    EXPECT_EQ(tree->folderInfo(folderKey(docs))->size, 1546);
    // Only one level below the volumes is there until a volume is opened.
    EXPECT_EQ(tree->nodeByKey(folderKey(old)), nullptr);
    EXPECT_EQ(tree->folderInfo(key("Music.mdb")), nullptr);
}

TEST_F(BrowseWidgets, ExpandingLoadsOneLevelAheadAndNeverTwice) {
    const int before = nodeCount();
    tree->nodeByKey(key("Music.mdb"))->setExpanded(true);
    EXPECT_EQ(nodeCount(), before);

    tree->nodeByKey(key("Music.mdb_0002ffff"))->setExpanded(true);
    EXPECT_EQ(tree->childKeys(folderKey(docs)), QStringList{folderKey(old)});
    EXPECT_EQ(tree->nodeByKey(folderKey(deep)), nullptr);
    const int afterFirst = nodeCount();
    EXPECT_EQ(afterFirst, before + 1);

    tree->nodeByKey(key("Music.mdb_0002ffff"))->setExpanded(false);
    tree->nodeByKey(key("Music.mdb_0002ffff"))->setExpanded(true);
    tree->LoadNextTreeLevel(key("Music.mdb_0002ffff"));
    EXPECT_EQ(nodeCount(), afterFirst);

    tree->nodeByKey(folderKey(docs))->setExpanded(true);
    EXPECT_EQ(tree->childKeys(folderKey(old)), QStringList{folderKey(deep)});
    EXPECT_EQ(nodeCount(), afterFirst + 1);

    // While another operation runs, expanding loads nothing.
    gBusy.store(kFlagSet);
    tree->nodeByKey(folderKey(old))->setExpanded(true);
    gBusy.store(kFlagClear);
    EXPECT_EQ(nodeCount(), afterFirst + 1);
}

TEST_F(BrowseWidgets, DatabaseListColumnsItemsAndStatus) {
    EXPECT_EQ(gListMode, kDatabaseMode);
    EXPECT_EQ(captions(),
              (QStringList{key("» Database"), key("Volumes"), key("Total Capacity"), key("Total Used"),
                           key("Total Free"), key("Total Dirs"), key("Total Files")}));
    EXPECT_EQ(column(0), (QStringList{key("Empty"), key("Music")}));
    EXPECT_EQ(list->itemKey(1), key("Music.mdb"));
    EXPECT_EQ(list->itemIconKey(1), key("database"));
    EXPECT_EQ(list->itemText(1, 1), key("2"));
    EXPECT_EQ(list->itemText(1, 2), FormatSizeMB(2 * 10'240'000));
    EXPECT_EQ(list->itemText(1, 5), key("5"));
    EXPECT_EQ(list->itemText(1, 6), key("5"));
    EXPECT_EQ(list->itemText(0, 1), key("0"));
    EXPECT_EQ(services.panels[0], key("2 databases active"));
    EXPECT_EQ(services.panels[1], key(" 20.0MB Total Capacity "));
    EXPECT_EQ(services.panels[4], key(" 5 dirs, 5 files "));
    EXPECT_TRUE(tree->isEnabled());
    EXPECT_FALSE(isBusy());
}

TEST_F(BrowseWidgets, VolumeListAndAnEmptyDatabase) {
    click(key("Music.mdb"));
    EXPECT_EQ(gListMode, kVolumeMode);
    EXPECT_EQ(tree->currentKey(), key("Music.mdb"));
    EXPECT_EQ(captions().first(), key("» Volume"));
    EXPECT_EQ(list->columnCount(), 9);
    EXPECT_FALSE(list->isSorted());
    EXPECT_EQ(column(0), (QStringList{key("backup"), key("Music CD")}));
    EXPECT_EQ(list->itemIconKey(1), key("cd"));
    EXPECT_EQ(list->itemText(1, 1), key("CD-ROM"));
    EXPECT_EQ(list->itemText(1, 2), key("10.0MB"));
    EXPECT_EQ(list->itemText(1, 5), FormatDate(kFixtureDate));
    EXPECT_EQ(list->itemText(1, 7), key("5"));
    EXPECT_TRUE(services.panels[0].startsWith(key("2 volumes active (")));
    EXPECT_TRUE(services.panels[0].endsWith(key(" bytes on disk)")));
    EXPECT_EQ(services.panels[3], key(" 12.0MB Total Free "));

    click(key("Empty.mdb"));
    EXPECT_EQ(list->itemCount(), 0);
    EXPECT_EQ(services.panels[0], key("No volumes active (empty database)"));
    EXPECT_EQ(services.panels[1], key(" "));
    EXPECT_EQ(services.panels[4], key(" "));

    // Right-clicking in a volume list shows no menu.
    click(key("Music.mdb"));
    list->selectItem(key("Music.mdb_0002ffff"));
    EXPECT_FALSE(list->itemMenuAllowed());
}

TEST_F(BrowseWidgets, FolderListShowsSubFoldersFirstThenFilesGroupedByType) {
    tree->nodeByKey(key("Music.mdb_0002ffff"))->setExpanded(true);
    click(folderKey(docs));
    EXPECT_EQ(gListMode, kFolderMode);
    EXPECT_EQ(captions(),
              (QStringList{key("Name"), key("Size"), key("» Type"), key("Created"), key("Modified"),
                           key("Last Accessed"), key("Attributes"), key("Description")}));
    ASSERT_EQ(list->itemCount(), 4);
    EXPECT_EQ(list->itemText(0, 0), key("old"));
    EXPECT_EQ(list->itemText(0, 2), key("(Folder)"));
    EXPECT_EQ(list->itemKey(0), folderKey(old));
    EXPECT_EQ(list->itemIconKey(0), key("closed"));
    EXPECT_EQ(list->itemText(0, 6), key("D"));
    // "<unknown file>" sorts before "txt file"-like names; files keep name order within a type.
    EXPECT_EQ(list->itemText(1, 0), key("notes"));
    EXPECT_EQ(list->itemText(1, 2), key("<unknown file>"));
    EXPECT_EQ(list->itemText(2, 0), key("A.txt"));
    EXPECT_EQ(list->itemText(3, 0), key("b.txt"));
    EXPECT_EQ(list->itemText(2, 1), FormatSizeKB(0));
    EXPECT_EQ(list->itemText(3, 1), FormatSizeKB(1536));
    EXPECT_EQ(list->itemText(2, 7), key("the first"));
    EXPECT_EQ(list->itemText(2, 5), FormatDate(kFixtureDate));
    EXPECT_EQ(list->itemIconKey(2), key("leaf"));
    EXPECT_TRUE(list->itemKey(2).startsWith(key("Music.mdb_0002ffff_f")));

    EXPECT_EQ(services.panels[0], key("10.0MB media size"));
    EXPECT_EQ(services.panels[3], key(" 5 dirs "));
    EXPECT_EQ(services.panels[4], key(" 5 files "));
    EXPECT_TRUE(tree->isEnabled());
    EXPECT_EQ(services.animationStarts, 0);
    EXPECT_GE(services.animationStops, 1);

    // A folder with sub-folders only, and the volume root.
    click(key("Music.mdb_0002ffff"));
    EXPECT_EQ(column(2).count(key("(Folder)")), 3);
    EXPECT_EQ(column(0).last(), key("top.txt"));
    EXPECT_EQ(list->itemIconKey(0), key("zip_closed"));
}

TEST_F(BrowseWidgets, ZipListShowsMembersWithTheirPathsAndIgnoresDoubleClicks) {
    click(folderKey(zip));
    EXPECT_EQ(gListMode, kZipMode);
    EXPECT_EQ(captions(),
              (QStringList{key("» Name"), key("True Size"), key("Type"), key("Created"), key("Path")}));
    ASSERT_EQ(list->itemCount(), 1);
    EXPECT_EQ(list->itemText(0, 0), key("readme.txt"));
    EXPECT_EQ(list->itemText(0, 4), key("\\Docs\\Old\\"));
    EXPECT_EQ(list->itemKey(0), QStringLiteral("Music.mdb_0002ffff_f%1").arg(member));

    QSignalSpy opened(list.get(), &ContentList::openFileRequested);
    list->selectItem(list->itemKey(0));
    list->openSelectedItem();
    EXPECT_EQ(opened.count(), 0);
    EXPECT_FALSE(list->itemMenuAllowed());
}

TEST_F(BrowseWidgets, DoubleClickNavigatesDownAndOpensFiles) {
    list->selectItem(key("Music.mdb"));
    list->openSelectedItem();
    EXPECT_EQ(tree->selectedKey(), key("Music.mdb"));
    EXPECT_EQ(gListMode, kVolumeMode);
    EXPECT_EQ(list->itemCount(), 2);

    list->selectItem(key("Music.mdb_0002ffff"));
    list->openSelectedItem();
    EXPECT_EQ(tree->selectedKey(), key("Music.mdb_0002ffff"));
    EXPECT_EQ(gListMode, kFolderMode);

    list->selectItem(folderKey(zip));
    list->openSelectedItem();
    EXPECT_EQ(gListMode, kZipMode);
    EXPECT_EQ(list->itemCount(), 1);

    click(folderKey(docs));
    QSignalSpy opened(list.get(), &ContentList::openFileRequested);
    const QString fileKey = list->itemKey(3);
    list->selectItem(fileKey);
    EXPECT_TRUE(list->itemMenuAllowed());
    list->openSelectedItem();
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(), fileKey);
    EXPECT_EQ(tree->currentKey(), fileKey);
}

TEST_F(BrowseWidgets, ColumnClicksToggleTheOrderAndMoveTheMarker) {
    click(folderKey(docs));
    list->ColumnClick(0);
    EXPECT_EQ(list->sortColumn(), 0);
    EXPECT_EQ(list->sortOrder(), 1);
    EXPECT_EQ(list->headerCaption(0), key("« Name"));
    EXPECT_EQ(list->headerCaption(2), key("Type"));
    EXPECT_EQ(column(0), (QStringList{key("old"), key("notes"), key("b.txt"), key("A.txt")}));

    list->ColumnClick(0);
    EXPECT_EQ(list->sortOrder(), 0);
    EXPECT_EQ(list->headerCaption(0), key("» Name"));
    EXPECT_EQ(column(0), (QStringList{key("A.txt"), key("b.txt"), key("notes"), key("old")}));

    // Another column keeps alternating from the order the last click left.
    list->ColumnClick(1);
    EXPECT_EQ(list->sortOrder(), 1);
    EXPECT_EQ(list->headerCaption(0), key("Name"));
    EXPECT_EQ(list->headerCaption(1), key("« Size"));
    // Sizes are fixed-width texts, so they sort by value: 1536, 10, then two of 0 bytes (the
    // empty folder and A.txt) in the order the previous sort left them.
    EXPECT_EQ(column(0), (QStringList{key("b.txt"), key("notes"), key("A.txt"), key("old")}));

    // A volume list starts unsorted; its counts are not sort columns, so the marker stays put.
    click(key("Music.mdb"));
    EXPECT_FALSE(list->isSorted());
    list->ColumnClick(8);
    EXPECT_TRUE(list->isSorted());
    EXPECT_EQ(list->sortColumn(), 0);
    EXPECT_EQ(list->headerCaption(0), key("« Volume"));
    EXPECT_EQ(list->headerCaption(8), key("Files"));
    EXPECT_EQ(column(0), (QStringList{key("Music CD"), key("backup")}));
}

TEST_F(BrowseWidgets, SelectingTheShownNodeAgainDoesNotRebuildTheList) {
    click(folderKey(docs));
    list->ColumnClick(0);
    const QStringList sorted = column(0);
    services.panels[0] = key("untouched");
    click(folderKey(docs));
    EXPECT_EQ(column(0), sorted);
    EXPECT_EQ(services.panels[0], key("untouched"));

    click(kRootKey);
    EXPECT_EQ(gListMode, kDatabaseMode);
    EXPECT_EQ(list->itemCount(), 2);

    // The selection handler does nothing while another operation runs.
    gBusy.store(kFlagSet);
    click(key("Music.mdb"));
    gBusy.store(kFlagClear);
    EXPECT_EQ(gListMode, kDatabaseMode);
    EXPECT_EQ(tree->currentKey(), kRootKey);
}

TEST_F(BrowseWidgets, WidthsPersistAcrossModeSwitchesAndRestarts) {
    click(folderKey(docs));
    list->header()->resizeSection(0, 222);
    list->header()->resizeSection(7, 333);
    click(key("Music.mdb"));
    EXPECT_EQ(gListMode, kVolumeMode);
    EXPECT_EQ(list->liveColumnWidths().at(0), 100);
    list->header()->resizeSection(1, 144);

    click(folderKey(art));
    EXPECT_EQ(list->liveColumnWidths().at(0), 222);
    EXPECT_EQ(list->liveColumnWidths().at(7), 333);

    // Switching to the mode already shown keeps the live widths.
    list->header()->resizeSection(0, 250);
    click(folderKey(docs));
    EXPECT_EQ(list->liveColumnWidths().at(0), 250);

    // A restart reads the widths written at the last switches from the settings file.
    click(kRootKey);
    ResetOptionsToDefaults();
    gListMode = 0;
    gDataPath = data.dataPath();
    create();
    click(key("Music.mdb"));
    EXPECT_EQ(list->liveColumnWidths().at(1), 144);
    click(folderKey(docs));
    EXPECT_EQ(list->liveColumnWidths().at(0), 250);
    EXPECT_EQ(list->liveColumnWidths().at(7), 333);
}

TEST_F(BrowseWidgets, KeysAndMenusOnNodes) {
    QSignalSpy deletes(tree.get(), &CatalogTree::deleteRequested);
    tree->selectNode(folderKey(docs));
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    tree->selectNode(kRootKey);
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 0);
    tree->selectNode(key("Music.mdb_m1234"));
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    tree->selectNode(key("Empty.mdb"));
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    ASSERT_EQ(deletes.count(), 2);
    EXPECT_EQ(deletes.at(0).at(0).toString(), key("Music.mdb_m1234"));
    EXPECT_EQ(deletes.at(1).at(0).toString(), key("Empty.mdb"));

    // A label edit reports the new text and leaves the label to whoever renames.
    QSignalSpy edits(tree.get(), &CatalogTree::labelEdited);
    tree->startLabelEdit(key("Empty.mdb"));
    tree->nodeByKey(key("Empty.mdb"))->setText(0, key("Spare"));
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits.at(0).at(2).toString(), key("Spare"));
    EXPECT_EQ(tree->nodeText(key("Empty.mdb")), key("Empty"));
    tree->startLabelEdit(folderKey(docs));
    tree->nodeByKey(folderKey(docs))->setText(0, key("Other"));
    EXPECT_EQ(edits.count(), 1);

    // The volume menu reports its commands with the node's key.
    QSignalSpy commands(tree.get(), &CatalogTree::menuCommand);
    click(key("Music.mdb_m1234"), Qt::RightButton);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), key("Volume"));
    QAction* describe = menu->findChild<QAction*>(key("describe_volume"));
    ASSERT_NE(describe, nullptr);
    EXPECT_EQ(describe->text(), key("Add D&escription"));
    menu->close();
    describe->trigger();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toString(), key("describe_volume"));
    EXPECT_EQ(commands.at(0).at(1).toString(), key("Music.mdb_m1234"));

    // Folder nodes have no menu.
    click(folderKey(docs), Qt::RightButton);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(BrowseWidgets, ItemMenuReportsItsCommands) {
    click(folderKey(docs));
    list->selectItem(list->itemKey(2));
    QSignalSpy commands(list.get(), &ContentList::itemCommand);
    list->showItemMenu(QPoint(10, 10));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), key("&Item"));
    QAction* copy = menu->findChild<QAction*>(key("quick_copy"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), key("&Quick Copy item(s) to your Desktop"));
    menu->close();
    copy->trigger();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toString(), key("quick_copy"));
    EXPECT_EQ(list->selectedKeys(), QStringList{list->itemKey(2)});
}

TEST_F(BrowseWidgets, VolumeChooserListsEveryDatabaseFileWithItsVolumes) {
    data.addForeignFile(key("Broken"));
    VolumeChooser chooser(services);
    QSignalSpy clicks(&chooser, &VolumeChooser::nodeClicked);
    chooser.FillVolumeChooser();
    const QList<VolumeChooser::Entry> entries = chooser.entries();
    QStringList texts;
    for (const VolumeChooser::Entry& entry : entries)
        texts << entry.text;
    EXPECT_EQ(texts, (QStringList{key("ALL Volumes"), key("Broken"), key("Empty"), key("Music"),
                                  key("backup"), key("Music CD"), key("Old")}));
    EXPECT_EQ(entries.at(0).image, key("mendor"));
    EXPECT_EQ(entries.at(3).image, key("database"));
    EXPECT_EQ(entries.at(5).image, key("cd"));
    EXPECT_EQ(entries.at(5).databaseFile, key("Music.mdb"));
    EXPECT_TRUE(chooser.allVolumesSelected());
    EXPECT_TRUE(entries.at(0).selected);

    ASSERT_TRUE(chooser.selectEntry(5));
    EXPECT_FALSE(chooser.allVolumesSelected());
    EXPECT_TRUE(chooser.entries().at(4).selected);
    EXPECT_FALSE(chooser.selectEntry(8));
    emit chooser.itemClicked(chooser.topLevelItem(0), 0);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_TRUE(clicks.at(0).at(0).toBool());
}
