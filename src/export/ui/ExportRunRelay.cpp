#include "export/ui/ExportRunRelay.h"

#include <QMetaObject>

namespace mendor {

void ExportRunRelay::setProgressMaximum(int maximum) {
    record([maximum](Pending& pending) {
        pending.maximum = maximum;
        pending.value.reset();
    });
}

void ExportRunRelay::setProgressValue(int value) {
    record([value](Pending& pending) { pending.value = value; });
}

void ExportRunRelay::pause(int) {
    if (workerPauseHook_)
        workerPauseHook_();
}

void ExportRunRelay::volumeExported(int index) {
    record([index](Pending& pending) { pending.exported.append(index); });
}

void ExportRunRelay::record(const std::function<void(Pending&)>& change) {
    const std::lock_guard lock(mutex_);
    change(pending_);
    if (!updatePosted_) {
        updatePosted_ = true;
        QMetaObject::invokeMethod(this, &ExportRunRelay::flush, Qt::QueuedConnection);
    }
}

void ExportRunRelay::flush() {
    Pending pending;
    {
        const std::lock_guard lock(mutex_);
        std::swap(pending, pending_);
        updatePosted_ = false;
    }
    if (pending.maximum)
        emit progressMaximumChanged(*pending.maximum);
    if (pending.value)
        emit progressChanged(*pending.value);
    for (int index : pending.exported)
        emit volumeDone(index);
}

} // namespace mendor
