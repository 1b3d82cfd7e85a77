// mendor-cli delete-db NAME --yes: deletes a database with all of its volumes. Without --yes the
// confirmation stays unanswered and nothing is deleted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"

namespace mendor::cli {

namespace {

int runDeleteDb(const QStringList& given) {
    QStringList arguments = given;
    const bool yes = takeFlag(arguments, QStringLiteral("--yes"));
    if (arguments.size() != 1)
        return usageError("delete-db");
    return runCommand([&] {
        if (!existingDatabase(arguments.first()))
            return 1;
        CliPrompter prompter;
        prompter.assumeYes(yes);
        return DeleteDatabase(DatabaseKey(arguments.first()), prompter) == 1 ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("delete-db", "NAME --yes", runDeleteDb);

} // namespace

} // namespace mendor::cli
