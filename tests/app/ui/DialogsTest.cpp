// The Options and About dialogs.
#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "search/ui/SearchPane.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "support/ui/ProgramFolderFixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

namespace mendor {
namespace {

class OptionsDialogTest : public ProgramFolderFixture {
protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        window_ = std::make_unique<MainWindow>();
        window_->load(nullptr);
    }

    void TearDown() override {
        window_.reset();
        ProgramFolderFixture::TearDown();
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(OptionsDialogTest, LoadsTheGlobalsAndSavesThemAsZeroOrOne) {
    oStartupMode = -1;
    oEject = 0;
    oSearchFolders = 0;
    oDefaultDrive = "e:";
    OptionsDialog dialog(*window_, {"C:", "D:"});
    EXPECT_TRUE(dialog.flagBox(0)->isChecked());
    EXPECT_FALSE(dialog.flagBox(4)->isChecked());
    EXPECT_EQ(dialog.flagBox(1), nullptr);
    EXPECT_EQ(dialog.defaultDrive()->text(), "E:");
    EXPECT_EQ(dialog.dataFolder()->text(), programFolder());

    dialog.flagBox(4)->setChecked(true);
    dialog.flagBox(6)->setChecked(false);
    dialog.driveChooser()->setCurrentIndex(1);
    emit dialog.driveChooser()->activated(1);
    EXPECT_EQ(dialog.defaultDrive()->text(), "D:");
    dialog.save();

    EXPECT_EQ(oStartupMode, 1);
    EXPECT_EQ(oEject, 1);
    EXPECT_EQ(oSearchFiles, 0);
    EXPECT_EQ(oDefaultDrive, "D:");
    // The search pane's check boxes follow the saved defaults.
    EXPECT_FALSE(window_->searchPane()->searchFolders()->isChecked());
    EXPECT_FALSE(window_->searchPane()->searchFiles()->isChecked());
    EXPECT_TRUE(readSettings().contains("oStartupMode=1\n"));
    EXPECT_TRUE(readSettings().contains("oDefaultDrive=D:\n"));
    EXPECT_FALSE(dialog.saveButton()->isEnabled());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(OptionsDialogTest, SavingRefillsTheTreeOnlyWhenTheDataFolderChanged) {
    QSignalSpy refreshed(window_.get(), &MainWindow::catalogTreeRefreshed);
    QSignalSpy filled(window_.get(), &MainWindow::volumeChooserFilled);
    const QString other = makeDataFolder("Catalogs");
    // Unchanged; another folder spelled in another case; the same one in yet another case; and
    // last the program folder option, which overrides whatever folder was typed.
    const struct {
        bool useProgramFolder;
        QString typed;
        QString expected;
        int refreshes;
    } steps[] = {{true, programFolder(), programFolder(), 0},
                 {false, programFolder() + "/CATALOGS", other, 1},
                 {false, programFolder() + "/catalogs", other, 1},
                 {true, other, programFolder(), 2}};
    for (const auto& step : steps) {
        OptionsDialog dialog(*window_, {});
        dialog.show();
        dialog.flagBox(9)->setChecked(step.useProgramFolder);
        dialog.dataFolder()->setText(step.typed);
        dialog.save();
        SCOPED_TRACE(step.typed.toStdString());
        EXPECT_EQ(gDataPath, step.expected);
        EXPECT_EQ(refreshed.count(), step.refreshes);
        EXPECT_EQ(filled.count(), step.refreshes);
        EXPECT_TRUE(readSettings().contains("gDataPath=" + step.expected + "\n"));
    }
}

TEST_F(OptionsDialogTest, OpeningTheDialogStopsTheStartUpPaneFromOpeningLater) {
    oStartupMode = 1;
    {
        OptionsDialog dialog(*window_, {});
        dialog.show();
        dialog.reject();
    }
    window_->handleActivation();
    EXPECT_FALSE(window_->isSearchPaneShowing());
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(ProgramFolderFixture, AboutHelpOpensTheHelpPageAndCloses) {
    EXPECT_TRUE(QFile::exists(AboutDialog::helpPagePath()));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    AboutDialog dialog;
    dialog.show();
    dialog.helpButton()->click();
    QDesktopServices::unsetUrlHandler("file");

    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.front().toLocalFile(),
              QStringLiteral(MENDOR_TEST_PROGRAM_DIR) + QStringLiteral("/help/default.htm"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
} // namespace mendor

#include "DialogsTest.moc"
