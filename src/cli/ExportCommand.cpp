// mendor-cli export --format N --out FILE DB[/VOLUME]...: the export dialog's listing, with its
// check boxes and depth slider as options. DB alone exports every volume of the database, in the
// order the dialog lists them. The file is written as named (no ".txt" is added) and replaced
// when it exists; Ctrl-C stops after the folder being written, keeping the completed volumes.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "export/ExportChoices.h"
#include "export/ExportRun.h"
#include "shell/Flags.h"
#include "store/VolumeMaintenance.h"

#include <csignal>
#include <QDateTime>
#include <unistd.h>

namespace mendor::cli {
namespace {

/// The progress through the current volume on one line of standard error, rewritten in place
/// at most ten times a second, when it is a terminal.
class TerminalExportView : public ExportRunView {
public:
    explicit TerminalExportView(QStringList names)
        : names_(std::move(names)), terminal_(isatty(STDERR_FILENO) == 1) {}
    ~TerminalExportView() override {
        if (shown_)
            err() << "\r\x1b[K";
        err().flush();
    }
    TerminalExportView(const TerminalExportView&) = delete;
    TerminalExportView& operator=(const TerminalExportView&) = delete;

    void status(const QString&) override {}
    void setProgressMaximum(int maximum) override { maximum_ = maximum; }
    void setProgressValue(int value) override {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (!terminal_ || value == 0 || now - shownAt_ < 100)
            return;
        shownAt_ = now;
        shown_ = true;
        err() << "\r\x1b[K" << names_.value(current_).left(60) << ": " << value << " of " << maximum_
              << " folders";
        err().flush();
    }
    void volumeExported(int index) override { current_ = index + 1; }

private:
    QStringList names_;
    bool terminal_;
    bool shown_ = false;
    qint64 shownAt_ = 0;
    int maximum_ = 0;
    int current_ = 0;
};

extern "C" void RequestExportAbort(int) {
    gAbort.store(kFlagSet);
}

/// A whole number from min to max; std::nullopt for anything else.
std::optional<int> numberIn(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

/// The volumes that one argument names, DB or DB/VOLUME; std::nullopt after reporting a
/// database or volume that does not exist.
std::optional<QList<ExportItem>> itemsNamedBy(const QString& argument) {
    const qsizetype slash = argument.indexOf(QLatin1Char('/'));
    const QString databaseName = slash < 0 ? argument : argument.left(slash);
    const std::optional<QString> path = existingDatabase(databaseName);
    if (!path)
        return std::nullopt;
    QList<ExportItem> items;
    if (slash >= 0) {
        const QString volumeName = argument.mid(slash + 1);
        if (!VolumeTableByName(*path, volumeName)) {
            fail(QStringLiteral("The database %1 has no volume %2.").arg(databaseName, volumeName));
            return std::nullopt;
        }
        items.append({*path, volumeName});
        return items;
    }
    for (const ExportChoiceVolume& volume : ReadExportVolumes(*path))
        items.append({*path, volume.name});
    return items;
}

int RunExportCommand(const QStringList& arguments) {
    ExportSettings settings;
    std::optional<int> format;
    QString out;
    QStringList volumes;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--format") && hasValue) {
            format = numberIn(arguments[++i], 0, kExportFormatCount - 1);
            if (!format)
                return usageError("export");
        } else if (argument == QLatin1String("--depth") && hasValue) {
            const std::optional<int> depth = numberIn(arguments[++i], 0, kUnlimitedDepth);
            if (!depth)
                return usageError("export");
            settings.depth = *depth;
        } else if (argument == QLatin1String("--out") && hasValue) {
            out = arguments[++i];
        } else if (argument == QLatin1String("--no-folders")) {
            settings.folders = false;
        } else if (argument == QLatin1String("--no-files")) {
            settings.files = false;
        } else if (argument == QLatin1String("--no-info")) {
            settings.volumeInfo = false;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return usageError("export");
        } else {
            volumes.append(argument);
        }
    }
    if (!format || out.isEmpty() || volumes.isEmpty())
        return usageError("export");
    settings.format = ExportFormat(*format);

    return runCommand([&] {
        QList<ExportItem> items;
        for (const QString& argument : volumes) {
            const auto named = itemsNamedBy(argument);
            if (!named)
                return 1;
            items += *named;
        }
        QStringList names;
        for (const ExportItem& item : items)
            names.append(item.volumeName);

        ExportResult result;
        {
            TerminalExportView view(names);
            gAbort.store(kFlagClear);
            struct sigaction action {};
            action.sa_handler = RequestExportAbort;
            action.sa_flags = SA_RESETHAND;
            sigemptyset(&action.sa_mask);
            sigaction(SIGINT, &action, nullptr);
            result = RunExport(out, settings, items, view);
            signal(SIGINT, SIG_DFL);
        }
        switch (result.outcome) {
        case ExportOutcome::Completed:
            return 0;
        case ExportOutcome::Aborted:
            err() << (result.volumesWritten == 0
                          ? QStringLiteral("Export aborted; no listing was written.")
                          : QStringLiteral("Export aborted; %1 holds the first %2 of %3 volumes.")
                                .arg(out)
                                .arg(result.volumesWritten)
                                .arg(items.size()))
                  << Qt::endl;
            return 130;
        case ExportOutcome::Failed:
            break;
        }
        return fail(QStringLiteral("Can't write the exported file: %1").arg(result.error));
    });
}

const CliCommandRegistrar registrar("export",
                                    "--format 0|1|2|3 [--depth N] [--no-folders] [--no-files] [--no-info] "
                                    "--out FILE DB[/VOLUME]...",
                                    RunExportCommand);

} // namespace
} // namespace mendor::cli
