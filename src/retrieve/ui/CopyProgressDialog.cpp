#include "retrieve/ui/CopyProgressDialog.h"

#include "retrieve/ItemCopy.h"
#include "retrieve/ui/OverwriteQuestion.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace mendor {

namespace {

constexpr int kRefreshMs = 100;
constexpr int kBarSteps = 1000;

int Steps(std::int64_t done, std::int64_t total) {
    return total > 0 ? int(double(done) / double(total) * kBarSteps) : 0;
}

} // namespace

CopyProgressDialog::CopyProgressDialog(MediumPath source, QString destinationFolder, OverwriteAsker asker,
                                       QWidget* parent)
    : QDialog(parent), source_(std::move(source)), destinationFolder_(std::move(destinationFolder)),
      asker_(asker ? std::move(asker) : OverwriteAsker(&OverwriteQuestion::Ask)), name_(new QLabel(this)),
      route_(new QLabel(this)), counts_(new QLabel(this)), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("CopyProgress"));
    setWindowTitle(tr("Copying..."));
    setModal(true);
    MediumPath folder = source_;
    folder.names.removeLast();
    route_->setText(tr("From '%1' to '%2'").arg(folder.displayPath(), destinationFolder_));
    route_->setWordWrap(true);
    name_->setText(tr("Preparing to copy..."));
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    bar_->setTextVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(route_);
    layout->addWidget(bar_);
    layout->addWidget(counts_);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(cancel_, &QPushButton::clicked, this, &CopyProgressDialog::reject);
    connect(timer_, &QTimer::timeout, this, &CopyProgressDialog::refresh);
}

CopyProgressDialog::~CopyProgressDialog() {
    cancelRequested_.store(true);
    if (worker_.joinable())
        worker_.join();
}

CopyReport CopyProgressDialog::Run(const MediumPath& source, const QString& destinationFolder,
                                   QWidget* parent, OverwriteAsker asker) {
    CopyProgressDialog dialog(source, destinationFolder, std::move(asker), parent);
    return dialog.runCopy();
}

CopyReport CopyProgressDialog::runCopy() {
    worker_ = std::thread([this] {
        report_ = CopyItem(source_, QFile::encodeName(destinationFolder_), *this);
        QMetaObject::invokeMethod(
            this,
            [this] {
                finished_ = true;
                accept();
            },
            Qt::QueuedConnection);
    });
    timer_->start(kRefreshMs);
    exec();
    worker_.join();
    timer_->stop();
    return report_;
}

void CopyProgressDialog::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    cancelRequested_.store(true);
    cancel_->setEnabled(false);
    name_->setText(tr("Cancelling..."));
}

void CopyProgressDialog::progress(const CopyProgress& progress) {
    const std::lock_guard lock(mutex_);
    latest_ = progress;
}

OverwriteAnswer CopyProgressDialog::confirmOverwrite(const QString& destinationPath) {
    OverwriteAnswer answer = OverwriteAnswer::Cancel;
    if (cancelRequested_.load())
        return answer;
    QMetaObject::invokeMethod(
        this, [this, &destinationPath] { return asker_(destinationPath, this); },
        Qt::BlockingQueuedConnection, &answer);
    return answer;
}

void CopyProgressDialog::refresh() {
    CopyProgress now;
    {
        const std::lock_guard lock(mutex_);
        now = latest_;
    }
    if (cancelRequested_.load() || now.currentName.isEmpty())
        return;
    name_->setText(now.currentName);
    bar_->setValue(now.totalBytes > 0 ? Steps(now.doneBytes, now.totalBytes)
                                      : Steps(now.doneItems, now.totalItems));
    const QLocale locale;
    counts_->setText(
        tr("%1 of %2 items, %3 of %4")
            .arg(locale.toString(qlonglong(now.doneItems)), locale.toString(qlonglong(now.totalItems)),
                 locale.formattedDataSize(now.doneBytes), locale.formattedDataSize(now.totalBytes)));
}

} // namespace mendor
