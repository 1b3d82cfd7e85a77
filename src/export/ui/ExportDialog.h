#pragma once
// The export dialog: the destination folder and file name of a listing, the databases and
// volumes to put in it, its format and contents, and the export itself.
//
// The export runs on a worker thread and reports through an ExportRunRelay, so the dialog
// repaints and takes the Abort click while a large volume is written; each volume's row is
// unchecked once the volume is in the listing. During an export the Close button, Esc and the
// window's close box do nothing.
//
//     ExportDialogSetup setup;
//     setup.dataPath = gDataPath;
//     ExportDialog::Show(setup, window);
#include "export/ExportRun.h"
#include "shell/BusyScope.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDialog>
#include <QList>
#include <QPixmap>

class QButtonGroup;
class QCheckBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QThread;
class QTreeView;

namespace mendor {

class ExportRunRelay;
class Prompter;

struct ExportDialogSetup {
    /// The folder whose databases are offered.
    QString dataPath;
    /// The folder selected in the destination tree when the dialog opens; the home folder when
    /// empty.
    QString startFolder;
    /// Asks and reports for the dialog; null: message boxes over the dialog.
    Prompter* prompter = nullptr;
};

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    static const QString kNoDestinationMessage;
    static const QString kNoFileNameMessage;

    explicit ExportDialog(ExportDialogSetup setup, QWidget* parent = nullptr);
    ~ExportDialog() override;

    static void Show(ExportDialogSetup setup, QWidget* parent);

    /// The "Export Now!" button: starts an export of the checked volumes, or asks a running one
    /// to stop after the folder it is writing.
    void exportOrAbort();
    /// The Close button: closes the dialog unless an export runs.
    void closeUnlessExporting();
    bool isExporting() const { return worker_ != nullptr; }

    /// Selects a folder in the destination tree, as a click on it does.
    void selectDestination(const QString& folder);
    /// The selected destination folder; empty when none is selected.
    QString destination() const;

    /// How the last export ended; nothing before the first.
    const std::optional<ExportResult>& lastResult() const { return lastResult_; }
    /// Called on the worker thread after each folder (tests hold the export there).
    void setWorkerPauseHook(std::function<void()> hook);

    QTreeView* destinationTree() const { return destinationTree_; }
    QLineEdit* fileNameBox() const { return text1_; }
    QListWidget* exportTree() const { return exportTree_; }
    QRadioButton* formatButton(ExportFormat format) const;
    QLabel* thumbnail() const { return thumbnail_; }
    /// The preview picture of a format (Picture1 to Picture4).
    const QPixmap& picture(ExportFormat format) const;
    QCheckBox* foldersCheck() const { return check1_; }
    QCheckBox* filesCheck() const { return check2_; }
    QCheckBox* infoCheck() const { return check3_; }
    QSlider* depthSlider() const { return slider1_; }
    QProgressBar* progressBar() const { return progressBar1_; }
    QPushButton* exportButton() const { return command1_; }
    QPushButton* closeButton() const { return command2_; }

signals:
    /// An export has ended and the dialog is idle again.
    void exportFinished();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void fillExportTree();
    void onRowChanged(QListWidgetItem* item);
    void showFormat(int format);
    void updateExportButton();
    ExportSettings settings() const;
    void onVolumeExported(int index);
    void onExportFinished();

    ExportDialogSetup setup_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;

    QFileSystemModel* folders_ = nullptr;
    QTreeView* destinationTree_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QListWidget* exportTree_ = nullptr;
    QButtonGroup* option1_ = nullptr;
    QLabel* thumbnail_ = nullptr;
    QList<QPixmap> pictures_;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QSlider* slider1_ = nullptr;
    QLabel* depthValue_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;

    bool checkingRows_ = false;
    ExportRunRelay* relay_ = nullptr;
    QThread* worker_ = nullptr;
    std::optional<BusyScope> busy_;
    /// The rows of the volumes being exported, in the order given to the run.
    QList<QListWidgetItem*> exportRows_;
    QList<QListWidgetItem*> exportedRows_;
    ExportResult runResult_;
    std::optional<ExportResult> lastResult_;
};

} // namespace mendor
