// The Search pane's buttons: "Start Search", "Find Duplicates" and "Find Identical Files", each an
// Abort button while its search runs, "Print" and "Save Report...". The searches run on a worker
// (BackgroundSearch); their rows go into the result list while the blank cover hides it.
#include "app/MainWindow.h"
#include "browse/ColumnSort.h"
#include "browse/ui/VolumeChooser.h"
#include "search/SearchCriteria.h"
#include "search/ui/BackgroundSearch.h"
#include "search/ui/ResultList.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/SearchColumns.h"
#include "search/ui/SearchPane.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ui/DialogPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace mendor {

namespace {

const QString kStartCaption = QStringLiteral("Start Search");
const QString kDuplicatesCaption = QStringLiteral("Find Duplicates");
const QString kIdenticalCaption = QStringLiteral("Find Identical Files");
const QString kAbortCaption = QStringLiteral("Abort Search");

} // namespace

void MainWindow::connectSearchPane() {
    connect(frame1_->startButton(), &QPushButton::clicked, this, &MainWindow::startSearchClicked);
    connect(frame1_->duplicatesButton(), &QPushButton::clicked, this, &MainWindow::findDuplicatesClicked);
    connect(frame1_->identicalButton(), &QPushButton::clicked, this, &MainWindow::findIdenticalClicked);
    connect(frame1_->printButton(), &QPushButton::clicked, this, [this] { report_.print(this); });
    connect(frame1_->saveReportButton(), &QPushButton::clicked, this,
            [this] { report_.save(this, searchPrompter()); });
    connect(search_, &BackgroundSearch::rowsArrived, this,
            [this](std::vector<QList<ResultRow>>& batches) { searchView_->model().appendRows(batches); });
    connect(search_, &BackgroundSearch::statusChanged, this, [this](const QString& text) {
        setStatusText(runningSearch_ == RunningSearch::Normal ? 2 : 1, text);
    });
    connect(search_, &BackgroundSearch::finished, this, &MainWindow::onSearchFinished);
}

Prompter& MainWindow::searchPrompter() {
    if (searchPrompter_ != nullptr)
        return *searchPrompter_;
    if (!ownSearchPrompter_)
        ownSearchPrompter_ = std::make_unique<DialogPrompter>(this);
    return *ownSearchPrompter_;
}

SearchCriteria MainWindow::searchCriteria() const {
    SearchCriteria criteria;
    criteria.name = frame1_->namePattern()->text();
    criteria.firstDate = frame1_->firstDate()->text();
    criteria.lastDate = frame1_->lastDate()->text();
    for (int option = 0; option < 3; ++option) {
        if (frame1_->dateField(option)->isChecked())
            criteria.dateField = DateField(option);
    }
    criteria.description = frame1_->descriptionText()->text();
    criteria.sizeComparison = frame1_->sizeComparison()->currentText();
    criteria.sizeKilobytes = frame1_->sizeKilobytes()->text();
    criteria.searchFolders = frame1_->searchFolders()->isChecked();
    criteria.searchFiles = frame1_->searchFiles()->isChecked();
    return criteria;
}

std::optional<QString> MainWindow::buildSearchCondition() {
    SearchCriteria criteria = searchCriteria();
    Prompter& prompter = searchPrompter();
    const std::optional<QString> condition = BuildSearchCondition(criteria, prompter);
    frame1_->firstDate()->setText(criteria.firstDate);
    frame1_->lastDate()->setText(criteria.lastDate);
    if (!condition || condition->isEmpty()) {
        prompter.message(kNoCriteriaMessage);
        return std::nullopt;
    }
    return condition;
}

SearchScope MainWindow::chosenScope() const {
    SearchScope scope;
    if (searchTree_->allVolumesSelected())
        return scope;
    for (const VolumeChooser::Entry& entry : searchTree_->entries()) {
        if (!entry.selected || entry.databaseFile.isEmpty())
            continue;
        scope.allVolumes = false;
        scope.databaseFile = entry.databaseFile;
        if (entry.image != QLatin1String("database"))
            scope.volumeName = entry.text;
        break;
    }
    return scope;
}

void MainWindow::startSearchClicked() {
    if (isBusy()) {
        gAbort = kFlagSet;
        return;
    }
    holdDuplicatesButton();
    frame1_->identicalButton()->setEnabled(false);
    frame1_->startButton()->setText(kAbortCaption);

    const std::optional<QString> condition = buildSearchCondition();
    if (!condition) {
        setStatusText(2, QString());
        finishSearchCommand(false);
        return;
    }
    startSearchAnimation();
    gBusy = kFlagSet;
    runningSearch_ = RunningSearch::Normal;
    searchView_->model().clearRows();
    QCoreApplication::processEvents();
    searchView_->hide();
    hider_->show();

    SearchRequest request;
    request.condition = *condition;
    request.searchFolders = frame1_->searchFolders()->isChecked();
    request.searchFiles = frame1_->searchFiles()->isChecked();
    request.targets = SearchTargets(searchTree_->databases(), chosenScope());
    request.dataPath = gDataPath;
    // The report is written from the list when it is printed or saved (ReportBox).
    request.writeReport = false;
    search_->start(std::move(request));
}

void MainWindow::findDuplicatesClicked() {
    if (isBusy()) {
        gAbort = kFlagSet;
        return;
    }
    frame1_->duplicatesButton()->setText(kAbortCaption);
    SetCoverColumns(*hider_);
    frame1_->startButton()->setEnabled(false);
    frame1_->identicalButton()->setEnabled(false);

    const std::optional<QString> condition = buildSearchCondition();
    if (!condition) {
        finishSearchCommand(true);
        return;
    }
    Prompter& prompter = searchPrompter();
    const bool bySize = prompter.askYesNo(kSameSizeQuestion, kSameSizeTitle);
    startSearchAnimation();
    if (IsWholeCatalogueCondition(*condition) &&
        !prompter.askYesNo(kWholeCatalogueQuestion, kWholeCatalogueTitle)) {
        finishSearchCommand(true);
        return;
    }
    gBusy = kFlagSet;
    runningSearch_ = RunningSearch::Duplicates;
    searchView_->model().clearRows();

    const SearchScope scope = chosenScope();
    DuplicateRequest request;
    request.condition = *condition;
    request.searchFolders = frame1_->searchFolders()->isChecked();
    request.searchFiles = frame1_->searchFiles()->isChecked();
    request.bySize = bySize;
    request.databaseFile = scope.databaseFile;
    request.volumeName = scope.volumeName;
    request.dataPath = gDataPath;
    search_->start(std::move(request));
}

// Every chosen volume that has checksums, in the chooser's order; identical files are listed
// group by group, so the list is not sorted until a header is clicked.
void MainWindow::findIdenticalClicked() {
    if (isBusy()) {
        gAbort = kFlagSet;
        return;
    }
    holdDuplicatesButton();
    frame1_->startButton()->setEnabled(false);
    frame1_->identicalButton()->setText(kAbortCaption);
    startSearchAnimation();
    gBusy = kFlagSet;
    runningSearch_ = RunningSearch::Identical;
    searchView_->model().clearRows();
    // The groups stay in their order: the sort goes off, and its marker from the caption.
    searchView_->sort().turnOff();
    QStringList captions = searchView_->model().captions();
    for (QString& caption : captions)
        caption = CaptionWithoutMarker(caption);
    searchView_->model().setCaptions(captions);

    IdenticalRequest request;
    request.targets = SearchTargets(searchTree_->databases(), chosenScope());
    request.dataPath = gDataPath;
    search_->start(std::move(request));
}

void MainWindow::onSearchFinished(const SearchOutcome& outcome) {
    const bool duplicates = runningSearch_ == RunningSearch::Duplicates;
    setStatusText(runningSearch_ == RunningSearch::Normal ? 2 : 1, outcome.status);
    if (runningSearch_ == RunningSearch::Normal && outcome.end == SearchEnd::Completed)
        report_.setReportOf(searchView_->model());
    // The list keeps its sort: the rows take their places by the sort column.
    if (runningSearch_ != RunningSearch::Identical)
        searchView_->applySort();
    searchView_->show();
    hider_->hide();
    finishSearchCommand(duplicates);
}

void MainWindow::holdDuplicatesButton() {
    QPushButton* duplicates = frame1_->duplicatesButton();
    duplicatesWereEnabled_ = duplicates->isEnabled();
    duplicates->setEnabled(false);
}

// The end of both button handlers, also when no search ran.
void MainWindow::finishSearchCommand(bool duplicates) {
    QPushButton* identical = frame1_->identicalButton();
    if (runningSearch_ == RunningSearch::Identical) {
        identical->setText(kIdenticalCaption);
        frame1_->startButton()->setEnabled(true);
        frame1_->duplicatesButton()->setEnabled(duplicatesWereEnabled_);
    } else if (duplicates) {
        frame1_->startButton()->setEnabled(true);
        setStatusText(2, QString());
        frame1_->duplicatesButton()->setText(kDuplicatesCaption);
    } else {
        frame1_->duplicatesButton()->setEnabled(duplicatesWereEnabled_);
        frame1_->startButton()->setText(kStartCaption);
    }
    identical->setEnabled(true);
    hider_->hide();
    runningSearch_ = RunningSearch::None;
    gBusy = kFlagClear;
    gAbort = kFlagClear;
    stopSearchAnimation();
    emit searchFinished();
}

} // namespace mendor
