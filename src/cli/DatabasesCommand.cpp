// mendor-cli databases: one line per database file of the data folder, tab-separated: name,
// number of volumes, and "usable" or why the database cannot be used.
#include "cli/CliCommand.h"
#include "shell/Options.h"
#include "store/DatabaseList.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace mendor::cli {

namespace {

int RunDatabases(const QCommandLineParser& parsed) {
    const QList<DatabaseInfo> databases = ListDatabases(gDataPath);
    if (parsed.isSet(QStringLiteral("json"))) {
        QJsonArray rows;
        for (const DatabaseInfo& database : databases)
            rows.append(QJsonObject{
                {QStringLiteral("name"), database.name},
                {QStringLiteral("path"), database.path},
                {QStringLiteral("volumes"), static_cast<qint64>(database.volumeCount)},
                {QStringLiteral("usable"), database.usable},
                {QStringLiteral("problem"), database.usable ? QJsonValue() : QJsonValue(database.problem)},
            });
        printJson(rows);
        return kExitDone;
    }
    for (const DatabaseInfo& database : databases)
        out() << database.name << '\t' << database.volumeCount << '\t'
              << (database.usable ? QStringLiteral("usable") : database.problem) << '\n';
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "databases",
    .synopsis = "[--json]",
    .summary = "list the databases of the data folder: name, volumes, usable or why not",
    .options = {JsonOption()},
    .handler = RunDatabases,
});

} // namespace

} // namespace mendor::cli
