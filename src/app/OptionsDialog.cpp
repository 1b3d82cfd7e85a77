#include "app/OptionsDialog.h"

#include "app/MainWindow.h"
#include "platform/DriveTable.h"
#include "search/ui/SearchPane.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mendor {

namespace {

constexpr int kSaveAndRefreshPause = 25;

std::int16_t* flagGlobal(int index) {
    switch (index) {
    case 0:
        return &oStartupMode;
    case 2:
        return &oSaveWindows;
    case 3:
        return &oClearDesc;
    case 4:
        return &oEject;
    case 5:
        return &oSearchFolders;
    case 6:
        return &oSearchFiles;
    case 7:
        return &oZIPasFolder;
    case 8:
        return &oCheckDesc;
    case 9:
        return &oUseAppPath;
    default:
        return nullptr;
    }
}

QString flagCaption(int index) {
    switch (index) {
    case 0:
        return OptionsDialog::tr("Startup with search pane active");
    case 2:
        return OptionsDialog::tr("Save window and column positions upon exit");
    case 3:
        return OptionsDialog::tr("Default to clear descriptions when cataloging (faster catalog time)");
    case 4:
        return OptionsDialog::tr("Default to eject media after cataloging is complete");
    case 5:
        return OptionsDialog::tr("Default to search folders");
    case 6:
        return OptionsDialog::tr("Default to search files");
    case 7:
        return OptionsDialog::tr("Default to treat ZIP files as folders (slower cataloging time)");
    case 8:
        return OptionsDialog::tr("Default to scan for \"descript.ion\"  files (slower cataloging time)");
    case 9:
        return OptionsDialog::tr("Always use Mendor program folder");
    default:
        return {};
    }
}

QGroupBox* groupOf(const QString& title, const QList<QWidget*>& widgets, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return group;
}

} // namespace

QStringList OptionsDialog::systemDriveNames() {
    QStringList names;
    const DriveTable table = DriveTable::load();
    for (const DriveInfo& drive : table.drives())
        names.append(drive.name());
    return names;
}

OptionsDialog::OptionsDialog(MainWindow& window, const QStringList& driveNames)
    : QDialog(&window), window_(window) {
    setWindowTitle(tr(" Options"));
    setModal(true);

    for (int index : kFlagIndices) {
        check1_[index] = new QCheckBox(flagCaption(index), this);
        check1_[index]->setObjectName(QStringLiteral("Check1_%1").arg(index));
    }

    auto* general = groupOf(tr("General Defaults"), {check1_[0], check1_[2]}, this);
    auto* cataloging =
        groupOf(tr("Cataloging Defaults"), {check1_[3], check1_[4], check1_[7], check1_[8]}, this);
    auto* search = groupOf(tr("Search Defaults"), {check1_[5], check1_[6]}, this);

    auto* folderFrame = new QGroupBox(tr(" Where Are Your Databases? "), this);
    dir1_ = new QLineEdit(folderFrame);
    browse_ = new QPushButton(tr("&Browse..."), folderFrame);
    connect(browse_, &QPushButton::clicked, this, &OptionsDialog::chooseFolder);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(dir1_, 1);
    folderRow->addWidget(browse_);
    auto* folderLayout = new QVBoxLayout(folderFrame);
    folderLayout->addLayout(folderRow);
    folderLayout->addWidget(check1_[9]);

    auto* driveFrame = new QGroupBox(tr("Default Drive to Catalog"), this);
    defaultDrive_ = new QLabel(driveFrame);
    defaultDrive_->setObjectName(QStringLiteral("DefaultDrive"));
    QFont bold = defaultDrive_->font();
    bold.setBold(true);
    defaultDrive_->setFont(bold);
    realDrive_ = new QComboBox(driveFrame);
    realDrive_->addItems(driveNames);
    auto* changeLabel = new QLabel(tr("C&hange drive..."), driveFrame);
    changeLabel->setBuddy(realDrive_);
    connect(realDrive_, &QComboBox::activated, this, &OptionsDialog::onDriveChosen);
    auto* driveLayout = new QGridLayout(driveFrame);
    driveLayout->addWidget(new QLabel(tr("Current Drive is"), driveFrame), 0, 0);
    driveLayout->addWidget(defaultDrive_, 0, 1);
    driveLayout->addWidget(changeLabel, 1, 0);
    driveLayout->addWidget(realDrive_, 1, 1);
    driveLayout->setColumnStretch(2, 1);

    command1_ = new QPushButton(tr("&Save"), this);
    command1_->setDefault(true);
    command2_ = new QPushButton(tr("&Close"), this);
    connect(command1_, &QPushButton::clicked, this, &OptionsDialog::save);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);

    auto* left = new QVBoxLayout;
    left->addWidget(general);
    left->addWidget(cataloging);
    left->addWidget(search);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(folderFrame);
    right->addWidget(driveFrame);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    loadValues();
}

QCheckBox* OptionsDialog::flagBox(int index) const {
    return index >= 0 && index < static_cast<int>(check1_.size()) ? check1_[index] : nullptr;
}

void OptionsDialog::loadValues() {
    dir1_->setText(NormalizePath(gDataPath));
    for (int index : kFlagIndices)
        check1_[index]->setChecked(*flagGlobal(index) != 0);
    defaultDrive_->setText(oDefaultDrive.toUpper());
    const QSignalBlocker blocker(realDrive_);
    realDrive_->setCurrentIndex(realDrive_->findText(oDefaultDrive.left(2), Qt::MatchFixedString));
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    command1_->setEnabled(true);
    command2_->setEnabled(true);
    folderAtActivation_ = gDataPath;
    window_.markStartupPaneApplied();
}

void OptionsDialog::chooseFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Where Are Your Databases?"), dir1_->text());
    if (!folder.isEmpty())
        dir1_->setText(folder);
}

void OptionsDialog::onDriveChosen(int index) {
    defaultDrive_->setText(realDrive_->itemText(index).left(2).toUpper());
}

void OptionsDialog::save() {
    gDataPath = NormalizePath(dir1_->text());
    for (int index : kFlagIndices)
        *flagGlobal(index) = check1_[index]->isChecked() ? 1 : 0;
    oDefaultDrive = defaultDrive_->text();
    window_.searchPane()->searchFolders()->setChecked(oSearchFolders != 0);
    window_.searchPane()->searchFiles()->setChecked(oSearchFiles != 0);
    if (oUseAppPath != 0)
        gDataPath = ProgramFolder();
    window_.saveSettings();
    command1_->setEnabled(false);
    command2_->setEnabled(false);
    if (gDataPath.toLower() != folderAtActivation_.toLower()) {
        window_.pause(kSaveAndRefreshPause);
        window_.refreshCatalogTree();
        window_.fillVolumeChooser();
    }
    accept();
}

} // namespace mendor
