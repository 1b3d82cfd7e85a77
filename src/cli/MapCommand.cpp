// mendor-cli map E: PATH | map --remove E: — the user's own drive letters ("Drives" section of
// the settings file), which win over the automatic ones.
#include "cli/CliCommand.h"
#include "shell/ProfileFile.h"
#include "shell/Settings.h"

#include <QCommandLineParser>
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

int RunMap(const QCommandLineParser& parsed) {
    const QString command = QStringLiteral("map");
    const QStringList arguments = parsed.positionalArguments();
    const bool remove = parsed.isSet(QStringLiteral("remove"));
    if (arguments.size() != (remove ? 1 : 2))
        return usageError(command, remove ? QStringLiteral("--remove takes the drive letter alone.")
                                          : QStringLiteral("Missing argument PATH."));
    const QChar letter = LetterOf(arguments[0]);
    if (letter.isNull())
        return usageError(command, QStringLiteral("'%1' is not a drive letter.").arg(arguments[0]));
    ProfileFile settings(SettingsFilePath());

    if (remove) {
        const bool mapped =
            !settings.readString(kDrivesSection, QString(letter) + QLatin1Char(':'), QString()).isEmpty() ||
            !settings.readString(kDrivesSection, QString(letter), QString()).isEmpty();
        if (!mapped)
            return fail(QStringLiteral("%1: is not mapped.").arg(letter));
        // Both spellings of the key are read, so neither may be left behind.
        bool ok = settings.writeString(kDrivesSection, QString(letter) + QLatin1Char(':'), QString());
        if (!settings.readString(kDrivesSection, QString(letter), QString()).isEmpty())
            ok = settings.writeString(kDrivesSection, QString(letter), QString()) && ok;
        return ok ? kExitDone : fail(QStringLiteral("Cannot write %1.").arg(settings.errorString()));
    }

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
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "map",
    .synopsis = "E: PATH\n--remove E:",
    .summary = "give a drive letter to a folder, or take it back",
    .options = {{{"remove"}, {}, "take the letter back"}},
    .arguments = {{"E:", "the drive letter"}, {"PATH", "the folder the letter stands for", true}},
    .handler = RunMap,
});

} // namespace
} // namespace mendor::cli
