// mendor-cli compact [NAME]: repairs and compacts one database, or every database of the data
// folder. Exits non-zero when any database could not be compacted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/TerminalProgress.h"
#include "shell/DataFolder.h"
#include "shell/Options.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunCompact(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    CliPrompter prompter;
    TerminalProgress progress;
    if (arguments.isEmpty()) {
        const qsizetype all = DatabaseFileNames(gDataPath).size();
        if (all == 0)
            return fail(QStringLiteral("There are no databases to compact."));
        const bool everyOne = CompactAllDatabases(prompter, progress) == all;
        return everyOne && prompter.messageCount() == 0 ? kExitDone : kExitFailed;
    }
    if (!existingDatabase(arguments.first()))
        return kExitFailed;
    return CompactDatabaseFile(DatabaseKey(arguments.first()), prompter, progress) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "compact",
    .synopsis = "[NAME]",
    .summary = "repair and compact a database, or every database of the data folder",
    .arguments = {{"NAME", "the database (default: all of them)", true}},
    .handler = RunCompact,
    .abortable = true,
});

} // namespace

} // namespace mendor::cli
