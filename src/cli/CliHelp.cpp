#include "cli/CliHelp.h"

#include "cli/CliRegistry.h"

#include <algorithm>
#include <utility>

namespace mendor::cli {

namespace {

const QString kExitCodes =
    QStringLiteral("Exit codes: 0 done, 1 failed, 2 usage error, 130 aborted (Ctrl-C).\n");

using Rows = QList<std::pair<QString, QString>>;

/// Two columns: the names indented by two spaces, the descriptions lined up after them.
QString table(const Rows& rows) {
    qsizetype width = 0;
    for (const auto& [left, right] : rows)
        width = std::max(width, left.size());
    QString text;
    for (const auto& [left, right] : rows)
        text += QStringLiteral("  ") + left.leftJustified(width + 2) + right + QLatin1Char('\n');
    return text;
}

QString optionName(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

Rows optionRows(const QList<CliOption>& options) {
    Rows rows;
    for (const CliOption& option : options) {
        QStringList names;
        for (const QString& name : option.names)
            names << optionName(name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName.isEmpty())
            left += QLatin1Char(' ') + option.valueName;
        rows.append({left, option.description});
    }
    return rows;
}

QString usageLines(const QString& command, const QString& synopsis) {
    QString text;
    const QStringList forms = synopsis.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < forms.size(); ++i) {
        text += i == 0 ? QStringLiteral("usage: ") : QStringLiteral("   or: ");
        text += QStringLiteral("mendor-cli");
        if (!command.isEmpty())
            text += QLatin1Char(' ') + command;
        if (!forms.at(i).isEmpty())
            text += QLatin1Char(' ') + forms.at(i);
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace

QList<CliOption> GlobalOptions() {
    return {
        {{QStringLiteral("home")},
         QStringLiteral("DIR"),
         QStringLiteral("the folder that holds MNP3.ini and the default data folder")},
        HelpOption(),
        {{QStringLiteral("V"), QStringLiteral("version")}, {}, QStringLiteral("show the version")},
    };
}

CliOption HelpOption() {
    return {{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("show this help")};
}

QString CommandUsage(const CliCommand& command) {
    return usageLines(QStringLiteral("[--home DIR] ") + command.name, command.synopsis);
}

QString CommandHelp(const CliCommand& command) {
    QString text = CommandUsage(command) + QLatin1Char('\n') + command.summary.left(1).toUpper() +
                   command.summary.mid(1) + QStringLiteral(".\n");
    if (!command.arguments.isEmpty()) {
        Rows rows;
        for (const CliArgument& argument : command.arguments)
            rows.append({argument.name, argument.description});
        text += QStringLiteral("\nArguments:\n") + table(rows);
    }
    text += QStringLiteral("\nOptions:\n") + table(optionRows(command.options + QList{HelpOption()}));
    return text + QLatin1Char('\n') + kExitCodes;
}

QString ProgramUsage() {
    return usageLines(QString(), QStringLiteral("[--home DIR] COMMAND [ARGUMENTS]\nhelp COMMAND\n--version"));
}

QString ProgramHelp() {
    QString text = ProgramUsage();
    text += QStringLiteral("\nThe catalog databases from the command line, on the settings file (MNP3.ini)\n"
                           "and the data folder of the desktop program.\n");
    text += QStringLiteral("\nOptions:\n") + table(optionRows(GlobalOptions()));
    Rows rows;
    for (const auto& [name, command] : Commands())
        rows.append({name, command.summary});
    text += QStringLiteral("\nCommands:\n") + table(rows);
    text += QStringLiteral("\nRun 'mendor-cli help COMMAND' for a command's arguments and options.\n");
    return text + kExitCodes;
}

} // namespace mendor::cli
