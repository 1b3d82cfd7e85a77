#pragma once
// The catalog dialog: the drive to catalogue, the database that receives the volume and the
// catalog options; its Catalog button runs the catalog run and shows its progress.
//
// The run's prepare and finish phases (every question to the user) run on the user-interface
// thread; the scan runs on a worker thread and reports through a CatalogRunRelay, so the dialog
// repaints, moves and takes the Abort click while a slow volume is read. During a run the Close
// button, Esc and the window's close box only ask the run to abort.
//
//     CatalogDialog::Show({.prompter = ..., .selectedNodeKey = tree.selectedKey(),
//                          .refreshCatalogs = [&] { ... }}, window);
#include "catalog/CatalogRun.h"
#include "catalog/ui/DriveSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;

namespace mendor {

class CatalogRunRelay;
class ClipPlayer;
class DialogPrompter;

struct CatalogDialogSetup {
    DriveSource drives = DriveSource::system();
    /// Asks and reports for the dialog and its runs; null: message boxes over the dialog.
    Prompter* prompter = nullptr;
    /// The key of the main window's selected tree node: its database is preselected.
    QString selectedNodeKey;
    /// Fills the catalog tree and the volume chooser again after a run.
    std::function<void()> refreshCatalogs;
};

class CatalogDialog : public QDialog, private CatalogRunView {
    Q_OBJECT
public:
    static const QString kNoDatabasesMessage;

    /// Reads the options and lists the databases; with no database in the data folder it says so
    /// and hasDatabases() is false. The drives are listed when the dialog is first shown.
    explicit CatalogDialog(CatalogDialogSetup setup, QWidget* parent = nullptr);
    ~CatalogDialog() override;

    /// Opens the dialog modally, unless the data folder holds no database.
    static void Show(CatalogDialogSetup setup, QWidget* parent);

    bool hasDatabases() const { return hasDatabases_; }

    /// Fills the drive list from the drive table; the default drive is selected.
    void GetDriveList();
    /// The Catalog button: runs the catalog run on the selected drive and database.
    void catalogSelectedDrive();
    /// The Close button: aborts a running catalog run, else closes the dialog.
    void closeOrAbort();
    /// The Eject Disk button: ejects the medium of the selected drive.
    void ejectSelectedDrive();
    /// The Catalog Options button: shows or hides the options, changing the dialog's height.
    void toggleOptions();

    bool isRunning() const { return running_; }
    bool optionsShown() const;
    /// How the last run ended; nothing before the first run.
    std::optional<CatalogRunOutcome> lastOutcome() const { return lastOutcome_; }
    /// Called on the scan thread at each of its pauses (tests hold the scan there).
    void setScanPauseHook(std::function<void()> hook);

    QListWidget* driveView() const { return driveView_; }
    QComboBox* databaseChooser() const { return combo1_; }
    /// Check1 to Check4; 5 computes checksums, 6 catalogs other archives as folders.
    QCheckBox* check(int number) const;
    QPushButton* catalogButton() const { return command1_; }
    QPushButton* closeButton() const { return command2_; }
    QPushButton* ejectButton() const { return command3_; }
    QPushButton* optionsButton() const { return command4_; }
    QPushButton* refreshButton() const { return command5_; }
    QLabel* statusLabel() const { return label1_; }
    QLabel* volumeLabel() const { return label5_; }
    QProgressBar* progressBar() const { return progressBar1_; }
    ClipPlayer* animation() const { return animation2_; }

    /// Esc: the Close button's work.
    void reject() override;

signals:
    /// A catalog run has ended (whatever its outcome) and the dialog is idle again.
    void runFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void loadDatabases();
    std::optional<DriveInfo> selectedDrive() const;
    void onScanFinished();
    void endRun();

    // What the run shows (CatalogRunView), on the user-interface thread.
    void status(const QString& text) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    void pause(int count) override;
    void volumeLine(const QString& text) override;
    void setStatusEmphasis(bool emphasized) override;
    void setCommandsEnabled(bool enabled) override;
    void setAnimationPlaying(bool playing) override;
    void setWaitCursor(bool waiting) override;
    void setAbortCaption(bool abort) override;
    void refreshCatalogs() override;

    CatalogDialogSetup setup_;
    std::unique_ptr<DialogPrompter> ownPrompter_;
    Prompter* prompter_;
    CatalogRunRelay* relay_;
    DriveTable drives_;
    bool hasDatabases_ = false;
    bool drivesListed_ = false;

    std::unique_ptr<DriveMedium> medium_;
    std::unique_ptr<CatalogRun> run_;
    QThread* worker_ = nullptr;
    bool running_ = false;
    bool waitCursor_ = false;
    std::optional<CatalogRunOutcome> lastOutcome_;
    qint64 lastYield_ = 0;

    QListWidget* driveView_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QCheckBox* check4_ = nullptr;
    QCheckBox* checksums_ = nullptr;
    QCheckBox* otherArchives_ = nullptr;
    QGroupBox* options_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command5_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label5_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    ClipPlayer* animation2_ = nullptr;
};

} // namespace mendor
