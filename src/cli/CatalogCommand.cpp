// mendor-cli catalog E: --db NAME ...: the catalog run of the catalog dialog, with the dialog's
// check boxes as options (their defaults from the settings file, as the dialog starts) and the
// prompts answered from the command line.
#include "catalog/CatalogRun.h"
#include "catalog/VolumeIdentification.h"
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/TerminalProgress.h"
#include "platform/DriveTable.h"
#include "shell/Options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace mendor::cli {
namespace {

const QString kNameTitle = QStringLiteral("Volume Description");
const QString kNamePrompt = QStringLiteral("Enter a descriptive name for this volume...");

/// Answers the name prompt with --name (else the drive's label it suggests) and the identify
/// prompt with --identity. Asked a second time for a name (the first was taken) or for an
/// identity nobody gave, it stops the command.
class CatalogPrompter : public CliPrompter {
public:
    CatalogPrompter(std::optional<QString> name, std::optional<QString> identity)
        : name_(std::move(name)), identity_(std::move(identity)) {}

    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override {
        if (title == kIdentifyTitle) {
            if (!identity_)
                throw UnansweredPrompt(prompt, QStringLiteral("give --identity TEXT"));
            return identity_;
        }
        if (title == kNameTitle && prompt == kNamePrompt)
            return name_ ? *name_ : defaultText;
        throw UnansweredPrompt(prompt, QStringLiteral("give another --name"));
    }

private:
    std::optional<QString> name_;
    std::optional<QString> identity_;
};

/// The last of a pair of switches given wins; neither leaves value as it is.
void applySwitch(const QCommandLineParser& parsed, const QString& on, const QString& off, bool& value) {
    const QStringList given = parsed.optionNames();
    const qsizetype onAt = given.lastIndexOf(on);
    const qsizetype offAt = given.lastIndexOf(off);
    if (onAt >= 0 || offAt >= 0)
        value = onAt > offAt;
}

std::optional<QString> optionalValue(const QCommandLineParser& parsed, const QString& name) {
    return parsed.isSet(name) ? std::optional(parsed.value(name)) : std::nullopt;
}

int RunCatalog(const QCommandLineParser& parsed) {
    if (!parsed.isSet(QStringLiteral("db")))
        return usageError(QStringLiteral("catalog"), QStringLiteral("The option --db is required."));
    const QString database = parsed.value(QStringLiteral("db"));
    const QString driveText = parsed.positionalArguments().first();
    static const QRegularExpression driveName(QStringLiteral("^([A-Za-z]):$"));
    const QRegularExpressionMatch drive = driveName.match(driveText);
    if (!drive.hasMatch())
        return usageError(QStringLiteral("catalog"),
                          QStringLiteral("'%1' is not a drive letter.").arg(driveText));

    CatalogRunOptions options;
    options.clearDescriptions = oClearDesc != 0;
    options.eject = oEject != 0;
    options.scan.zipAsFolders = oZIPasFolder != 0;
    options.scan.readDescriptIon = oCheckDesc != 0;
    options.scan.checksums = oChecksums != 0;
    options.scan.otherArchives = oOtherArchives != 0;
    applySwitch(parsed, QStringLiteral("checksums"), QStringLiteral("no-checksums"), options.scan.checksums);
    applySwitch(parsed, QStringLiteral("archives"), QStringLiteral("no-archives"),
                options.scan.otherArchives);
    applySwitch(parsed, QStringLiteral("zip"), QStringLiteral("no-zip"), options.scan.zipAsFolders);
    applySwitch(parsed, QStringLiteral("descript"), QStringLiteral("no-descript"),
                options.scan.readDescriptIon);
    applySwitch(parsed, QStringLiteral("clear-descriptions"), QStringLiteral("keep-descriptions"),
                options.clearDescriptions);
    applySwitch(parsed, QStringLiteral("eject"), QStringLiteral("no-eject"), options.eject);

    if (!existingDatabase(database))
        return kExitFailed;
    const auto info = DriveTable::load().drive(drive.captured(1).at(0).toUpper());
    if (!info)
        return fail(QStringLiteral("The drive %1 is not known.").arg(driveText.toUpper()));

    const DriveMedium medium(*info);
    CatalogPrompter prompter(optionalValue(parsed, QStringLiteral("name")),
                             optionalValue(parsed, QStringLiteral("identity")));
    CatalogRunOutcome outcome;
    {
        TerminalProgress progress;
        CatalogRun run(database, medium, options, prompter, progress);
        outcome = run.run();
    }
    out() << LastCatalogRunStatus() << Qt::endl;
    switch (outcome) {
    case CatalogRunOutcome::Completed:
        return kExitDone;
    case CatalogRunOutcome::Aborted:
        return kExitAborted;
    case CatalogRunOutcome::Stopped:
    case CatalogRunOutcome::Failed:
        break;
    }
    return kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "catalog",
    .synopsis = "E: --db NAME [OPTIONS]",
    .summary = "catalog the volume in a drive into a database",
    .options =
        {
            {{"db"}, "NAME", "the database to catalog into (its file name without .mdb)"},
            {{"name"}, "TEXT", "the name of a new volume (default: the drive's label)"},
            {{"identity"},
             "TEXT",
             "what identifies a volume that has no serial number and cannot take a marker file"},
            {{"zip"}, {}, "catalog ZIP archives as folders"},
            {{"no-zip"}, {}, "catalog ZIP archives as files"},
            {{"descript"}, {}, "read descriptions from descript.ion files"},
            {{"no-descript"}, {}, "do not read descript.ion files"},
            {{"checksums"}, {}, "read every file for its content checksum (slower)"},
            {{"no-checksums"}, {}, "no checksums"},
            {{"archives"}, {}, "catalog tar, 7z, rar, ISO and cpio archives as folders"},
            {{"no-archives"}, {}, "catalog those archives as files"},
            {{"clear-descriptions"}, {}, "drop the descriptions of a volume catalogued again"},
            {{"keep-descriptions"}, {}, "keep the descriptions of a volume catalogued again"},
            {{"eject"}, {}, "eject the medium at the end"},
            {{"no-eject"}, {}, "leave the medium in the drive"},
        },
    .arguments = {{"E:",
                   "the drive letter (see 'mendor-cli drives'; 'mendor-cli map' gives one to a folder)"}},
    .handler = RunCatalog,
    .abortable = true,
});

} // namespace
} // namespace mendor::cli
