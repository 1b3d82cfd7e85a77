// mendor-cli copy DB VOLUME PATH... --to DIR: copies catalogued items back from their volume, as
// "Copy item(s) to a new location..." does. Each PATH is written as the catalog shows it
// (\docs\a.txt); an item not found where it was catalogued is looked for on the --drive given.
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/CliRetrieval.h"
#include "platform/DriveTable.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace mendor::cli {
namespace {

int RunCopy(const QCommandLineParser& parsed) {
    const QString command = QStringLiteral("copy");
    if (!parsed.isSet(QStringLiteral("to")))
        return usageError(command, QStringLiteral("The option --to is required."));
    const bool overwrite = parsed.isSet(QStringLiteral("overwrite"));
    const bool keep = parsed.isSet(QStringLiteral("no-overwrite"));
    if (overwrite && keep)
        return usageError(command, QStringLiteral("--overwrite and --no-overwrite exclude each other."));
    std::optional<QString> drive;
    if (parsed.isSet(QStringLiteral("drive"))) {
        drive = DriveArgument(parsed.value(QStringLiteral("drive")));
        if (!drive)
            return usageError(
                command,
                QStringLiteral("'%1' is not a drive letter.").arg(parsed.value(QStringLiteral("drive"))));
    }
    const QFileInfo to(parsed.value(QStringLiteral("to")));
    if (!to.isDir())
        return fail(QStringLiteral("The folder %1 does not exist.").arg(to.filePath()));

    const QStringList arguments = parsed.positionalArguments();
    std::vector<RetrieveItem> items;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const std::optional<RetrieveItem> item =
            CataloguedItemArgument(arguments[0], arguments[1], arguments[i]);
        if (!item)
            return kExitFailed;
        items.push_back(*item);
    }

    OptionDriveChooser chooser(drive);
    ItemFinder finder([] { return DriveTable::load(); }, chooser);
    TerminalCopyRunner runner(overwrite ? ReplacePolicy::All
                              : keep    ? ReplacePolicy::None
                                        : ReplacePolicy::Ask);
    CliPrompter prompter;
    const CopyCommandResult result = CopyItemsTo(items, to.absoluteFilePath(), finder, runner, prompter);
    if (result.promptCancelled || result.aborted || result.failed)
        return kExitFailed;
    if (runner.changedNothing())
        return fail(
            QStringLiteral("Nothing was copied: every file is already in %1.").arg(to.absoluteFilePath()));
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "copy",
    .synopsis = "DB VOLUME PATH... --to DIR [--drive E:] [--overwrite|--no-overwrite]",
    .summary = "copy catalogued items back from their volume into a folder",
    .options =
        {
            {{"to"}, "DIR", "the folder to copy into"},
            {{"drive"}, "E:", "the drive that holds the volume now, when it is not where it was catalogued"},
            {{"overwrite"}, {}, "replace files of the same name in DIR"},
            {{"no-overwrite"}, {}, "leave files of the same name in DIR as they are"},
        },
    .arguments = {{"DB", "the database: its file name without .mdb"},
                  {"VOLUME", "the volume's name"},
                  {"PATH", "an item as the catalog shows it, such as \\docs\\a.txt", false, true}},
    .handler = RunCopy,
    .abortable = true,
});

} // namespace
} // namespace mendor::cli
