#pragma once
// "Copy files...": where the items selected in a list are copied to. A drive list from the drive
// table and, under "Select your destination path", the folders of the chosen drive. OK copies
// the items into the selected folder and leaves the dialog open for another copy; Cancel closes
// it. The browse list's dialog is frmBrowse, the search result list's frmBrowse2; they are alike.
//
//     CopyDestinationDialog dialog(CopyDestinationDialog::kBrowseListName, drives, desktop,
//                                  [&](const QString& folder) { ... copy into folder ... }, window);
//     dialog.exec();
#include "catalog/ui/DriveSource.h"

#include <functional>
#include <QDialog>
#include <QHash>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace mendor {

class CopyDestinationDialog : public QDialog {
    Q_OBJECT
public:
    static const QString kBrowseListName; ///< "frmBrowse"
    static const QString kSearchListName; ///< "frmBrowse2"

    using CopyAction = std::function<void(const QString& folder)>;

    /// Opens on the drive and folder of startFolder (the desktop folder); OK hands the selected
    /// folder to copyInto.
    CopyDestinationDialog(const QString& name, const DriveSource& drives, const QString& startFolder,
                          CopyAction copyInto, QWidget* parent = nullptr);

    /// What OK does from now on.
    void setCopyAction(CopyAction copyInto) { copyInto_ = std::move(copyInto); }

    /// The folder list's folder: the selected one, else the drive's root; empty when the drive
    /// has no folder (an optical drive without a disc).
    QString selectedFolder() const;
    /// Selects a folder in the folder list (and its drive in the drive list when it has one).
    void selectFolder(const QString& folder);

    QComboBox* driveList() const { return drive1_; }
    QTreeView* folderList() const { return dir1_; }
    QPushButton* okButton() const { return command1_; }
    QPushButton* cancelButton() const { return command2_; }

private:
    /// A drive was chosen: the folder list shows it at the folder last chosen on it (its root
    /// at first).
    void driveChanged(int index);
    QString driveRoot(int index) const;

    DriveTable table_;
    QComboBox* drive1_;
    QTreeView* dir1_;
    QFileSystemModel* folders_;
    QPushButton* command1_;
    QPushButton* command2_;
    CopyAction copyInto_;
    QHash<QString, QString> lastFolderOfDrive_;
    QString shownDrive_;
};

} // namespace mendor
