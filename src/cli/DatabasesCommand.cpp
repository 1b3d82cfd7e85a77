// mendor-cli databases: one line per database file of the data folder, tab-separated: name,
// number of volumes, and "usable" or why the database cannot be used.
#include "cli/CliCommand.h"
#include "shell/Options.h"
#include "store/DatabaseList.h"

namespace mendor::cli {

namespace {

int runDatabases(const QStringList& arguments) {
    if (!arguments.isEmpty())
        return usageError("databases");
    for (const DatabaseInfo& database : ListDatabases(gDataPath))
        out() << database.name << '\t' << database.volumeCount << '\t'
              << (database.usable ? QStringLiteral("usable") : database.problem) << '\n';
    return 0;
}

const CliCommandRegistrar registrar("databases", "", runDatabases);

} // namespace

} // namespace mendor::cli
