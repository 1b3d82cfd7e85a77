#include "shell/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace mendor {

namespace {

QString& installOverride() {
    static QString folder;
    return folder;
}

QString& programOverride() {
    static QString folder;
    return folder;
}

QString executableFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

/// The data files of an installed copy: <prefix>/share/mendor-pro beside <prefix>/bin (the
/// install rules put them there); else the executable's own folder, as the build stages it.
QString dataFolderOf(const QString& executableFolder) {
    if (QFileInfo(executableFolder).fileName() == QLatin1String("bin")) {
        const QString installed = QDir::cleanPath(executableFolder + QStringLiteral("/../share/mendor-pro"));
        if (QFileInfo(installed + QStringLiteral("/template.qvt")).isFile())
            return installed;
    }
    return executableFolder;
}

QString perUserFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = base + QStringLiteral("/mendor-pro");
    QDir().mkpath(folder);
    return folder;
}

} // namespace

QString InstallFolder() {
    return installOverride().isEmpty() ? dataFolderOf(executableFolder()) : installOverride();
}

QString ProgramFolder() {
    if (!programOverride().isEmpty())
        return programOverride();
    const QString install = InstallFolder();
    // An installed copy lives in a folder its users cannot write to: settings and databases then
    // go to the per-user folder.
    if (::access(QFile::encodeName(install).constData(), W_OK) == 0)
        return install;
    return perUserFolder();
}

void SetInstallFolderOverride(const QString& folder) {
    installOverride() = folder;
}

void SetProgramFolderOverride(const QString& folder) {
    programOverride() = folder;
}

QString InstallFile(const QString& relativePath) {
    return InstallFolder() + QLatin1Char('/') + relativePath;
}

} // namespace mendor
