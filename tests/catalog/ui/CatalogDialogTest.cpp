// The catalog dialog (drive list, databases, options, a run on a worker thread and its abort),
// the relay that carries a run's progress across threads, and the drive prompt.
#include "catalog/ui/CatalogDialog.h"

#include "catalog/ui/CatalogRunRelay.h"
#include "catalog/ui/DrivePrompt.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/ui/ImageLibrary.h"
#include "store/Database.h"
#include "support/CatalogFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDriveMedium.h"

#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

namespace mendor {
namespace {

using test::ScriptedPrompter;

QString text(const char* value) {
    return QString::fromUtf8(value);
}

/// The media of the fake drives: type and label per letter; ejects are counted per letter.
struct FakeDrives {
    struct Medium {
        DriveType type = DriveType::Fixed;
        QString label;
    };

    class FakeMedium : public test::TestDriveMedium {
    public:
        FakeMedium(const DriveInfo& drive, FakeDrives& owner)
            : TestDriveMedium(drive.root, drive.letter), owner_(owner) {}
        EjectResult eject() const override {
            ++owner_.ejects[drive().letter];
            return EjectResult::Ejected;
        }

    private:
        FakeDrives& owner_;
    };

    void add(QChar letter, const QString& root, DriveType type, const QString& label = {}) {
        infos.append(DriveInfo{letter, root, {}, {}, type});
        media[letter] = Medium{type, label};
    }

    DriveSource source() {
        return DriveSource{[this] { return DriveTable(infos); },
                           [this](const DriveInfo& drive) -> std::unique_ptr<DriveMedium> {
                               auto medium = std::make_unique<FakeMedium>(drive, *this);
                               medium->driveType = media[drive.letter].type;
                               medium->volumeLabel = media[drive.letter].label;
                               return medium;
                           }};
    }

    QList<DriveInfo> infos;
    std::map<QChar, Medium> media;
    std::map<QChar, int> ejects;
};

bool samePicture(const QIcon& a, const QIcon& b) {
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

class CatalogDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(medium_.isValid());
        SetProgramFolderOverride(home_.path());
        SetInstallFolderOverride(QStringLiteral(MENDOR_TEST_PROGRAM_DIR));
        ResetOptionsToDefaults();
        gBusy = kFlagClear;
        gAbort = kFlagClear;
        data_.addDatabase(text("Music"));
        data_.addDatabase(text("Photos"));
        gDataPath = data_.dataPath();
        drives_.add(QLatin1Char('C'), text("/"), DriveType::Fixed);
        drives_.add(QLatin1Char('E'), medium_.path(), DriveType::Fixed, text("HOLIDAY 2001"));
    }

    void TearDown() override {
        SetProgramFolderOverride({});
        SetInstallFolderOverride({});
        ResetOptionsToDefaults();
        gBusy = kFlagClear;
        gAbort = kFlagClear;
    }

    CatalogDialogSetup setup(const QString& selectedKey = {}) {
        CatalogDialogSetup result;
        result.drives = drives_.source();
        result.prompter = &prompter_;
        result.selectedNodeKey = selectedKey;
        result.refreshCatalogs = [this] { ++refreshes_; };
        return result;
    }

    /// A small volume: two folders and three files.
    void fillMedium() {
        const QDir root(medium_.path());
        ASSERT_TRUE(root.mkpath(text("docs/old")));
        for (const char* name : {"a.txt", "docs/b.txt", "docs/old/c.txt"}) {
            QFile file(root.filePath(text(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("content");
        }
    }

    static void selectDrive(CatalogDialog& dialog, QChar letter) {
        for (int row = 0; row < dialog.driveView()->count(); ++row) {
            QListWidgetItem* item = dialog.driveView()->item(row);
            if (item->text().endsWith(QStringLiteral("(%1:)").arg(letter)))
                dialog.driveView()->setCurrentItem(item);
        }
    }

    static QStringList itemTexts(const CatalogDialog& dialog) {
        QStringList texts;
        for (int row = 0; row < dialog.driveView()->count(); ++row)
            texts << dialog.driveView()->item(row)->text();
        return texts;
    }

    static QString selectedText(const CatalogDialog& dialog) {
        const auto items = dialog.driveView()->selectedItems();
        return items.size() == 1 ? items.first()->text() : QString();
    }

    /// Rows of index whose name is name.
    static int volumeRows(const QString& path, const QString& name) {
        Database db = Database::open(path);
        Statement rows = db.prepare(text("SELECT COUNT(*) FROM \"index\" WHERE \"name\" = ?1"));
        rows.bind(1, name);
        rows.step();
        return static_cast<int>(rows.columnInt(0));
    }

    static QStringList tablesOf(const QString& path) {
        QStringList names = Database::open(path).tableNames();
        names.sort();
        return names;
    }

    QTemporaryDir home_;
    QTemporaryDir medium_;
    CatalogFixture data_;
    FakeDrives drives_;
    ScriptedPrompter prompter_;
    int refreshes_ = 0;
};

TEST_F(CatalogDialogTest, DriveListShowsLabelsInProperCaseFloppiesAndTheDefaultDrive) {
    drives_.add(QLatin1Char('A'), text("/media/floppy"), DriveType::Removable);
    drives_.add(QLatin1Char('D'), text("/media/data"), DriveType::Removable, text("MY DATA"));
    drives_.add(QLatin1Char('F'), text("/media/cdrom"), DriveType::CdRom, text("DISK_2B"));
    std::sort(drives_.infos.begin(), drives_.infos.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    oDefaultDrive = QStringLiteral("d:") + QChar(0) + QChar(0);

    CatalogDialog dialog(setup());
    dialog.show();
    EXPECT_EQ(itemTexts(dialog), (QStringList{text(" (A:)"), text(" (C:)"), text(" My Data (D:)"),
                                              text(" Holiday 2001 (E:)"), text(" Disk_2b (F:)")}));
    EXPECT_EQ(selectedText(dialog), text(" My Data (D:)"));
    // A: is a floppy whatever its type; D: removable; F: a CD-ROM.
    const auto icon = [&](int row) { return dialog.driveView()->item(row)->icon(); };
    EXPECT_TRUE(samePicture(icon(0), ImageLibrary::icon(text("floppy"))));
    EXPECT_TRUE(samePicture(icon(2), ImageLibrary::icon(text("removable"))));
    EXPECT_TRUE(samePicture(icon(4), ImageLibrary::icon(text("cd"))));
    EXPECT_FALSE(samePicture(icon(0), icon(2)));

    // Refresh Drives reads the table again and selects the default drive again.
    selectDrive(dialog, QLatin1Char('C'));
    drives_.add(QLatin1Char('G'), text("/media/usb"), DriveType::Removable, text("WIN98SE"));
    QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.driveView()->count(), 6);
    EXPECT_EQ(dialog.driveView()->item(5)->text(), text(" Win98se (G:)"));
    EXPECT_EQ(selectedText(dialog), text(" My Data (D:)"));

    // Eject Disk ejects the selected drive's medium.
    selectDrive(dialog, QLatin1Char('F'));
    QTest::mouseClick(dialog.ejectButton(), Qt::LeftButton);
    EXPECT_EQ(drives_.ejects[QLatin1Char('F')], 1);
    EXPECT_EQ(drives_.ejects.size(), 1U);
}

TEST_F(CatalogDialogTest, OpensWithTheOptionsAndTheSelectedNodesDatabase) {
    oClearDesc = -1;
    oEject = 0;
    oZIPasFolder = 1;
    oCheckDesc = 0;
    {
        CatalogDialog dialog(setup(text("photos.MDB_3a1f_d7")));
        ASSERT_TRUE(dialog.hasDatabases());
        EXPECT_EQ(dialog.databaseChooser()->count(), 2);
        EXPECT_EQ(dialog.databaseChooser()->currentText(), text("Photos"));
        EXPECT_TRUE(dialog.check(1)->isChecked());
        EXPECT_FALSE(dialog.check(2)->isChecked());
        EXPECT_TRUE(dialog.check(3)->isChecked());
        EXPECT_FALSE(dialog.check(4)->isChecked());
    }
    CatalogDialog atRoot(setup(text("mendor")));
    EXPECT_EQ(atRoot.databaseChooser()->currentText(), text("Music"));
}

TEST_F(CatalogDialogTest, TheOptionsButtonShowsAndHidesTheOptionsChangingTheHeight) {
    CatalogDialog dialog(setup());
    dialog.show();
    QCoreApplication::processEvents();
    const int closedHeight = dialog.height();
    const QString closedCaption = dialog.optionsButton()->text();
    EXPECT_FALSE(dialog.check(1)->isVisible());

    QTest::mouseClick(dialog.optionsButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.optionsShown());
    EXPECT_TRUE(dialog.check(4)->isVisible());
    EXPECT_GT(dialog.height(), closedHeight);
    EXPECT_NE(dialog.optionsButton()->text(), closedCaption);

    QTest::mouseClick(dialog.optionsButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.optionsShown());
    EXPECT_EQ(dialog.height(), closedHeight);
    EXPECT_EQ(dialog.optionsButton()->text(), closedCaption);

    // Idle, Close closes.
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CatalogDialogTest, CataloguesTheSelectedDriveOnAWorkerThread) {
    fillMedium();
    CatalogDialog dialog(setup(text("Photos.mdb")));
    dialog.show();
    selectDrive(dialog, QLatin1Char('E'));
    dialog.check(2)->setChecked(true);
    prompter_.answerInput(text("Holiday"), text("Enter a descriptive name for this volume..."),
                          text("Volume Description"));
    QSignalSpy finished(&dialog, &CatalogDialog::runFinished);

    std::atomic<bool> sawScanning = false;
    dialog.setScanPauseHook([&] {
        // On the worker: the user-interface thread is free to show what the relay posts.
        if (isBusy())
            sawScanning = true;
    });
    QTest::mouseClick(dialog.catalogButton(), Qt::LeftButton);
    // The click returns once the scan runs on its thread.
    ASSERT_TRUE(dialog.isRunning());
    EXPECT_FALSE(dialog.catalogButton()->isEnabled());
    EXPECT_FALSE(dialog.ejectButton()->isEnabled());
    EXPECT_FALSE(dialog.optionsButton()->isEnabled());
    ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));

    EXPECT_EQ(dialog.lastOutcome(), CatalogRunOutcome::Completed);
    EXPECT_TRUE(sawScanning);
    EXPECT_EQ(volumeRows(data_.databasePath(text("Photos")), text("Holiday")), 1);
    // The volume's table pair went into the chosen database only.
    EXPECT_EQ(tablesOf(data_.databasePath(text("Photos"))).size(),
              tablesOf(data_.databasePath(text("Music"))).size() + 2);
    EXPECT_TRUE(dialog.statusLabel()->text().startsWith(text("Last disk was ")));
    EXPECT_EQ(dialog.volumeLabel()->text(), text("Last disk: Holiday"));
    EXPECT_EQ(dialog.closeButton()->text(), text("C&lose"));
    EXPECT_TRUE(dialog.catalogButton()->isEnabled());
    EXPECT_EQ(dialog.progressBar()->value(), 0);
    EXPECT_EQ(refreshes_, 1);
    EXPECT_EQ(drives_.ejects[QLatin1Char('E')], 1);
    EXPECT_FALSE(isBusy());
    EXPECT_TRUE(dialog.isVisible());

    // The next dialog opens with the status of this run.
    CatalogDialog next(setup());
    EXPECT_EQ(next.statusLabel()->text(), dialog.statusLabel()->text());
}

TEST_F(CatalogDialogTest, TheCloseButtonAbortsARunningScanWithoutClosing) {
    fillMedium();
    CatalogDialog dialog(setup());
    dialog.show();
    selectDrive(dialog, QLatin1Char('E'));
    prompter_.answerInput(text("Trip"));
    QSignalSpy finished(&dialog, &CatalogDialog::runFinished);
    // The scan waits at its first pause after turning busy until the abort is seen.
    dialog.setScanPauseHook([] {
        QElapsedTimer waited;
        waited.start();
        while (isBusy() && !isAbortRequested() && waited.elapsed() < 15000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });

    QTest::mouseClick(dialog.catalogButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.closeButton()->text() == text("&Abort"); }, 10000));
    EXPECT_TRUE(dialog.statusLabel()->text().startsWith(text("Analyzing Directory Structure...")));
    EXPECT_EQ(dialog.volumeLabel()->text(), text("Scanning: Trip"));
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));

    EXPECT_EQ(dialog.lastOutcome(), CatalogRunOutcome::Aborted);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.statusLabel()->text(), text("Last catalog action was aborted..."));
    EXPECT_EQ(dialog.closeButton()->text(), text("C&lose"));
    EXPECT_FALSE(isAbortRequested());
    EXPECT_EQ(volumeRows(data_.databasePath(text("Music")), text("Trip")), 0);
    EXPECT_EQ(tablesOf(data_.databasePath(text("Music"))), tablesOf(data_.databasePath(text("Photos"))));
}

TEST_F(CatalogDialogTest, AFailedPreparationEndsTheRunAtOnce) {
    CatalogDialog dialog(setup());
    dialog.show();
    selectDrive(dialog, QLatin1Char('E'));
    prompter_.cancelInput().expectMessage(text("No volume description entered.  Won't catalog volume."));
    QSignalSpy finished(&dialog, &CatalogDialog::runFinished);
    QTest::mouseClick(dialog.catalogButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog.lastOutcome(), CatalogRunOutcome::Stopped);
    EXPECT_EQ(dialog.statusLabel()->text(), text("Last Attempt: User failed to enter a volume description"));
    EXPECT_TRUE(dialog.catalogButton()->isEnabled());
    EXPECT_EQ(refreshes_, 0);
}

/// A view that records what reaches it.
class RecordingView : public CatalogRunView {
public:
    void status(const QString& text) override { statuses << text; }
    void setProgressMaximum(int maximum) override { maxima << maximum; }
    void setProgressValue(int value) override { values << value; }
    void setAbortCaption(bool abort) override { captions << abort; }
    void refreshCatalogs() override { ++refreshes; }

    QStringList statuses;
    QList<int> maxima;
    QList<int> values;
    QList<bool> captions;
    int refreshes = 0;
};

TEST(CatalogRunRelayTest, CallsOnItsOwnThreadPassStraightThrough) {
    RecordingView target;
    CatalogRunRelay relay(target);
    relay.status(text("one"));
    relay.setProgressValue(3);
    relay.refreshCatalogs();
    EXPECT_EQ(target.statuses, QStringList{text("one")});
    EXPECT_EQ(target.values, QList<int>{3});
    EXPECT_EQ(target.refreshes, 1);
}

TEST(CatalogRunRelayTest, WorkerCallsArriveAsOneUpdateWithTheNewestValues) {
    RecordingView target;
    CatalogRunRelay relay(target);
    int hooks = 0;
    relay.setWorkerPauseHook([&] { ++hooks; });
    std::thread worker([&] {
        relay.setAbortCaption(true);
        relay.setProgressMaximum(1000);
        for (int i = 0; i < 1000; ++i) {
            relay.status(QStringLiteral("folder %1").arg(i));
            relay.setProgressValue(i);
            relay.pause(0);
        }
    });
    worker.join();
    // Nothing is applied on the worker thread.
    EXPECT_TRUE(target.statuses.isEmpty());
    EXPECT_EQ(hooks, 1000);

    QCoreApplication::processEvents();
    EXPECT_EQ(target.statuses, QStringList{text("folder 999")});
    EXPECT_EQ(target.values, QList<int>{999});
    EXPECT_EQ(target.maxima, QList<int>{1000});
    EXPECT_EQ(target.captions, QList<bool>{true});

    // The next worker call posts a new update; an explicit flush applies it at once.
    std::thread second([&] { relay.status(text("last")); });
    second.join();
    relay.flush();
    EXPECT_EQ(target.statuses.last(), text("last"));
    QCoreApplication::processEvents();
    EXPECT_EQ(target.statuses.size(), 2);
}

TEST_F(CatalogDialogTest, TheDrivePromptReturnsTheChosenDriveOrNothing) {
    drives_.add(QLatin1Char('F'), text("/media/cdrom"), DriveType::CdRom, text("MY DATA"));
    {
        DrivePrompt prompt(drives_.source(), QLatin1Char('e'));
        ASSERT_EQ(prompt.driveChooser()->count(), 3);
        EXPECT_EQ(prompt.driveChooser()->itemText(0), text("c:"));
        EXPECT_EQ(prompt.driveChooser()->itemText(2), text("f: [MY DATA]"));
        EXPECT_EQ(prompt.driveChooser()->currentIndex(), 1);
        prompt.driveChooser()->setCurrentIndex(2);
        QTest::mouseClick(prompt.okButton(), Qt::LeftButton);
        EXPECT_EQ(prompt.chosenDrive(), text("F:"));
        EXPECT_EQ(prompt.result(), QDialog::Accepted);
    }
    DrivePrompt cancelled(drives_.source(), QLatin1Char('C'));
    cancelled.show();
    QTest::mouseClick(cancelled.cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(cancelled.chosenDrive().isEmpty());
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

} // namespace
} // namespace mendor
