// mendor-cli copy DB VOLUME PATH... --to DIR [--drive E:] [--overwrite|--no-overwrite]: copies
// catalogued items back from their volume, as "Copy item(s) to a new location..." does. Each
// PATH is written as the catalog shows it (\docs\a.txt); an item not found where it was
// catalogued is looked for on the --drive given.
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/CliRetrieval.h"
#include "platform/DriveTable.h"
#include "shell/Flags.h"

#include <csignal>
#include <QFileInfo>

namespace mendor::cli {
namespace {

extern "C" void RequestCopyAbort(int) {
    gAbort.store(kFlagSet);
}

/// Takes "--option VALUE" out of arguments; false when the value is missing.
bool TakeOption(QStringList& arguments, const QString& option, std::optional<QString>& value) {
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return true;
    if (at + 1 >= arguments.size())
        return false;
    value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return true;
}

int RunCopy(const QStringList& given) {
    QStringList arguments = given;
    std::optional<QString> to;
    std::optional<QString> driveText;
    if (!TakeOption(arguments, QStringLiteral("--to"), to) ||
        !TakeOption(arguments, QStringLiteral("--drive"), driveText))
        return usageError("copy");
    const bool overwrite = takeFlag(arguments, QStringLiteral("--overwrite"));
    const bool keep = takeFlag(arguments, QStringLiteral("--no-overwrite"));
    const std::optional<QString> drive = driveText ? DriveArgument(*driveText) : std::nullopt;
    if (!to || arguments.size() < 3 || (driveText && !drive) || (overwrite && keep))
        return usageError("copy");
    if (!QFileInfo(*to).isDir())
        return fail(QStringLiteral("The folder %1 does not exist.").arg(*to));

    std::vector<RetrieveItem> items;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const std::optional<RetrieveItem> item =
            CataloguedItemArgument(arguments[0], arguments[1], arguments[i]);
        if (!item)
            return 1;
        items.push_back(*item);
    }

    OptionDriveChooser chooser(drive);
    ItemFinder finder([] { return DriveTable::load(); }, chooser);
    TerminalCopyRunner runner(overwrite ? ReplacePolicy::All
                              : keep    ? ReplacePolicy::None
                                        : ReplacePolicy::Ask);
    CliPrompter prompter;
    struct sigaction action {};
    action.sa_handler = RequestCopyAbort;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    const CopyCommandResult result =
        CopyItemsTo(items, QFileInfo(*to).absoluteFilePath(), finder, runner, prompter);
    signal(SIGINT, SIG_DFL);
    if (isAbortRequested())
        return 130;
    return result.promptCancelled || result.aborted || result.failed ? 1 : 0;
}

const CliCommandRegistrar
    registrar("copy", "DB VOLUME PATH... --to DIR [--drive E:] [--overwrite|--no-overwrite]", RunCopy);

} // namespace
} // namespace mendor::cli
