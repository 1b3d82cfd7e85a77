// mendor-cli search and dupes: the Search pane's two searches, with the pane's criteria as options
// (defaults as the pane starts). Each result row is one line of the result list's ten columns as
// they are shown, separated by tabs; then the final status text on a line of its own.
#include "browse/CatalogQueries.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "search/SearchCriteria.h"
#include "search/SearchReport.h"
#include "search/SearchRun.h"
#include "shell/Flags.h"
#include "shell/Options.h"

#include <csignal>
#include <cstdio>
#include <map>

namespace mendor::cli {
namespace {

constexpr std::size_t kOutputBuffer = 1 << 16;

extern "C" void RequestSearchAbort(int) {
    gAbort.store(kFlagSet);
}

/// Ctrl-C aborts the search at its next check, like the Abort button; a second one ends the
/// program at once (a search changes no data, the duplicate queries are replaced in one step).
void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestSearchAbort;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

struct SearchOptions {
    SearchCriteria criteria;
    QString scope = QStringLiteral("ALL");
    std::optional<QString> reportPath;
    bool bySize = false;
    bool yes = false;
};

// Reads the options; false on anything it does not know or a value that is missing or wrong.
bool parseOptions(const QStringList& arguments, bool duplicates, SearchOptions& options) {
    static const std::map<QString, DateField> dateFields = {
        {QStringLiteral("created"), DateField::Created},
        {QStringLiteral("modified"), DateField::Modified},
        {QStringLiteral("accessed"), DateField::Accessed}};
    static const std::map<QString, QString> sizeComparisons = {{QStringLiteral("larger"), kSizeLarger},
                                                               {QStringLiteral("smaller"), kSizeSmaller},
                                                               {QStringLiteral("equal"), kSizeEqual}};
    SearchCriteria& criteria = options.criteria;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const auto value = [&](int ahead = 1) -> std::optional<QString> {
            if (i + ahead >= arguments.size())
                return std::nullopt;
            return arguments[i + ahead];
        };
        const auto takeOne = [&](QString& target) {
            const std::optional<QString> given = value();
            if (given) {
                target = *given;
                ++i;
            }
            return given.has_value();
        };
        bool ok = true;
        if (option == QLatin1String("--name")) {
            ok = takeOne(criteria.name);
        } else if (option == QLatin1String("--between")) {
            ok = value(2).has_value();
            if (ok) {
                criteria.firstDate = *value(1);
                criteria.lastDate = *value(2);
                i += 2;
            }
        } else if (option == QLatin1String("--date")) {
            QString field;
            ok = takeOne(field) && dateFields.count(field) > 0;
            if (ok)
                criteria.dateField = dateFields.at(field);
        } else if (option == QLatin1String("--description")) {
            ok = takeOne(criteria.description);
        } else if (option == QLatin1String("--size")) {
            ok = value(2).has_value() && sizeComparisons.count(*value(1)) > 0;
            if (ok) {
                criteria.sizeComparison = sizeComparisons.at(*value(1));
                criteria.sizeKilobytes = *value(2);
                i += 2;
            }
        } else if (option == QLatin1String("--no-folders")) {
            criteria.searchFolders = false;
        } else if (option == QLatin1String("--no-files")) {
            criteria.searchFiles = false;
        } else if (option == QLatin1String("--in")) {
            ok = takeOne(options.scope);
        } else if (option == QLatin1String("--report") && !duplicates) {
            QString path;
            ok = takeOne(path);
            options.reportPath = path;
        } else if (option == QLatin1String("--by-size") && duplicates) {
            options.bySize = true;
        } else if (option == QLatin1String("--yes") && duplicates) {
            options.yes = true;
        } else {
            ok = false;
        }
        if (!ok)
            return false;
    }
    return true;
}

// Result lines, written in large blocks: a million rows take a few seconds, not minutes.
class ResultPrinter : public SearchObserver {
public:
    ResultPrinter() { buffer_.reserve(kOutputBuffer + 4096); }

    void rowsFound(QList<ResultRow>& rows) override {
        for (const ResultRow& row : rows) {
            AppendResultLine(buffer_, row);
            if (std::size_t(buffer_.size()) >= kOutputBuffer)
                flush();
        }
    }
    void status(const QString&) override {}

    /// The final status text, on a line of its own.
    void line(QString text) {
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        buffer_ += text.toUtf8();
        buffer_ += '\n';
        flush();
    }

    void flush() {
        if (!buffer_.isEmpty())
            std::fwrite(buffer_.constData(), 1, std::size_t(buffer_.size()), stdout);
        buffer_.resize(0);
        std::fflush(stdout);
    }

private:
    QByteArray buffer_;
};

int exitCodeOf(const SearchOutcome& outcome) {
    return outcome.end == SearchEnd::Completed ? 0 : 130;
}

// The condition, or the message and exit code of criteria that give none.
std::optional<QString> conditionOf(SearchCriteria& criteria, int& exitCode) {
    CliPrompter prompter;
    const std::optional<QString> condition = BuildSearchCondition(criteria, prompter);
    exitCode = 0;
    if (!condition || condition->isEmpty()) {
        fail(kNoCriteriaMessage);
        exitCode = 1;
        return std::nullopt;
    }
    return condition;
}

int RunSearchCommand(const QStringList& arguments) {
    SearchOptions options;
    if (!parseOptions(arguments, false, options))
        return usageError("search");
    int exitCode = 0;
    const std::optional<QString> condition = conditionOf(options.criteria, exitCode);
    if (!condition)
        return exitCode;
    const QList<ChooserDatabase> chooser = ReadChooserDatabases(gDataPath);
    const std::optional<SearchScope> scope = ScopeFromText(chooser, options.scope);
    if (!scope)
        return fail(QStringLiteral("There is no database or volume %1.").arg(options.scope));

    SearchRequest request;
    request.condition = *condition;
    request.searchFolders = options.criteria.searchFolders;
    request.searchFiles = options.criteria.searchFiles;
    request.targets = SearchTargets(chooser, *scope);
    request.dataPath = gDataPath;
    request.writeReport = options.reportPath.has_value();

    ResultPrinter printer;
    CatchInterrupt();
    const SearchOutcome outcome = RunSearch(request, printer);
    signal(SIGINT, SIG_DFL);
    printer.line(outcome.status);
    if (options.reportPath && outcome.end == SearchEnd::Completed) {
        const QString problem = WriteReportFile(*options.reportPath, outcome.report);
        if (!problem.isEmpty())
            return fail(QStringLiteral("The report could not be written to %1: %2")
                            .arg(*options.reportPath, problem));
    }
    return exitCodeOf(outcome);
}

int RunDupesCommand(const QStringList& arguments) {
    SearchOptions options;
    if (!parseOptions(arguments, true, options))
        return usageError("dupes");
    if (options.scope == QLatin1String("ALL")) {
        err() << "Duplicates are found within one database: name it, or one of its volumes, with --in.\n";
        return usageError("dupes");
    }
    int exitCode = 0;
    const std::optional<QString> condition = conditionOf(options.criteria, exitCode);
    if (!condition)
        return exitCode;
    const std::optional<SearchScope> scope = ScopeFromText(ReadChooserDatabases(gDataPath), options.scope);
    if (!scope)
        return fail(QStringLiteral("There is no database or volume %1.").arg(options.scope));
    if (IsWholeCatalogueCondition(*condition) && !options.yes)
        return fail(kWholeCatalogueQuestion + QStringLiteral("\nNot answered; give --yes to continue."));

    DuplicateRequest request;
    request.condition = *condition;
    request.searchFolders = options.criteria.searchFolders;
    request.searchFiles = options.criteria.searchFiles;
    request.bySize = options.bySize;
    request.databaseFile = scope->databaseFile;
    request.volumeName = scope->volumeName;
    request.dataPath = gDataPath;

    ResultPrinter printer;
    CatchInterrupt();
    const SearchOutcome outcome = RunDuplicateSearch(request, printer);
    signal(SIGINT, SIG_DFL);
    printer.line(outcome.status);
    return exitCodeOf(outcome);
}

const CliCommandRegistrar searchRegistrar(
    "search",
    "[--name TEXT] [--between FIRST LAST] [--date created|modified|accessed] [--description TEXT] "
    "[--size larger|smaller|equal KB] [--no-folders] [--no-files] [--in ALL|DB|DB/VOLUME] [--report FILE]",
    RunSearchCommand);

const CliCommandRegistrar dupesRegistrar(
    "dupes",
    "--in DB|DB/VOLUME [--name TEXT] [--between FIRST LAST] [--date created|modified|accessed] "
    "[--description TEXT] [--size larger|smaller|equal KB] [--no-folders] [--no-files] [--by-size] [--yes]",
    RunDupesCommand);

} // namespace
} // namespace mendor::cli
