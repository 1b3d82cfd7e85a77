#include "export/ExportChoices.h"

#include "shell/DataFolder.h"
#include "store/Database.h"

namespace mendor {

namespace {

// Appends row by row, so that a failure midway keeps what was read.
void readVolumes(const Database& db, QList<ExportChoiceVolume>& volumes) {
    Statement rows = db.prepare(QStringLiteral("SELECT \"name\", \"volumetype\" FROM \"index\" "
                                               "ORDER BY \"name\" COLLATE NOCASE ASC"));
    while (rows.step())
        volumes.append({rows.columnText(0), int(rows.columnInt(1))});
}

} // namespace

QList<ExportChoiceVolume> ReadExportVolumes(const QString& databasePath) {
    QList<ExportChoiceVolume> volumes;
    readVolumes(Database::openReadOnly(databasePath), volumes);
    return volumes;
}

QList<ExportChoiceDatabase> ReadExportChoices(const QString& dataPath) {
    QList<ExportChoiceDatabase> result;
    for (const QString& fileName : DatabaseFileNames(dataPath)) {
        const QString path = dataPath + QLatin1Char('/') + fileName;
        try {
            const Database db = Database::openReadOnly(path);
            result.append(ExportChoiceDatabase{fileName.chopped(4), path, {}});
            readVolumes(db, result.last().volumes);
        } catch (const SqlError&) {
            // A file that does not open is left out; one whose index fails keeps what was read.
        }
    }
    return result;
}

} // namespace mendor
