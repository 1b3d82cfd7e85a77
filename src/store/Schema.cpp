#include "store/Schema.h"

#include "store/Database.h"

namespace mendor {

QString DirsTable(const QString& t) {
    return t + QStringLiteral("_dirs");
}

QString FilesTable(const QString& t) {
    return t + QStringLiteral("_files");
}

QString SumsTable(const QString& t) {
    return t + QStringLiteral("_sums");
}

bool IsReservedTable(const QString& name) {
    const QString n = name.toLower();
    return n.startsWith(QLatin1String("msys")) || n.startsWith(QLatin1String("sqlite_")) ||
           n.startsWith(QLatin1Char('~')) || n == QLatin1String("index") ||
           n == QLatin1String("dir_template") || n == QLatin1String("file_template") ||
           n == QLatin1String("version");
}

bool IsTableOfVolume(const QString& tableName, const QSet<QString>& tableNames) {
    const QString name = tableName.toLower();
    for (qsizetype at = name.indexOf(QLatin1Char('_')); at >= 0;
         at = name.indexOf(QLatin1Char('_'), at + 1)) {
        if (tableNames.contains(name.left(at).trimmed()))
            return true;
    }
    return false;
}

namespace {

// The template's own CREATE TABLE text with its name replaced keeps the column types and the
// ID primary key, which a plain CREATE TABLE ... AS SELECT would drop.
QString templateDefinition(Database& db, const QString& templateName) {
    Statement query =
        db.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=?1"));
    query.bind(1, templateName);
    if (!query.step())
        throw SqlError("the database has no table " + templateName.toStdString(), 1);
    return query.columnText(0);
}

void createFromTemplate(Database& db, const QString& templateName, const QString& table) {
    QString sql = templateDefinition(db, templateName);
    const int open = sql.indexOf(QLatin1Char('('));
    if (open < 0)
        throw SqlError("unexpected definition of " + templateName.toStdString(), 1);
    sql = QStringLiteral("CREATE TABLE %1 %2").arg(quoteIdentifier(table), sql.mid(open));
    db.exec(sql);
}

} // namespace

void CreateVolumeTables(Database& db, const QString& t) {
    createFromTemplate(db, QStringLiteral("dir_template"), DirsTable(t));
    createFromTemplate(db, QStringLiteral("file_template"), FilesTable(t));
}

void CreateSumsTable(Database& db, const QString& t) {
    db.exec(
        QStringLiteral("CREATE TABLE \"main\".%1 (\"ID\" INTEGER PRIMARY KEY, \"checksum\" BLOB NOT NULL)")
            .arg(quoteIdentifier(SumsTable(t))));
}

bool HasSumsTable(const Database& db, const QString& t, const QString& schema) {
    Statement query = db.prepare(
        QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE")
            .arg(quoteIdentifier(schema)));
    query.bind(1, SumsTable(t));
    return query.step();
}

void DropVolumeTables(Database& db, const QString& t) {
    // Qualified with main: with another database attached, an unqualified name that main lacks
    // would drop the attached database's table.
    for (const QString& table : {DirsTable(t), FilesTable(t), SumsTable(t)})
        db.exec(QStringLiteral("DROP TABLE IF EXISTS \"main\".%1").arg(quoteIdentifier(table)));
}

void CreateVolumeIndexes(Database& db, const QString& t) {
    for (const QString& table : {DirsTable(t), FilesTable(t)}) {
        db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (\"parent\")")
                    .arg(quoteIdentifier(table + QStringLiteral("_parent")), quoteIdentifier(table)));
    }
}

int CatalogVersionOf(Database& db) {
    try {
        Statement query = db.prepare(QStringLiteral("SELECT \"version\" FROM \"version\""));
        if (!query.step() || query.isNull(0))
            return -1;
        return int(query.columnInt(0));
    } catch (const SqlError&) {
        return -1;
    }
}

} // namespace mendor
