#include "catalog/ui/CatalogDialog.h"

#include "catalog/ui/CatalogRunRelay.h"
#include "catalog/VolumeTypes.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/TextFormats.h"
#include "shell/ui/ClipPlayer.h"
#include "shell/ui/DialogPrompter.h"
#include "shell/ui/ImageLibrary.h"
#include "store/DatabaseList.h"
#include "store/Keys.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace mendor {

namespace {

constexpr int kPauseSleepMilliseconds = 5;
// Hot loops pause with a count of 0; the event loop runs at most this often then.
constexpr qint64 kYieldIntervalMilliseconds = 30;
constexpr int kDriveRole = Qt::UserRole;

const QString kIdleStatus = QStringLiteral("<idle>");
const QString kCloseCaption = QStringLiteral("C&lose");
const QString kAbortCaption = QStringLiteral("&Abort");
// Arrows up (options shown: click to hide) and down (hidden: click to show).
const QString kHideOptionsGlyph = QStringLiteral("\u21E7");
const QString kShowOptionsGlyph = QStringLiteral("\u21E9");

/// The drive's name and its label, as the drive list shows it: " My Data (E:)" or " (E:)".
QString driveItemText(const DriveInfo& drive, const QString& label) {
    QString text = QLatin1Char('(') + drive.name() + QLatin1Char(')');
    if (!label.trimmed().isEmpty())
        text = ProperCaseName(label) + QLatin1Char(' ') + text;
    return QLatin1Char(' ') + text;
}

/// oDefaultDrive's letter, without the NUL characters a settings value may end in.
QChar defaultDriveLetter() {
    QString drive = oDefaultDrive;
    while (drive.endsWith(QChar(0)))
        drive.chop(1);
    return drive.isEmpty() ? QChar() : drive.at(0).toUpper();
}

QLabel* hintLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setIndent(24);
    QFont font = label->font();
    font.setItalic(true);
    label->setFont(font);
    return label;
}

} // namespace

const QString CatalogDialog::kNoDatabasesMessage =
    QStringLiteral("There are no databases to add to.  Please create a new one first!");

CatalogDialog::CatalogDialog(CatalogDialogSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), prompter_(setup_.prompter) {
    setObjectName(QStringLiteral("fCatalog"));
    setWindowTitle(tr("Catalog disk"));
    if (prompter_ == nullptr) {
        ownPrompter_ = std::make_unique<DialogPrompter>(this);
        prompter_ = ownPrompter_.get();
    }
    relay_ = new CatalogRunRelay(*this, this);
    createControls();

    check1_->setChecked(oClearDesc != 0);
    check2_->setChecked(oEject != 0);
    check3_->setChecked(oZIPasFolder != 0);
    check4_->setChecked(oCheckDesc != 0);
    checksums_->setChecked(oChecksums != 0);
    otherArchives_->setChecked(oOtherArchives != 0);
    loadDatabases();
    const QString lastStatus = LastCatalogRunStatus();
    label1_->setText(lastStatus.isEmpty() ? kIdleStatus : lastStatus);
    animation2_->open(InstallFile(QStringLiteral("findfile.avi")));
}

CatalogDialog::~CatalogDialog() {
    if (worker_ != nullptr) {
        // Only reached when the dialog is destroyed from outside during a scan.
        gAbort = kFlagSet;
        worker_->wait();
        delete worker_;
    }
    if (waitCursor_)
        QApplication::restoreOverrideCursor();
}

void CatalogDialog::Show(CatalogDialogSetup setup, QWidget* parent) {
    CatalogDialog dialog(std::move(setup), parent);
    if (dialog.hasDatabases())
        dialog.exec();
}

void CatalogDialog::createControls() {
    driveView_ = new QListWidget(this);
    driveView_->setObjectName(QStringLiteral("DriveView"));
    driveView_->setSelectionMode(QAbstractItemView::SingleSelection);
    driveView_->setIconSize(QSize(16, 16));
    auto* driveCaption = new QLabel(tr("Drive to Catalog"), this);
    driveCaption->setBuddy(driveView_);

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* databaseCaption = new QLabel(tr("Catalog Volume in..."), this);
    databaseCaption->setBuddy(combo1_);

    command1_ = new QPushButton(tr("&Catalog"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    command2_ = new QPushButton(kCloseCaption, this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setAutoDefault(false);
    command3_ = new QPushButton(tr("Eject Disk"), this);
    command3_->setObjectName(QStringLiteral("Command3"));
    command3_->setToolTip(tr("Eject the selected disk"));
    command3_->setAutoDefault(false);
    command4_ = new QPushButton(kShowOptionsGlyph, this);
    command4_->setObjectName(QStringLiteral("Command4"));
    command4_->setToolTip(tr("Catalog Options"));
    command4_->setAutoDefault(false);
    command5_ = new QPushButton(tr("Refresh Drives"), this);
    command5_->setObjectName(QStringLiteral("Command5"));
    command5_->setToolTip(tr("Refresh the Drives List"));
    command5_->setAutoDefault(false);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label5_ = new QLabel(this);
    label5_->setObjectName(QStringLiteral("Label5"));
    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setRange(0, 1);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(false);
    animation2_ = new ClipPlayer(this);
    animation2_->setObjectName(QStringLiteral("Animation2"));
    animation2_->setFixedSize(32, 32);

    options_ = new QGroupBox(tr("Catalog Options..."), this);
    check1_ =
        new QCheckBox(tr("Clear file/folder descriptions? (checked yields faster catalog time)"), options_);
    check1_->setObjectName(QStringLiteral("Check1"));
    check2_ = new QCheckBox(tr("Eject the cataloged media when done?"), options_);
    check2_->setObjectName(QStringLiteral("Check2"));
    check3_ = new QCheckBox(tr("Treat ZIP files as folders? (checked yields slower catalog time)"), options_);
    check3_->setObjectName(QStringLiteral("Check3"));
    check4_ = new QCheckBox(tr("Scan for \"descript.ion\" files (slower cataloging time)"), options_);
    check4_->setObjectName(QStringLiteral("Check4"));
    auto* optionsLayout = new QVBoxLayout(options_);
    optionsLayout->addWidget(check1_);
    optionsLayout->addWidget(check2_);
    optionsLayout->addWidget(check3_);
    optionsLayout->addWidget(
        hintLabel(tr("Enables you to view/search ZIP files later without the media"), options_));
    optionsLayout->addWidget(check4_);
    optionsLayout->addWidget(hintLabel(tr("Automatically adds descriptions to files and folders"), options_));
    checksums_ = new QCheckBox(tr("Compute checksums (slower: reads every file)"), options_);
    otherArchives_ =
        new QCheckBox(tr("Catalog other archives as folders (tar, 7z, rar, ISO, cpio)"), options_);
    optionsLayout->addWidget(checksums_);
    optionsLayout->addWidget(otherArchives_);
    options_->hide();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    buttons->addWidget(command3_);
    buttons->addWidget(command5_);
    buttons->addStretch(1);

    auto* top = new QGridLayout;
    top->addWidget(driveCaption, 0, 0);
    top->addWidget(driveView_, 1, 0);
    top->addLayout(buttons, 0, 1, 2, 1);
    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(databaseCaption);
    databaseRow->addWidget(combo1_, 1);
    top->addLayout(databaseRow, 2, 0);
    top->addWidget(command4_, 2, 1, Qt::AlignRight);

    auto* statusTexts = new QVBoxLayout;
    statusTexts->addWidget(label1_);
    statusTexts->addWidget(label5_);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(animation2_);
    statusRow->addLayout(statusTexts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(statusRow);
    layout->addWidget(progressBar1_);
    layout->addWidget(options_);
    // The dialog takes the height of what it shows: the options change it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    driveView_->setMinimumSize(300, 140);

    connect(command1_, &QPushButton::clicked, this, &CatalogDialog::catalogSelectedDrive);
    connect(command2_, &QPushButton::clicked, this, &CatalogDialog::closeOrAbort);
    connect(command3_, &QPushButton::clicked, this, &CatalogDialog::ejectSelectedDrive);
    connect(command4_, &QPushButton::clicked, this, &CatalogDialog::toggleOptions);
    connect(command5_, &QPushButton::clicked, this, &CatalogDialog::GetDriveList);
}

void CatalogDialog::loadDatabases() {
    const QStringList files = DatabaseFileNames(gDataPath);
    hasDatabases_ = !files.isEmpty();
    if (!hasDatabases_) {
        prompter_->message(kNoDatabasesMessage);
        return;
    }
    const QString key = setup_.selectedNodeKey;
    const bool underDatabase =
        !key.isEmpty() && key.compare(QStringLiteral("mendor"), Qt::CaseInsensitive) != 0;
    const QString selectedFile = underDatabase ? DbFileNameFromKey(key).toLower() : QString();
    int selected = 0;
    for (const QString& file : files) {
        if (file.toLower() == selectedFile)
            selected = combo1_->count();
        combo1_->addItem(file.left(file.size() - 4));
    }
    combo1_->setCurrentIndex(selected);
}

void CatalogDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!drivesListed_) {
        drivesListed_ = true;
        GetDriveList();
    }
}

void CatalogDialog::GetDriveList() {
    driveView_->clear();
    drives_ = setup_.drives.loadDrives();
    const QChar defaultLetter = defaultDriveLetter();
    for (const DriveInfo& drive : drives_.drives()) {
        const std::unique_ptr<DriveMedium> medium = setup_.drives.mediumOf(drive);
        const int code = DriveListTypeCode(medium->type(), drive.letter);
        auto* item = new QListWidgetItem(ImageLibrary::icon(VolumeTypeKey(code)),
                                         driveItemText(drive, medium->label()), driveView_);
        item->setData(kDriveRole, QVariant(drive.letter));
        if (drive.letter == defaultLetter)
            driveView_->setCurrentItem(item);
    }
}

std::optional<DriveInfo> CatalogDialog::selectedDrive() const {
    const QList<QListWidgetItem*> items = driveView_->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return drives_.drive(items.first()->data(kDriveRole).toChar());
}

QCheckBox* CatalogDialog::check(int number) const {
    switch (number) {
    case 1:
        return check1_;
    case 2:
        return check2_;
    case 3:
        return check3_;
    case 4:
        return check4_;
    case 5:
        return checksums_;
    case 6:
        return otherArchives_;
    default:
        return nullptr;
    }
}

bool CatalogDialog::optionsShown() const {
    return !options_->isHidden();
}

void CatalogDialog::setScanPauseHook(std::function<void()> hook) {
    relay_->setWorkerPauseHook(std::move(hook));
}

void CatalogDialog::catalogSelectedDrive() {
    if (isBusy()) {
        gAbort = kFlagSet;
        return;
    }
    if (running_ || combo1_->count() == 0)
        return;
    const std::optional<DriveInfo> drive = selectedDrive();
    if (!drive)
        return;

    CatalogRunOptions options;
    options.clearDescriptions = check1_->isChecked();
    options.eject = check2_->isChecked();
    options.scan.zipAsFolders = check3_->isChecked();
    options.scan.readDescriptIon = check4_->isChecked();
    options.scan.checksums = checksums_->isChecked();
    options.scan.otherArchives = otherArchives_->isChecked();
    medium_ = setup_.drives.mediumOf(*drive);
    run_ = std::make_unique<CatalogRun>(combo1_->currentText(), *medium_, options, *prompter_, *relay_);
    running_ = true;
    if (!run_->prepare()) {
        endRun();
        return;
    }
    worker_ = QThread::create([run = run_.get()] { run->scan(); });
    connect(worker_, &QThread::finished, this, &CatalogDialog::onScanFinished);
    worker_->start();
}

void CatalogDialog::onScanFinished() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    relay_->flush();
    endRun();
}

void CatalogDialog::endRun() {
    run_->finish();
    lastOutcome_ = run_->outcome();
    run_.reset();
    medium_.reset();
    running_ = false;
    emit runFinished();
}

void CatalogDialog::closeOrAbort() {
    // Also while the run waits for the drive, before the scan: the dialog cannot close under it.
    if (isBusy() || running_) {
        gAbort = kFlagSet;
        return;
    }
    accept();
}

void CatalogDialog::reject() {
    closeOrAbort();
}

void CatalogDialog::closeEvent(QCloseEvent* event) {
    if (running_) {
        gAbort = kFlagSet;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CatalogDialog::ejectSelectedDrive() {
    const std::optional<DriveInfo> drive = selectedDrive();
    if (!drive) {
        prompter_->message(tr("Select the drive whose disk is to be ejected."));
        return;
    }
    // Whatever stops the eject is said: a button that does nothing leaves the user guessing.
    switch (setup_.drives.mediumOf(*drive)->eject()) {
    case EjectResult::Ejected:
        break;
    case EjectResult::FolderOnly:
        prompter_->message(tr("%1 is the folder %2, not a disk of its own: there is nothing to eject.")
                               .arg(drive->name(), drive->root));
        break;
    case EjectResult::NotRemovable:
        prompter_->message(tr("%1 is not a removable disk: there is nothing to eject.").arg(drive->name()));
        break;
    case EjectResult::Failed:
        prompter_->message(
            tr("The disk in %1 could not be ejected. A program may still be using it.").arg(drive->name()));
        break;
    }
}

void CatalogDialog::toggleOptions() {
    const bool show = !optionsShown();
    options_->setVisible(show);
    command4_->setText(show ? kHideOptionsGlyph : kShowOptionsGlyph);
}

void CatalogDialog::status(const QString& text) {
    label1_->setText(text);
}

void CatalogDialog::setProgressMaximum(int maximum) {
    progressBar1_->setRange(0, std::max(maximum, 1));
}

void CatalogDialog::setProgressValue(int value) {
    progressBar1_->setValue(std::clamp(value, 0, progressBar1_->maximum()));
}

void CatalogDialog::pause(int count) {
    if (count == 0) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastYield_ >= kYieldIntervalMilliseconds) {
            lastYield_ = now;
            QCoreApplication::processEvents();
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        QThread::msleep(kPauseSleepMilliseconds);
        QCoreApplication::processEvents();
    }
    lastYield_ = QDateTime::currentMSecsSinceEpoch();
}

void CatalogDialog::volumeLine(const QString& text) {
    label5_->setText(text);
}

void CatalogDialog::setStatusEmphasis(bool emphasized) {
    QPalette palette = label1_->palette();
    palette.setColor(QPalette::WindowText, emphasized ? QColor(Qt::blue) : QColor(Qt::black));
    label1_->setPalette(palette);
}

void CatalogDialog::setCommandsEnabled(bool enabled) {
    command1_->setEnabled(enabled);
    command3_->setEnabled(enabled);
    command4_->setEnabled(enabled);
}

void CatalogDialog::setAnimationPlaying(bool playing) {
    if (playing)
        animation2_->play();
    else
        animation2_->stop();
}

void CatalogDialog::setWaitCursor(bool waiting) {
    if (waiting == waitCursor_)
        return;
    waitCursor_ = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CatalogDialog::setAbortCaption(bool abort) {
    command2_->setText(abort ? kAbortCaption : kCloseCaption);
}

void CatalogDialog::refreshCatalogs() {
    if (setup_.refreshCatalogs)
        setup_.refreshCatalogs();
}

} // namespace mendor
