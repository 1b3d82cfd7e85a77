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
    } catch (const ForeignDatabaseError&) {
        info.problem = QStringLiteral("not a catalog database");
    } catch (const SqlError& e) {
        info.volumeCount = 0;
        info.problem = QStringLiteral("cannot be read: ") + QString::fromStdString(e.what());
    }
    return info;
}

bool NameShownInCatalogTree(const QString& folder, const QString& name, const QString& exceptKey) {
    const auto same = [&name](const QString& label) { return label.compare(name, Qt::CaseInsensitive) == 0; };
    if (same(kCatalogRootLabel))
        return true;
    for (const QString& fileName : DatabaseFileNames(folder)) {
        try {
            Database db = Database::openReadOnly(QDir(folder).filePath(fileName));
            if (CatalogVersionOf(db) != kCatalogVersion)
                continue;
            if (fileName != exceptKey && same(fileName.chopped(kExtension.size())))
                return true;
            Statement volumes = db.prepare(QStringLiteral("SELECT \"tablename\", \"name\" FROM \"index\""));
            while (volumes.step()) {
                const QString t = volumes.columnText(0);
                if (fileName + QLatin1Char('_') + t != exceptKey && same(volumes.columnText(1)))
                    return true;
                if (!db.hasTable(DirsTable(t)))
                    continue;
                Statement folders = db.prepare(QStringLiteral("SELECT \"name\" FROM %1 WHERE \"parent\" = 1")
                                                   .arg(quoteIdentifier(DirsTable(t))));
                while (folders.step()) {
                    if (same(folders.columnText(0).trimmed()))
                        return true;
                }
            }
        } catch (const SqlError&) {
            // The tree shows nothing of a database it cannot read.
        }
    }
    return false;
}

QList<DatabaseInfo> ListDatabases(const QString& folder) {
    QList<DatabaseInfo> databases;
    for (const QString& name : DatabaseFileNames(folder))
        databases.append(DescribeDatabase(QDir(folder).filePath(name)));
    return databases;
}

} // namespace mendor
