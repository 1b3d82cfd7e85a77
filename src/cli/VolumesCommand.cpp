// mendor-cli volumes NAME: the volumes of a database as its index table holds them, one line each:
// table name, name, volume type, catalog date, size, used, free, folders, files; tab-separated.
#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "shell/TextFormats.h"
#include "store/Database.h"

namespace mendor::cli {
namespace {

int RunVolumes(const QStringList& arguments) {
    if (arguments.size() != 1)
        return usageError("volumes");
    const std::optional<QString> path = existingDatabase(arguments.first());
    if (!path)
        return 1;
    return runCommand([&] {
        const Database db = Database::openReadOnly(*path);
        Statement rows = db.prepare(QStringLiteral("SELECT \"tablename\", \"name\", \"volumetype\", "
                                                   "\"thedate\", \"size\", \"used\", \"free\", \"dirs\", "
                                                   "\"files\" FROM \"index\" ORDER BY rowid"));
        while (rows.step()) {
            QStringList fields;
            for (int column = 0; column < rows.columnCount(); ++column) {
                if (rows.isNull(column))
                    fields.append(QString());
                else if (column == 3)
                    fields.append(FormatDate(rows.columnInt(column)));
                else
                    fields.append(rows.columnText(column));
            }
            out() << fields.join(QLatin1Char('\t')) << '\n';
        }
        return 0;
    });
}

const CliCommandRegistrar registrar("volumes", "NAME", RunVolumes);

} // namespace
} // namespace mendor::cli
