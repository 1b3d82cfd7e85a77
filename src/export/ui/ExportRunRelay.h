#pragma once
// Carries what an export reports from its worker thread to the export dialog. Each call on the
// worker only records the newest progress (and the volumes finished) and posts one update to
// the user-interface thread unless one is on its way, so however fast the folders go by, the
// event queue holds at most one update and an Abort click is never stuck behind a backlog.
#include "export/ExportRun.h"

#include <functional>
#include <mutex>
#include <optional>
#include <QList>
#include <QObject>

namespace mendor {

class ExportRunRelay : public QObject, public ExportRunView {
    Q_OBJECT
public:
    explicit ExportRunRelay(QObject* parent = nullptr) : QObject(parent) {}

    void status(const QString&) override {}
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    void pause(int count) override;
    void volumeExported(int index) override;

    /// Applies what the worker recorded and has not been applied yet. The dialog calls it once
    /// the worker has ended.
    void flush();

    /// Called on the worker thread after each folder (tests hold the export there).
    void setWorkerPauseHook(std::function<void()> hook) { workerPauseHook_ = std::move(hook); }

signals:
    void progressMaximumChanged(int maximum);
    void progressChanged(int value);
    void volumeDone(int index);

private:
    struct Pending {
        std::optional<int> maximum;
        std::optional<int> value;
        QList<int> exported;
    };

    void record(const std::function<void(Pending&)>& change);

    std::function<void()> workerPauseHook_;
    std::mutex mutex_;
    Pending pending_;
    bool updatePosted_ = false;
};

} // namespace mendor
