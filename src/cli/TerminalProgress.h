#pragma once
// Progress of long work on one line of standard error, redrawn in place: the operation's status
// text, its count when it reports one ("120/3400") and the elapsed time. Only on a terminal;
// when standard error goes to a file or a pipe nothing is drawn. The line is erased when the
// work ends and before any message, so results and messages never share it.
#include "catalog/CatalogRun.h"

#include <QElapsedTimer>

namespace mendor::cli {

class TerminalProgress : public CatalogRunView {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void status(const QString& text) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    void pause(int count) override;

    /// Erases the line of whichever progress is on the screen; its next update draws it again.
    static void clearLine();

private:
    void draw();
    void drawWhenDue(qint64 interval);

    bool terminal_;
    QString status_;
    int value_ = 0;
    int maximum_ = 0;
    QElapsedTimer started_;
    QElapsedTimer lastDraw_;
};

} // namespace mendor::cli
