// mendor-cli volumes NAME: the volumes of a database as its index table holds them, one line each:
// table name, name, volume type, catalog date, size, used, free, folders, files; tab-separated.
// With --json also the description, which may hold tabs and line breaks.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "shell/StoredDate.h"
#include "shell/TextFormats.h"
#include "store/Database.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace mendor::cli {
namespace {

enum Column { Table, Name, Type, Date, Size, Used, Free, Folders, Files, Description };

QJsonObject jsonRow(const Statement& row) {
    const auto text = [&](int column) {
        return row.isNull(column) ? QJsonValue() : QJsonValue(row.columnText(column));
    };
    const auto number = [&](int column) {
        return row.isNull(column) ? QJsonValue() : QJsonValue(static_cast<qint64>(row.columnInt(column)));
    };
    // The catalog date is the local wall-clock time, so it carries no time zone.
    const QJsonValue date =
        row.isNull(Date)
            ? QJsonValue()
            : QJsonValue(
                  FromStoredSeconds(row.columnInt(Date)).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    return {
        {QStringLiteral("table"), text(Table)},   {QStringLiteral("name"), text(Name)},
        {QStringLiteral("type"), number(Type)},   {QStringLiteral("date"), date},
        {QStringLiteral("size"), number(Size)},   {QStringLiteral("used"), number(Used)},
        {QStringLiteral("free"), number(Free)},   {QStringLiteral("folders"), number(Folders)},
        {QStringLiteral("files"), number(Files)}, {QStringLiteral("description"), text(Description)},
    };
}

QString textRow(const Statement& row) {
    QStringList fields;
    for (int column = Table; column < Description; ++column) {
        if (row.isNull(column))
            fields.append(QString());
        else if (column == Date)
            fields.append(FormatDate(row.columnInt(column)));
        else
            fields.append(row.columnText(column));
    }
    return fields.join(QLatin1Char('\t'));
}

int RunVolumes(const QCommandLineParser& parsed) {
    const std::optional<QString> path = existingDatabase(parsed.positionalArguments().first());
    if (!path)
        return kExitFailed;
    const Database db = Database::openReadOnly(*path);
    Statement rows = db.prepare(QStringLiteral("SELECT \"tablename\", \"name\", \"volumetype\", \"thedate\", "
                                               "\"size\", \"used\", \"free\", \"dirs\", \"files\", "
                                               "\"thedescription\" FROM \"index\" ORDER BY rowid"));
    if (!parsed.isSet(QStringLiteral("json"))) {
        while (rows.step())
            out() << textRow(rows) << '\n';
        return kExitDone;
    }
    QJsonArray volumes;
    while (rows.step())
        volumes.append(jsonRow(rows));
    printJson(volumes);
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "volumes",
    .synopsis = "[--json] DB",
    .summary = "list the volumes of a database with their totals",
    .options = {JsonOption()},
    .arguments = {{"DB", "the database"}},
    .handler = RunVolumes,
});

} // namespace
} // namespace mendor::cli
