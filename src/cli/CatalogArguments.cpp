#include "cli/CatalogArguments.h"

#include "cli/CliCommand.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"
#include "store/VolumeMaintenance.h"

#include <QFileInfo>

namespace mendor::cli {

std::optional<QString> existingDatabase(const QString& name) {
    const QString path = DatabasePath(name);
    if (name.isEmpty() || !QFileInfo(path).isFile()) {
        fail(QStringLiteral("The database %1 does not exist.").arg(name));
        return std::nullopt;
    }
    return path;
}

std::optional<QString> volumeKeyByName(const QString& databaseName, const QString& volumeName) {
    const std::optional<QString> path = existingDatabase(databaseName);
    if (!path)
        return std::nullopt;
    const std::optional<QString> t = VolumeTableByName(*path, volumeName);
    if (!t) {
        fail(QStringLiteral("The database %1 has no volume %2.").arg(databaseName, volumeName));
        return std::nullopt;
    }
    return VolumeKey(databaseName, *t);
}

} // namespace mendor::cli
