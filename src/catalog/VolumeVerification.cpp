#include "catalog/VolumeVerification.h"

#include "catalog/CatalogRun.h"
#include "catalog/Scanner.h"
#include "catalog/VolumeIdentification.h"
#include "catalog/VolumeTypes.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/TextFormats.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace mendor {

namespace {

VerifyOutcome ended(VerifyEnd end, const QString& message) {
    VerifyOutcome outcome;
    outcome.end = end;
    outcome.message = message;
    return outcome;
}

// The catalogued volume with this identity: its table name as stored and its name.
bool findVolume(const Database& catalog, const QString& identity, QString& t, QString& name) {
    Statement lookup = catalog.prepare(QStringLiteral(
        "SELECT \"tablename\", \"name\" FROM \"index\" WHERE \"tablename\" = ?1 COLLATE NOCASE LIMIT 1"));
    lookup.bind(1, identity);
    if (!lookup.step())
        return false;
    t = lookup.columnText(0);
    name = lookup.columnText(1);
    return true;
}

} // namespace

VerifyOutcome VerifyVolume(const QString& databaseName, const DriveMedium& medium, Prompter& prompter,
                           ProgressSink& progress) {
    const DiskSpace space = medium.space();
    const QString root = medium.rootFolder();
    if (space.total < 1 || root.isEmpty())
        return ended(VerifyEnd::NotReady,
                     QStringLiteral("The drive %1 is not ready.").arg(medium.drive().name()));
    try {
        const Database catalog =
            Database::openReadOnly(QDir(gDataPath).filePath(databaseName + QStringLiteral(".mdb")));
        progress.status(QStringLiteral("Identifying volume..."));
        const QString identity =
            TrimBlanks(ExistingVolumeIdentity(medium, VolumeTypeCodeFor(medium.type(), space.total), prompter)
                           .toLower());
        if (identity.isEmpty())
            return ended(VerifyEnd::NoIdentity, QStringLiteral("The medium could not be identified."));
        VerifyOutcome outcome;
        QString t;
        if (!findVolume(catalog, identity, t, outcome.volumeName))
            return ended(VerifyEnd::NotCatalogued, QStringLiteral("The medium in %1 is not catalogued in %2.")
                                                       .arg(medium.drive().name(), databaseName));
        outcome.withContent = HasSumsTable(catalog, t);

        // The walk goes into a database of its own; archives are compared as the files they are.
        const QTemporaryDir folder;
        const QString scanPath = folder.filePath(QStringLiteral("verify.mdb"));
        if (!folder.isValid() || !QFile::copy(InstallFile(QStringLiteral("template.qvt")), scanPath) ||
            !QFile(scanPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner))
            return ended(VerifyEnd::Failed,
                         QStringLiteral("No temporary database could be made for the walk."));
        Database scanned = Database::open(scanPath);
        Transaction transaction(scanned);
        CreateVolumeTables(scanned, t);
        ScanOptions options;
        options.zipAsFolders = false;
        options.readDescriptIon = false;
        options.checksums = outcome.withContent;
        progress.status(QStringLiteral("Analyzing Directory Structure..."));
        CountedVolume volume(root);
        progress.setProgressMaximum(ProgressValueOf(CountFolders(volume, options, progress)));
        const ScanTotals totals = ScanVolume(scanned, t, medium.drive().name(), volume, options, progress);
        if (totals.aborted || isAbortRequested())
            return ended(VerifyEnd::Aborted, QStringLiteral("Verification aborted."));
        progress.status(QStringLiteral("Comparing..."));
        outcome.comparison = CompareVolumeFiles(catalog, t, scanned, t);
        outcome.end = VerifyEnd::Compared;
        return outcome;
    } catch (const SqlError& error) {
        return ended(VerifyEnd::Failed, QString::fromUtf8(error.what()));
    }
}

QString DifferenceText(const FileDifference& difference) {
    switch (difference.kind) {
    case FileDifference::Kind::Missing:
        return QStringLiteral("missing\t") + difference.path;
    case FileDifference::Kind::New:
        return QStringLiteral("new\t") + difference.path;
    case FileDifference::Kind::Changed:
        break;
    }
    QStringList changes;
    if (difference.sizeChanged)
        changes << QStringLiteral("size %1 -> %2").arg(difference.catalogSize).arg(difference.mediumSize);
    if (difference.dateChanged)
        changes << QStringLiteral("modified %1 -> %2")
                       .arg(FormatDate(difference.catalogModified), FormatDate(difference.mediumModified));
    if (difference.contentChanged)
        changes << QStringLiteral("content");
    return QStringLiteral("changed\t") + difference.path + QLatin1Char('\t') +
           changes.join(QStringLiteral(", "));
}

QString ComparisonSummary(const VerifyOutcome& outcome) {
    std::int64_t counts[3] = {0, 0, 0};
    for (const FileDifference& difference : outcome.comparison.differences)
        ++counts[int(difference.kind)];
    const VolumeComparison& c = outcome.comparison;
    QString text = QStringLiteral("%1: %2 catalogued file(s), %3 on the medium")
                       .arg(outcome.volumeName)
                       .arg(c.catalogFiles)
                       .arg(c.mediumFiles);
    if (outcome.withContent)
        text += QStringLiteral(", %1 compared by content").arg(c.contentsCompared);
    if (c.differences.empty())
        return text + QStringLiteral(". The medium matches its catalog.");
    return text +
           QStringLiteral(". %1 missing, %2 new, %3 changed.").arg(counts[0]).arg(counts[1]).arg(counts[2]);
}

} // namespace mendor
