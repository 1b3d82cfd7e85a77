#pragma once
// The help texts of mendor-cli: the program's and each command's.
#include "cli/CliCommand.h"

namespace mendor::cli {

/// The options before the command's name: --home DIR, -h/--help, -V/--version.
QList<CliOption> GlobalOptions();

/// -h/--help, which every command takes as well.
CliOption HelpOption();

/// "usage: mendor-cli [--home DIR] NAME SYNOPSIS", one line per form of the command.
QString CommandUsage(const CliCommand& command);

/// The usage, summary, arguments, options and exit codes of command.
QString CommandHelp(const CliCommand& command);

/// The usage lines of the program itself.
QString ProgramUsage();

/// The program's usage and global options, every command with its summary, and the exit codes.
QString ProgramHelp();

} // namespace mendor::cli
