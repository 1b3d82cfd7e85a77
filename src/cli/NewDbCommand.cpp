// mendor-cli new-db NAME: a new, empty catalog database copied from the template.
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
        return NewDatabase(arguments.first(), prompter) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("new-db", "NAME", runNewDb);

} // namespace

} // namespace mendor::cli
