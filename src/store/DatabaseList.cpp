#include "store/DatabaseList.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <QDir>

namespace mendor {

namespace {

const QString kExtension = QStringLiteral(".mdb");

} // namespace

DatabaseInfo DescribeDatabase(const QString& path) {
    DatabaseInfo info;
    info.path = path;
    info.fileName = path.section(QLatin1Char('/'), -1);
    info.name = info.fileName.chopped(std::min<qsizetype>(kExtension.size(), info.fileName.size()));
    try {
        Database db = Database::openReadOnly(path);
        if (!db.hasTable(QStringLiteral("index")) || !db.hasTable(QStringLiteral("version"))) {
            info.problem = QStringLiteral("not a catalog database");
            return info;
        }
        Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM \"index\""));
        if (count.step())
            info.volumeCount = count.columnInt(0);
        Statement version = db.prepare(QStringLiteral("SELECT \"version\" FROM \"version\""));
        if (!version.step() || version.isNull(0)) {
            info.problem = QStringLiteral("not a catalog database");
            return info;
        }
        info.usable = version.columnInt(0) == kCatalogVersion;
        if (!info.usable)
            info.problem = QStringLiteral("version %1").arg(version.columnText(0));
    } catch (const SqlError& e) {
        info.volumeCount = 0;
        info.problem = QStringLiteral("cannot be read: ") + QString::fromStdString(e.what());
    }
    return info;
}

QList<DatabaseInfo> ListDatabases(const QString& folder) {
    QList<DatabaseInfo> databases;
    for (const QString& name : DatabaseFileNames(folder))
        databases.append(DescribeDatabase(QDir(folder).filePath(name)));
    return databases;
}

} // namespace mendor
