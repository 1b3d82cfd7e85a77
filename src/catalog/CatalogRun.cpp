#include "catalog/CatalogRun.h"

#include "catalog/VolumeIdentification.h"
#include "catalog/VolumeTypes.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/StoredDate.h"
#include "shell/TextFormats.h"
#include "store/JetFunctions.h"
#include "store/Schema.h"

#include <mutex>
#include <QDir>
#include <QElapsedTimer>
#include <thread>

namespace mendor {

namespace {

const QString kWaitingStatus = QStringLiteral("Waiting for drive ready...");
const QString kNotReadyMessage = QStringLiteral("Drive not ready or unavailable...");
const QString kNoIdentityMessage = QStringLiteral(
    "Error:  Cannot establish a marker file on volume, OR retrieve a serial number... Cannot catalog this "
    "volume!");
const QString kNameTitle = QStringLiteral("Volume Description");
const QString kNamePrompt = QStringLiteral("Enter a descriptive name for this volume...");
const QString kNameTakenPrompt =
    QStringLiteral("That volume name is already taken in the database... Please enter another.");
const QString kNoNameMessage = QStringLiteral("No volume description entered.  Won't catalog volume.");

const QString kNoIdentityStatus =
    QStringLiteral("Last Attempt: Failed to determine/create unique media name");
const QString kNoNameStatus = QStringLiteral("Last Attempt: User failed to enter a volume description");
const QString kNotCompletedStatus = QStringLiteral("Last attempt was NOT completed");
const QString kAbortedStatus = QStringLiteral("Last catalog action was aborted...");
const QString kAnalyzingStatus = QStringLiteral("Analyzing Directory Structure...");
const QString kCleaningUpStatus = QStringLiteral("Aborting... cleaning up database");
const QString kSavingStatus = QStringLiteral("Saving existing descriptions...");
const QString kRefreshingStatus = QStringLiteral("Refreshing databases...");

// The run keeps the rows of a known volume's old catalog here until the descriptions are back:
// temporary tables of the run's connection, gone with it whatever happens.
const QString kSavedDirs = QStringLiteral("mendor_saved_dirs");
const QString kSavedFiles = QStringLiteral("mendor_saved_files");

std::mutex gStatusMutex;
QString gLastStatus;

void SetRunStatus(const QString& text) {
    const std::lock_guard lock(gStatusMutex);
    gLastStatus = text;
}

QString ElapsedText(std::int32_t seconds) {
    const std::int32_t minutes = seconds >= 60 ? seconds / 60 : 0;
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds - minutes * 60, 2, 10, QLatin1Char('0'));
}

QString Saved(const QString& table) {
    return QStringLiteral("\"temp\".") + quoteIdentifier(table);
}

QString Main(const QString& table) {
    return QStringLiteral("\"main\".") + quoteIdentifier(table);
}

/// Copies what the description restore needs of a volume table into a temporary table.
void SaveRows(Database& db, const QString& volumeTable, const QString& savedTable) {
    db.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(Saved(savedTable)));
    db.exec(
        QStringLiteral("CREATE TEMP TABLE %1 (\"ID\" INTEGER PRIMARY KEY, \"parent\" INTEGER, \"name\" TEXT, "
                       "\"description\" TEXT)")
            .arg(quoteIdentifier(savedTable)));
    db.exec(QStringLiteral("INSERT INTO %1 SELECT \"ID\", \"parent\", \"name\", \"description\" FROM %2")
                .arg(Saved(savedTable), Main(volumeTable)));
}

/// Gives every row of the new table the description of the saved row with the same parent and
/// the same name without regard to case, as catalog text compares: a file renamed from a.txt to
/// A.txt keeps its description. A saved row with the exact name comes first (a.txt and A.txt on
/// a volume that tells them apart keep their own), so only the rows left without one are
/// case-folded. Where several saved rows match (members of one archive in different archive
/// folders), the one with the row's own ID wins, else the first.
void RestoreRows(Database& db, const QString& volumeTable, const QString& savedTable) {
    const QString target = quoteIdentifier(volumeTable);
    const QString exact =
        QStringLiteral("s.\"parent\" = %1.\"parent\" AND s.\"name\" = %1.\"name\"").arg(target);
    // Up to the first change on the volume every item has its old ID, parent and name: those rows
    // are matched by ID in one join. A row whose description is the saved one already (every row
    // without one, on a volume that had none) is not written again.
    db.exec(
        QStringLiteral("UPDATE %1 SET \"description\" = s.\"description\" FROM %2 AS s "
                       "WHERE s.\"ID\" = %3.\"ID\" AND %4 AND %3.\"description\" IS NOT s.\"description\"")
            .arg(Main(volumeTable), Saved(savedTable), target, exact));

    // The others are looked up by name among the saved rows of their folders only, each name
    // case-folded once.
    const QString others = Saved(savedTable + QStringLiteral("_others"));
    const QString near = Saved(savedTable + QStringLiteral("_near"));
    db.exec(QStringLiteral("DROP TABLE IF EXISTS %1; DROP TABLE IF EXISTS %2").arg(others, near));
    db.exec(
        QStringLiteral("CREATE TEMP TABLE %1 AS SELECT %2.\"ID\", %2.\"parent\" FROM %3 LEFT JOIN %4 AS s "
                       "ON s.\"ID\" = %2.\"ID\" AND %5 WHERE s.\"ID\" IS NULL")
            .arg(others, target, Main(volumeTable), Saved(savedTable), exact));
    db.exec(
        QStringLiteral("CREATE TEMP TABLE %1 (\"ID\" INTEGER PRIMARY KEY, \"parent\" INTEGER, \"name\" TEXT, "
                       "\"folded\" TEXT, \"description\" TEXT)")
            .arg(near));
    db.exec(
        QStringLiteral("INSERT INTO %1 SELECT \"ID\", \"parent\", \"name\", %2(\"name\"), \"description\" "
                       "FROM %3 WHERE \"parent\" IN (SELECT \"parent\" FROM %4)")
            .arg(near, QLatin1String(kJetFoldFunction), Saved(savedTable), others));
    for (const char* key : {"name", "folded"}) {
        db.exec(QStringLiteral("CREATE INDEX \"temp\".%1 ON %2 (\"parent\", %3)")
                    .arg(quoteIdentifier(savedTable + QStringLiteral("_near_") + QLatin1String(key)),
                         quoteIdentifier(savedTable + QStringLiteral("_near")),
                         quoteIdentifier(QLatin1String(key))));
    }
    const auto restore = [&](const QString& match, const QString& condition) {
        const QString saved =
            QStringLiteral(
                "CASE WHEN EXISTS (SELECT 1 FROM %1 AS s WHERE s.\"ID\" = %2.\"ID\" AND %3) "
                "THEN (SELECT s.\"description\" FROM %1 AS s WHERE s.\"ID\" = %2.\"ID\") "
                "ELSE (SELECT s.\"description\" FROM %1 AS s WHERE %3 ORDER BY s.\"ID\" LIMIT 1) END")
                .arg(near, target, match);
        db.exec(
            QStringLiteral("UPDATE %1 SET \"description\" = %2 WHERE %3.\"ID\" IN (SELECT \"ID\" FROM %4) "
                           "AND %5 AND \"description\" IS NOT %2")
                .arg(Main(volumeTable), saved, target, others, condition));
    };
    const QString folded = QStringLiteral("s.\"parent\" = %1.\"parent\" AND s.\"folded\" = %2(%1.\"name\")")
                               .arg(target, QLatin1String(kJetFoldFunction));
    const QString anyExact = QStringLiteral("EXISTS (SELECT 1 FROM %1 AS s WHERE %2)").arg(near, exact);
    restore(exact, anyExact);
    restore(folded,
            QStringLiteral("NOT %1 AND EXISTS (SELECT 1 FROM %2 AS s WHERE %3)").arg(anyExact, near, folded));
    db.exec(QStringLiteral("DROP TABLE %1; DROP TABLE %2").arg(others, near));
}

} // namespace

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString LastCatalogRunStatus() {
    const std::lock_guard lock(gStatusMutex);
    return gLastStatus;
}

CatalogRun::CatalogRun(QString databaseName, const DriveMedium& medium, CatalogRunOptions options,
                       Prompter& prompter, CatalogRunView& view)
    : databaseName_(std::move(databaseName)), medium_(medium), options_(options), prompter_(prompter),
      view_(view) {}

CatalogRun::~CatalogRun() = default;

void CatalogRun::setReadyWait(std::chrono::milliseconds timeout, std::chrono::milliseconds interval) {
    readyTimeout_ = timeout;
    readyInterval_ = interval;
}

CatalogRunOutcome CatalogRun::run() {
    if (prepare())
        scan();
    finish();
    return outcome_;
}

bool CatalogRun::prepare() {
    if (isBusy()) {
        gAbort = kFlagSet;
        ending_ = Ending::Busy;
        return false;
    }
    view_.setAnimationPlaying(true);
    view_.setCommandsEnabled(false);
    try {
        db_.emplace(Database::open(QDir(gDataPath).filePath(databaseName_ + QStringLiteral(".mdb"))));

        view_.status(kWaitingStatus);
        view_.pause(5);
        // Ready means the root can be opened and listed: a file system that reports no size
        // (some FUSE mounts) is catalogued all the same, with the size its medium gives, or 0.
        const bool ready = waitForDrive();
        const DriveType rawType = medium_.type();
        if (!ready) {
            prompter_.message(kNotReadyMessage);
            ending_ = Ending::DriveNotReady;
            return false;
        }
        view_.pause(5);
        const DiskSpace space = medium_.space();
        capacity_ = space.total;
        free_ = space.free;
        used_ = capacity_ - free_;
        root_ = medium_.rootFolder();
        if (root_.isEmpty()) {
            prompter_.message(kNotReadyMessage);
            ending_ = Ending::DriveNotReady;
            return false;
        }
        volumeType_ = VolumeTypeCodeFor(rawType, capacity_);

        Statement taken =
            db_->prepare(QStringLiteral("SELECT 1 FROM \"index\" WHERE \"tablename\" = ?1 COLLATE NOCASE"));
        const auto identityTaken = [&taken](const QString& identity) {
            taken.reset();
            taken.bind(1, identity);
            return taken.step();
        };
        t_ = TrimBlanks(IdentifyVolume(medium_, volumeType_, prompter_, view_, identityTaken).toLower());
        // No statement may keep the file's read lock while the user is asked for a name.
        taken.reset();
        if (t_.isEmpty()) {
            prompter_.message(kNoIdentityMessage);
            ending_ = Ending::NoIdentity;
            return false;
        }

        QString defaultName = TrimBlanks(medium_.label());
        Statement lookup = db_->prepare(QStringLiteral("SELECT \"name\", \"thedescription\" FROM \"index\" "
                                                       "WHERE \"tablename\" = ?1 COLLATE NOCASE LIMIT 1"));
        lookup.bind(1, t_);
        found_ = lookup.step();
        if (found_) {
            defaultName = lookup.isNull(0) ? QString() : lookup.columnText(0);
            const QString description = lookup.columnText(1);
            keptDescription_ = description.isEmpty() ? QStringLiteral(" ") : description;
        } else {
            keptDescription_ = QString(0, QChar());
        }
        lookup.reset();

        if (!askVolumeName(defaultName)) {
            ending_ = Ending::NoName;
            return false;
        }
        SetRunStatus(kNotCompletedStatus);
        catalogDate_ = NowLocalStoredSeconds();
        ending_ = Ending::Scanned;
        return true;
    } catch (const SqlError& error) {
        engineError_ = QString::fromUtf8(error.what());
        ending_ = Ending::Failed;
        outcome_ = CatalogRunOutcome::Failed;
        return false;
    }
}

bool CatalogRun::waitForDrive() {
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (medium_.rootListable())
            return true;
        if (waited.elapsed() >= readyTimeout_.count() || isAbortRequested())
            return false;
        std::this_thread::sleep_for(readyInterval_);
        view_.pause(0);
    }
}

bool CatalogRun::askVolumeName(const QString& defaultName) {
    // A known volume keeps its name without a question; one stored without a name is asked for
    // one like a new volume rather than refused for good.
    if (found_ && !defaultName.isEmpty()) {
        volumeName_ = defaultName;
        return true;
    }
    QString prompt = kNamePrompt;
    while (true) {
        const auto answer = prompter_.inputBox(prompt, kNameTitle, defaultName);
        if (!answer || answer->isEmpty()) {
            prompter_.message(kNoNameMessage);
            return false;
        }
        bool taken = false;
        Statement names = db_->prepare(QStringLiteral("SELECT \"name\" FROM \"index\""));
        while (!taken && names.step())
            taken = names.columnText(0).compare(*answer, Qt::CaseInsensitive) == 0;
        if (!taken) {
            volumeName_ = *answer;
            return true;
        }
        prompt = kNameTakenPrompt;
    }
}

void CatalogRun::scan() {
    try {
        const QString usedText = FormatSizeMB(used_).trimmed();
        view_.volumeLine(QStringLiteral("Scanning: ") + volumeName_);
        view_.setStatusEmphasis(true);
        view_.status(kAnalyzingStatus);
        view_.setWaitCursor(true);
        view_.pause(10);

        gBusy = kFlagSet;
        view_.setAbortCaption(true);
        view_.pause(25);
        CountedVolume volume(root_);
        const std::int64_t folderCount = CountFolders(volume, options_.scan, view_);
        view_.setProgressMaximum(folderCount == 0 ? 1 : ProgressValueOf(folderCount));

        // An abort during the counting pass leaves nothing to undo: the database is not touched.
        std::optional<Transaction> transaction;
        ScanTotals totals;
        totals.aborted = true;
        if (!isAbortRequested()) {
            transaction.emplace(*db_);
            replaceCatalog();
            totals = ScanVolume(*db_, t_, medium_.drive().name(), volume, options_.scan, view_);
            SetRunStatus(QStringLiteral("Last disk was %1, cataloged in %2")
                             .arg(usedText, ElapsedText(totals.elapsedSeconds)));
        }

        view_.pause(10);
        view_.setStatusEmphasis(false);
        view_.pause(25);
        if (!totals.aborted) {
            Statement row = db_->prepare(QStringLiteral(
                "INSERT INTO \"index\" (\"tablename\", \"name\", \"thedate\", \"size\", \"free\", \"used\", "
                "\"volumetype\", \"thedescription\", \"dirs\", \"files\") "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
            row.bind(1, t_).bind(2, volumeName_).bind(3, catalogDate_).bind(4, capacity_).bind(5, free_);
            row.bind(6, used_).bind(7, volumeType_).bind(8, keptDescription_).bind(9, totals.folderCount);
            row.bind(10, totals.fileCount - 1);
            row.execute();
        }

        if (options_.eject)
            medium_.eject();

        if (totals.aborted || isAbortRequested()) {
            view_.status(kCleaningUpStatus);
            view_.pause(10);
            outcome_ = CatalogRunOutcome::Aborted;
            return;
        }

        view_.pause(10);
        if (!options_.clearDescriptions) {
            view_.status(kSavingStatus);
            view_.pause(10);
            restoreDescriptions();
        }
        transaction->commit();
        outcome_ = CatalogRunOutcome::Completed;
    } catch (const std::exception& error) {
        engineError_ = QString::fromUtf8(error.what());
        SetRunStatus(kNotCompletedStatus);
        outcome_ = CatalogRunOutcome::Failed;
    }
}

void CatalogRun::replaceCatalog() {
    Database& db = *db_;
    // Older catalog files may hold the saved rows of a run that never finished. A volume whose
    // table name is "temp" owns tables of these names and keeps them.
    Statement tempVolume =
        db.prepare(QStringLiteral("SELECT 1 FROM \"index\" WHERE \"tablename\" = 'temp' COLLATE NOCASE"));
    if (!tempVolume.step()) {
        db.exec(QStringLiteral("DROP TABLE IF EXISTS \"main\".\"temp_dirs\"; "
                               "DROP TABLE IF EXISTS \"main\".\"temp_files\""));
    }

    if (found_) {
        if (!options_.clearDescriptions) {
            SaveRows(db, DirsTable(t_), kSavedDirs);
            SaveRows(db, FilesTable(t_), kSavedFiles);
        }
        Statement remove =
            db.prepare(QStringLiteral("DELETE FROM \"index\" WHERE \"tablename\" = ?1 COLLATE NOCASE"));
        remove.bind(1, t_).execute();
    }
    // Tables of t without an index row are left over from elsewhere; the new catalog replaces them.
    DropVolumeTables(db, t_);
    CreateVolumeTables(db, t_);
}

void CatalogRun::restoreDescriptions() {
    if (!found_)
        return;
    Database& db = *db_;
    const QString savepoint = quoteIdentifier(QStringLiteral("restore_descriptions"));
    db.exec(QStringLiteral("SAVEPOINT ") + savepoint);
    try {
        RestoreRows(db, DirsTable(t_), kSavedDirs);
        RestoreRows(db, FilesTable(t_), kSavedFiles);
        db.exec(QStringLiteral("RELEASE ") + savepoint);
    } catch (const SqlError&) {
        // A failed restore leaves the new catalog without the old descriptions.
        db.execIgnoringErrors(QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint));
    }
    db.execIgnoringErrors(
        QStringLiteral("DROP TABLE %1; DROP TABLE %2").arg(Saved(kSavedDirs), Saved(kSavedFiles)));
}

void CatalogRun::finish() {
    switch (ending_) {
    case Ending::None:
    case Ending::Busy:
        return;
    case Ending::NoIdentity:
    case Ending::NoName: {
        const QString status = ending_ == Ending::NoIdentity ? kNoIdentityStatus : kNoNameStatus;
        view_.setProgressValue(0);
        SetRunStatus(status);
        view_.status(status);
        view_.setCommandsEnabled(true);
        gBusy = kFlagClear;
        view_.setAnimationPlaying(false);
        db_.reset();
        return;
    }
    case Ending::Failed:
    case Ending::DriveNotReady:
        break;
    case Ending::Scanned:
        if (outcome_ != CatalogRunOutcome::Failed) {
            view_.pause(10);
            view_.status(kRefreshingStatus);
            view_.pause(25);
            view_.refreshCatalogs();
        }
        break;
    }
    if (!engineError_.isEmpty())
        prompter_.message(engineError_);
    endRun();
}

void CatalogRun::endRun() {
    view_.volumeLine(QStringLiteral("Last disk: ") + volumeName_);
    db_.reset();
    view_.setAnimationPlaying(false);
    gBusy = kFlagClear;
    view_.setAbortCaption(false);

    // An abort that comes once the new catalog is saved has nothing left to stop: the status keeps
    // saying what was done.
    if (isAbortRequested() && outcome_ != CatalogRunOutcome::Completed) {
        view_.setAnimationPlaying(false);
        SetRunStatus(kAbortedStatus);
        outcome_ = CatalogRunOutcome::Aborted;
    }
    view_.status(LastCatalogRunStatus());
    view_.setProgressValue(0);
    view_.setCommandsEnabled(true);
    gBusy = kFlagClear;
    view_.setWaitCursor(false);
    gAbort = kFlagClear;
}

} // namespace mendor
