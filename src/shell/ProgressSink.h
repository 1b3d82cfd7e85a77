#pragma once
// Where a long operation reports what it is doing. Core code never runs an event loop; the
// caller decides how the user interface stays alive (the desktop program pumps events or
// forwards the calls across threads, the command-line tool prints).
#include <QString>

namespace mendor {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    /// The status line (the catalog dialog's status label, the main window's first panel).
    virtual void status(const QString& text) = 0;

    /// Range and position of the progress bar.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;

    /// A point between steps where the caller may let its user interface breathe, n times
    /// (Pause(n) of the desktop program). Hot loops call it with n = 0 and the caller decides
    /// from the clock whether to yield at all.
    virtual void pause(int count) { (void)count; }
};

/// A sink that drops everything, for callers that show no progress.
class NullProgressSink : public ProgressSink {
public:
    void status(const QString&) override {}
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
};

} // namespace mendor
