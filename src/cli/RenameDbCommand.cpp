// mendor-cli rename-db OLD NEW: renames a database file, unless someone else has it open.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunRenameDb(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    if (arguments.at(1).isEmpty())
        return usageError(QStringLiteral("rename-db"), QStringLiteral("The new name is empty."));
    if (arguments.at(1) == arguments.at(0))
        return fail(QStringLiteral("The database %1 already has that name.").arg(arguments.at(0)));
    if (!existingDatabase(arguments.at(0)))
        return kExitFailed;
    CliPrompter prompter;
    return RenameDatabase(arguments.at(0), arguments.at(1), prompter) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "rename-db",
    .synopsis = "OLD NEW",
    .summary = "rename a database",
    .arguments = {{"OLD", "the database"}, {"NEW", "its new name"}},
    .handler = RunRenameDb,
});

} // namespace

} // namespace mendor::cli
