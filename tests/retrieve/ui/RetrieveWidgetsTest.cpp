// The copy dialogs, the progress dialog with its overwrite question, and the browse list's copy
// commands and double-click open, over folder-mapped drives and a real catalog tree.
#include "app/RetrievalCommands.h"
#include "browse/ui/CatalogTree.h"
#include "browse/ui/ContentList.h"
#include "retrieve/ui/BrowseSelection.h"
#include "retrieve/ui/CopyDestinationDialog.h"
#include "retrieve/ui/OverwriteQuestion.h"
#include "search/ui/ResultList.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/SearchColumns.h"
#include "shell/Options.h"
#include "store/Keys.h"
#include "support/CatalogFixture.h"
#include "support/MappedDrives.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDriveMedium.h"
#include "support/ui/FakeMainWindowServices.h"
#include "support/ui/ModalDialogs.h"
#include "support/ui/ProgramFolderFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace mendor {
namespace {

/// Answers every overwrite question that shows up with the next button of the script.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(QList<QMessageBox::StandardButton> buttons) : buttons_(std::move(buttons)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box == nullptr || !box->isVisible() || buttons_.isEmpty())
                    continue;
                EXPECT_EQ(box->windowTitle(), OverwriteQuestion::kTitle);
                QTest::mouseClick(box->button(buttons_.takeFirst()), Qt::LeftButton);
            }
        });
        timer_.start(10);
    }
    ~QuestionAnswerer() { EXPECT_TRUE(buttons_.isEmpty()); }

private:
    QList<QMessageBox::StandardButton> buttons_;
    QTimer timer_;
};

// A volume catalogued from E: whose medium now sits in F:; G: holds the destinations.
class RetrieveWidgets : public ProgramFolderFixture {
protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        // The desktop folder is $HOME/Desktop when no user-dirs.dirs names another.
        savedHome_ = qgetenv("HOME");
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(programFolder()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(programFolder() + "/.config"));

        FixtureVolume volume("m1", "Backup", 2, "E:");
        docs_ = volume.addFolder(1, "Docs");
        a_ = volume.addFile(docs_, "a", 5);
        volume.addFile(docs_, "b.txt", 4);
        sub_ = volume.addFolder(docs_, "Sub");
        volume.addFile(sub_, "c.txt", 5);
        data_.addDatabase("Music", {volume});
        gDataPath = data_.dataPath();

        drives_.map(QLatin1Char('E'));
        const QString f = drives_.map(QLatin1Char('F'));
        QDir().mkpath(f + "/Docs/Sub");
        test::WriteBytes(f + "/Docs/a", "alpha");
        test::WriteBytes(f + "/Docs/b.txt", "beta");
        test::WriteBytes(f + "/Docs/Sub/c.txt", "gamma");
        medium_ = f;
        target_ = drives_.map(QLatin1Char('G')) + "/target";
        QDir().mkpath(target_);

        setup_.drives =
            DriveSource{[this] { return drives_.table(); },
                        [](const DriveInfo& drive) -> std::unique_ptr<DriveMedium> {
                            return std::make_unique<test::TestDriveMedium>(drive.root, drive.letter);
                        }};
        setup_.prompter = &prompter_;
        setup_.chooser = &chooser_;
        setup_.launcher = &launcher_;
    }

    void TearDown() override {
        qputenv("HOME", savedHome_);
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        ProgramFolderFixture::TearDown();
    }

    QString docsKey() const { return FolderKey("Music.mdb", "m1", docs_); }

    QByteArray savedHome_;
    QByteArray savedConfig_;
    CatalogFixture data_;
    test::MappedDrives drives_;
    QString medium_;
    QString target_;
    std::int64_t docs_ = 0, a_ = 0, sub_ = 0;
    test::ScriptedPrompter prompter_;
    test::ScriptedDriveChooser chooser_;
    test::RecordingLauncher launcher_;
    RetrieveSetup setup_;
};

TEST_F(RetrieveWidgets, BrowseListCopiesTheSelectionToTheDesktopAndOpensFiles) {
    test::FakeMainWindowServices services;
    CatalogTree tree(services);
    ContentList list(services, tree);
    tree.RefreshCatalogTree();
    RetrievalCommands commands(tree, list, setup_);
    ASSERT_TRUE(tree.selectNode(docsKey()));
    tree.handleSelection(Qt::LeftButton);
    EXPECT_EQ(GetNodePath(tree, docsKey()), "E:\\Docs\\");
    EXPECT_EQ(GetNodePath(tree, "Music.mdb_m1"), "E:\\");

    // "a" shows as "A" in the list; the copy looks for the stored name.
    ASSERT_TRUE(list.selectItem(ItemKey("Music", "m1", true, a_)));
    for (int row = 0; row < list.itemCount(); ++row) {
        if (list.itemKey(row) == FolderKey("Music.mdb", "m1", sub_))
            list.selectionModel()->select(list.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    list.showItemMenu(QPoint());
    auto* menu = list.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QStringList offered;
    for (QAction* action : menu->actions())
        offered.append(action->objectName());
    EXPECT_EQ(offered, (QStringList{"copy_item", "quick_copy"}));
    menu->close();

    chooser_.script({"F:", "F:"});
    menu->actions().at(1)->trigger();
    // In list order: the sub-folders come first.
    EXPECT_EQ(chooser_.asked, (QStringList{"E:\\Docs\\Sub", "E:\\Docs\\a"}));
    const QString desktop = programFolder() + "/Desktop";
    EXPECT_EQ(test::ReadBytes(desktop + "/a"), "alpha");
    EXPECT_EQ(test::ReadBytes(desktop + "/Sub/c.txt"), "gamma");

    chooser_.script({"F:"});
    list.selectItem(ItemKey("Music", "m1", true, a_ + 1));
    list.openSelectedItem();
    EXPECT_EQ(launcher_.calls, QStringList{"open " + medium_ + "/Docs/b.txt"});
}

TEST_F(RetrieveWidgets, SearchListCopiesByTheShownLocationAndOpensADoubleClickedResult) {
    test::FakeMainWindowServices services;
    CatalogTree tree(services);
    ContentList list(services, tree);
    ResultList results(services);
    SetSearchColumns(results);
    results.header()->resizeSection(0, 100);
    RetrievalCommands commands(tree, list, setup_);
    commands.addSearchList(results);
    QList<ResultRow> rows(3);
    for (int i = 0; i < 3; ++i) {
        rows[i].folder = i == 0;
        rows[i].name = QStringList{"Sub", "a", "b.txt"}[i];
        rows[i].location = "E:\\Docs\\";
        rows[i].type = i == 0 ? "(folder)" : "File";
    }
    results.model().appendRows(rows);
    results.selectionModel()->select(QItemSelection(results.model().index(0, 0), results.model().index(1, 0)),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    results.showItemMenu(QPoint());
    chooser_.script({"F:", "F:"});
    results.findChild<QMenu*>()->actions().at(0)->trigger();
    EXPECT_EQ(chooser_.asked, (QStringList{"E:\\Docs\\Sub", "E:\\Docs\\a"}));
    EXPECT_EQ(test::ReadBytes(programFolder() + "/Desktop/Sub/c.txt"), "gamma");

    chooser_.script({"F:"});
    results.show();
    QTest::mouseDClick(results.viewport(), Qt::LeftButton, {},
                       results.visualRect(results.model().index(2, 0)).center());
    EXPECT_EQ(launcher_.calls, QStringList{"open " + medium_ + "/Docs/b.txt"});
}

TEST_F(RetrieveWidgets, BothCopyDialogsCopyIntoTheChosenFolderUntilCancelled) {
    for (const QString& name :
         {CopyDestinationDialog::kBrowseListName, CopyDestinationDialog::kSearchListName}) {
        SCOPED_TRACE(name.toStdString());
        QDir(target_).removeRecursively();
        QDir().mkpath(target_);
        chooser_.script({"F:", "F:", "F:"});
        prompter_.expectMessage(QStringLiteral("Copy operation aborted..."));
        RetrieveActions actions(setup_);
        test::WithModalDialog<CopyDestinationDialog>(
            [&](CopyDestinationDialog& dialog) {
                EXPECT_EQ(dialog.objectName(), name);
                EXPECT_EQ(dialog.windowTitle(), "Copy files...");
                // It opens on the desktop's drive and folder.
                EXPECT_EQ(dialog.driveList()->currentData().toString(), "C:");
                EXPECT_EQ(dialog.selectedFolder(), programFolder() + "/Desktop");
                dialog.driveList()->setCurrentIndex(dialog.driveList()->findData("G:"));
                EXPECT_EQ(dialog.selectedFolder(), QFileInfo(target_).path());
                dialog.selectFolder(target_);
                EXPECT_EQ(dialog.selectedFolder(), target_);

                QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
                EXPECT_EQ(test::ReadBytes(target_ + "/b.txt"), "beta");
                EXPECT_TRUE(dialog.isVisible());
                test::WriteBytes(target_ + "/b.txt", "kept");
                {
                    QuestionAnswerer answers({QMessageBox::No, QMessageBox::Cancel});
                    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
                    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
                }
                EXPECT_EQ(test::ReadBytes(target_ + "/b.txt"), "kept");
                QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
            },
            [&] {
                actions.copyToNewLocation({{"E:\\Docs\\b.txt", false}}, name);
            });
    }
}

} // namespace
} // namespace mendor
