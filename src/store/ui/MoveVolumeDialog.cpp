#include "store/ui/MoveVolumeDialog.h"

#include "store/DatabaseLifecycle.h"
#include "store/VolumeMaintenance.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mendor {

MoveVolumeDialog::MoveVolumeDialog(const QString& volumeKey, Prompter& prompter, MoveAction move,
                                   QWidget* parent)
    : QDialog(parent), move_(std::move(move)), combo1_(new QComboBox(this)),
      command1_(new QPushButton(tr("Cancel"), this)), command2_(new QPushButton(tr("Ok"), this)) {
    setObjectName(QStringLiteral("frmMoveVolume"));
    setWindowTitle(tr(" Move to which database?"));
    combo1_->setObjectName(QStringLiteral("Combo1"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setDefault(true);

    const QStringList targets = MoveTargetNames(volumeKey, prompter);
    hasTargets_ = !targets.isEmpty();
    combo1_->addItems(targets);
    combo1_->setCurrentIndex(hasTargets_ ? 0 : -1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command2_);
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Select the destination database for your volume"), this));
    layout->addWidget(combo1_);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(command1_, &QPushButton::clicked, this, &QDialog::reject);
    connect(command2_, &QPushButton::clicked, this, &MoveVolumeDialog::moveToChosenDatabase);
}

void MoveVolumeDialog::MoveInteractively(const QString& volumeKey, Prompter& prompter, MoveAction move,
                                         QWidget* parent) {
    MoveVolumeDialog dialog(volumeKey, prompter, std::move(move), parent);
    if (dialog.hasTargets())
        dialog.exec();
}

void MoveVolumeDialog::moveToChosenDatabase() {
    if (combo1_->currentIndex() < 0)
        return;
    command1_->setEnabled(false);
    command2_->setEnabled(false);
    move_(DatabasePath(combo1_->currentText()));
    accept();
}

} // namespace mendor
