#include "catalog/ui/VerifyDialog.h"

#include "shell/Flags.h"
#include "shell/TextFormats.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mendor {

namespace {

// Shows the walk's status and keeps the window answering (the Abort button among it).
class DialogProgress : public ProgressSink {
public:
    explicit DialogProgress(QLabel& label) : label_(label) {}
    void status(const QString& text) override {
        label_.setText(text);
        QCoreApplication::processEvents();
    }
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    void pause(int) override { QCoreApplication::processEvents(); }

private:
    QLabel& label_;
};

QString kindText(FileDifference::Kind kind) {
    switch (kind) {
    case FileDifference::Kind::Missing:
        return QObject::tr("Missing");
    case FileDifference::Kind::New:
        return QObject::tr("New");
    case FileDifference::Kind::Changed:
        break;
    }
    return QObject::tr("Changed");
}

QString sideText(const FileDifference& difference, bool catalogSide) {
    if (difference.kind == (catalogSide ? FileDifference::Kind::New : FileDifference::Kind::Missing))
        return QString();
    return QStringLiteral("%1  %2").arg(
        FormatSizeKB(catalogSide ? difference.catalogSize : difference.mediumSize),
        FormatDate(catalogSide ? difference.catalogModified : difference.mediumModified));
}

} // namespace

VerifyDialog::VerifyDialog(QString databaseName, const QString& volumeName, DriveSource drives,
                           Prompter& prompter, QWidget* parent)
    : QDialog(parent), databaseName_(std::move(databaseName)), driveSource_(std::move(drives)),
      prompter_(prompter) {
    setWindowTitle(tr("Verify Volume"));
    auto* caption =
        new QLabel(tr("Compare the medium in this drive with the catalog of %1:").arg(volumeName), this);
    drives_ = new QComboBox(this);
    const DriveTable table = driveSource_.loadDrives();
    for (const DriveInfo& drive : table.drives())
        drives_->addItem(drive.name(), QVariant(drive.letter));
    verify_ = new QPushButton(tr("&Verify"), this);
    verify_->setDefault(true);
    close_ = new QPushButton(tr("C&lose"), this);
    status_ = new QLabel(this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({tr("Difference"), tr("Path"), tr("Catalog"), tr("Medium"), tr("What changed")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);

    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(drives_, 1);
    driveRow->addWidget(verify_);
    driveRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addLayout(driveRow);
    layout->addWidget(status_);
    layout->addWidget(list_, 1);
    layout->addWidget(summary_);
    resize(720, 420);

    connect(verify_, &QPushButton::clicked, this, &VerifyDialog::verifySelectedDrive);
    connect(close_, &QPushButton::clicked, this, &VerifyDialog::reject);
}

void VerifyDialog::verifySelectedDrive() {
    if (running_ || isBusy() || drives_->count() == 0)
        return;
    const std::optional<DriveInfo> drive = driveSource_.loadDrives().drive(drives_->currentData().toChar());
    if (!drive)
        return;
    const std::unique_ptr<DriveMedium> medium = driveSource_.mediumOf(*drive);
    running_ = true;
    gBusy = kFlagSet;
    verify_->setEnabled(false);
    close_->setText(tr("&Abort"));
    list_->clear();
    summary_->clear();
    DialogProgress progress(*status_);
    const VerifyOutcome outcome = VerifyVolume(databaseName_, *medium, prompter_, progress);
    gBusy = kFlagClear;
    gAbort = kFlagClear;
    running_ = false;
    verify_->setEnabled(true);
    close_->setText(tr("C&lose"));
    showOutcome(outcome);
}

void VerifyDialog::reject() {
    if (running_) {
        gAbort = kFlagSet;
        return;
    }
    QDialog::reject();
}

void VerifyDialog::showOutcome(const VerifyOutcome& outcome) {
    status_->clear();
    if (outcome.end != VerifyEnd::Compared) {
        summary_->setText(outcome.message);
        return;
    }
    QList<QTreeWidgetItem*> items;
    for (const FileDifference& difference : outcome.comparison.differences) {
        const QString details = difference.kind == FileDifference::Kind::Changed
                                    ? DifferenceText(difference).section(QLatin1Char('\t'), 2)
                                    : QString();
        items.append(new QTreeWidgetItem({kindText(difference.kind), difference.path,
                                          sideText(difference, true), sideText(difference, false), details}));
    }
    list_->addTopLevelItems(items);
    summary_->setText(ComparisonSummary(outcome));
}

} // namespace mendor
