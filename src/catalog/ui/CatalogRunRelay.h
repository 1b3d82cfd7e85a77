#pragma once
// Carries what a catalog run shows to the dialog across threads. The run's prepare and finish
// phases call it on the user-interface thread, where every call goes straight to the target. The
// scan phase calls it on a worker thread: there each call only records the newest value of what
// it changes and posts one update to the user-interface thread, which applies everything recorded
// since the last update. However fast the scanner reports, the event queue holds at most one
// update, so a click on Abort is never stuck behind a backlog of progress texts.
#include "catalog/CatalogRun.h"

#include <functional>
#include <mutex>
#include <optional>
#include <QObject>

namespace mendor {

class CatalogRunRelay : public QObject, public CatalogRunView {
    Q_OBJECT
public:
    /// target lives on this object's thread (the user-interface thread).
    explicit CatalogRunRelay(CatalogRunView& target, QObject* parent = nullptr);

    void status(const QString& text) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    /// On the user-interface thread the target's pause; on the worker thread a sleep of 5 ms per
    /// count, so that the steps keep their pace while the user interface runs on by itself.
    void pause(int count) override;
    void volumeLine(const QString& text) override;
    void setStatusEmphasis(bool emphasized) override;
    void setCommandsEnabled(bool enabled) override;
    void setAnimationPlaying(bool playing) override;
    void setWaitCursor(bool waiting) override;
    void setAbortCaption(bool abort) override;
    void refreshCatalogs() override;

    /// Applies what the worker recorded and has not been applied yet. The dialog calls it once
    /// the worker has ended, before the finish phase.
    void flush();

    /// Called on the worker thread at every pause of the scan phase (tests hold the scan there).
    void setWorkerPauseHook(std::function<void()> hook) { workerPauseHook_ = std::move(hook); }

private:
    struct Pending {
        std::optional<QString> status;
        std::optional<int> progressMaximum;
        std::optional<int> progressValue;
        std::optional<QString> volumeLine;
        std::optional<bool> statusEmphasis;
        std::optional<bool> commandsEnabled;
        std::optional<bool> animationPlaying;
        std::optional<bool> waitCursor;
        std::optional<bool> abortCaption;
        bool refreshCatalogs = false;
    };

    bool onOwnThread() const;
    /// Records a change made on the worker thread and posts an update unless one is on its way.
    void record(const std::function<void(Pending&)>& change);

    CatalogRunView& target_;
    std::function<void()> workerPauseHook_;
    std::mutex mutex_;
    Pending pending_;
    bool updatePosted_ = false;
};

} // namespace mendor
