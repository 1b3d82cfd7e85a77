#pragma once
// The databases and volumes that the export dialog offers.
#include <QList>
#include <QString>

namespace mendor {

struct ExportChoiceVolume {
    QString name;
    int volumeType = 0;
};

struct ExportChoiceDatabase {
    QString name; ///< the file name without ".mdb"
    QString path;
    QList<ExportChoiceVolume> volumes; ///< by name
};

/// The volumes of one database by name; raises SqlError when the database cannot be read.
QList<ExportChoiceVolume> ReadExportVolumes(const QString& databasePath);

/// Every database file of the data folder that opens, by file name without regard to case, each
/// with its volumes by name; a file that cannot be opened is left out, and one whose volumes
/// cannot be read has none.
QList<ExportChoiceDatabase> ReadExportChoices(const QString& dataPath);

} // namespace mendor
