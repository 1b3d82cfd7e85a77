#include "browse/BrowseStatus.h"

#include "shell/TextFormats.h"

namespace mendor {

namespace {

QString mb(std::int64_t bytes) {
    return FormatSizeMB(bytes).trimmed();
}

// Panels 2 to 5 of the volume and database lists.
void fillTotals(StatusTexts& texts, const CatalogTotals& totals) {
    texts[1] = QLatin1Char(' ') + mb(totals.size) + QLatin1String(" Total Capacity ");
    texts[2] = QLatin1Char(' ') + mb(totals.used) + QLatin1String(" Total Used ");
    texts[3] = QLatin1Char(' ') + mb(totals.free) + QLatin1String(" Total Free ");
    texts[4] = QLatin1Char(' ') + FormatCount(totals.dirs) + QLatin1String(" dirs, ") +
               FormatCount(totals.files) + QLatin1String(" files ");
}

} // namespace

StatusTexts VolumeSelectionStatus(const std::optional<VolumeFigures>& figures) {
    if (!figures)
        return {QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "),
                QStringLiteral(" ")};
    return {mb(figures->size) + QLatin1String(" media size"),
            QLatin1Char(' ') + mb(figures->used) + QLatin1String(" used "),
            QLatin1Char(' ') + mb(figures->free) + QLatin1String(" free "),
            QLatin1Char(' ') + FormatCount(figures->dirCount) + QLatin1String(" dirs "),
            QLatin1Char(' ') + FormatCount(figures->fileCount) + QLatin1String(" files ")};
}

StatusTexts VolumeListStatus(const CatalogTotals& totals, std::int64_t fileBytes) {
    StatusTexts texts;
    const QString count = totals.volumes == 1 ? QStringLiteral("1 volume")
                                              : FormatCount(totals.volumes) + QLatin1String(" volumes");
    texts[0] = count + QLatin1String(" active (") + FormatCount(fileBytes) + QLatin1String(" bytes on disk)");
    fillTotals(texts, totals);
    return texts;
}

StatusTexts EmptyDatabaseStatus() {
    return {QStringLiteral("No volumes active (empty database)"), QStringLiteral(" "), QStringLiteral(" "),
            QStringLiteral(" "), QStringLiteral(" ")};
}

StatusTexts DatabaseListStatus(std::int64_t databaseCount, const CatalogTotals& totals) {
    StatusTexts texts;
    const QString count = databaseCount == 1 ? QStringLiteral("1 database")
                                             : FormatCount(databaseCount) + QLatin1String(" databases");
    texts[0] = count + QLatin1String(" active");
    fillTotals(texts, totals);
    return texts;
}

} // namespace mendor
