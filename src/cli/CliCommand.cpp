#include "cli/CliCommand.h"

#include "cli/CliHelp.h"
#include "cli/CliRegistry.h"
#include "cli/TerminalProgress.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

namespace mendor::cli {

namespace {

std::map<QString, CliCommand>& registry() {
    static std::map<QString, CliCommand> commands;
    return commands;
}

} // namespace

const std::map<QString, CliCommand>& Commands() {
    return registry();
}

const CliCommand* FindCommand(const QString& name) {
    const auto found = registry().find(name);
    return found == registry().end() ? nullptr : &found->second;
}

CliCommandRegistrar::CliCommandRegistrar(CliCommand command) {
    const QString name = command.name;
    registry()[name] = std::move(command);
}

CliOption JsonOption() {
    return {
        {QStringLiteral("json")}, {}, QStringLiteral("print one JSON array instead of tab-separated lines")};
}

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

void printJson(const QJsonArray& rows) {
    out() << QJsonDocument(rows).toJson(QJsonDocument::Compact) << Qt::endl;
}

QString ParseErrorText(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    const QString& name = unknown.first();
    return QStringLiteral("Unknown option '%1'.")
        .arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
}

int fail(const QString& message) {
    TerminalProgress::clearLine();
    err() << message << Qt::endl;
    return kExitFailed;
}

int usageError(const QString& command, const QString& why) {
    TerminalProgress::clearLine();
    if (!why.isEmpty())
        err() << "mendor-cli " << command << ": " << why << '\n';
    if (const CliCommand* found = FindCommand(command))
        err() << CommandUsage(*found) << "Run 'mendor-cli help " << command
              << "' for its arguments and options.\n";
    err().flush();
    return kExitUsage;
}

} // namespace mendor::cli
