// mendor-cli delete-db NAME --yes: deletes a database with all of its volumes. Without --yes the
// confirmation stays unanswered and nothing is deleted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunDeleteDb(const QCommandLineParser& parsed) {
    const QString name = parsed.positionalArguments().first();
    if (!existingDatabase(name))
        return kExitFailed;
    CliPrompter prompter;
    prompter.assumeYes(parsed.isSet(QStringLiteral("yes")));
    return DeleteDatabase(DatabaseKey(name), prompter) == 1 ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "delete-db",
    .synopsis = "NAME --yes",
    .summary = "delete a database with all of its volumes",
    .options = {{{"yes"}, {}, "confirm the deletion"}},
    .arguments = {{"NAME", "the database"}},
    .handler = RunDeleteDb,
});

} // namespace

} // namespace mendor::cli
