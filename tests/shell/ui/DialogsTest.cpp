// The Options and About dialogs, the dialog prompter and the pictures.
#include "platform/ProgramFolder.h"
#include "shell/Options.h"
#include "shell/ui/AboutDialog.h"
#include "shell/ui/DialogPrompter.h"
#include "shell/ui/ImageLibrary.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/MainWindowFixture.h"
#include "shell/ui/OptionsDialog.h"
#include "shell/ui/SearchPane.h"

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

class OptionsDialogTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        window_ = std::make_unique<MainWindow>();
        window_->load(nullptr);
    }

    void TearDown() override {
        window_.reset();
        MainWindowFixture::TearDown();
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(OptionsDialogTest, LoadsTheGlobalsAndSavesThemAsZeroOrOne) {
    oStartupMode = -1;
    oEject = 0;
    oSearchFolders = 0;
    oDefaultDrive = QStringLiteral("e:");
    OptionsDialog dialog(*window_, {QStringLiteral("C:"), QStringLiteral("D:")});
    EXPECT_TRUE(dialog.flagBox(0)->isChecked());
    EXPECT_FALSE(dialog.flagBox(4)->isChecked());
    EXPECT_EQ(dialog.flagBox(1), nullptr);
    EXPECT_EQ(dialog.defaultDrive()->text(), QStringLiteral("E:"));
    EXPECT_EQ(dialog.dataFolder()->text(), programFolder());
    EXPECT_EQ(dialog.flagBox(8)->text(),
              QStringLiteral("Default to scan for \"descript.ion\"  files (slower cataloging time)"));

    dialog.flagBox(4)->setChecked(true);
    dialog.flagBox(6)->setChecked(false);
    dialog.driveChooser()->setCurrentIndex(1);
    emit dialog.driveChooser()->activated(1);
    EXPECT_EQ(dialog.defaultDrive()->text(), QStringLiteral("D:"));
    dialog.save();

    EXPECT_EQ(oStartupMode, 1);
    EXPECT_EQ(oEject, 1);
    EXPECT_EQ(oSearchFiles, 0);
    EXPECT_EQ(oDefaultDrive, QStringLiteral("D:"));
    // The search pane's check boxes follow the saved defaults.
    EXPECT_FALSE(window_->searchPane()->searchFolders()->isChecked());
    EXPECT_FALSE(window_->searchPane()->searchFiles()->isChecked());
    const QString written = readSettings();
    EXPECT_TRUE(written.contains(QStringLiteral("oStartupMode=1")));
    EXPECT_TRUE(written.contains(QStringLiteral("oDefaultDrive=D:")));
    EXPECT_FALSE(dialog.saveButton()->isEnabled());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(OptionsDialogTest, SavingRefillsTheTreeOnlyWhenTheDataFolderChanged) {
    QSignalSpy refreshed(window_.get(), &MainWindow::catalogTreeRefreshed);
    QSignalSpy filled(window_.get(), &MainWindow::volumeChooserFilled);
    {
        OptionsDialog unchanged(*window_, {});
        unchanged.show();
        unchanged.save();
    }
    EXPECT_EQ(refreshed.count(), 0);
    EXPECT_TRUE(QFile::exists(settingsPath()));

    const QString other = makeDataFolder(QStringLiteral("Catalogs"));
    {
        OptionsDialog otherFolder(*window_, {});
        otherFolder.show();
        otherFolder.flagBox(9)->setChecked(false);
        otherFolder.dataFolder()->setText(programFolder() + QStringLiteral("/CATALOGS"));
        otherFolder.save();
    }
    EXPECT_EQ(gDataPath, other);
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(filled.count(), 1);

    {
        OptionsDialog caseOnly(*window_, {});
        caseOnly.show();
        caseOnly.dataFolder()->setText(programFolder() + QStringLiteral("/catalogs"));
        caseOnly.save();
    }
    EXPECT_EQ(gDataPath, other);
    EXPECT_EQ(refreshed.count(), 1);
}

TEST_F(OptionsDialogTest, TheProgramFolderOptionOverridesTheChosenFolder) {
    const QString other = makeDataFolder(QStringLiteral("Elsewhere"));
    OptionsDialog dialog(*window_, {});
    dialog.show();
    dialog.flagBox(9)->setChecked(true);
    dialog.dataFolder()->setText(other);
    dialog.save();
    EXPECT_EQ(gDataPath, ProgramFolder());
    EXPECT_TRUE(readSettings().contains(QStringLiteral("gDataPath=") + ProgramFolder()));
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

TEST_F(MainWindowFixture, AboutHelpOpensTheHelpPageAndCloses) {
    EXPECT_TRUE(QFile::exists(AboutDialog::helpPagePath()));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    AboutDialog dialog;
    dialog.show();
    dialog.helpButton()->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.front().toLocalFile(),
              QStringLiteral(MENDOR_TEST_PROGRAM_DIR) + QStringLiteral("/help/default.htm"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Answers the next modal message box with a button and records its title and text.
void answerNextBox(QMessageBox::StandardButton button, QString* title, QString* text) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *title = box->windowTitle();
        *text = box->text();
        box->button(button)->click();
    });
}

TEST(DialogPrompterTest, UntitledBoxesCarryTheProgramTitleAndOnlyYesProceeds) {
    DialogPrompter prompter(nullptr);
    QString title;
    QString text;

    answerNextBox(QMessageBox::Ok, &title, &text);
    prompter.message(QStringLiteral("Done."));
    EXPECT_EQ(title, QStringLiteral("Mendor Pro"));
    EXPECT_EQ(text, QStringLiteral("Done."));

    answerNextBox(QMessageBox::Yes, &title, &text);
    EXPECT_TRUE(prompter.askYesNo(QStringLiteral("Delete?"), QStringLiteral("Delete Volume")));
    EXPECT_EQ(title, QStringLiteral("Delete Volume"));

    answerNextBox(QMessageBox::No, &title, &text);
    EXPECT_FALSE(prompter.askYesNo(QStringLiteral("Delete?"), QString()));
    EXPECT_EQ(title, QStringLiteral("Mendor Pro"));
}

// The share of pixels of an image that are not transparent.
double coverage(const QImage& image) {
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return static_cast<double>(painted) / (image.width() * image.height());
}

TEST(ImageLibraryTest, EveryKeyDrawsAVisiblePictureAtEverySizeAndScale) {
    QStringList keys = ImageLibrary::treeImageKeys() + ImageLibrary::toolbarImageKeys();
    EXPECT_EQ(ImageLibrary::treeImageKeys().size(), 14);
    QSet<QString> distinct;
    for (const QString& key : keys) {
        ASSERT_TRUE(ImageLibrary::hasImage(key)) << key.toStdString();
        const QIcon icon = ImageLibrary::icon(key);
        for (int side : {16, 32}) {
            for (qreal scale : {1.0, 2.0}) {
                const QPixmap pixmap = icon.pixmap(QSize(side, side), scale);
                EXPECT_EQ(pixmap.width(), qRound(side * scale)) << key.toStdString();
                EXPECT_GT(coverage(pixmap.toImage()), 0.15) << key.toStdString() << " at " << side;
            }
        }
        const QImage big = icon.pixmap(64, 64).toImage();
        distinct.insert(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(big.constBits()), static_cast<int>(big.sizeInBytes()))
                .toBase64()));
    }
    // No two keys share a picture.
    EXPECT_EQ(distinct.size(), keys.size());
    EXPECT_FALSE(ImageLibrary::hasImage(QStringLiteral("kdoc")));
    EXPECT_TRUE(ImageLibrary::icon(QStringLiteral("kdoc")).isNull());
}

} // namespace
} // namespace mendor

#include "DialogsTest.moc"
