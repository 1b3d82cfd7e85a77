// mendor-cli drives: the drive table as the catalog dialog sees it, one drive a line:
// letter, drive type number, label, serial (8 hex digits, empty when unreadable), local root.
#include "cli/CliCommand.h"
#include "platform/DriveTable.h"
#include "platform/VolumeInfo.h"

namespace mendor::cli {
namespace {

int RunDrives(const QStringList& arguments) {
    if (!arguments.isEmpty())
        return usageError("drives");
    const DriveTable table = DriveTable::load();
    for (const DriveInfo& drive : table.drives()) {
        const auto serial = VolumeSerialOf(drive);
        const QString serialText =
            serial ? QStringLiteral("%1").arg(*serial, 8, 16, QLatin1Char('0')).toUpper() : QString();
        out() << drive.name() << '\t' << static_cast<int>(DriveTypeOf(drive)) << '\t' << VolumeLabelOf(drive)
              << '\t' << serialText << '\t' << CurrentRootOf(drive) << '\n';
    }
    return 0;
}

const CliCommandRegistrar registrar("drives", "", RunDrives);

} // namespace
} // namespace mendor::cli
