#pragma once
// The commands of mendor-cli. Each command lives in its own file and registers itself with a
// static CliCommandRegistrar; main() parses the global options, loads the settings and
// dispatches.
#include <QStringList>
#include <QTextStream>

namespace mendor::cli {

/// Standard output and standard error, UTF-8.
QTextStream& out();
QTextStream& err();

/// Runs a command with its arguments (the command name removed); returns the exit code.
using CliHandler = int (*)(const QStringList& arguments);

struct CliCommandRegistrar {
    CliCommandRegistrar(const char* name, const char* usage, CliHandler handler);
};

/// Prints an error on standard error and returns 1.
int fail(const QString& message);

/// Prints the command's usage line on standard error and returns 2.
int usageError(const char* name);

} // namespace mendor::cli
