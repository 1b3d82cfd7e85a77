#pragma once
// The commands of mendor-cli.
//
// Adding a command: write src/cli/<Name>Command.cpp (the build picks it up) with a handler and a
// static registrar in an anonymous namespace:
//
//     int RunVolumes(const QCommandLineParser& parsed) {
//         const QString database = parsed.positionalArguments().at(0);
//         if (parsed.isSet(QStringLiteral("json")))
//             ...
//         return kExitDone;            // or: return fail(QStringLiteral("What went wrong."));
//     }
//
//     const CliCommandRegistrar registrar({
//         .name = "volumes",
//         .synopsis = "[--json] DB",
//         .summary = "list the volumes of a database",
//         .options = {JsonOption()},
//         .arguments = {{"DB", "the database: its file name without .mdb"}},
//         .handler = RunVolumes,
//     });
//
// Before the handler runs, the command line after the command's name is parsed with the
// command's options (every command also takes -h/--help) and the number of positional arguments
// is checked against .arguments; `--` ends the options, so later words are positional even when
// they start with a dash. An unknown option, a missing option value or a wrong number of
// arguments is a usage error: the reason and the synopsis on standard error, exit code 2. The
// handler only checks what the parser cannot (a required option, options that exclude each
// other) and reports those with usageError(). `mendor-cli help NAME` and `mendor-cli NAME --help`
// print the synopsis, summary, arguments and options; `mendor-cli --help` lists every command
// with its summary. The settings file is loaded before the handler runs.
//
// Output: results go to out() and are meant for scripts (tab-separated lines; JSON with
// --json); messages go to err(). Nothing else is printed when the output is not a terminal:
// progress goes through TerminalProgress, which draws only on a terminal.
//
// Exit codes, the same for every command: kExitDone, kExitFailed, kExitUsage, kExitAborted. A
// handler may let exceptions through: an unanswered question (CliPrompter) or an engine error
// becomes its message on standard error and kExitFailed (the operation's transaction has rolled
// back).
// A command whose operation polls gAbort sets .abortable: the first Ctrl-C then sets gAbort,
// and when the handler returns anything but kExitDone afterwards the program exits with
// kExitAborted; a second Ctrl-C ends the program at once. Other commands end at the first
// Ctrl-C (the shell reports 130 as well); their databases survive that too, since every change
// is one transaction.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

class QCommandLineParser;
class QJsonArray;

namespace mendor::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAborted = 130;

/// A command's option: {"db"} is --db, {"y", "yes"} is -y and --yes. With a valueName the
/// option takes a value (--db NAME or --db=NAME), else it is a switch.
struct CliOption {
    QStringList names;
    QString valueName;
    QString description;
};

/// A positional argument. An optional one may be left out (only at the end); a repeated one
/// takes every remaining word.
struct CliArgument {
    QString name;
    QString description;
    bool optional = false;
    bool repeated = false;
};

/// Returns the exit code.
using CliHandler = int (*)(const QCommandLineParser& parsed);

struct CliCommand {
    QString name{};
    /// What follows "mendor-cli [--home DIR] name"; several forms separated by '\n'.
    QString synopsis{};
    /// One line for the command list, lower case, no full stop.
    QString summary{};
    QList<CliOption> options{};
    QList<CliArgument> arguments{};
    CliHandler handler = nullptr;
    bool abortable = false;
};

struct CliCommandRegistrar {
    explicit CliCommandRegistrar(CliCommand command);
};

/// --json: the result as one JSON array instead of tab-separated lines.
CliOption JsonOption();

/// Standard output and standard error, UTF-8.
QTextStream& out();
QTextStream& err();

/// Prints rows as one JSON array (one line) on standard output.
void printJson(const QJsonArray& rows);

/// Why parser refused the command line; an unknown option is named as it was typed.
QString ParseErrorText(const QCommandLineParser& parser);

/// Prints message on standard error and returns kExitFailed.
int fail(const QString& message);

/// Prints "mendor-cli command: why" (when why is given) and the command's usage on standard
/// error; returns kExitUsage.
int usageError(const QString& command, const QString& why = {});

} // namespace mendor::cli
