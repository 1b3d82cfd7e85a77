// mendor-cli compact [NAME]: repairs and compacts one database, or every database of the data
// folder. Exits non-zero when any database could not be compacted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliProgressSink.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"

namespace mendor::cli {

namespace {

int runCompact(const QStringList& arguments) {
    if (arguments.size() > 1)
        return usageError("compact");
    return runCommand([&] {
        CliPrompter prompter;
        CliProgressSink sink;
        if (arguments.isEmpty()) {
            CompactAllDatabases(prompter, sink);
            return prompter.messageCount() == 0 ? 0 : 1;
        }
        if (!existingDatabase(arguments.first()))
            return 1;
        return CompactDatabaseFile(DatabaseKey(arguments.first()), prompter, sink) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("compact", "[NAME]", runCompact);

} // namespace

} // namespace mendor::cli
