// mendor-cli new-db NAME: a new, empty catalog database copied from the template. Characters a
// database name cannot hold are dropped, as the desktop's name prompt drops them.
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
    const QString created = NewDatabase(name, prompter);
    if (created.isEmpty())
        return prompter.messageCount() > 0
                   ? kExitFailed
                   : fail(QStringLiteral(
                              "%1 holds no character a database name can have; nothing was created.")
                              .arg(name));
    if (created != name)
        err() << QStringLiteral("Created the database %1.").arg(created) << Qt::endl;
    return kExitDone;
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
