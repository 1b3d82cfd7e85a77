// mendor-cli describe-volume DB NAME TEXT: stores TEXT as the volume's description (an empty
// TEXT deletes it).
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

namespace mendor::cli {

namespace {

int runDescribeVolume(const QStringList& arguments) {
    if (arguments.size() != 3)
        return usageError("describe-volume");
    return runCommand([&] {
        const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
        if (!key)
            return 1;
        CliPrompter prompter;
        prompter.addInputAnswer(arguments.at(2));
        return DescribeVolume(*key, arguments.at(1), prompter) ? 0 : 1;
    });
}

const CliCommandRegistrar registrar("describe-volume", "DB NAME TEXT", runDescribeVolume);

} // namespace

} // namespace mendor::cli
