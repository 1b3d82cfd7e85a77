// mendor-cli new-db NAME: a new, empty catalog database copied from the template. Characters a
// database name cannot hold are dropped, as the desktop's name prompt drops them.
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"

namespace mendor::cli {

namespace {

int runNewDb(const QStringList& arguments) {
    if (arguments.size() != 1 || arguments.first().isEmpty())
        return usageError("new-db");
    return runCommand([&] {
        CliPrompter prompter;
        const QString created = NewDatabase(arguments.first(), prompter);
        if (created.isEmpty())
            return prompter.messageCount() > 0
                       ? 1
                       : fail(QStringLiteral("%1 holds no character a database name can have; nothing was "
                                             "created.")
                                  .arg(arguments.first()));
        if (created != arguments.first())
            err() << QStringLiteral("Created the database %1.").arg(created) << Qt::endl;
        return 0;
    });
}

const CliCommandRegistrar registrar("new-db", "NAME", runNewDb);

} // namespace

} // namespace mendor::cli
