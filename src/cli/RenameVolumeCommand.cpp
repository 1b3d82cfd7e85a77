// mendor-cli rename-volume DB OLD NEW: gives a volume another display name.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

namespace mendor::cli {

namespace {

int runRenameVolume(const QStringList& arguments) {
    if (arguments.size() != 3 || arguments.at(2).isEmpty())
        return usageError("rename-volume");
    return runCommand([&] {
        const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
        if (!key)
            return 1;
        CliPrompter prompter;
        return RenameVolume(*key, arguments.at(2), prompter) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("rename-volume", "DB OLD NEW", runRenameVolume);

} // namespace

} // namespace mendor::cli
