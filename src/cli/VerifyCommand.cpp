// mendor-cli verify E: --db NAME: the medium in a drive compared with its catalog, one line per
// difference; exit 0 when the medium matches, 1 when it differs.
#include "catalog/VolumeIdentification.h"
#include "catalog/VolumeVerification.h"
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/TerminalProgress.h"
#include "platform/DriveTable.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace mendor::cli {
namespace {

/// Answers the question for a medium's typed name with --identity.
class VerifyPrompter : public CliPrompter {
public:
    explicit VerifyPrompter(std::optional<QString> identity) : identity_(std::move(identity)) {}

    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString&) override {
        if (title != kIdentifyTitle || !identity_)
            throw UnansweredPrompt(prompt, QStringLiteral("give --identity TEXT"));
        return identity_;
    }

private:
    std::optional<QString> identity_;
};

int RunVerify(const QCommandLineParser& parsed) {
    const QString command = QStringLiteral("verify");
    if (!parsed.isSet(QStringLiteral("db")))
        return usageError(command, QStringLiteral("The option --db is required."));
    const QString driveText = parsed.positionalArguments().first();
    static const QRegularExpression driveName(QStringLiteral("^([A-Za-z]):$"));
    const QRegularExpressionMatch drive = driveName.match(driveText);
    if (!drive.hasMatch())
        return usageError(command, QStringLiteral("'%1' is not a drive letter.").arg(driveText));
    const std::optional<QString> file = existingDatabase(parsed.value(QStringLiteral("db")));
    if (!file)
        return kExitFailed;
    const auto info = DriveTable::load().drive(drive.captured(1).at(0).toUpper());
    if (!info)
        return fail(QStringLiteral("The drive %1 is not known.").arg(driveText.toUpper()));

    const DriveMedium medium(*info);
    VerifyPrompter prompter(parsed.isSet(QStringLiteral("identity"))
                                ? std::optional(parsed.value(QStringLiteral("identity")))
                                : std::nullopt);
    VerifyOutcome outcome;
    {
        TerminalProgress progress;
        outcome = VerifyVolume(QFileInfo(*file).completeBaseName(), medium, prompter, progress);
    }
    switch (outcome.end) {
    case VerifyEnd::Compared:
        break;
    case VerifyEnd::Aborted:
        err() << outcome.message << Qt::endl;
        return kExitAborted;
    default:
        return fail(outcome.message);
    }
    for (const FileDifference& difference : outcome.comparison.differences)
        out() << DifferenceText(difference) << '\n';
    out().flush();
    err() << ComparisonSummary(outcome) << Qt::endl;
    return outcome.comparison.differences.empty() ? kExitDone : kExitFailed;
}

const CliCommandRegistrar registrar({
    .name = "verify",
    .synopsis = "E: --db NAME [--identity TEXT]",
    .summary = "compare the medium in a drive with its catalog, changing neither",
    .options =
        {
            {{"db"}, "NAME", "the database that holds the medium's catalog"},
            {{"identity"},
             "TEXT",
             "the name typed when a medium without marker or serial number was catalogued"},
        },
    .arguments = {{"E:", "the drive letter of the medium"}},
    .handler = RunVerify,
    .abortable = true,
});

} // namespace
} // namespace mendor::cli
