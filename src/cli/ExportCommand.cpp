// mendor-cli export --format N --out FILE DB[/VOLUME]...: the export dialog's listing, with its
// check boxes and depth slider as options. DB alone exports every volume of the database, in the
// order the dialog lists them. The file is written as named (no ".txt" is added) and replaced
// when it exists; Ctrl-C stops after the folder being written, keeping the completed volumes.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/TerminalProgress.h"
#include "export/ExportChoices.h"
#include "export/ExportRun.h"
#include "store/VolumeMaintenance.h"

#include <QCommandLineParser>

namespace mendor::cli {
namespace {

const QString kCommand = QStringLiteral("export");

/// The progress through each volume's folders on the terminal, with the volume's name.
class ExportProgress : public ExportRunView {
public:
    explicit ExportProgress(const QList<ExportItem>& items) : items_(items) { showVolume(0); }

    void status(const QString& text) override { terminal_.status(text); }
    void setProgressMaximum(int maximum) override { terminal_.setProgressMaximum(maximum); }
    void setProgressValue(int value) override { terminal_.setProgressValue(value); }
    void pause(int count) override { terminal_.pause(count); }
    void volumeExported(int index) override { showVolume(index + 1); }

private:
    void showVolume(int index) {
        if (index < items_.size())
            terminal_.status(QStringLiteral("Exporting %1...").arg(items_[index].volumeName));
    }

    const QList<ExportItem>& items_;
    TerminalProgress terminal_;
};

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

int RunExportCommand(const QCommandLineParser& parsed) {
    if (!parsed.isSet(QStringLiteral("format")) || !parsed.isSet(QStringLiteral("out")))
        return usageError(kCommand, QStringLiteral("The options --format and --out are required."));
    const std::optional<int> format =
        numberIn(parsed.value(QStringLiteral("format")), 0, kExportFormatCount - 1);
    if (!format)
        return usageError(kCommand, QStringLiteral("--format takes 0, 1, 2 or 3."));
    ExportSettings settings;
    settings.format = ExportFormat(*format);
    if (parsed.isSet(QStringLiteral("depth"))) {
        const std::optional<int> depth = numberIn(parsed.value(QStringLiteral("depth")), 0, kUnlimitedDepth);
        if (!depth)
            return usageError(kCommand, QStringLiteral("--depth takes a number from 0 to 10."));
        settings.depth = *depth;
    }
    settings.folders = !parsed.isSet(QStringLiteral("no-folders"));
    settings.files = !parsed.isSet(QStringLiteral("no-files"));
    settings.volumeInfo = !parsed.isSet(QStringLiteral("no-info"));
    const QString out = parsed.value(QStringLiteral("out"));

    QList<ExportItem> items;
    for (const QString& argument : parsed.positionalArguments()) {
        const auto named = itemsNamedBy(argument);
        if (!named)
            return kExitFailed;
        items += *named;
    }
    if (items.isEmpty())
        return fail(QStringLiteral("There are no volumes to export; %1 was not written.").arg(out));

    ExportResult result;
    {
        ExportProgress progress(items);
        result = RunExport(out, settings, items, progress);
    }
    switch (result.outcome) {
    case ExportOutcome::Completed:
        return kExitDone;
    case ExportOutcome::Aborted:
        err() << (result.volumesWritten == 0
                      ? QStringLiteral("Export aborted; nothing was written.")
                      : QStringLiteral("Export aborted; %1 holds the first %2 of %3 volumes.")
                            .arg(out)
                            .arg(result.volumesWritten)
                            .arg(items.size()))
              << Qt::endl;
        return kExitAborted;
    case ExportOutcome::Failed:
        break;
    }
    return fail(QStringLiteral("Can't write the exported file: %1").arg(result.error));
}

const CliCommandRegistrar registrar({
    .name = "export",
    .synopsis =
        "--format 0|1|2|3 [--depth N] [--no-folders] [--no-files] [--no-info] --out FILE DB[/VOLUME]...",
    .summary = "write catalogued volumes as a text listing",
    .options =
        {
            {{"format"},
             "N",
             "0 tree with indentation, 1 simple list, 2 full paths, 3 itemized list with sizes, dates and "
             "descriptions (tab-separated)"},
            {{"depth"},
             "N",
             "folder levels below the root to include, 0 to 9; 10 (the default) includes all"},
            {{"no-folders"}, {}, "leave out the folder lines"},
            {{"no-files"}, {}, "leave out the file lines"},
            {{"no-info"}, {}, "leave out each volume's information and the column headings"},
            {{"out"}, "FILE", "the listing to write; a file of that name is replaced"},
        },
    .arguments = {{"DB[/VOLUME]", "a database (all its volumes) or one volume of it", false, true}},
    .handler = RunExportCommand,
    .abortable = true,
});

} // namespace
} // namespace mendor::cli
