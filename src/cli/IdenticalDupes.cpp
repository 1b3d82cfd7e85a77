// Each file is one line: its checksum, then the result list's ten columns as they are shown,
// separated by tabs; a blank line between groups; then a line with the number of groups and the
// bytes that keeping one copy of each would free.
#include "cli/IdenticalDupes.h"

#include "browse/CatalogQueries.h"
#include "cli/CliCommand.h"
#include "cli/TerminalProgress.h"
#include "search/IdenticalSearch.h"
#include "shell/Options.h"

#include <cstdio>
#include <QCommandLineParser>

namespace mendor::cli {

namespace {

constexpr qsizetype kOutputBuffer = 1 << 16;

class GroupPrinter : public IdenticalObserver {
public:
    ~GroupPrinter() override { flush(); }

    void groupFound(IdenticalGroup& group) override {
        if (first_) {
            TerminalProgress::clearLine();
            first_ = false;
        } else {
            buffer_ += '\n';
        }
        const QByteArray checksum = ChecksumText(group.checksum).toLatin1();
        for (const ResultRow& row : group.files) {
            buffer_ += checksum;
            buffer_ += '\t';
            AppendResultLine(buffer_, row);
        }
        if (buffer_.size() >= kOutputBuffer)
            flush();
    }
    void status(const QString& text) override { progress_.status(text); }

    void line(const QString& text) {
        TerminalProgress::clearLine();
        buffer_ += text.toUtf8();
        buffer_ += '\n';
        flush();
    }

private:
    void flush() {
        if (!buffer_.isEmpty())
            std::fwrite(buffer_.constData(), 1, std::size_t(buffer_.size()), stdout);
        buffer_.resize(0);
        std::fflush(stdout);
    }

    TerminalProgress progress_;
    QByteArray buffer_;
    bool first_ = true;
};

} // namespace

int RunIdenticalDupes(const QCommandLineParser& parsed) {
    const QString command = QStringLiteral("dupes");
    for (const QString& name : parsed.optionNames()) {
        if (name != QLatin1String("identical") && name != QLatin1String("in"))
            return usageError(command, QStringLiteral("--identical takes no option but --in."));
    }
    if (!parsed.positionalArguments().isEmpty())
        return usageError(command, QStringLiteral("--identical takes no arguments."));
    const QString scopeText =
        parsed.isSet(QStringLiteral("in")) ? parsed.value(QStringLiteral("in")) : QStringLiteral("ALL");
    const QList<ChooserDatabase> chooser = ReadChooserDatabases(gDataPath);
    const std::optional<SearchScope> scope = ScopeFromText(chooser, scopeText);
    if (!scope)
        return fail(QStringLiteral("There is no database or volume %1.").arg(scopeText));

    GroupPrinter printer;
    const IdenticalOutcome outcome = RunIdenticalSearch(SearchTargets(chooser, *scope), gDataPath, printer);
    if (outcome.end != SearchEnd::Completed) {
        printer.line(outcome.status);
        return kExitAborted;
    }
    // Without checksums nothing could be compared.
    if (outcome.volumesWithChecksums == 0)
        return fail(QStringLiteral("No volume in %1 was catalogued with checksums.").arg(scopeText));
    if (outcome.groups > 0)
        printer.line(QString());
    printer.line(QStringLiteral("%1 group(s); keeping one copy of each frees %2 bytes")
                     .arg(outcome.groups)
                     .arg(outcome.freedBytes));
    return kExitDone;
}

} // namespace mendor::cli
