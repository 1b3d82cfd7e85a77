#include "retrieve/ui/CopyDestinationDialog.h"

#include "catalog/ui/DrivePrompt.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace mendor {

const QString CopyDestinationDialog::kBrowseListName = QStringLiteral("frmBrowse");
const QString CopyDestinationDialog::kSearchListName = QStringLiteral("frmBrowse2");

CopyDestinationDialog::CopyDestinationDialog(const QString& name, const DriveSource& drives,
                                             const QString& startFolder, CopyAction copyInto, QWidget* parent)
    : QDialog(parent), table_(drives.loadDrives()), drive1_(new QComboBox(this)), dir1_(new QTreeView(this)),
      folders_(new QFileSystemModel(this)), command1_(new QPushButton(tr("OK"), this)),
      command2_(new QPushButton(tr("Cancel"), this)), copyInto_(std::move(copyInto)) {
    setObjectName(name);
    setWindowTitle(tr("Copy files..."));
    drive1_->setObjectName(QStringLiteral("Drive1"));
    dir1_->setObjectName(QStringLiteral("Dir1"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    command2_->setObjectName(QStringLiteral("Command2"));

    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setReadOnly(true);
    dir1_->setModel(folders_);
    dir1_->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column)
        dir1_->hideColumn(column);

    const QString startDrive = table_.cataloguedPath(startFolder).left(2);
    lastFolderOfDrive_.insert(startDrive, startFolder);
    DrivePrompt::FillDriveList(*drive1_, drives, startDrive.isEmpty() ? QChar() : startDrive[0]);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(drive1_);
    layout->addWidget(new QLabel(tr("Select your destination path"), this));
    layout->addWidget(dir1_, 1);
    layout->addLayout(buttons);
    resize(420, 460);

    driveChanged(drive1_->currentIndex());
    connect(drive1_, &QComboBox::currentIndexChanged, this, &CopyDestinationDialog::driveChanged);
    connect(command1_, &QPushButton::clicked, this, [this] {
        const QString folder = selectedFolder();
        if (!folder.isEmpty() && copyInto_)
            copyInto_(folder);
    });
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);
}

QString CopyDestinationDialog::driveRoot(int index) const {
    const QString drive = drive1_->itemData(index).toString();
    const std::optional<DriveInfo> info = drive.isEmpty() ? std::nullopt : table_.drive(drive[0]);
    return info ? info->root : QString();
}

QString CopyDestinationDialog::selectedFolder() const {
    const QString root = driveRoot(drive1_->currentIndex());
    if (root.isEmpty())
        return {};
    const QModelIndex current = dir1_->currentIndex();
    return current.isValid() ? folders_->filePath(current) : root;
}

void CopyDestinationDialog::selectFolder(const QString& folder) {
    const QString drive = table_.cataloguedPath(folder).left(2);
    lastFolderOfDrive_.insert(drive, folder);
    const int index = drive1_->findData(drive);
    if (index >= 0 && index != drive1_->currentIndex())
        drive1_->setCurrentIndex(index);
    else
        driveChanged(drive1_->currentIndex());
}

void CopyDestinationDialog::driveChanged(int index) {
    if (!shownDrive_.isEmpty() && dir1_->currentIndex().isValid())
        lastFolderOfDrive_.insert(shownDrive_, folders_->filePath(dir1_->currentIndex()));
    shownDrive_ = drive1_->itemData(index).toString();
    const QString root = driveRoot(index);
    dir1_->setEnabled(!root.isEmpty());
    command1_->setEnabled(!root.isEmpty());
    if (root.isEmpty()) {
        dir1_->setRootIndex(folders_->setRootPath(QString()));
        dir1_->setCurrentIndex(QModelIndex());
        return;
    }
    dir1_->setRootIndex(folders_->setRootPath(root));
    const QModelIndex folder = folders_->index(lastFolderOfDrive_.value(shownDrive_, root));
    if (!folder.isValid() || folder == dir1_->rootIndex()) {
        dir1_->setCurrentIndex(QModelIndex());
        return;
    }
    for (QModelIndex above = folder.parent(); above.isValid() && above != dir1_->rootIndex();
         above = above.parent())
        dir1_->expand(above);
    dir1_->setCurrentIndex(folder);
    dir1_->scrollTo(folder);
}

} // namespace mendor
