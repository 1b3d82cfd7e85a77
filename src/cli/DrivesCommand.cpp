// mendor-cli drives: the drive table as the catalog dialog sees it, one drive a line:
// letter, drive type number, label, serial (8 hex digits, empty when unreadable), local root.
#include "cli/CliCommand.h"
#include "platform/DriveTable.h"
#include "platform/VolumeInfo.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace mendor::cli {
namespace {

int RunDrives(const QCommandLineParser& parsed) {
    const bool json = parsed.isSet(QStringLiteral("json"));
    QJsonArray rows;
    const DriveTable table = DriveTable::load();
    for (const DriveInfo& drive : table.drives()) {
        const auto serial = VolumeSerialOf(drive);
        const QString serialText =
            serial ? QStringLiteral("%1").arg(*serial, 8, 16, QLatin1Char('0')).toUpper() : QString();
        const int type = static_cast<int>(DriveTypeOf(drive));
        if (!json) {
            out() << drive.name() << '\t' << type << '\t' << VolumeLabelOf(drive) << '\t' << serialText
                  << '\t' << CurrentRootOf(drive) << '\n';
            continue;
        }
        rows.append(QJsonObject{
            {QStringLiteral("drive"), drive.name()},
            {QStringLiteral("type"), type},
            {QStringLiteral("label"), VolumeLabelOf(drive)},
            {QStringLiteral("serial"), serial ? QJsonValue(serialText) : QJsonValue()},
            {QStringLiteral("root"), CurrentRootOf(drive)},
        });
    }
    if (json)
        printJson(rows);
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "drives",
    .synopsis = "[--json]",
    .summary = "list the drives: letter, drive type, label, serial number, folder",
    .options = {JsonOption()},
    .handler = RunDrives,
});

} // namespace
} // namespace mendor::cli
