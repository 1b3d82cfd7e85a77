// mendor-cli delete-volume DB NAME --yes: removes a volume from its database. Without --yes the
// confirmation stays unanswered and nothing is deleted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunDeleteVolume(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
    if (!key)
        return kExitFailed;
    CliPrompter prompter;
    prompter.assumeYes(parsed.isSet(QStringLiteral("yes")));
    return DeleteVolume(*key, prompter) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "delete-volume",
    .synopsis = "DB NAME --yes",
    .summary = "delete a volume from its database",
    .options = {{{"yes"}, {}, "confirm the deletion"}},
    .arguments = {{"DB", "the database"}, {"NAME", "the volume"}},
    .handler = RunDeleteVolume,
});

} // namespace

} // namespace mendor::cli
