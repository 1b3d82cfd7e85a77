#include "export/ExportRun.h"

#include "export/ListingFile.h"
#include "store/VolumeMaintenance.h"

namespace mendor {

QString ListingFileName(const QString& typed) {
    if (typed.right(4).compare(QLatin1String(".txt"), Qt::CaseInsensitive) == 0)
        return typed;
    return typed + QStringLiteral(".txt");
}

ExportResult RunExport(const QString& path, const ExportSettings& settings, const QList<ExportItem>& items,
                       ExportRunView& view) {
    ExportResult result;
    try {
        ListingFile listing(path);
        for (int index = 0; index < items.size(); ++index) {
            const QString tableName =
                VolumeTableByName(items[index].databasePath, items[index].volumeName).value_or(QString());
            const std::int64_t start = listing.size();
            const bool complete = tableName.isEmpty() ||
                                  ExportVolume(listing, settings, items[index].databasePath, tableName, view);
            view.setProgressValue(0);
            if (!complete) {
                listing.truncate(start);
                result.outcome = ExportOutcome::Aborted;
                break;
            }
            ++result.volumesWritten;
            view.volumeExported(index);
        }
        if (result.outcome == ExportOutcome::Completed || result.volumesWritten > 0)
            listing.commit();
    } catch (const ListingWriteError& error) {
        result.outcome = ExportOutcome::Failed;
        result.error = error.text();
    }
    return result;
}

} // namespace mendor
