#include "export/ui/ExportDialog.h"

#include "catalog/VolumeTypes.h"
#include "export/ExportChoices.h"
#include "export/ui/ExportPreviews.h"
#include "export/ui/ExportRunRelay.h"
#include "shell/Flags.h"
#include "shell/ui/DialogPrompter.h"
#include "shell/ui/ImageLibrary.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QThread>
#include <QTreeView>
#include <QVBoxLayout>

namespace mendor {

namespace {

const QString kExportCaption = QStringLiteral("&Export Now!");
const QString kAbortCaption = QStringLiteral("&Abort");

// What a row of the volume list stands for: a database row holds its path only.
constexpr int kDatabasePathRole = Qt::UserRole;
constexpr int kVolumeNameRole = Qt::UserRole + 1;
constexpr int kIsDatabaseRole = Qt::UserRole + 2;

const QSize kPreviewSize(170, 116);

bool isDatabaseRow(const QListWidgetItem* item) {
    return item->data(kIsDatabaseRole).toBool();
}

} // namespace

const QString ExportDialog::kNoDestinationMessage =
    QStringLiteral("You MUST double-click a destination folder for the exported file!");
const QString ExportDialog::kNoFileNameMessage =
    QStringLiteral("You MUST enter a filename for the exported file!");

ExportDialog::ExportDialog(ExportDialogSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(tr(" Export data"));
    prompter_ = setup_.prompter;
    if (prompter_ == nullptr) {
        ownPrompter_ = std::make_unique<DialogPrompter>(this);
        prompter_ = ownPrompter_.get();
    }
    relay_ = new ExportRunRelay(this);
    createControls();
    selectDestination(setup_.startFolder.isEmpty() ? QDir::homePath() : setup_.startFolder);
    fillExportTree();
}

ExportDialog::~ExportDialog() {
    if (worker_ != nullptr) {
        // Only reached when the dialog is destroyed from outside during an export.
        gAbort = kFlagSet;
        worker_->wait();
        delete worker_;
        gAbort = kFlagClear;
    }
}

void ExportDialog::Show(ExportDialogSetup setup, QWidget* parent) {
    ExportDialog dialog(std::move(setup), parent);
    dialog.exec();
}

void ExportDialog::createControls() {
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setReadOnly(true);
    folders_->setRootPath(QDir::rootPath());
    destinationTree_ = new QTreeView(this);
    destinationTree_->setObjectName(QStringLiteral("CcXploreTreeView1"));
    destinationTree_->setModel(folders_);
    destinationTree_->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column)
        destinationTree_->hideColumn(column);
    destinationTree_->setSelectionMode(QAbstractItemView::SingleSelection);
    destinationTree_->setMinimumSize(220, 260);
    auto* destinationCaption = new QLabel(tr("Destination folder"), this);
    destinationCaption->setBuddy(destinationTree_);

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    auto* fileNameCaption = new QLabel(tr("File name"), this);
    fileNameCaption->setBuddy(text1_);

    auto* volumesFrame = new QGroupBox(tr("Select a Volume to Export"), this);
    exportTree_ = new QListWidget(volumesFrame);
    exportTree_->setObjectName(QStringLiteral("ExportTree"));
    exportTree_->setIconSize(QSize(16, 16));
    exportTree_->setMinimumWidth(200);
    auto* volumesLayout = new QVBoxLayout(volumesFrame);
    volumesLayout->addWidget(exportTree_);

    auto* formatsFrame = new QGroupBox(tr("How Would You Like to Export the Data?"), this);
    option1_ = new QButtonGroup(this);
    auto* formatsLayout = new QVBoxLayout(formatsFrame);
    const QStringList captions = {tr("Export as Tree with Indentation"), tr("Simple List without formatting"),
                                  tr("Simple List as Full Paths"), tr("Itemized List with Sizes, etc.")};
    for (int format = 0; format < kExportFormatCount; ++format) {
        auto* button = new QRadioButton(captions[format], formatsFrame);
        button->setObjectName(QStringLiteral("Option1_%1").arg(format));
        option1_->addButton(button, format);
        formatsLayout->addWidget(button);
        pictures_.append(ExportPreview(ExportFormat(format), kPreviewSize, devicePixelRatioF()));
    }
    thumbnail_ = new QLabel(formatsFrame);
    thumbnail_->setObjectName(QStringLiteral("Thumbnail"));
    thumbnail_->setFixedSize(kPreviewSize);
    formatsLayout->addWidget(thumbnail_, 0, Qt::AlignHCenter);

    check1_ = new QCheckBox(tr("Folders"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    check2_ = new QCheckBox(tr("Files"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    check3_ = new QCheckBox(tr("Volume Info / Column Heads"), this);
    check3_->setObjectName(QStringLiteral("Check3"));
    for (QCheckBox* box : {check1_, check2_, check3_})
        box->setChecked(true);

    slider1_ = new QSlider(Qt::Horizontal, this);
    slider1_->setObjectName(QStringLiteral("Slider1"));
    slider1_->setRange(0, kUnlimitedDepth);
    slider1_->setValue(kUnlimitedDepth);
    slider1_->setPageStep(1);
    slider1_->setTickPosition(QSlider::TicksBelow);
    slider1_->setTickInterval(1);
    slider1_->setToolTip(tr("How many folder levels below the root to export; 10 exports them all"));
    auto* depthCaption = new QLabel(tr("Depth"), this);
    depthCaption->setBuddy(slider1_);
    depthValue_ = new QLabel(this);
    depthValue_->setMinimumWidth(40);

    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setRange(0, 1);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(false);

    command1_ = new QPushButton(kExportCaption, this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    command2_ = new QPushButton(tr("&Close"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setAutoDefault(false);

    auto* destinationColumn = new QVBoxLayout;
    destinationColumn->addWidget(destinationCaption);
    destinationColumn->addWidget(destinationTree_, 1);
    destinationColumn->addWidget(fileNameCaption);
    destinationColumn->addWidget(text1_);

    auto* depthRow = new QHBoxLayout;
    depthRow->addWidget(depthCaption);
    depthRow->addWidget(slider1_, 1);
    depthRow->addWidget(depthValue_);
    auto* contents = new QVBoxLayout;
    contents->addWidget(formatsFrame);
    contents->addWidget(check1_);
    contents->addWidget(check2_);
    contents->addWidget(check3_);
    contents->addLayout(depthRow);
    contents->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);

    auto* top = new QHBoxLayout;
    top->addLayout(destinationColumn, 1);
    top->addWidget(volumesFrame, 1);
    top->addLayout(contents);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(progressBar1_);
    layout->addLayout(buttons);

    connect(destinationTree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ExportDialog::updateExportButton);
    // The folders load in the background: the selected folder comes into view once the folders
    // above it are there, unless the user has moved on.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const QString selected = destination();
        if (!selected.isEmpty() && selected.startsWith(loaded))
            destinationTree_->scrollTo(destinationTree_->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    connect(exportTree_, &QListWidget::itemChanged, this, &ExportDialog::onRowChanged);
    connect(option1_, &QButtonGroup::idClicked, this, &ExportDialog::showFormat);
    connect(slider1_, &QSlider::valueChanged, this, [this](int value) {
        depthValue_->setText(value >= kUnlimitedDepth ? tr("all") : QString::number(value));
    });
    connect(command1_, &QPushButton::clicked, this, &ExportDialog::exportOrAbort);
    connect(command2_, &QPushButton::clicked, this, &ExportDialog::closeUnlessExporting);
    connect(relay_, &ExportRunRelay::progressMaximumChanged, progressBar1_,
            [this](int maximum) { progressBar1_->setRange(0, std::max(maximum, 1)); });
    connect(relay_, &ExportRunRelay::progressChanged, progressBar1_,
            [this](int value) { progressBar1_->setValue(std::clamp(value, 0, progressBar1_->maximum())); });
    connect(relay_, &ExportRunRelay::volumeDone, this, &ExportDialog::onVolumeExported);

    // The itemized list is the one format that keeps every detail of the catalog.
    option1_->button(int(ExportFormat::Itemized))->setChecked(true);
    showFormat(int(ExportFormat::Itemized));
    depthValue_->setText(tr("all"));
    updateExportButton();
}

void ExportDialog::fillExportTree() {
    exportTree_->clear();
    const QIcon databaseImage = ImageLibrary::icon(QStringLiteral("database"));
    for (const ExportChoiceDatabase& database : ReadExportChoices(setup_.dataPath)) {
        auto* row = new QListWidgetItem(databaseImage, QStringLiteral(">> ") + database.name, exportTree_);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Unchecked);
        row->setData(kDatabasePathRole, database.path);
        row->setData(kIsDatabaseRole, true);
        for (const ExportChoiceVolume& volume : database.volumes) {
            auto* volumeRow = new QListWidgetItem(ImageLibrary::icon(VolumeTypeKey(volume.volumeType)),
                                                  volume.name, exportTree_);
            volumeRow->setFlags(volumeRow->flags() | Qt::ItemIsUserCheckable);
            volumeRow->setCheckState(Qt::Unchecked);
            volumeRow->setData(kDatabasePathRole, database.path);
            volumeRow->setData(kVolumeNameRole, volume.name);
            volumeRow->setData(kIsDatabaseRole, false);
        }
    }
}

// Checking a database row checks its volumes, the rows up to the next database row; unchecking
// it unchecks them. A volume row changes only itself.
void ExportDialog::onRowChanged(QListWidgetItem* item) {
    if (checkingRows_ || !isDatabaseRow(item))
        return;
    checkingRows_ = true;
    for (int row = exportTree_->row(item) + 1; row < exportTree_->count(); ++row) {
        QListWidgetItem* volume = exportTree_->item(row);
        if (isDatabaseRow(volume))
            break;
        volume->setCheckState(item->checkState());
    }
    checkingRows_ = false;
}

void ExportDialog::showFormat(int format) {
    thumbnail_->setPixmap(pictures_.value(format));
}

QRadioButton* ExportDialog::formatButton(ExportFormat format) const {
    return static_cast<QRadioButton*>(option1_->button(int(format)));
}

const QPixmap& ExportDialog::picture(ExportFormat format) const {
    return pictures_[int(format)];
}

void ExportDialog::selectDestination(const QString& folder) {
    const QModelIndex index = folders_->index(folder);
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        destinationTree_->expand(above);
    destinationTree_->setCurrentIndex(index);
    destinationTree_->scrollTo(index);
}

QString ExportDialog::destination() const {
    const QModelIndexList selected = destinationTree_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : folders_->filePath(selected.first());
}

void ExportDialog::updateExportButton() {
    if (!isExporting())
        command1_->setEnabled(!destination().isEmpty());
}

void ExportDialog::setWorkerPauseHook(std::function<void()> hook) {
    relay_->setWorkerPauseHook(std::move(hook));
}

ExportSettings ExportDialog::settings() const {
    ExportSettings settings;
    settings.format = ExportFormat(option1_->checkedId());
    settings.depth = slider1_->value();
    settings.folders = check1_->isChecked();
    settings.files = check2_->isChecked();
    settings.volumeInfo = check3_->isChecked();
    return settings;
}

void ExportDialog::exportOrAbort() {
    if (isExporting()) {
        gAbort = kFlagSet;
        return;
    }
    const QString folder = destination().trimmed();
    if (folder.isEmpty()) {
        prompter_->message(kNoDestinationMessage);
        return;
    }
    if (text1_->text().isEmpty()) {
        prompter_->message(kNoFileNameMessage);
        return;
    }
    const QString path = QDir(folder).filePath(ListingFileName(text1_->text()));

    QList<ExportItem> items;
    exportRows_.clear();
    exportedRows_.clear();
    for (int row = 0; row < exportTree_->count(); ++row) {
        QListWidgetItem* item = exportTree_->item(row);
        if (item->checkState() != Qt::Checked || isDatabaseRow(item))
            continue;
        items.append({item->data(kDatabasePathRole).toString(), item->data(kVolumeNameRole).toString()});
        exportRows_.append(item);
    }

    busy_.emplace();
    gAbort = kFlagClear;
    command1_->setText(kAbortCaption);
    command2_->setEnabled(false);
    worker_ = QThread::create([this, path, settings = settings(), items] {
        runResult_ = RunExport(path, settings, items, *relay_);
    });
    connect(worker_, &QThread::finished, this, &ExportDialog::onExportFinished);
    worker_->start();
}

void ExportDialog::onVolumeExported(int index) {
    QListWidgetItem* row = exportRows_.value(index);
    if (row == nullptr)
        return;
    row->setCheckState(Qt::Unchecked);
    exportedRows_.append(row);
}

void ExportDialog::onExportFinished() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    relay_->flush();
    busy_.reset();
    gAbort = kFlagClear;
    command1_->setText(kExportCaption);
    command2_->setEnabled(true);
    progressBar1_->setValue(0);
    updateExportButton();
    lastResult_ = runResult_;
    if (runResult_.outcome == ExportOutcome::Failed) {
        // Nothing was written: the volumes are still to be exported.
        for (QListWidgetItem* row : exportedRows_)
            row->setCheckState(Qt::Checked);
        prompter_->message(QStringLiteral("Can't write the exported file.\n%1").arg(runResult_.error));
    }
    emit exportFinished();
}

void ExportDialog::closeUnlessExporting() {
    if (!isExporting())
        accept();
}

void ExportDialog::reject() {
    closeUnlessExporting();
}

void ExportDialog::closeEvent(QCloseEvent* event) {
    if (isExporting()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace mendor
