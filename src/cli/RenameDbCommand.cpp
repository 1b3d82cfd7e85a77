// mendor-cli rename-db OLD NEW: renames a database file, unless someone else has it open.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"

namespace mendor::cli {

namespace {

int runRenameDb(const QStringList& arguments) {
    if (arguments.size() != 2 || arguments.at(1).isEmpty())
        return usageError("rename-db");
    return runCommand([&] {
        if (!existingDatabase(arguments.at(0)))
            return 1;
        CliPrompter prompter;
        return RenameDatabase(arguments.at(0), arguments.at(1), prompter) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("rename-db", "OLD NEW", runRenameDb);

} // namespace

} // namespace mendor::cli
