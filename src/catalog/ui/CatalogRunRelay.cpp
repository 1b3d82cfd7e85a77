#include "catalog/ui/CatalogRunRelay.h"

#include <chrono>
#include <QThread>
#include <thread>

namespace mendor {

namespace {

constexpr std::chrono::milliseconds kPauseStep{5};

} // namespace

CatalogRunRelay::CatalogRunRelay(CatalogRunView& target, QObject* parent)
    : QObject(parent), target_(target) {}

bool CatalogRunRelay::onOwnThread() const {
    return QThread::currentThread() == thread();
}

void CatalogRunRelay::record(const std::function<void(Pending&)>& change) {
    bool post = false;
    {
        const std::lock_guard lock(mutex_);
        change(pending_);
        post = !updatePosted_;
        updatePosted_ = true;
    }
    if (post)
        QMetaObject::invokeMethod(this, &CatalogRunRelay::flush, Qt::QueuedConnection);
}

void CatalogRunRelay::flush() {
    Pending pending;
    {
        const std::lock_guard lock(mutex_);
        pending = std::exchange(pending_, Pending{});
        updatePosted_ = false;
    }
    // Captions and states first, then the texts and the bar, so the label ends with the newest text.
    if (pending.abortCaption)
        target_.setAbortCaption(*pending.abortCaption);
    if (pending.waitCursor)
        target_.setWaitCursor(*pending.waitCursor);
    if (pending.commandsEnabled)
        target_.setCommandsEnabled(*pending.commandsEnabled);
    if (pending.animationPlaying)
        target_.setAnimationPlaying(*pending.animationPlaying);
    if (pending.statusEmphasis)
        target_.setStatusEmphasis(*pending.statusEmphasis);
    if (pending.volumeLine)
        target_.volumeLine(*pending.volumeLine);
    if (pending.progressMaximum)
        target_.setProgressMaximum(*pending.progressMaximum);
    if (pending.progressValue)
        target_.setProgressValue(*pending.progressValue);
    if (pending.status)
        target_.status(*pending.status);
    if (pending.refreshCatalogs)
        target_.refreshCatalogs();
}

void CatalogRunRelay::status(const QString& text) {
    if (onOwnThread())
        target_.status(text);
    else
        record([&](Pending& p) { p.status = text; });
}

void CatalogRunRelay::setProgressMaximum(int maximum) {
    if (onOwnThread())
        target_.setProgressMaximum(maximum);
    else
        record([&](Pending& p) { p.progressMaximum = maximum; });
}

void CatalogRunRelay::setProgressValue(int value) {
    if (onOwnThread())
        target_.setProgressValue(value);
    else
        record([&](Pending& p) { p.progressValue = value; });
}

void CatalogRunRelay::pause(int count) {
    if (onOwnThread()) {
        target_.pause(count);
        return;
    }
    if (workerPauseHook_)
        workerPauseHook_();
    if (count > 0)
        std::this_thread::sleep_for(kPauseStep * count);
}

void CatalogRunRelay::volumeLine(const QString& text) {
    if (onOwnThread())
        target_.volumeLine(text);
    else
        record([&](Pending& p) { p.volumeLine = text; });
}

void CatalogRunRelay::setStatusEmphasis(bool emphasized) {
    if (onOwnThread())
        target_.setStatusEmphasis(emphasized);
    else
        record([&](Pending& p) { p.statusEmphasis = emphasized; });
}

void CatalogRunRelay::setCommandsEnabled(bool enabled) {
    if (onOwnThread())
        target_.setCommandsEnabled(enabled);
    else
        record([&](Pending& p) { p.commandsEnabled = enabled; });
}

void CatalogRunRelay::setAnimationPlaying(bool playing) {
    if (onOwnThread())
        target_.setAnimationPlaying(playing);
    else
        record([&](Pending& p) { p.animationPlaying = playing; });
}

void CatalogRunRelay::setWaitCursor(bool waiting) {
    if (onOwnThread())
        target_.setWaitCursor(waiting);
    else
        record([&](Pending& p) { p.waitCursor = waiting; });
}

void CatalogRunRelay::setAbortCaption(bool abort) {
    if (onOwnThread())
        target_.setAbortCaption(abort);
    else
        record([&](Pending& p) { p.abortCaption = abort; });
}

void CatalogRunRelay::refreshCatalogs() {
    if (onOwnThread())
        target_.refreshCatalogs();
    else
        record([](Pending& p) { p.refreshCatalogs = true; });
}

} // namespace mendor
