#include "cli/CliRetrieval.h"

#include "cli/CatalogArguments.h"
#include "cli/CliCommand.h"
#include "retrieve/CatalogLookup.h"
#include "retrieve/ItemCopy.h"
#include "shell/Flags.h"
#include "store/DatabaseLifecycle.h"
#include "store/Keys.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <unistd.h>

namespace mendor::cli {

namespace {

constexpr qint64 kRedrawMs = 100;

QString ReadAnswer() {
    char line[64] = {};
    if (std::fgets(line, sizeof line, stdin) == nullptr)
        return {};
    return QString::fromLocal8Bit(line).trimmed().toLower();
}

} // namespace

std::optional<QString> DriveArgument(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]:$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return text.toUpper();
}

std::optional<RetrieveItem> CataloguedItemArgument(const QString& databaseName, const QString& volumeName,
                                                   const QString& path) {
    const std::optional<QString> key = volumeKeyByName(databaseName, volumeName);
    if (!key)
        return std::nullopt;
    const CataloguedPathLookup lookup =
        FindCataloguedItem(DatabasePath(databaseName), TableNameFromKey(*key), path);
    if (lookup.item)
        return lookup.item;
    switch (lookup.failure) {
    case LookupFailure::NoVolume:
        fail(QStringLiteral("The volume %1 cannot be read from the database %2.")
                 .arg(volumeName, databaseName));
        break;
    case LookupFailure::VolumeRoot:
        fail(QStringLiteral("%1 names the whole volume; name a folder or file in it.").arg(path));
        break;
    case LookupFailure::NotCatalogued:
        fail(QStringLiteral("The volume %1 has no item %2.").arg(volumeName, path));
        break;
    }
    return std::nullopt;
}

QString OptionDriveChooser::chooseDrive(const QString& cataloguedPath) {
    if (drive_ && !cataloguedPath.startsWith(*drive_, Qt::CaseInsensitive))
        return *drive_;
    fail(drive_ ? QStringLiteral("%1 is not there either.").arg(cataloguedPath)
                : QStringLiteral("%1 is not there: the volume is not inserted (give --drive for the drive "
                                 "that holds it now).")
                      .arg(cataloguedPath));
    return {};
}

CopyReport TerminalCopyRunner::copy(const MediumPath& source, const QString& destinationFolder) {
    TerminalProgress progress;
    shown_ = &progress;
    lastStatus_.invalidate();
    const CopyReport report = CopyItem(source, QFile::encodeName(destinationFolder), *this);
    shown_ = nullptr;
    copiedFiles_ += report.copiedFiles;
    TerminalProgress::clearLine();
    for (const CopyFailure& failure : report.failures)
        err() << failure.path << ": " << failure.reason << Qt::endl;
    return report;
}

void TerminalCopyRunner::progress(const CopyProgress& progress) {
    // The status text changes with every file: it is redrawn a few times a second, not for each.
    if (!lastStatus_.isValid() || lastStatus_.elapsed() >= kRedrawMs) {
        lastStatus_.start();
        const QLocale locale;
        shown_->status(progress.currentName.isEmpty()
                           ? QStringLiteral("Preparing to copy...")
                           : QStringLiteral("%1 of %2  %3")
                                 .arg(locale.formattedDataSize(progress.doneBytes),
                                      locale.formattedDataSize(progress.totalBytes), progress.currentName));
    }
    shown_->setProgressMaximum(int(std::min<std::int64_t>(progress.totalItems, INT_MAX)));
    shown_->setProgressValue(int(std::min<std::int64_t>(progress.doneItems, INT_MAX)));
}

OverwriteAnswer TerminalCopyRunner::confirmOverwrite(const QString& destinationPath) {
    switch (policy_) {
    case ReplacePolicy::All:
        return OverwriteAnswer::YesToAll;
    case ReplacePolicy::None:
        ++keptFiles_;
        return OverwriteAnswer::No;
    case ReplacePolicy::Ask:
        break;
    }
    TerminalProgress::clearLine();
    if (isatty(STDIN_FILENO) != 1) {
        err() << destinationPath << " exists (give --overwrite or --no-overwrite)." << Qt::endl;
        return OverwriteAnswer::Cancel;
    }
    for (;;) {
        err() << "Replace " << destinationPath << "? [y]es, [a]ll, [n]o, [c]ancel: ";
        err().flush();
        const QString answer = ReadAnswer();
        if (answer == QLatin1String("y"))
            return OverwriteAnswer::Yes;
        if (answer == QLatin1String("a"))
            return OverwriteAnswer::YesToAll;
        if (answer == QLatin1String("n")) {
            ++keptFiles_;
            return OverwriteAnswer::No;
        }
        if (answer == QLatin1String("c") || answer.isEmpty())
            return OverwriteAnswer::Cancel;
    }
}

bool TerminalCopyRunner::cancelRequested() {
    return isAbortRequested();
}

} // namespace mendor::cli
