// mendor-cli move-volume DB NAME TARGETDB: moves a volume into another database of the data
// folder; its name gets " (Copy k)" when the target already has a volume of that name.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliProgressSink.h"
#include "cli/CliPrompter.h"
#include "store/DatabaseLifecycle.h"
#include "store/VolumeMaintenance.h"

namespace mendor::cli {

namespace {

int runMoveVolume(const QStringList& arguments) {
    if (arguments.size() != 3)
        return usageError("move-volume");
    return runCommand([&] {
        const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
        if (!key)
            return 1;
        CliPrompter prompter;
        const QStringList targets = MoveTargetNames(*key, prompter);
        if (targets.isEmpty())
            return 1;
        if (!targets.contains(arguments.at(2)))
            return fail(QStringLiteral("The database %1 is not one this volume can be moved into.")
                            .arg(arguments.at(2)));
        CliProgressSink sink;
        const bool moved = MoveVolume(*key, DatabasePath(arguments.at(2)), prompter, sink);
        return moved && prompter.messageCount() == 0 ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("move-volume", "DB NAME TARGETDB", runMoveVolume);

} // namespace

} // namespace mendor::cli
