// mendor-cli catalog E: --db NAME ...: the catalog run of the catalog dialog, with the dialog's
// check boxes as options (their defaults from the settings file, as the dialog starts) and the
// prompts answered from the command line.
#include "catalog/CatalogRun.h"
#include "catalog/VolumeIdentification.h"
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "platform/DriveTable.h"
#include "shell/Flags.h"
#include "shell/Options.h"

#include <csignal>
#include <QRegularExpression>
#include <unistd.h>

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

/// Status texts on one line of standard error, rewritten in place, when it is a terminal.
class TerminalView : public CatalogRunView {
public:
    TerminalView() : terminal_(isatty(STDERR_FILENO) == 1) {}
    ~TerminalView() override {
        if (shown_)
            err() << Qt::endl;
    }
    TerminalView(const TerminalView&) = delete;
    TerminalView& operator=(const TerminalView&) = delete;

    void status(const QString& text) override {
        if (!terminal_)
            return;
        err() << "\r\x1b[K" << text.left(150);
        err().flush();
        shown_ = true;
    }
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}

private:
    bool terminal_;
    bool shown_ = false;
};

extern "C" void RequestAbort(int) {
    gAbort.store(kFlagSet);
}

/// Ctrl-C aborts the run like the Abort button; a second one ends the program at once, which
/// the database survives as well (the run's transaction is never committed half-way).
void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestAbort;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

/// Takes "--option VALUE" out of arguments; false when the value is missing.
bool TakeValue(QStringList& arguments, const QString& option, std::optional<QString>& value) {
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return true;
    if (at + 1 >= arguments.size())
        return false;
    value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return true;
}

/// A pair of flags that switch one option on or off; the last one given wins.
void TakeSwitch(QStringList& arguments, const QString& on, const QString& off, bool& value) {
    const qsizetype onAt = arguments.lastIndexOf(on);
    const qsizetype offAt = arguments.lastIndexOf(off);
    if (onAt >= 0 || offAt >= 0)
        value = onAt > offAt;
    arguments.removeAll(on);
    arguments.removeAll(off);
}

int RunCatalog(const QStringList& given) {
    QStringList arguments = given;
    std::optional<QString> database;
    std::optional<QString> name;
    std::optional<QString> identity;
    if (!TakeValue(arguments, QStringLiteral("--db"), database) ||
        !TakeValue(arguments, QStringLiteral("--name"), name) ||
        !TakeValue(arguments, QStringLiteral("--identity"), identity))
        return usageError("catalog");

    CatalogRunOptions options;
    options.clearDescriptions = oClearDesc != 0;
    options.eject = oEject != 0;
    options.scan.zipAsFolders = oZIPasFolder != 0;
    options.scan.readDescriptIon = oCheckDesc != 0;
    TakeSwitch(arguments, QStringLiteral("--zip"), QStringLiteral("--no-zip"), options.scan.zipAsFolders);
    TakeSwitch(arguments, QStringLiteral("--descript"), QStringLiteral("--no-descript"),
               options.scan.readDescriptIon);
    TakeSwitch(arguments, QStringLiteral("--clear-descriptions"), QStringLiteral("--keep-descriptions"),
               options.clearDescriptions);
    TakeSwitch(arguments, QStringLiteral("--eject"), QStringLiteral("--no-eject"), options.eject);

    static const QRegularExpression driveName(QStringLiteral("^([A-Za-z]):$"));
    const QRegularExpressionMatch drive =
        arguments.size() == 1 ? driveName.match(arguments.first()) : QRegularExpressionMatch();
    if (!drive.hasMatch() || !database)
        return usageError("catalog");
    if (!existingDatabase(*database))
        return 1;
    const auto info = DriveTable::load().drive(drive.captured(1).at(0).toUpper());
    if (!info)
        return fail(QStringLiteral("The drive %1 is not known.").arg(arguments.first().toUpper()));

    return runCommand([&] {
        const DriveMedium medium(*info);
        CatalogPrompter prompter(name, identity);
        CatalogRunOutcome outcome;
        {
            TerminalView view;
            CatchInterrupt();
            CatalogRun run(*database, medium, options, prompter, view);
            outcome = run.run();
            signal(SIGINT, SIG_DFL);
        }
        out() << LastCatalogRunStatus() << Qt::endl;
        switch (outcome) {
        case CatalogRunOutcome::Completed:
            return 0;
        case CatalogRunOutcome::Aborted:
            return 130;
        case CatalogRunOutcome::Stopped:
        case CatalogRunOutcome::Failed:
            break;
        }
        return 1;
    });
}

const CliCommandRegistrar registrar("catalog",
                                    "E: --db NAME [--name TEXT] [--identity TEXT] [--zip|--no-zip] "
                                    "[--descript|--no-descript] [--clear-descriptions|--keep-descriptions] "
                                    "[--eject|--no-eject]",
                                    RunCatalog);

} // namespace
} // namespace mendor::cli
