#include "catalog/ui/DrivePrompt.h"

#include "catalog/VolumeTypes.h"
#include "shell/ui/ImageLibrary.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mendor {

const QString DrivePrompt::kPromptText =
    QStringLiteral("The file can't be found. Either insert the disk media and try again, or select another "
                   "drive to search and click OK.");

DrivePrompt::DrivePrompt(const DriveSource& drives, QChar preferredLetter, QWidget* parent)
    : QDialog(parent), drive1_(new QComboBox(this)), command1_(new QPushButton(tr("OK"), this)),
      command2_(new QPushButton(tr("Cancel"), this)) {
    setObjectName(QStringLiteral("fDrive"));
    setWindowTitle(tr("Choose Drive"));
    auto* label = new QLabel(kPromptText, this);
    label->setWordWrap(true);
    drive1_->setObjectName(QStringLiteral("Drive1"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    command2_->setObjectName(QStringLiteral("Command2"));

    FillDriveList(*drive1_, drives, preferredLetter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(drive1_);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(command1_, &QPushButton::clicked, this, [this] {
        chosenDrive_ = drive1_->currentData().toString();
        accept();
    });
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { chosenDrive_.clear(); });
}

void DrivePrompt::FillDriveList(QComboBox& list, const DriveSource& drives, QChar preferredLetter) {
    const QChar preferred = preferredLetter.toUpper();
    const DriveTable table = drives.loadDrives();
    for (const DriveInfo& drive : table.drives()) {
        const std::unique_ptr<DriveMedium> medium = drives.mediumOf(drive);
        const QString volumeLabel = medium->label();
        // As a drive list box shows a drive: its letter in lower case and the label in brackets.
        QString text = drive.name().toLower();
        if (!volumeLabel.isEmpty())
            text += QStringLiteral(" [%1]").arg(volumeLabel);
        const int code = DriveListTypeCode(medium->type(), drive.letter);
        list.addItem(ImageLibrary::icon(VolumeTypeKey(code)), text, drive.name());
        if (drive.letter == preferred)
            list.setCurrentIndex(list.count() - 1);
    }
}

QString DrivePrompt::ChooseDrive(const DriveSource& drives, QChar preferredLetter, QWidget* parent) {
    DrivePrompt prompt(drives, preferredLetter, parent);
    prompt.exec();
    return prompt.chosenDrive();
}

} // namespace mendor
