// The database name prompt, the move dialog and the commands of the main window that create,
// rename, describe, move, delete and compact, driven through the tree, the list and the toolbar.
#include "app/CatalogCommands.h"
#include "app/MainWindow.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "store/ui/DatabaseNameDialog.h"
#include "store/ui/MoveVolumeDialog.h"
#include "store/VolumeMaintenance.h"
#include "support/CatalogFixture.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"
#include "support/ui/FakeMainWindowServices.h"
#include "support/ui/ModalDialogs.h"
#include "support/ui/ProgramFolderFixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

namespace mendor {
namespace {

using test::FakeMainWindowServices;
using test::ScriptedPrompter;
using test::WithModalDialog;

class StoreUiTest : public ProgramFolderFixture {
protected:
    void TearDown() override {
        commands_.reset();
        list_.reset();
        tree_.reset();
        ProgramFolderFixture::TearDown();
    }

    // Music: "Music CD" (0002ffff) with Docs/{a.txt, b.txt} and top.txt; "Backup" (m1234).
    // Photos: "Summer" (p1). Empty: no volumes.
    void addCatalogs() {
        FixtureVolume music("0002ffff", "Music CD", 1);
        docs_ = music.addFolder(1, "Docs");
        music.addFile(docs_, "a.txt", 10);
        fileB_ = music.addFile(docs_, "b.txt", 20);
        music.addFile(1, "top.txt", 5);
        FixtureVolume backup("m1234", "Backup");
        data_.addDatabase("Music", {music, backup});
        data_.addDatabase("Photos", {FixtureVolume("p1", "Summer")});
        data_.addDatabase("Empty");
    }

    void createWidgets() {
        gDataPath = data_.dataPath();
        tree_ = std::make_unique<CatalogTree>(services_);
        list_ = std::make_unique<ContentList>(services_, *tree_);
        tree_->RefreshCatalogTree();
        commands_ = std::make_unique<CatalogCommands>(CatalogCommandsContext{
            nullptr, services_, *tree_, *list_, &prompter_, [this] { ++refreshes_; }, DriveSource::system()});
    }

    /// Selects the node as a mouse click does, listing it.
    void click(const QString& key) {
        ASSERT_TRUE(tree_->selectNode(key));
        tree_->handleSelection(Qt::LeftButton);
    }

    /// Right-clicks the node and chooses the popup menu's command.
    void chooseFromMenu(const QString& key, const char* command,
                        const std::function<void()>& beforeChoosing = {}) {
        ASSERT_TRUE(tree_->selectNode(key));
        tree_->handleSelection(Qt::RightButton);
        if (beforeChoosing)
            beforeChoosing();
        auto* action = tree_->findChild<QAction*>(command);
        ASSERT_NE(action, nullptr);
        for (auto* menu : tree_->findChildren<QMenu*>())
            menu->close();
        action->trigger();
    }

    QStringList nodeKeys() const {
        QStringList keys;
        for (QTreeWidgetItemIterator it(tree_.get()); *it != nullptr; ++it)
            keys << CatalogTree::keyOf(*it);
        return keys;
    }

    QString indexValue(const QString& database, const QString& t, const QString& column) const {
        return test::Column(data_.databasePath(database),
                            QStringLiteral("SELECT %1 FROM \"index\" WHERE tablename = '%2'").arg(column, t))
            .value(0, "<none>");
    }

    CatalogFixture data_;
    FakeMainWindowServices services_;
    ScriptedPrompter prompter_;
    std::unique_ptr<CatalogTree> tree_;
    std::unique_ptr<ContentList> list_;
    std::unique_ptr<CatalogCommands> commands_;
    int refreshes_ = 0;
    std::int64_t docs_ = 0;
    std::int64_t fileB_ = 0;
};

TEST_F(StoreUiTest, TheNamePromptDropsForbiddenCharactersAndEscGivesNothing) {
    DatabaseNameDialog dialog;
    dialog.show();
    QTest::keyClicks(dialog.nameBox(), "a_b");
    EXPECT_EQ(dialog.name(), "ab");
    QTest::keyClicks(dialog.nameBox(), "/\\:*?<>|\"c d");
    EXPECT_EQ(dialog.name(), "abc d");
    // Pasted text is filtered the same way, the cursor staying behind what was kept.
    dialog.nameBox()->clear();
    dialog.nameBox()->insert("x_y:z");
    EXPECT_EQ(dialog.name(), "xyz");
    EXPECT_EQ(dialog.nameBox()->cursorPosition(), 3);

    QTest::keyClick(dialog.nameBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.name(), "xyz");

    DatabaseNameDialog escaped;
    escaped.show();
    QTest::keyClicks(escaped.nameBox(), "Music");
    QTest::keyClick(escaped.nameBox(), Qt::Key_Escape);
    EXPECT_EQ(escaped.result(), QDialog::Rejected);
    EXPECT_TRUE(escaped.name().isEmpty());
}

TEST_F(StoreUiTest, NewDatabaseCreatesTheTypedNameAndRefreshesTheTree) {
    createWidgets();
    WithModalDialog<DatabaseNameDialog>(
        [](DatabaseNameDialog& dialog) {
            QTest::keyClicks(dialog.nameBox(), "New_Db");
            QTest::keyClick(dialog.nameBox(), Qt::Key_Return);
        },
        [this] { commands_->newDatabase(); });
    EXPECT_TRUE(QFile::exists(data_.databasePath("NewDb")));
    EXPECT_TRUE(nodeKeys().contains("NewDb.mdb"));
}

TEST_F(StoreUiTest, TheMoveDialogOffersTheOtherDatabasesOrClosesItself) {
    addCatalogs();
    gDataPath = data_.dataPath();
    QStringList moves;
    MoveVolumeDialog dialog("Music.mdb_0002ffff", prompter_, [&](const QString& target) {
        moves << target;
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    });
    ASSERT_TRUE(dialog.hasTargets());
    ASSERT_EQ(dialog.databaseChooser()->count(), 2);
    EXPECT_EQ(dialog.databaseChooser()->itemText(0), "Empty");
    EXPECT_EQ(dialog.databaseChooser()->itemText(1), "Photos");
    dialog.databaseChooser()->setCurrentIndex(1);
    dialog.show();
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(moves, QStringList{data_.databasePath("Photos")});
    EXPECT_FALSE(dialog.isVisible());

    CatalogFixture single;
    single.addDatabase("Only", {FixtureVolume("v1", "Vol")});
    gDataPath = single.dataPath();
    prompter_.expectMessage("No other databases available to move this volume into!");
    bool opened = false;
    MoveVolumeDialog::MoveInteractively(
        "Only.mdb_v1", prompter_, [&](const QString&) { opened = true; }, nullptr);
    EXPECT_FALSE(opened);
}

TEST_F(StoreUiTest, RenamingRefusesTakenNamesAndTheRoot) {
    addCatalogs();
    createWidgets();
    // Any node's text in any letter case, a volume of the database or of another one.
    prompter_.expectMessage("That name is currently in use... Please select another.");
    commands_->renameNode("Music.mdb", "Music", "music cd");
    prompter_.expectMessage("That name is currently in use... Please select another.");
    commands_->renameNode("Music.mdb_m1234", "Backup", "SUMMER");
    prompter_.expectMessage("You cannot rename the Mendor object...", "Attention");
    commands_->renameNode("mendor", "Mendor Pro", "Catalogs");
    EXPECT_TRUE(QFile::exists(data_.databasePath("Music")));
    EXPECT_EQ(tree_->nodeText("Music.mdb"), "Music");
    EXPECT_EQ(prompter_.pending(), 0U);
}

TEST_F(StoreUiTest, RenamingADatabaseReKeysEveryNodeAndListsItsVolumes) {
    addCatalogs();
    createWidgets();
    tree_->LoadNextTreeLevel("Music.mdb_0002ffff");
    commands_->renameNode("Music.mdb", "Music", "Tunes");

    EXPECT_FALSE(QFile::exists(data_.databasePath("Music")));
    EXPECT_TRUE(QFile::exists(data_.databasePath("Tunes")));
    const QStringList keys = nodeKeys();
    EXPECT_TRUE(keys.filter("Music.mdb").isEmpty());
    EXPECT_TRUE(keys.contains("Tunes.mdb_0002ffff"));
    EXPECT_TRUE(keys.contains(QStringLiteral("Tunes.mdb_0002ffff_d%1").arg(docs_)));
    EXPECT_EQ(tree_->selectedKey(), "Tunes.mdb");
    EXPECT_EQ(tree_->currentKey(), "Tunes.mdb");
    EXPECT_EQ(gListMode, 2);
    EXPECT_EQ(list_->itemCount(), 2);

    // The edited node itself is never compared: a change of letter case only is allowed.
    commands_->renameNode("Tunes.mdb", "Tunes", "TUNES");
    EXPECT_TRUE(QFile::exists(data_.databasePath("TUNES")));
}

TEST_F(StoreUiTest, RenamingAVolumeThroughTheLabelEditKeepsItsKey) {
    addCatalogs();
    createWidgets();
    const QString volume = "Music.mdb_0002ffff";
    click(volume);
    tree_->startLabelEdit(volume);
    auto* editor = tree_->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Jazz");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree_->nodeText(volume) == "Jazz"; }, 5000));

    EXPECT_EQ(indexValue("Music", "0002ffff", "name"), "Jazz");
    EXPECT_EQ(tree_->selectedKey(), volume);
    EXPECT_EQ(tree_->currentKey(), volume);
    EXPECT_EQ(gListMode, 1);
    EXPECT_EQ(list_->itemCount(), 2); // Docs and top.txt
}

TEST_F(StoreUiTest, TheTreeMenusAndDeleteKeyCallTheOperations) {
    addCatalogs();
    createWidgets();

    prompter_.answerInput("Old discs",
                          "Enter a description for Music CD. Pressing Cancel will delete any existing "
                          "description.",
                          "Describe Volume");
    chooseFromMenu("Music.mdb_0002ffff", "describe_volume");
    EXPECT_EQ(indexValue("Music", "0002ffff", "thedescription"), "Old discs");

    prompter_.answerNo("Delete this Volume?", "Confirm Deletion");
    chooseFromMenu("Music.mdb_m1234", "delete_volume");
    EXPECT_TRUE(nodeKeys().contains("Music.mdb_m1234"));
    prompter_.answerYes("Delete this Volume?", "Confirm Deletion");
    chooseFromMenu("Music.mdb_m1234", "delete_volume");
    EXPECT_FALSE(nodeKeys().contains("Music.mdb_m1234"));
    EXPECT_EQ(indexValue("Music", "m1234", "name"), "<none>");

    // The Delete key on a database node.
    ASSERT_TRUE(tree_->selectNode("Empty.mdb"));
    prompter_.answerYes("Delete Empty and all of its volumes?", "Confirm Delete");
    QTest::keyClick(tree_.get(), Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(data_.databasePath("Empty")));
    EXPECT_FALSE(nodeKeys().contains("Empty.mdb"));

    // Compacting one database puts the status texts back.
    chooseFromMenu("Photos.mdb", "compact_database", [this] {
        services_.panels = {"one", "two", "three", "four", "five"};
    });
    EXPECT_EQ(services_.panels[0], "one");
    EXPECT_EQ(services_.panels[4], "five");
    EXPECT_FALSE(QFile::exists(data_.databasePath("Photos") + "_tmp"));
}

TEST_F(StoreUiTest, MovingAVolumeFromTheMenuPutsItIntoTheChosenDatabase) {
    addCatalogs();
    createWidgets();
    WithModalDialog<MoveVolumeDialog>(
        [](MoveVolumeDialog& dialog) {
            dialog.databaseChooser()->setCurrentIndex(dialog.databaseChooser()->findText("Photos"));
            QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        },
        [this] { chooseFromMenu("Music.mdb_0002ffff", "move_volume"); });
    EXPECT_EQ(indexValue("Photos", "0002ffff", "name"), "Music CD");
    EXPECT_EQ(indexValue("Music", "0002ffff", "name"), "<none>");
    EXPECT_TRUE(nodeKeys().contains("Photos.mdb_0002ffff"));
    EXPECT_FALSE(nodeKeys().contains("Music.mdb_0002ffff"));
}

TEST_F(StoreUiTest, TheItemMenuOffersWhatIsCarriedOutThenDescribesAndDeletesTheSelectedItems) {
    addCatalogs();
    createWidgets();
    click("Music.mdb_0002ffff");
    const QString docs = QStringLiteral("Music.mdb_0002ffff_d%1").arg(docs_);
    list_->selectItem(docs);
    list_->showItemMenu(QPoint(0, 0));
    QStringList offered;
    for (QMenu* menu : list_->findChildren<QMenu*>()) {
        for (const QAction* action : menu->actions())
            offered << action->objectName();
        menu->close();
    }
    EXPECT_EQ(offered, QStringList({"delete_item", "describe_item"}));
    // A folder's new description shows at once.
    prompter_.answerInput("papers", "Enter a description for Docs.  Pressing Cancel will delete any "
                                    "existing description.");
    emit list_->itemCommand("describe_item");
    EXPECT_EQ(list_->itemText(list_->itemText(0, 0) == "Docs" ? 0 : 1, 7), "papers");

    click(docs);
    ASSERT_EQ(list_->itemCount(), 2);
    list_->selectAll();
    prompter_.answerInput("first", "Enter a description for a.txt.  Pressing Cancel will delete any "
                                   "existing description.");
    prompter_.cancelInput(
        "Enter a description for b.txt.  Pressing Cancel will delete any existing description.");
    emit list_->itemCommand("describe_item");
    // The list is listed again with the new descriptions.
    EXPECT_EQ(list_->itemText(0, 7), "first");
    EXPECT_EQ(list_->itemText(1, 7), QString());

    list_->selectItem(QStringLiteral("Music.mdb_0002ffff_f%1").arg(fileB_));
    prompter_.answerYes("Delete all selected files/folders from Docs?", "Delete Confirmation");
    emit list_->itemCommand("delete_item");
    EXPECT_EQ(tree_->currentKey(), "mendor"); // the tree was rebuilt
    click(docs);
    ASSERT_EQ(list_->itemCount(), 1);
    EXPECT_EQ(list_->itemText(0, 0), "a.txt");
}

TEST_F(StoreUiTest, CompactAllRepairsEveryDatabaseAndKeepsTheStatusTexts) {
    addCatalogs();
    {
        Database db = Database::open(data_.databasePath("Photos"));
        db.exec("CREATE TABLE \"temp_dirs\" (\"ID\" INTEGER)");
    }
    createWidgets();
    services_.panels = {"a", "b", "c", "d", "e"};
    commands_->compactAllDatabases();
    EXPECT_EQ(services_.panels, (std::array<QString, 5>{"a", "b", "c", "d", "e"}));
    EXPECT_FALSE(Database::open(data_.databasePath("Photos")).tableNames().contains("temp_dirs"));
}

TEST_F(StoreUiTest, TheCatalogCommandSaysSoWhenThereIsNoDatabase) {
    createWidgets();
    prompter_.expectMessage("There are no databases to add to.  Please create a new one first!");
    commands_->showCatalogDialog();
    EXPECT_EQ(refreshes_, 0);
}

TEST_F(StoreUiTest, InstallingAddsTheToolbarButtonsInTheirPlaces) {
    gDataPath = data_.dataPath();
    MainWindow window;
    window.load(nullptr);
    ASSERT_NE(InstallCatalogCommands(window), nullptr);
    QStringList order;
    for (QAction* action : window.findChild<QToolBar*>()->actions()) {
        if (!action->data().toString().isEmpty())
            order << action->data().toString();
    }
    EXPECT_EQ(order.mid(0, 4), (QStringList{"catalog", "newdb", "compact", "options"}));
}

} // namespace
} // namespace mendor
