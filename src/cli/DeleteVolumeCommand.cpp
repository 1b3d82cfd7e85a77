// mendor-cli delete-volume DB NAME --yes: removes a volume from its database. Without --yes the
// confirmation stays unanswered and nothing is deleted.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

namespace mendor::cli {

namespace {

int runDeleteVolume(const QStringList& given) {
    QStringList arguments = given;
    const bool yes = takeFlag(arguments, QStringLiteral("--yes"));
    if (arguments.size() != 2)
        return usageError("delete-volume");
    return runCommand([&] {
        const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
        if (!key)
            return 1;
        CliPrompter prompter;
        prompter.assumeYes(yes);
        return DeleteVolume(*key, prompter) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("delete-volume", "DB NAME --yes", runDeleteVolume);

} // namespace

} // namespace mendor::cli
