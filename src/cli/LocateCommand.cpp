// mendor-cli locate DB VOLUME PATH: where a catalogued item is now. Prints its local path when it
// is where it was catalogued (or on the --drive given); otherwise says that its volume is not
// inserted.
#include "cli/CliCommand.h"
#include "cli/CliRetrieval.h"
#include "platform/DriveTable.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace mendor::cli {
namespace {

int RunLocate(const QCommandLineParser& parsed) {
    std::optional<QString> drive;
    if (parsed.isSet(QStringLiteral("drive"))) {
        drive = DriveArgument(parsed.value(QStringLiteral("drive")));
        if (!drive)
            return usageError(
                QStringLiteral("locate"),
                QStringLiteral("'%1' is not a drive letter.").arg(parsed.value(QStringLiteral("drive"))));
    }
    const QStringList arguments = parsed.positionalArguments();
    const std::optional<RetrieveItem> item = CataloguedItemArgument(arguments[0], arguments[1], arguments[2]);
    if (!item)
        return kExitFailed;

    const DriveTable drives = DriveTable::load();
    QString where = item->sourcePath;
    std::optional<MediumPath> found = LookUpItem(drives, where, item->isFolder);
    if (!found && drive) {
        where = OnDrive(where, *drive);
        found = LookUpItem(drives, where, item->isFolder);
    }
    if (!found)
        return fail(QStringLiteral("The volume is not inserted: %1 is not there.").arg(item->sourcePath));
    if (parsed.isSet(QStringLiteral("json")))
        printJson({QJsonObject{{QStringLiteral("catalogued"), item->sourcePath},
                               {QStringLiteral("found"), where},
                               {QStringLiteral("path"), found->displayPath()}}});
    else
        out() << found->displayPath() << '\n';
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "locate",
    .synopsis = "[--json] [--drive E:] DB VOLUME PATH",
    .summary = "tell where a catalogued item is now, or that its volume is not inserted",
    .options = {JsonOption(), {{"drive"}, "E:", "look on this drive too"}},
    .arguments = {{"DB", "the database: its file name without .mdb"},
                  {"VOLUME", "the volume's name"},
                  {"PATH", "an item as the catalog shows it, such as \\docs\\a.txt"}},
    .handler = RunLocate,
});

} // namespace
} // namespace mendor::cli
