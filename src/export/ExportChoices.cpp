#include "export/ExportChoices.h"

#include "shell/DataFolder.h"
#include "store/Database.h"

namespace mendor {

QList<ExportChoiceDatabase> ReadExportChoices(const QString& dataPath) {
    QList<ExportChoiceDatabase> result;
    for (const QString& fileName : DatabaseFileNames(dataPath)) {
        const QString path = dataPath + QLatin1Char('/') + fileName;
        try {
            const Database db = Database::openReadOnly(path);
            result.append(ExportChoiceDatabase{fileName.chopped(4), path, {}});
            Statement volumes = db.prepare(QStringLiteral("SELECT \"name\", \"volumetype\" FROM \"index\" "
                                                          "ORDER BY \"name\" COLLATE NOCASE ASC"));
            while (volumes.step())
                result.last().volumes.append({volumes.columnText(0), int(volumes.columnInt(1))});
        } catch (const SqlError&) {
            // A file that does not open is left out; one whose index fails keeps what was read.
        }
    }
    return result;
}

} // namespace mendor
