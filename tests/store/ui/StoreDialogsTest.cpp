// The database name prompt, the move dialog and the commands of the main window that create,
// rename, describe, move, delete and compact, driven through the tree, the list and the toolbar.
#include "app/CatalogCommands.h"
#include "app/MainWindow.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "store/ui/DatabaseNameDialog.h"
#include "store/ui/MoveVolumeDialog.h"
#include "store/VolumeMaintenance.h"
#include "support/CatalogFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/ui/FakeMainWindowServices.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

namespace mendor {
namespace {

using test::FakeMainWindowServices;
using test::ScriptedPrompter;

QString text(const char* value) {
    return QString::fromUtf8(value);
}

/// Runs action on the modal dialog of type T as soon as it is open.
template <typename T>
void whenModalOpens(std::function<void(T&)> action) {
    auto* poll = new QTimer;
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [poll, waited, action] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr && waited->elapsed() < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        delete waited;
        ASSERT_NE(dialog, nullptr) << "the dialog did not open";
        action(*dialog);
    });
    poll->start(10);
}

class StoreUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        SetProgramFolderOverride(home_.path());
        SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR));
        ResetOptionsToDefaults();
        gListMode = 0;
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    void TearDown() override {
        commands_.reset();
        list_.reset();
        tree_.reset();
        SetProgramFolderOverride({});
        SetInstallFolderOverride({});
        ResetOptionsToDefaults();
        gBusy = kFlagClear;
    }

    // Music: "Music CD" (0002ffff) with Docs/{a.txt, b.txt} and top.txt; "Backup" (m1234).
    // Photos: "Summer" (p1). Empty: no volumes.
    void addCatalogs() {
        FixtureVolume music(text("0002ffff"), text("Music CD"), 1);
        docs_ = music.addFolder(1, text("Docs"));
        fileA_ = music.addFile(docs_, text("a.txt"), 10);
        fileB_ = music.addFile(docs_, text("b.txt"), 20);
        music.addFile(1, text("top.txt"), 5);
        FixtureVolume backup(text("m1234"), text("Backup"));
        data_.addDatabase(text("Music"), {music, backup});
        data_.addDatabase(text("Photos"), {FixtureVolume(text("p1"), text("Summer"))});
        data_.addDatabase(text("Empty"));
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
        auto* action = tree_->findChild<QAction*>(text(command));
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

    QString indexValue(const QString& database, const QString& t, const char* column) const {
        Database db = Database::open(data_.databasePath(database));
        Statement row = db.prepare(QStringLiteral("SELECT \"%1\" FROM \"index\" WHERE \"tablename\" = ?1")
                                       .arg(QString::fromUtf8(column)));
        row.bind(1, t);
        return row.step() ? row.columnText(0) : QStringLiteral("<none>");
    }

    QTemporaryDir home_;
    CatalogFixture data_;
    FakeMainWindowServices services_;
    ScriptedPrompter prompter_;
    std::unique_ptr<CatalogTree> tree_;
    std::unique_ptr<ContentList> list_;
    std::unique_ptr<CatalogCommands> commands_;
    int refreshes_ = 0;
    std::int64_t docs_ = 0;
    std::int64_t fileA_ = 0;
    std::int64_t fileB_ = 0;
};

TEST_F(StoreUiTest, TheNamePromptDropsForbiddenCharactersAndEscGivesNothing) {
    DatabaseNameDialog dialog;
    dialog.show();
    QTest::keyClicks(dialog.nameBox(), text("a_b"));
    EXPECT_EQ(dialog.name(), text("ab"));
    QTest::keyClicks(dialog.nameBox(), text("/\\:*?<>|\"c d"));
    EXPECT_EQ(dialog.name(), text("abc d"));
    // Pasted text is filtered the same way, the cursor staying behind what was kept.
    dialog.nameBox()->clear();
    dialog.nameBox()->insert(text("x_y:z"));
    EXPECT_EQ(dialog.name(), text("xyz"));
    EXPECT_EQ(dialog.nameBox()->cursorPosition(), 3);

    QTest::keyClick(dialog.nameBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.name(), text("xyz"));

    DatabaseNameDialog escaped;
    escaped.show();
    QTest::keyClicks(escaped.nameBox(), text("Music"));
    QTest::keyClick(escaped.nameBox(), Qt::Key_Escape);
    EXPECT_EQ(escaped.result(), QDialog::Rejected);
    EXPECT_TRUE(escaped.name().isEmpty());
}

TEST_F(StoreUiTest, NewDatabaseCreatesTheTypedNameAndRefreshesTheTree) {
    createWidgets();
    whenModalOpens<DatabaseNameDialog>([](DatabaseNameDialog& dialog) {
        QTest::keyClicks(dialog.nameBox(), text("New_Db"));
        QTest::keyClick(dialog.nameBox(), Qt::Key_Return);
    });
    commands_->newDatabase();
    EXPECT_TRUE(QFile::exists(data_.databasePath(text("NewDb"))));
    EXPECT_TRUE(nodeKeys().contains(text("NewDb.mdb")));

    whenModalOpens<DatabaseNameDialog>([](DatabaseNameDialog& dialog) {
        QTest::keyClicks(dialog.nameBox(), text("Other"));
        QTest::keyClick(dialog.nameBox(), Qt::Key_Escape);
    });
    commands_->newDatabase();
    EXPECT_FALSE(QFile::exists(data_.databasePath(text("Other"))));
}

TEST_F(StoreUiTest, TheMoveDialogOffersTheOtherDatabasesOrClosesItself) {
    addCatalogs();
    gDataPath = data_.dataPath();
    QStringList moves;
    MoveVolumeDialog dialog(text("Music.mdb_0002ffff"), prompter_, [&](const QString& target) {
        moves << target;
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    });
    ASSERT_TRUE(dialog.hasTargets());
    ASSERT_EQ(dialog.databaseChooser()->count(), 2);
    EXPECT_EQ(dialog.databaseChooser()->itemText(0), text("Empty"));
    EXPECT_EQ(dialog.databaseChooser()->itemText(1), text("Photos"));
    dialog.databaseChooser()->setCurrentIndex(1);
    dialog.show();
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(moves, QStringList{data_.databasePath(text("Photos"))});
    EXPECT_FALSE(dialog.isVisible());

    CatalogFixture single;
    single.addDatabase(text("Only"), {FixtureVolume(text("v1"), text("Vol"))});
    gDataPath = single.dataPath();
    prompter_.expectMessage(text("No other databases available to move this volume into!"));
    bool opened = false;
    MoveVolumeDialog::MoveInteractively(
        text("Only.mdb_v1"), prompter_, [&](const QString&) { opened = true; }, nullptr);
    EXPECT_FALSE(opened);
}

TEST_F(StoreUiTest, RenamingRefusesTakenNamesTheRootAndForbiddenCharacters) {
    addCatalogs();
    createWidgets();
    const QString music = data_.databasePath(text("Music"));

    // Any node's text in any letter case, a volume of the database or of another one.
    prompter_.expectMessage(text("That name is currently in use... Please select another."));
    commands_->renameNode(text("Music.mdb"), text("Music"), text("music cd"));
    prompter_.expectMessage(text("That name is currently in use... Please select another."));
    commands_->renameNode(text("Music.mdb_m1234"), text("Backup"), text("SUMMER"));
    prompter_.expectMessage(text("You cannot rename the Mendor object..."), text("Attention"));
    commands_->renameNode(text("mendor"), text("Mendor Pro"), text("Catalogs"));
    prompter_.expectMessage(kForbiddenNameMessage);
    commands_->renameNode(text("Music.mdb"), text("Music"), text("Mu_sic"));

    // A file someone else has open keeps its name.
    {
        const Database holder = Database::open(music);
        prompter_.expectMessage(
            text("Music is being used by someone else, and cannot be renamed.  Once everyone else has quit "
                 "Mendor Pro, you can rename the database."));
        commands_->renameNode(text("Music.mdb"), text("Music"), text("Tunes"));
    }
    EXPECT_TRUE(QFile::exists(music));
    EXPECT_EQ(tree_->nodeText(text("Music.mdb")), text("Music"));
    EXPECT_EQ(prompter_.pending(), 0U);
}

TEST_F(StoreUiTest, RenamingADatabaseReKeysEveryNodeAndListsItsVolumes) {
    addCatalogs();
    createWidgets();
    tree_->LoadNextTreeLevel(text("Music.mdb_0002ffff"));
    commands_->renameNode(text("Music.mdb"), text("Music"), text("Tunes"));

    EXPECT_FALSE(QFile::exists(data_.databasePath(text("Music"))));
    EXPECT_TRUE(QFile::exists(data_.databasePath(text("Tunes"))));
    const QStringList keys = nodeKeys();
    EXPECT_TRUE(keys.filter(text("Music.mdb")).isEmpty());
    EXPECT_TRUE(keys.contains(text("Tunes.mdb_0002ffff")));
    EXPECT_TRUE(keys.contains(QStringLiteral("Tunes.mdb_0002ffff_d%1").arg(docs_)));
    EXPECT_EQ(tree_->selectedKey(), text("Tunes.mdb"));
    EXPECT_EQ(tree_->currentKey(), text("Tunes.mdb"));
    EXPECT_EQ(gListMode, 2);
    EXPECT_EQ(list_->itemCount(), 2);

    // The edited node itself is never compared: a change of letter case only is allowed.
    commands_->renameNode(text("Tunes.mdb"), text("Tunes"), text("TUNES"));
    EXPECT_TRUE(QFile::exists(data_.databasePath(text("TUNES"))));
}

TEST_F(StoreUiTest, RenamingAVolumeThroughTheLabelEditKeepsItsKey) {
    addCatalogs();
    createWidgets();
    const QString volume = text("Music.mdb_0002ffff");
    click(volume);
    tree_->startLabelEdit(volume);
    auto* editor = tree_->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(text("Jazz"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree_->nodeText(volume) == text("Jazz"); }, 5000));

    EXPECT_EQ(indexValue(text("Music"), text("0002ffff"), "name"), text("Jazz"));
    EXPECT_EQ(tree_->selectedKey(), volume);
    EXPECT_EQ(tree_->currentKey(), volume);
    EXPECT_EQ(gListMode, 1);
    EXPECT_EQ(list_->itemCount(), 2); // Docs and top.txt
}

TEST_F(StoreUiTest, TheTreeMenusAndDeleteKeyCallTheOperations) {
    addCatalogs();
    createWidgets();

    prompter_.answerInput(text("Old discs"),
                          text("Enter a description for Music CD. Pressing Cancel will delete any existing "
                               "description."),
                          text("Describe Volume"));
    chooseFromMenu(text("Music.mdb_0002ffff"), "describe_volume");
    EXPECT_EQ(indexValue(text("Music"), text("0002ffff"), "thedescription"), text("Old discs"));

    prompter_.answerNo(text("Delete this Volume?"), text("Confirm Deletion"));
    chooseFromMenu(text("Music.mdb_m1234"), "delete_volume");
    EXPECT_TRUE(nodeKeys().contains(text("Music.mdb_m1234")));
    prompter_.answerYes(text("Delete this Volume?"), text("Confirm Deletion"));
    chooseFromMenu(text("Music.mdb_m1234"), "delete_volume");
    EXPECT_FALSE(nodeKeys().contains(text("Music.mdb_m1234")));
    EXPECT_EQ(indexValue(text("Music"), text("m1234"), "name"), text("<none>"));

    // The Delete key on a database node.
    ASSERT_TRUE(tree_->selectNode(text("Empty.mdb")));
    prompter_.answerYes(text("Delete Empty and all of its volumes?"), text("Confirm Delete"));
    QTest::keyClick(tree_.get(), Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(data_.databasePath(text("Empty"))));
    EXPECT_FALSE(nodeKeys().contains(text("Empty.mdb")));

    // Compacting one database puts the status texts back.
    chooseFromMenu(text("Photos.mdb"), "compact_database", [this] {
        services_.panels = {text("one"), text("two"), text("three"), text("four"), text("five")};
    });
    EXPECT_EQ(services_.panels[0], text("one"));
    EXPECT_EQ(services_.panels[4], text("five"));
    EXPECT_FALSE(QFile::exists(data_.databasePath(text("Photos")) + text("_tmp")));
}

TEST_F(StoreUiTest, MovingAVolumeFromTheMenuPutsItIntoTheChosenDatabase) {
    addCatalogs();
    createWidgets();
    whenModalOpens<MoveVolumeDialog>([](MoveVolumeDialog& dialog) {
        dialog.databaseChooser()->setCurrentIndex(dialog.databaseChooser()->findText(text("Photos")));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    chooseFromMenu(text("Music.mdb_0002ffff"), "move_volume");
    EXPECT_EQ(indexValue(text("Photos"), text("0002ffff"), "name"), text("Music CD"));
    EXPECT_EQ(indexValue(text("Music"), text("0002ffff"), "name"), text("<none>"));
    EXPECT_TRUE(nodeKeys().contains(text("Photos.mdb_0002ffff")));
    EXPECT_FALSE(nodeKeys().contains(text("Music.mdb_0002ffff")));
}

TEST_F(StoreUiTest, TheItemMenuDescribesAndDeletesTheSelectedItems) {
    addCatalogs();
    createWidgets();
    const QString docs = QStringLiteral("Music.mdb_0002ffff_d%1").arg(docs_);
    click(docs);
    ASSERT_EQ(list_->itemCount(), 2);
    list_->selectAll();

    prompter_.answerInput(text("first"),
                          text("Enter a description for a.txt.  Pressing Cancel will delete any "
                               "existing description."));
    prompter_.cancelInput(
        text("Enter a description for b.txt.  Pressing Cancel will delete any existing description."));
    emit list_->itemCommand(text("describe_item"));
    // The list is listed again with the new descriptions.
    EXPECT_EQ(list_->itemText(0, 7), text("first"));
    EXPECT_EQ(list_->itemText(1, 7), QString());

    list_->selectItem(QStringLiteral("Music.mdb_0002ffff_f%1").arg(fileB_));
    prompter_.answerYes(text("Delete all selected files/folders from Docs?"), text("Delete Confirmation"));
    emit list_->itemCommand(text("delete_item"));
    EXPECT_EQ(tree_->currentKey(), text("mendor")); // the tree was rebuilt
    click(docs);
    ASSERT_EQ(list_->itemCount(), 1);
    EXPECT_EQ(list_->itemText(0, 0), text("a.txt"));
}

TEST_F(StoreUiTest, AFolderDescriptionShowsAtOnceAndTheMenuOffersOnlyWhatIsCarriedOut) {
    addCatalogs();
    createWidgets();
    click(text("Music.mdb_0002ffff"));
    const QString docs = QStringLiteral("Music.mdb_0002ffff_d%1").arg(docs_);
    list_->selectItem(docs);

    list_->showItemMenu(QPoint(0, 0));
    QStringList offered;
    for (const QMenu* menu : list_->findChildren<QMenu*>())
        for (const QAction* action : menu->actions())
            offered << action->objectName();
    EXPECT_EQ(offered, QStringList({text("delete_item"), text("describe_item")}));
    for (QMenu* menu : list_->findChildren<QMenu*>())
        menu->close();

    prompter_.answerInput(text("papers"),
                          text("Enter a description for Docs.  Pressing Cancel will delete any "
                               "existing description."));
    emit list_->itemCommand(text("describe_item"));
    const int row = list_->itemText(0, 0) == text("Docs") ? 0 : 1;
    EXPECT_EQ(list_->itemText(row, 7), text("papers"));
}

TEST_F(StoreUiTest, CompactAllRepairsEveryDatabaseAndKeepsTheStatusTexts) {
    addCatalogs();
    {
        Database db = Database::open(data_.databasePath(text("Photos")));
        db.exec(text("CREATE TABLE \"temp_dirs\" (\"ID\" INTEGER)"));
    }
    createWidgets();
    services_.panels = {text("a"), text("b"), text("c"), text("d"), text("e")};
    commands_->compactAllDatabases();
    EXPECT_EQ(services_.panels,
              (std::array<QString, 5>{text("a"), text("b"), text("c"), text("d"), text("e")}));
    EXPECT_FALSE(Database::open(data_.databasePath(text("Photos"))).tableNames().contains(text("temp_dirs")));
}

TEST_F(StoreUiTest, TheCatalogCommandSaysSoWhenThereIsNoDatabase) {
    createWidgets();
    prompter_.expectMessage(text("There are no databases to add to.  Please create a new one first!"));
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
    EXPECT_EQ(order.mid(0, 4),
              (QStringList{text("catalog"), text("newdb"), text("compact"), text("options")}));
}

} // namespace
} // namespace mendor
