#pragma once
// Runs a search (search/SearchRun.h) on a worker thread so that the window stays responsive and
// an abort click is taken at once; the search itself polls gAbort every 26 rows. The worker
// hands rows over in batches, with the newest status text, at most every few tens of
// milliseconds: however fast the rows come, the event queue holds one update at a time.
#include "search/IdenticalSearch.h"
#include "search/SearchRun.h"

#include <functional>
#include <mutex>
#include <QList>
#include <QObject>
#include <vector>

class QThread;

namespace mendor {

class BackgroundSearch : public QObject {
    Q_OBJECT
public:
    explicit BackgroundSearch(QObject* parent = nullptr);
    /// Asks a running search to stop and waits for it.
    ~BackgroundSearch() override;

    void start(SearchRequest request);
    void start(DuplicateRequest request);
    void start(IdenticalRequest request);
    bool isRunning() const { return worker_ != nullptr; }

    /// Sets gAbort and waits until the search has ended (the window is closing); the rows and
    /// the end are not reported any more.
    void stopAndWait();

signals:
    /// The batches of rows found since the last update, in order (the receiver may take them).
    void rowsArrived(std::vector<QList<ResultRow>>& batches);
    void statusChanged(const QString& text);
    /// The search has ended and every row has been reported.
    void finished(const SearchOutcome& outcome);

private:
    class Relay;
    void run(std::function<SearchOutcome(SearchObserver&)> search);
    void deliver();
    void onWorkerFinished();

    QThread* worker_ = nullptr;
    std::mutex mutex_;
    // The batches as the search hands them over: no row is moved until the list takes it.
    std::vector<QList<ResultRow>> pendingBatches_;
    QString pendingStatus_;
    bool updatePosted_ = false;
    SearchOutcome outcome_;
};

} // namespace mendor
