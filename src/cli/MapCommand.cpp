// mendor-cli map E: PATH | map --remove E: — the user's own drive letters ("Drives" section of
// the settings file), which win over the automatic ones.
#include "cli/CliCommand.h"
#include "shell/ProfileFile.h"
#include "shell/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace mendor::cli {
namespace {

const QString kDrivesSection = QStringLiteral("Drives");

/// "E:" or "e" -> 'E'; a null QChar for anything else.
QChar LetterOf(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z]):?$"));
    const auto match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).at(0).toUpper() : QChar();
}

int RunMap(const QStringList& arguments) {
    if (arguments.size() != 2)
        return usageError("map");
    ProfileFile settings(SettingsFilePath());

    if (arguments[0] == QLatin1String("--remove")) {
        const QChar letter = LetterOf(arguments[1]);
        if (letter.isNull())
            return usageError("map");
        // Both spellings of the key are read, so neither may be left behind.
        bool ok = settings.writeString(kDrivesSection, QString(letter) + QLatin1Char(':'), QString());
        if (!settings.readString(kDrivesSection, QString(letter), QString()).isEmpty())
            ok = settings.writeString(kDrivesSection, QString(letter), QString()) && ok;
        return ok ? 0 : fail(QStringLiteral("Cannot write %1.").arg(settings.errorString()));
    }

    const QChar letter = LetterOf(arguments[0]);
    if (letter.isNull())
        return usageError("map");
    const QFileInfo folder(arguments[1]);
    if (!folder.isDir())
        return fail(QStringLiteral("The folder %1 does not exist.").arg(arguments[1]));
    const QString path = QDir::cleanPath(folder.absoluteFilePath());
    if (path.size() > ProfileFile::kMaxValueLength)
        return fail(QStringLiteral("The path %1 is longer than %2 characters.")
                        .arg(path)
                        .arg(ProfileFile::kMaxValueLength));
    if (!settings.writeString(kDrivesSection, QString(letter) + QLatin1Char(':'), path))
        return fail(QStringLiteral("Cannot write %1.").arg(settings.errorString()));
    return 0;
}

const CliCommandRegistrar registrar("map", "E: PATH | --remove E:", RunMap);

} // namespace
} // namespace mendor::cli
