// mendor-cli: the catalog operations from the command line, on the same settings file and data
// folder as the desktop program.
#include "cli/CliHelp.h"
#include "cli/CliRegistry.h"
#include "cli/CliRunner.h"
#include "shell/ProgramFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

using namespace mendor;
using namespace mendor::cli;

namespace {

int programUsageError(const QString& why) {
    err() << "mendor-cli: " << why << '\n' << ProgramUsage() << "Run 'mendor-cli --help' for the commands.\n";
    err().flush();
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(MENDOR_VERSION));

    // The global options come before the command's name; everything from the name on is the
    // command's to parse.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    for (const CliOption& option : GlobalOptions())
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    if (!parser.parse(QCoreApplication::arguments()))
        return programUsageError(ParseErrorText(parser));
    if (parser.isSet(QStringLiteral("version"))) {
        out() << "mendor-cli " << MENDOR_VERSION << Qt::endl;
        return kExitDone;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << ProgramHelp();
        return kExitDone;
    }
    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return programUsageError(QStringLiteral("No command given."));
    const CliCommand* command = FindCommand(arguments.first());
    if (!command)
        return programUsageError(QStringLiteral("'%1' is not a command.").arg(arguments.first()));
    arguments.removeFirst();

    if (parser.isSet(QStringLiteral("home"))) {
        const QString home = QDir(parser.value(QStringLiteral("home"))).absolutePath();
        if (!QDir(home).exists())
            return fail(QStringLiteral("The folder %1 does not exist.").arg(home));
        SetProgramFolderOverride(home);
    }
    return RunCommand(*command, arguments);
}
