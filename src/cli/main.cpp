// mendor-cli: the catalog operations from the command line, on the same settings file and data
// folder as the desktop program.
#include "cli/CliRegistry.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QDir>

using namespace mendor;
using namespace mendor::cli;

namespace {

int printUsage() {
    err() << "usage: mendor-cli [--home DIR] COMMAND [ARGUMENTS]\n\n"
          << "--home DIR  the folder that holds MNP3.ini and the default data folder\n\ncommands:\n";
    for (const auto& [name, info] : registry())
        err() << "  " << name << (info.usage.isEmpty() ? QString() : QLatin1Char(' ') + info.usage) << '\n';
    err().flush();
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);

    while (!arguments.isEmpty() && arguments.first().startsWith(QLatin1String("--"))) {
        const QString option = arguments.takeFirst();
        if (option == QLatin1String("--home") && !arguments.isEmpty()) {
            const QString home = QDir(arguments.takeFirst()).absolutePath();
            if (!QDir(home).exists())
                return fail(QStringLiteral("The folder %1 does not exist.").arg(home));
            SetProgramFolderOverride(home);
        } else {
            return printUsage();
        }
    }
    if (arguments.isEmpty())
        return printUsage();

    const auto found = registry().find(arguments.first());
    if (found == registry().end())
        return printUsage();
    arguments.removeFirst();

    LoadSettings();
    const int code = found->second.handler(arguments);
    out().flush();
    err().flush();
    return code;
}
