// mendor-cli search and dupes: the Search pane's two searches, with the pane's criteria as options
// (defaults as the pane starts). Each result row is one line of the result list's ten columns as
// they are shown, separated by tabs; then the final status text on a line of its own.
#include "browse/CatalogQueries.h"
#include "cli/CliCommand.h"
#include "cli/CliPrompter.h"
#include "cli/IdenticalDupes.h"
#include "search/SearchCriteria.h"
#include "search/SearchReport.h"
#include "search/SearchRun.h"
#include "shell/Options.h"
#include "store/ConnectionPool.h"

#include <cstdio>
#include <map>
#include <QCommandLineParser>

namespace mendor::cli {
namespace {

constexpr std::size_t kOutputBuffer = 1 << 16;

struct SearchOptions {
    SearchCriteria criteria;
    QString scope = QStringLiteral("ALL");
    bool bySize = false;
    bool yes = false;
};

// The options of both commands. --between and --size take two values: the option's own and the
// next word that is not an option, in the order the options were given.
std::optional<SearchOptions> readOptions(const QCommandLineParser& parsed, const QString& command) {
    static const std::map<QString, DateField> dateFields = {
        {QStringLiteral("created"), DateField::Created},
        {QStringLiteral("modified"), DateField::Modified},
        {QStringLiteral("accessed"), DateField::Accessed}};
    static const std::map<QString, QString> sizeComparisons = {{QStringLiteral("larger"), kSizeLarger},
                                                               {QStringLiteral("smaller"), kSizeSmaller},
                                                               {QStringLiteral("equal"), kSizeEqual}};
    SearchOptions options;
    SearchCriteria& criteria = options.criteria;
    QStringList secondValues = parsed.positionalArguments();
    for (const QString& name : parsed.optionNames()) {
        if (name != QLatin1String("between") && name != QLatin1String("size"))
            continue;
        if (secondValues.isEmpty()) {
            usageError(command, QStringLiteral("The option --%1 takes two values.").arg(name));
            return std::nullopt;
        }
        const QString second = secondValues.takeFirst();
        if (name == QLatin1String("between")) {
            criteria.firstDate = parsed.value(name);
            criteria.lastDate = second;
        } else if (sizeComparisons.count(parsed.value(name)) > 0) {
            criteria.sizeComparison = sizeComparisons.at(parsed.value(name));
            criteria.sizeKilobytes = second;
        } else {
            usageError(command, QStringLiteral("--size takes larger, smaller or equal."));
            return std::nullopt;
        }
    }
    if (!secondValues.isEmpty()) {
        usageError(command, QStringLiteral("'%1' belongs to no option.").arg(secondValues.first()));
        return std::nullopt;
    }
    criteria.name = parsed.value(QStringLiteral("name"));
    criteria.description = parsed.value(QStringLiteral("description"));
    if (parsed.isSet(QStringLiteral("date"))) {
        const auto field = dateFields.find(parsed.value(QStringLiteral("date")));
        if (field == dateFields.end()) {
            usageError(command, QStringLiteral("--date takes created, modified or accessed."));
            return std::nullopt;
        }
        criteria.dateField = field->second;
    }
    criteria.searchFolders = !parsed.isSet(QStringLiteral("no-folders"));
    criteria.searchFiles = !parsed.isSet(QStringLiteral("no-files"));
    if (parsed.isSet(QStringLiteral("in")))
        options.scope = parsed.value(QStringLiteral("in"));
    // Options that only dupes has; isSet would warn about them for search.
    options.bySize = parsed.optionNames().contains(QStringLiteral("by-size"));
    options.yes = parsed.optionNames().contains(QStringLiteral("yes"));
    return options;
}

// Result lines, written in large blocks: a million rows take a few seconds, not minutes.
class ResultPrinter : public SearchObserver {
public:
    ResultPrinter() {
        out().flush();
        buffer_.reserve(kOutputBuffer + 4096);
    }

    void rowsFound(QList<ResultRow>& rows) override {
        for (const ResultRow& row : rows) {
            AppendResultLine(buffer_, row);
            if (std::size_t(buffer_.size()) >= kOutputBuffer)
                flush();
        }
    }
    void status(const QString&) override {}
    bool showsStatus() const override { return false; }
    bool takesLines() const override { return true; }
    void linesFound(QByteArrayView lines, std::int64_t) override {
        buffer_ += lines;
        if (std::size_t(buffer_.size()) >= kOutputBuffer)
            flush();
    }

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
    return outcome.end == SearchEnd::Completed ? kExitDone : kExitAborted;
}

// The condition, or nothing after the messages of criteria that give none.
std::optional<QString> conditionOf(SearchCriteria& criteria) {
    CliPrompter prompter;
    const std::optional<QString> condition = BuildSearchCondition(criteria, prompter);
    if (!condition || condition->isEmpty()) {
        fail(kNoCriteriaMessage);
        return std::nullopt;
    }
    return condition;
}

int RunSearchCommand(const QCommandLineParser& parsed) {
    std::optional<SearchOptions> options = readOptions(parsed, QStringLiteral("search"));
    if (!options)
        return kExitUsage;
    const std::optional<QString> condition = conditionOf(options->criteria);
    if (!condition)
        return kExitFailed;
    // The databases stay open from reading the scope to the end of the search.
    ConnectionPool connections;
    const QList<ChooserDatabase> chooser = ReadChooserDatabases(gDataPath, &connections);
    const std::optional<SearchScope> scope = ScopeFromText(chooser, options->scope);
    if (!scope)
        return fail(QStringLiteral("There is no database or volume %1.").arg(options->scope));

    SearchRequest request;
    request.connections = &connections;
    request.condition = *condition;
    request.searchFolders = options->criteria.searchFolders;
    request.searchFiles = options->criteria.searchFiles;
    request.targets = SearchTargets(chooser, *scope);
    request.dataPath = gDataPath;
    request.writeReport = parsed.isSet(QStringLiteral("report"));

    ResultPrinter printer;
    const SearchOutcome outcome = RunSearch(request, printer);
    printer.line(outcome.status);
    if (request.writeReport && outcome.end == SearchEnd::Completed) {
        const QString path = parsed.value(QStringLiteral("report"));
        const QString problem = WriteReportFile(path, outcome.report);
        if (!problem.isEmpty())
            return fail(QStringLiteral("The report could not be written to %1: %2").arg(path, problem));
    }
    return exitCodeOf(outcome);
}

int RunDupesCommand(const QCommandLineParser& parsed) {
    if (parsed.isSet(QStringLiteral("identical")))
        return RunIdenticalDupes(parsed);
    std::optional<SearchOptions> options = readOptions(parsed, QStringLiteral("dupes"));
    if (!options)
        return kExitUsage;
    if (options->scope == QLatin1String("ALL"))
        return usageError(QStringLiteral("dupes"),
                          QStringLiteral("Duplicates are found within one database: name it, or one of its "
                                         "volumes, with --in."));
    const std::optional<QString> condition = conditionOf(options->criteria);
    if (!condition)
        return kExitFailed;
    const std::optional<SearchScope> scope = ScopeFromText(ReadChooserDatabases(gDataPath), options->scope);
    if (!scope)
        return fail(QStringLiteral("There is no database or volume %1.").arg(options->scope));
    if (IsWholeCatalogueCondition(*condition) && !options->yes)
        return fail(kWholeCatalogueQuestion + QStringLiteral("\nNot answered; give --yes to continue."));

    DuplicateRequest request;
    request.condition = *condition;
    request.searchFolders = options->criteria.searchFolders;
    request.searchFiles = options->criteria.searchFiles;
    request.bySize = options->bySize;
    request.databaseFile = scope->databaseFile;
    request.volumeName = scope->volumeName;
    request.dataPath = gDataPath;

    ResultPrinter printer;
    const SearchOutcome outcome = RunDuplicateSearch(request, printer);
    printer.line(outcome.status);
    return exitCodeOf(outcome);
}

QList<CliOption> criteriaOptions() {
    return {
        {{"name"}, "TEXT", "part of the name: report, *.txt, a*b (Search for...)"},
        {{"between"}, "FIRST LAST", "two dates, month first: 1/1/2001 2/1/2001"},
        {{"date"}, "created|modified|accessed", "the date the range applies to (default modified)"},
        {{"description"}, "TEXT", "text the description contains"},
        {{"size"}, "larger|smaller|equal KB", "the size compared with KB kilobytes (the limit included)"},
        {{"no-folders"}, {}, "leave the folders out"},
        {{"no-files"}, {}, "leave the files out"},
    };
}

const QList<CliArgument> kSecondValues = {
    {"LAST, KB", "the second values of --between and --size", true, true}};

const CliCommandRegistrar searchRegistrar({
    .name = "search",
    .synopsis = "[--name TEXT] [--between FIRST LAST] [--date created|modified|accessed] [--description "
                "TEXT] [--size larger|smaller|equal KB] [--no-folders] [--no-files] [--in ALL|DB|DB/VOLUME] "
                "[--report FILE]",
    .summary = "list the folders and files that meet the criteria, with their locations",
    .options = criteriaOptions() +
               QList<CliOption>{
                   {{"in"}, "ALL|DB|DB/VOLUME", "all volumes (default), one database or one of its volumes"},
                   {{"report"}, "FILE", "write the search report (rich text) to FILE"},
               },
    .arguments = kSecondValues,
    .handler = RunSearchCommand,
    .abortable = true,
});

const CliCommandRegistrar dupesRegistrar({
    .name = "dupes",
    .synopsis = "--in DB|DB/VOLUME [--name TEXT] [--between FIRST LAST] [--date created|modified|accessed] "
                "[--description TEXT] [--size larger|smaller|equal KB] [--no-folders] [--no-files] "
                "[--by-size] [--yes]\n--identical [--in ALL|DB|DB/VOLUME]",
    .summary = "list the folders and files of one database whose name occurs more than once, or the files "
               "with the same content anywhere",
    .options =
        criteriaOptions() +
        QList<CliOption>{
            {{"in"}, "DB|DB/VOLUME", "the database, or one of its volumes (with --identical also ALL)"},
            {{"by-size"}, {}, "only duplicates with the same size too"},
            {{"yes"}, {}, "go ahead with a search of every name (* or *.*)"},
            {{"identical"},
             {},
             "files with the same checksum and size, across databases (volumes catalogued with "
             "checksums); ALL is the default scope"},
        },
    .arguments = kSecondValues,
    .handler = RunDupesCommand,
    .abortable = true,
});

} // namespace
} // namespace mendor::cli
