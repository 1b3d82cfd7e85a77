// mendor-cli rename-volume DB OLD NEW: gives a volume another display name.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunRenameVolume(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    if (arguments.at(2).isEmpty())
        return usageError(QStringLiteral("rename-volume"), QStringLiteral("The new name is empty."));
    if (arguments.at(2) == arguments.at(1))
        return fail(QStringLiteral("The volume %1 already has that name.").arg(arguments.at(1)));
    const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
    if (!key)
        return kExitFailed;
    CliPrompter prompter;
    return RenameVolume(*key, arguments.at(2), prompter) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "rename-volume",
    .synopsis = "DB OLD NEW",
    .summary = "rename a volume",
    .arguments = {{"DB", "the database"}, {"OLD", "the volume"}, {"NEW", "its new name"}},
    .handler = RunRenameVolume,
});

} // namespace

} // namespace mendor::cli
