#pragma once
// Runs one command: parses the words after its name, answers --help and usage errors, loads the
// settings, and calls the handler with Ctrl-C and failures turned into exit codes.
#include "cli/CliCommand.h"

namespace mendor::cli {

/// The exit code.
int RunCommand(const CliCommand& command, const QStringList& arguments);

} // namespace mendor::cli
