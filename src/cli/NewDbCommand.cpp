// mendor-cli new-db NAME: a new, empty catalog database copied from the template.
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunNewDb(const QCommandLineParser& parsed) {
    const QString name = parsed.positionalArguments().first();
    if (name.isEmpty())
        return usageError(QStringLiteral("new-db"), QStringLiteral("The name is empty."));
    CliPrompter prompter;
    return NewDatabase(name, prompter) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "new-db",
    .synopsis = "NAME",
    .summary = "create an empty database in the data folder",
    .arguments = {{"NAME", "the new database's name (its file is NAME.mdb)"}},
    .handler = RunNewDb,
});

} // namespace

} // namespace mendor::cli
