// mendor-cli locate DB VOLUME PATH [--drive E:] [--json]: where a catalogued item is now. Prints
// its local path when it is where it was catalogued (or on the --drive given), else says that
// its volume is not inserted and exits 1.
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/CliRetrieval.h"
#include "platform/DriveTable.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace mendor::cli {
namespace {

int RunLocate(const QStringList& given) {
    QStringList arguments = given;
    const bool json = takeFlag(arguments, QStringLiteral("--json"));
    std::optional<QString> drive;
    const qsizetype at = arguments.indexOf(QStringLiteral("--drive"));
    if (at >= 0) {
        drive = at + 1 < arguments.size() ? DriveArgument(arguments.at(at + 1)) : std::nullopt;
        if (!drive)
            return usageError("locate");
        arguments.remove(at, 2);
    }
    if (arguments.size() != 3)
        return usageError("locate");
    const std::optional<RetrieveItem> item = CataloguedItemArgument(arguments[0], arguments[1], arguments[2]);
    if (!item)
        return 1;

    const DriveTable drives = DriveTable::load();
    QString where = item->sourcePath;
    std::optional<MediumPath> found = LookUpItem(drives, where, item->isFolder);
    if (!found && drive) {
        where = OnDrive(where, *drive);
        found = LookUpItem(drives, where, item->isFolder);
    }
    if (!found)
        return fail(QStringLiteral("The volume is not inserted: %1 is not there.").arg(item->sourcePath));
    if (json) {
        const QJsonObject object{{QStringLiteral("catalogued"), item->sourcePath},
                                 {QStringLiteral("found"), where},
                                 {QStringLiteral("path"), found->displayPath()}};
        out() << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    } else {
        out() << found->displayPath() << '\n';
    }
    return 0;
}

const CliCommandRegistrar registrar("locate", "DB VOLUME PATH [--drive E:] [--json]", RunLocate);

} // namespace
} // namespace mendor::cli
