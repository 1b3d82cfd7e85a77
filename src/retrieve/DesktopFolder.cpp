#include "retrieve/DesktopFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace mendor {

std::optional<QString> DesktopFolder(Prompter& prompter) {
    const QString folder = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        prompter.message(QStringLiteral("The desktop folder %1 cannot be created.").arg(folder));
        return std::nullopt;
    }
    return folder;
}

} // namespace mendor
