#include "browse/ListColumns.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "browse/ui/VolumeChooser.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/TextFormats.h"
#include "support/CatalogFixture.h"
#include "support/ui/FakeMainWindowServices.h"
#include "support/ui/ProgramFolderFixture.h"

#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace mendor;
using mendor::test::FakeMainWindowServices;

namespace {

// A data folder with three databases and a program folder for the settings file:
//   Music.mdb   "Music CD" (0002ffff, CD-ROM): Archive.zip, art/, Docs/{old/{deep/}, A.txt, b.txt}, top.txt
//               "backup" (m1234, fixed): an empty root
//   Empty.mdb   no volumes
//   Old.mdb     version 2, Broken.mdb not a database (neither shown in the tree)
class BrowseWidgets : public ProgramFolderFixture {
protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        FixtureVolume music("0002ffff", "Music CD", 1);
        docs = music.addFolder(1, "Docs");
        old = music.addFolder(docs, "old");
        deep = music.addFolder(old, "deep");
        music.addFile(docs, "b.txt", 1536);
        music.addFile(docs, "A.txt", 0, "the first");
        music.addFile(docs, "notes", 10);
        music.row(music.files().at(1).id).accessed = 0; // 1/1/1970: shows the modification date
        zip = music.addZipArchive(1, "Archive.zip", 999);
        member = music.addZipMember(zip, "readme.txt", 100, "\\docs\\old\\");
        art = music.addFolder(1, "art");
        music.addFile(1, "top.txt", 1);
        FixtureVolume backup("m1234", "backup", 2, "F:");
        data.addDatabase("Music", {music, backup});
        data.addDatabase("Empty");
        data.addDatabase("Old");
        data.setVersion("Old", 2);
        data.addForeignFile("Broken");
        gDataPath = data.dataPath();
        create();
    }

    void TearDown() override {
        list.reset();
        tree.reset();
        ProgramFolderFixture::TearDown();
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
    EXPECT_EQ(root->text(0), "Mendor Pro");
    EXPECT_EQ(CatalogTree::imageOf(root), "mendor");
    EXPECT_EQ(tree->selectedKey(), kRootKey);
    EXPECT_EQ(tree->currentKey(), kRootKey);
    EXPECT_EQ(tree->databaseKeys(), (QStringList{"Empty.mdb", "Music.mdb"}));
    EXPECT_EQ(tree->nodeText("Music.mdb"), "Music");
    EXPECT_FALSE(tree->nodeByKey("Music.mdb")->isExpanded());

    EXPECT_EQ(tree->childKeys("Music.mdb"), (QStringList{"Music.mdb_m1234", "Music.mdb_0002ffff"}));
    EXPECT_EQ(CatalogTree::imageOf(tree->nodeByKey("Music.mdb_0002ffff")), "cd");
    EXPECT_EQ(CatalogTree::imageOf(tree->nodeByKey("Music.mdb_m1234")), "fixed");
    EXPECT_EQ(tree->volumeRootName("Music.mdb_m1234"), "F:");
    EXPECT_EQ(tree->childKeys("Music.mdb_m1234").size(), 0);
    EXPECT_EQ(tree->childKeys("Empty.mdb").size(), 0);

    EXPECT_EQ(tree->childKeys("Music.mdb_0002ffff"),
              (QStringList{folderKey(zip), folderKey(art), folderKey(docs)}));
    QTreeWidgetItem* archive = tree->nodeByKey(folderKey(zip));
    EXPECT_EQ(CatalogTree::imageOf(archive), "zip_closed");
    EXPECT_EQ(CatalogTree::selectedImageOf(archive), "zip_open");
    EXPECT_EQ(CatalogTree::selectedImageOf(tree->nodeByKey(folderKey(docs))), "open");
    ASSERT_NE(tree->folderInfo(folderKey(docs)), nullptr);
    EXPECT_EQ(tree->folderInfo(folderKey(docs))->size, 1546);
    // Only one level below the volumes is there until a volume is opened.
    EXPECT_EQ(tree->nodeByKey(folderKey(old)), nullptr);
    EXPECT_EQ(tree->folderInfo("Music.mdb"), nullptr);
}

TEST_F(BrowseWidgets, ExpandingLoadsOneLevelAheadAndNeverTwice) {
    const int before = nodeCount();
    tree->nodeByKey("Music.mdb")->setExpanded(true);
    EXPECT_EQ(nodeCount(), before);

    tree->nodeByKey("Music.mdb_0002ffff")->setExpanded(true);
    EXPECT_EQ(tree->childKeys(folderKey(docs)), QStringList{folderKey(old)});
    EXPECT_EQ(tree->nodeByKey(folderKey(deep)), nullptr);
    const int afterFirst = nodeCount();
    EXPECT_EQ(afterFirst, before + 1);

    tree->nodeByKey("Music.mdb_0002ffff")->setExpanded(false);
    tree->nodeByKey("Music.mdb_0002ffff")->setExpanded(true);
    tree->LoadNextTreeLevel("Music.mdb_0002ffff");
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
    EXPECT_EQ(captions(), (QStringList{"» Database", "Volumes", "Total Capacity", "Total Used", "Total Free",
                                       "Total Dirs", "Total Files"}));
    EXPECT_EQ(column(0), (QStringList{"Empty", "Music"}));
    EXPECT_EQ(list->itemKey(1), "Music.mdb");
    EXPECT_EQ(list->itemIconKey(1), "database");
    EXPECT_EQ(list->itemText(1, 1), "2");
    EXPECT_EQ(list->itemText(1, 2), FormatSizeMB(2 * 10'240'000));
    EXPECT_EQ(list->itemText(1, 5), "5");
    EXPECT_EQ(list->itemText(1, 6), "5");
    EXPECT_EQ(list->itemText(0, 1), "0");
    EXPECT_EQ(services.panels[0], "2 databases active");
    EXPECT_EQ(services.panels[1], " 20.0MB Total Capacity ");
    EXPECT_EQ(services.panels[4], " 5 dirs, 5 files ");
    EXPECT_TRUE(tree->isEnabled());
    EXPECT_FALSE(isBusy());

    // A refresh while another long operation holds gBusy (the end of a catalog run) lists them too.
    services.panels[0] = "old text";
    gBusy.store(kFlagSet);
    tree->RefreshCatalogTree();
    EXPECT_TRUE(column(0).size() == 2 && services.panels[0] == "2 databases active" && isBusy());
}

TEST_F(BrowseWidgets, TheTreeKeepsTheKeyboardFocusWhileTheListFills) {
    QWidget window;
    auto* shownTree = new CatalogTree(services, &window);
    new ContentList(services, *shownTree, &window);
    shownTree->RefreshCatalogTree();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    shownTree->setFocus();
    for (const QString& key : {folderKey(docs), QStringLiteral("Music.mdb"), QString(kRootKey)}) {
        ASSERT_TRUE(shownTree->selectNode(key));
        shownTree->handleSelection(Qt::LeftButton);
        EXPECT_TRUE(shownTree->hasFocus()) << key.toStdString();
    }
}

TEST_F(BrowseWidgets, VolumeListAndAnEmptyDatabase) {
    click("Music.mdb");
    EXPECT_EQ(gListMode, kVolumeMode);
    EXPECT_EQ(tree->currentKey(), "Music.mdb");
    EXPECT_EQ(captions().first(), "» Volume");
    EXPECT_EQ(list->columnCount(), 9);
    EXPECT_FALSE(list->isSorted());
    EXPECT_EQ(column(0), (QStringList{"backup", "Music CD"}));
    EXPECT_EQ(list->itemIconKey(1), "cd");
    EXPECT_EQ(list->itemText(1, 1), "CD-ROM");
    EXPECT_EQ(list->itemText(1, 2), "10.0MB");
    EXPECT_EQ(list->itemText(1, 5), FormatDate(kFixtureDate));
    EXPECT_EQ(list->itemText(1, 7), "5");
    EXPECT_TRUE(services.panels[0].startsWith("2 volumes active ("));
    EXPECT_TRUE(services.panels[0].endsWith(" bytes on disk)"));
    EXPECT_EQ(services.panels[3], " 12.0MB Total Free ");

    click("Empty.mdb");
    EXPECT_EQ(list->itemCount(), 0);
    EXPECT_EQ(services.panels[0], "No volumes active (empty database)");
    EXPECT_EQ(services.panels[1], " ");
    EXPECT_EQ(services.panels[4], " ");

    // Right-clicking in a volume list shows no menu.
    click("Music.mdb");
    list->selectItem("Music.mdb_0002ffff");
    EXPECT_FALSE(list->itemMenuAllowed());
}

TEST_F(BrowseWidgets, FolderListShowsSubFoldersFirstThenFilesGroupedByType) {
    tree->nodeByKey("Music.mdb_0002ffff")->setExpanded(true);
    click(folderKey(docs));
    EXPECT_EQ(gListMode, kFolderMode);
    EXPECT_EQ(captions(), (QStringList{"Name", "Size", "» Type", "Created", "Modified", "Last Accessed",
                                       "Attributes", "Description"}));
    ASSERT_EQ(list->itemCount(), 4);
    EXPECT_EQ(list->itemText(0, 0), "old");
    EXPECT_EQ(list->itemText(0, 2), "(Folder)");
    EXPECT_EQ(list->itemKey(0), folderKey(old));
    EXPECT_EQ(list->itemIconKey(0), "closed");
    EXPECT_EQ(list->itemText(0, 6), "D");
    // "<unknown file>" sorts before "txt file"-like names; files keep name order within a type.
    EXPECT_EQ(list->itemText(1, 0), "notes");
    EXPECT_EQ(list->itemText(1, 2), "<unknown file>");
    EXPECT_EQ(list->itemText(2, 0), "A.txt");
    EXPECT_EQ(list->itemText(3, 0), "b.txt");
    EXPECT_EQ(list->itemText(2, 1), FormatSizeKB(0));
    EXPECT_EQ(list->itemText(3, 1), FormatSizeKB(1536));
    EXPECT_EQ(list->itemText(2, 7), "the first");
    EXPECT_EQ(list->itemText(2, 5), FormatDate(kFixtureDate));
    EXPECT_EQ(list->itemIconKey(2), "leaf");
    EXPECT_TRUE(list->itemKey(2).startsWith("Music.mdb_0002ffff_f"));

    EXPECT_EQ(services.panels[0], "10.0MB media size");
    EXPECT_EQ(services.panels[3], " 5 dirs ");
    EXPECT_EQ(services.panels[4], " 5 files ");
    EXPECT_TRUE(tree->isEnabled());
    EXPECT_EQ(services.animationStarts, 0);
    EXPECT_GE(services.animationStops, 1);

    // A folder with sub-folders only, and the volume root.
    click("Music.mdb_0002ffff");
    EXPECT_EQ(column(2).count("(Folder)"), 3);
    EXPECT_EQ(column(0).last(), "top.txt");
    EXPECT_EQ(list->itemIconKey(0), "zip_closed");
}

TEST_F(BrowseWidgets, ZipListShowsMembersWithTheirPathsAndIgnoresDoubleClicks) {
    click(folderKey(zip));
    EXPECT_EQ(gListMode, kZipMode);
    EXPECT_EQ(captions(), (QStringList{"» Name", "True Size", "Type", "Created", "Path"}));
    ASSERT_EQ(list->itemCount(), 1);
    EXPECT_EQ(list->itemText(0, 0), "readme.txt");
    EXPECT_EQ(list->itemText(0, 4), "\\Docs\\Old\\");
    EXPECT_EQ(list->itemKey(0), QStringLiteral("Music.mdb_0002ffff_f%1").arg(member));

    QSignalSpy opened(list.get(), &ContentList::openFileRequested);
    list->selectItem(list->itemKey(0));
    list->openSelectedItem();
    EXPECT_EQ(opened.count(), 0);
    EXPECT_FALSE(list->itemMenuAllowed());
}

TEST_F(BrowseWidgets, DoubleClickNavigatesDownAndOpensFiles) {
    list->selectItem("Music.mdb");
    list->openSelectedItem();
    EXPECT_EQ(tree->selectedKey(), "Music.mdb");
    EXPECT_EQ(gListMode, kVolumeMode);
    EXPECT_EQ(list->itemCount(), 2);

    list->selectItem("Music.mdb_0002ffff");
    list->openSelectedItem();
    EXPECT_EQ(tree->selectedKey(), "Music.mdb_0002ffff");
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
    EXPECT_EQ(list->headerCaption(0), "« Name");
    EXPECT_EQ(list->headerCaption(2), "Type");
    EXPECT_EQ(column(0), (QStringList{"old", "notes", "b.txt", "A.txt"}));

    list->ColumnClick(0);
    EXPECT_EQ(list->sortOrder(), 0);
    EXPECT_EQ(list->headerCaption(0), "» Name");
    EXPECT_EQ(column(0), (QStringList{"A.txt", "b.txt", "notes", "old"}));

    // Another column keeps alternating from the order the last click left.
    list->ColumnClick(1);
    EXPECT_EQ(list->sortOrder(), 1);
    EXPECT_EQ(list->headerCaption(0), "Name");
    EXPECT_EQ(list->headerCaption(1), "« Size");
    // Sizes are fixed-width texts, so they sort by value: 1536, 10, then two of 0 bytes (the
    // empty folder and A.txt) in the order the previous sort left them.
    EXPECT_EQ(column(0), (QStringList{"b.txt", "notes", "A.txt", "old"}));

    // A volume list starts unsorted; its counts are not sort columns, so the marker stays put.
    click("Music.mdb");
    EXPECT_FALSE(list->isSorted());
    list->ColumnClick(8);
    EXPECT_TRUE(list->isSorted());
    EXPECT_EQ(list->sortColumn(), 0);
    EXPECT_EQ(list->headerCaption(0), "« Volume");
    EXPECT_EQ(list->headerCaption(8), "Files");
    EXPECT_EQ(column(0), (QStringList{"Music CD", "backup"}));
}

TEST_F(BrowseWidgets, SelectingTheShownNodeAgainDoesNotRebuildTheList) {
    click(folderKey(docs));
    list->ColumnClick(0);
    const QStringList sorted = column(0);
    services.panels[0] = "untouched";
    click(folderKey(docs));
    EXPECT_EQ(column(0), sorted);
    EXPECT_EQ(services.panels[0], "untouched");

    click(kRootKey);
    EXPECT_EQ(gListMode, kDatabaseMode);
    EXPECT_EQ(list->itemCount(), 2);

    // The selection handler does nothing while another operation runs.
    gBusy.store(kFlagSet);
    click("Music.mdb");
    gBusy.store(kFlagClear);
    EXPECT_EQ(gListMode, kDatabaseMode);
    EXPECT_EQ(tree->currentKey(), kRootKey);
}

TEST_F(BrowseWidgets, WidthsPersistAcrossModeSwitchesAndRestarts) {
    click(folderKey(docs));
    list->header()->resizeSection(0, 222);
    list->header()->resizeSection(7, 333);
    click("Music.mdb");
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
    click("Music.mdb");
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
    tree->selectNode("Music.mdb_m1234");
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    tree->selectNode("Empty.mdb");
    QTest::keyRelease(tree.get(), Qt::Key_Delete);
    ASSERT_EQ(deletes.count(), 2);
    EXPECT_EQ(deletes.at(0).at(0).toString(), "Music.mdb_m1234");
    EXPECT_EQ(deletes.at(1).at(0).toString(), "Empty.mdb");

    // A label edit reports the new text and leaves the label to whoever renames.
    QSignalSpy edits(tree.get(), &CatalogTree::labelEdited);
    tree->startLabelEdit("Empty.mdb");
    tree->nodeByKey("Empty.mdb")->setText(0, "Spare");
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits.at(0).at(2).toString(), "Spare");
    EXPECT_EQ(tree->nodeText("Empty.mdb"), "Empty");
    tree->startLabelEdit(folderKey(docs));
    tree->nodeByKey(folderKey(docs))->setText(0, "Other");
    EXPECT_EQ(edits.count(), 1);

    // The volume menu reports its commands with the node's key.
    QSignalSpy commands(tree.get(), &CatalogTree::menuCommand);
    click("Music.mdb_m1234", Qt::RightButton);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* describe = menu->findChild<QAction*>("describe_volume");
    ASSERT_NE(describe, nullptr);
    menu->close();
    describe->trigger();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toString(), "describe_volume");
    EXPECT_EQ(commands.at(0).at(1).toString(), "Music.mdb_m1234");

    // Folder nodes have no menu.
    click(folderKey(docs), Qt::RightButton);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(BrowseWidgets, VolumeChooserListsEveryDatabaseFileWithItsVolumes) {
    VolumeChooser chooser(services);
    QSignalSpy clicks(&chooser, &VolumeChooser::nodeClicked);
    chooser.FillVolumeChooser();
    const QList<VolumeChooser::Entry> entries = chooser.entries();
    QStringList texts;
    for (const VolumeChooser::Entry& entry : entries)
        texts << entry.text;
    EXPECT_EQ(texts, (QStringList{"ALL Volumes", "Broken", "Empty", "Music", "backup", "Music CD", "Old"}));
    EXPECT_EQ(entries.at(0).image, "mendor");
    EXPECT_EQ(entries.at(3).image, "database");
    EXPECT_EQ(entries.at(5).image, "cd");
    EXPECT_EQ(entries.at(5).databaseFile, "Music.mdb");
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
