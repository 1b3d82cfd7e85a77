#pragma once
// The main window's status bar as the progress of a store operation (compacting, moving,
// deleting items): the status texts go to the first panel and the pauses let the window breathe.
#include "shell/ProgressSink.h"

#include <QtGlobal>

namespace mendor {

class MainWindowServices;

class StatusPanelSink : public ProgressSink {
public:
    explicit StatusPanelSink(MainWindowServices& services) : services_(services) {}

    void status(const QString& text) override;
    /// The status bar has no progress bar.
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    /// Pause(count); a count of 0 (hot loops) lets the window run at most every 30 ms.
    void pause(int count) override;

private:
    MainWindowServices& services_;
    qint64 lastYield_ = 0;
};

} // namespace mendor
