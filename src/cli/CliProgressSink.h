#pragma once
// Progress of a command-line operation: each status text on its own line of standard output;
// the progress bar is not shown.
#include "shell/ProgressSink.h"

namespace mendor::cli {

class CliProgressSink : public ProgressSink {
public:
    void status(const QString& text) override;
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
};

} // namespace mendor::cli
