#include "cli/CliRunner.h"

#include "cli/CliHelp.h"
#include "cli/CliPrompter.h"
#include "shell/Flags.h"
#include "shell/Settings.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <QCommandLineParser>

namespace mendor::cli {

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<std::int16_t>::is_always_lock_free,
              "set from a signal handler");

extern "C" void RequestAbort(int) {
    gInterrupted.store(true);
    gAbort.store(kFlagSet);
}

/// For an abortable command, the first Ctrl-C asks the operation to stop like its Abort
/// button; the handler then goes back to the default, so a second one ends the program.
class InterruptScope {
public:
    explicit InterruptScope(bool active) : active_(active) {
        if (!active_)
            return;
        struct sigaction action {};
        action.sa_handler = RequestAbort;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptScope() {
        if (active_)
            sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    bool active_;
    struct sigaction previous_ {};
};

/// Why the positional arguments do not fit the command; empty when they do.
QString argumentCountProblem(const CliCommand& command, const QStringList& given) {
    qsizetype required = 0;
    bool unbounded = false;
    for (const CliArgument& argument : command.arguments) {
        required += argument.optional ? 0 : 1;
        unbounded = unbounded || argument.repeated;
    }
    if (given.size() < required)
        return QStringLiteral("Missing argument %1.").arg(command.arguments.at(given.size()).name);
    if (!unbounded && given.size() > command.arguments.size())
        return QStringLiteral("Unexpected argument '%1'.").arg(given.at(command.arguments.size()));
    return {};
}

int runHandler(const CliCommand& command, const QCommandLineParser& parsed) {
    try {
        return command.handler(parsed);
    } catch (const UnansweredPrompt& e) {
        const QString hint = e.hint().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(e.hint());
        return fail(e.question() + QStringLiteral("\nNot answered; the command stopped") + hint +
                    QLatin1Char('.'));
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }
}

} // namespace

int RunCommand(const CliCommand& command, const QStringList& arguments) {
    QCommandLineParser parser;
    for (const CliOption& option : command.options + QList{HelpOption()})
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    if (!parser.parse(QStringList{command.name} + arguments))
        return usageError(command.name, ParseErrorText(parser));
    if (parser.isSet(QStringLiteral("help"))) {
        out() << CommandHelp(command);
        return kExitDone;
    }
    const QString problem = argumentCountProblem(command, parser.positionalArguments());
    if (!problem.isEmpty())
        return usageError(command.name, problem);

    LoadSettings();
    int code = kExitDone;
    {
        const InterruptScope interrupts(command.abortable);
        code = runHandler(command, parser);
    }
    if (command.abortable && gInterrupted.load() && code != kExitDone)
        code = kExitAborted;
    out().flush();
    // Output that did not all reach its file (a full disk, a closed pipe) is a failure, not
    // a result: the caller must not take a cut-off list for the whole.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && code == kExitDone)
        code = fail(QStringLiteral("The output could not be written: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    err().flush();
    return code;
}

} // namespace mendor::cli
