// mendor-cli move-volume DB NAME TARGETDB: moves a volume into another database of the data
// folder; its name gets " (Copy k)" when the target already has a volume of that name.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/TerminalProgress.h"
#include "store/DatabaseLifecycle.h"
#include "store/VolumeMaintenance.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunMoveVolume(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
    if (!key)
        return kExitFailed;
    CliPrompter prompter;
    const QStringList targets = MoveTargetNames(*key, prompter);
    if (targets.isEmpty())
        return kExitFailed;
    if (!targets.contains(arguments.at(2)))
        return fail(
            QStringLiteral("The database %1 is not one this volume can be moved into.").arg(arguments.at(2)));
    TerminalProgress progress;
    const bool moved = MoveVolume(*key, DatabasePath(arguments.at(2)), prompter, progress);
    return moved && prompter.messageCount() == 0 ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "move-volume",
    .synopsis = "DB NAME TARGETDB",
    .summary = "move a volume into another database",
    .arguments = {{"DB", "the database"},
                  {"NAME", "the volume"},
                  {"TARGETDB", "the database to move it into"}},
    .handler = RunMoveVolume,
});

} // namespace

} // namespace mendor::cli
