// mendor-cli help [COMMAND]: the program's help, or a command's.
#include "cli/CliCommand.h"
#include "cli/CliHelp.h"
#include "cli/CliRegistry.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunHelp(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    if (arguments.isEmpty()) {
        out() << ProgramHelp();
        return kExitDone;
    }
    const CliCommand* command = FindCommand(arguments.first());
    if (!command)
        return usageError(QStringLiteral("help"),
                          QStringLiteral("'%1' is not a command.").arg(arguments.first()));
    out() << CommandHelp(*command);
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "help",
    .synopsis = "[COMMAND]",
    .summary = "show the help of the program or of a command",
    .arguments = {{"COMMAND", "the command to explain", true}},
    .handler = RunHelp,
});

} // namespace

} // namespace mendor::cli
