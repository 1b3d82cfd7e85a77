// mendor-cli describe-volume DB NAME TEXT: stores TEXT as the volume's description (an empty
// TEXT deletes it).
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "store/VolumeMaintenance.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunDescribeVolume(const QCommandLineParser& parsed) {
    const QStringList arguments = parsed.positionalArguments();
    const std::optional<QString> key = volumeKeyByName(arguments.at(0), arguments.at(1));
    if (!key)
        return kExitFailed;
    CliPrompter prompter;
    prompter.addInputAnswer(arguments.at(2));
    return DescribeVolume(*key, arguments.at(1), prompter) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "describe-volume",
    .synopsis = "DB NAME TEXT",
    .summary = "set the description of a volume",
    .arguments = {{"DB", "the database"},
                  {"NAME", "the volume"},
                  {"TEXT", "the description; empty deletes it"}},
    .handler = RunDescribeVolume,
});

} // namespace

} // namespace mendor::cli
