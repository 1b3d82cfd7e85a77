#include "search/ui/BackgroundSearch.h"

#include "shell/Flags.h"

#include <QElapsedTimer>
#include <QThread>

namespace mendor {

namespace {

// Rows wait on the worker at most this long before they are handed over.
constexpr qint64 kBatchIntervalMs = 40;

} // namespace

// The search's observer on the worker thread: gathers rows and the status text and posts one
// update to the window's thread when the last one has been taken and the interval has passed.
class BackgroundSearch::Relay : public SearchObserver {
public:
    explicit Relay(BackgroundSearch& owner) : owner_(owner) { sinceLastPost_.start(); }

    void rowsFound(QList<ResultRow>& rows) override {
        // The batch is taken whole; the search fills the next one in room of the same size.
        QList<ResultRow> taken = std::exchange(rows, QList<ResultRow>());
        rows.reserve(taken.size());
        {
            const std::lock_guard lock(owner_.mutex_);
            owner_.pendingBatches_.push_back(std::move(taken));
        }
        postWhenDue();
    }
    void status(const QString& text) override {
        {
            const std::lock_guard lock(owner_.mutex_);
            owner_.pendingStatus_ = text;
        }
        postWhenDue();
    }

private:
    void postWhenDue() {
        if (sinceLastPost_.elapsed() < kBatchIntervalMs)
            return;
        sinceLastPost_.restart();
        {
            const std::lock_guard lock(owner_.mutex_);
            if (owner_.updatePosted_)
                return;
            owner_.updatePosted_ = true;
        }
        QMetaObject::invokeMethod(&owner_, &BackgroundSearch::deliver, Qt::QueuedConnection);
    }

    BackgroundSearch& owner_;
    QElapsedTimer sinceLastPost_;
};

BackgroundSearch::BackgroundSearch(QObject* parent) : QObject(parent) {}

BackgroundSearch::~BackgroundSearch() {
    stopAndWait();
}

void BackgroundSearch::start(SearchRequest request) {
    run([request = std::move(request)](SearchObserver& observer) { return RunSearch(request, observer); });
}

void BackgroundSearch::start(DuplicateRequest request) {
    run([request = std::move(request)](SearchObserver& observer) {
        return RunDuplicateSearch(request, observer);
    });
}

void BackgroundSearch::start(IdenticalRequest request) {
    run([request = std::move(request)](SearchObserver& observer) {
        return RunIdenticalSearch(request, observer);
    });
}

void BackgroundSearch::run(std::function<SearchOutcome(SearchObserver&)> search) {
    outcome_ = {};
    worker_ = QThread::create([this, search = std::move(search)] {
        Relay relay(*this);
        outcome_ = search(relay);
    });
    connect(worker_, &QThread::finished, this, &BackgroundSearch::onWorkerFinished);
    worker_->start();
}

void BackgroundSearch::deliver() {
    std::vector<QList<ResultRow>> batches;
    QString status;
    {
        const std::lock_guard lock(mutex_);
        batches = std::exchange(pendingBatches_, {});
        status = std::exchange(pendingStatus_, QString());
        updatePosted_ = false;
    }
    if (!batches.empty())
        emit rowsArrived(batches);
    if (!status.isNull())
        emit statusChanged(status);
}

void BackgroundSearch::onWorkerFinished() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    deliver();
    emit finished(outcome_);
}

void BackgroundSearch::stopAndWait() {
    if (!worker_)
        return;
    gAbort = kFlagSet;
    disconnect(worker_, nullptr, this, nullptr);
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    const std::lock_guard lock(mutex_);
    pendingBatches_.clear();
}

} // namespace mendor
