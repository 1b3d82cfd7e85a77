#include "cli/CliProgressSink.h"

#include "cli/CliCommand.h"

namespace mendor::cli {

void CliProgressSink::status(const QString& text) {
    out() << text << Qt::endl;
}

} // namespace mendor::cli
