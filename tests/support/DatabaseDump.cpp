#include "support/DatabaseDump.h"

#include "store/Database.h"

namespace mendor::test {

QStringList DumpDatabase(const QString& path) {
    Database db = Database::openReadOnly(path);
    QStringList lines;
    QStringList tables;
    Statement schema = db.prepare(QStringLiteral(
        "SELECT \"type\", \"name\", \"sql\" FROM \"sqlite_master\" ORDER BY \"type\", \"name\""));
    while (schema.step()) {
        lines.append(QStringLiteral("%1 %2: %3")
                         .arg(schema.columnText(0), schema.columnText(1), schema.columnText(2)));
        if (schema.columnText(0) == QLatin1String("table"))
            tables.append(schema.columnText(1));
    }
    for (const QString& table : tables) {
        Statement rows =
            db.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoteIdentifier(table)));
        while (rows.step()) {
            QStringList values;
            for (int column = 0; column < rows.columnCount(); ++column)
                values.append(rows.isNull(column)
                                  ? QStringLiteral("NULL")
                                  : QLatin1Char('\'') + rows.columnText(column) + QLatin1Char('\''));
            lines.append(table + QStringLiteral(": ") + values.join(QLatin1Char(',')));
        }
    }
    return lines;
}

QString IntegrityCheck(const QString& path) {
    Database db = Database::open(path);
    Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList results;
    while (check.step())
        results.append(check.columnText(0));
    return results.join(QLatin1Char('\n'));
}

QStringList Column(const QString& path, const QString& sql) {
    Database db = Database::openReadOnly(path);
    Statement query = db.prepare(sql);
    QStringList values;
    while (query.step())
        values << (query.isNull(0) ? QStringLiteral("<null>") : query.columnText(0));
    return values;
}

QStringList VolumeTables(const QString& path) {
    QStringList tables =
        Column(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name "
                                    "NOT IN ('index','version','dir_template','file_template')"));
    tables.sort();
    return tables;
}

} // namespace mendor::test
