#include "catalog/CatalogRun.h"

#include "catalog/VolumeTypes.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/StoredDate.h"
#include "store/Database.h"
#include "support/CatalogFixture.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDriveMedium.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

using namespace mendor;
using mendor::test::DumpDatabase;
using mendor::test::ScriptedPrompter;
using mendor::test::TestDriveMedium;
using mendor::test::WriteBytes;

namespace {

const QString kNameTitle = QStringLiteral("Volume Description");
const QString kNamePrompt = QStringLiteral("Enter a descriptive name for this volume...");
const QString kTakenPrompt =
    QStringLiteral("That volume name is already taken in the database... Please enter another.");
const QString kNoName = QStringLiteral("No volume description entered.  Won't catalog volume.");
const QString kNotReady = QStringLiteral("Drive not ready or unavailable...");

/// Records every call in order as "kind:value"; can request an abort at the n-th folder the
/// scan reports, slowing each report down so the scan reports every folder.
class RecordingView : public CatalogRunView {
public:
    void status(const QString& text) override {
        events.append(QStringLiteral("status:") + text);
        if (abortAtFolder > 0 && text.startsWith(QLatin1String("E:\\")) && ++foldersSeen == abortAtFolder)
            gAbort = kFlagSet;
    }
    void setProgressMaximum(int maximum) override { events.append(QStringLiteral("max:%1").arg(maximum)); }
    void setProgressValue(int value) override {
        if (value == 0)
            events.append(QStringLiteral("value:0"));
    }
    void pause(int count) override {
        if (count == 0 && abortAtFolder > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    void volumeLine(const QString& text) override { events.append(QStringLiteral("volume:") + text); }
    void setStatusEmphasis(bool on) override { events.append(QStringLiteral("emphasis:%1").arg(on)); }
    void setCommandsEnabled(bool on) override { events.append(QStringLiteral("commands:%1").arg(on)); }
    void setAnimationPlaying(bool on) override { events.append(QStringLiteral("animation:%1").arg(on)); }
    void setWaitCursor(bool on) override { events.append(QStringLiteral("cursor:%1").arg(on)); }
    void setAbortCaption(bool on) override { events.append(QStringLiteral("abort:%1").arg(on)); }
    void refreshCatalogs() override {
        events.append(QStringLiteral("refresh"));
        if (abortAtRefresh)
            gAbort = kFlagSet;
    }

    /// The events that start with prefix, in order, without it.
    QStringList only(const QString& prefix) const {
        QStringList found;
        for (const QString& event : events)
            if (event.startsWith(prefix))
                found.append(event.mid(prefix.size()));
        return found;
    }

    QStringList events;
    int abortAtFolder = 0;
    int foldersSeen = 0;
    bool abortAtRefresh = false;
};

/// docs/ (a.txt, b.txt), docs/old/ (c.txt), music/ and top.txt: 3 folders, 4 files.
void MakeSmallTree(const QString& root) {
    QDir dir(root);
    dir.mkpath(QStringLiteral("docs/old"));
    dir.mkpath(QStringLiteral("music"));
    WriteBytes(dir.filePath(QStringLiteral("docs/a.txt")), "alpha");
    WriteBytes(dir.filePath(QStringLiteral("docs/b.txt")), "bravo!");
    WriteBytes(dir.filePath(QStringLiteral("docs/old/c.txt")), "charlie");
    WriteBytes(dir.filePath(QStringLiteral("top.txt")), "top");
}

struct IndexRow {
    QString tablename, name, description;
    bool descriptionNull = false;
    std::int64_t volumetype = 0, date = 0, size = 0, used = 0, free = 0, dirs = 0, files = 0;
};

QList<IndexRow> IndexRows(const QString& path) {
    Database db = Database::openReadOnly(path);
    Statement rows = db.prepare(QStringLiteral(
        "SELECT tablename, name, thedescription, volumetype, thedate, size, used, free, dirs, files "
        "FROM \"index\" ORDER BY rowid"));
    QList<IndexRow> found;
    while (rows.step()) {
        found.append({rows.columnText(0), rows.columnText(1), rows.columnText(2), rows.isNull(2),
                      rows.columnInt(3), rows.columnInt(4), rows.columnInt(5), rows.columnInt(6),
                      rows.columnInt(7), rows.columnInt(8), rows.columnInt(9)});
    }
    return found;
}

/// The description of the row called name in t_dirs or t_files; "<null>" for NULL.
QString DescriptionOf(const QString& path, const QString& table, const QString& name) {
    Database db = Database::openReadOnly(path);
    Statement row =
        db.prepare(QStringLiteral("SELECT description FROM %1 WHERE name = ?1").arg(quoteIdentifier(table)));
    row.bind(1, name);
    if (!row.step())
        return QStringLiteral("<no row>");
    return row.isNull(0) ? QStringLiteral("<null>") : row.columnText(0);
}

void Execute(const QString& path, const QString& sql) {
    Database db = Database::open(path);
    db.exec(sql);
}

class CatalogRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        gBusy = kFlagClear;
        gDataPath = data.dataPath();
        database = data.addDatabase(QStringLiteral("Disks"));
        medium.volumeLabel = QStringLiteral("  BACKUP DISK ");
    }

    CatalogRunOutcome Run(ScriptedPrompter& prompter, RecordingView& view, CatalogRunOptions options = {}) {
        CatalogRun run(QStringLiteral("Disks"), medium, options, prompter, view);
        run.setReadyWait(std::chrono::milliseconds(60), std::chrono::milliseconds(5));
        const CatalogRunOutcome outcome = run.run();
        t = run.tableName();
        return outcome;
    }

    CatalogRunOutcome RunNew(const QString& name, CatalogRunOptions options = {}) {
        ScriptedPrompter prompter;
        prompter.answerInput(name, kNamePrompt, kNameTitle);
        RecordingView view;
        return Run(prompter, view, options);
    }

    CatalogRunOutcome RunKnown(CatalogRunOptions options = {}) {
        ScriptedPrompter prompter;
        RecordingView view;
        return Run(prompter, view, options);
    }

    CatalogFixture data;
    QString database;
    QTemporaryDir volume;
    TestDriveMedium medium{volume.path()};
    QString t;
};

} // namespace

TEST_F(CatalogRunTest, NewVolumeGetsItsTablesIndexRowAndEveryStepShown) {
    MakeSmallTree(volume.path());
    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("Backup"), kNamePrompt, kNameTitle);
    RecordingView view;
    const std::int64_t before = NowLocalStoredSeconds();
    ASSERT_EQ(Run(prompter, view), CatalogRunOutcome::Completed);

    EXPECT_EQ(prompter.prompts().at(0).defaultText, QStringLiteral("BACKUP DISK"));
    const QString marker = QString::fromLatin1([&] {
        QFile file(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")));
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }());
    EXPECT_EQ(t, marker);

    const auto rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 1);
    const IndexRow& row = rows.first();
    EXPECT_EQ(row.tablename, t);
    EXPECT_EQ(row.name, QStringLiteral("Backup"));
    EXPECT_EQ(row.volumetype, kVolumeFixed);
    EXPECT_EQ(row.size, 100'000'000'000);
    EXPECT_EQ(row.free, 40'000'000'000);
    EXPECT_EQ(row.used, 60'000'000'000);
    EXPECT_FALSE(row.descriptionNull);
    EXPECT_EQ(row.description, QString());
    EXPECT_EQ(row.dirs, 3);
    EXPECT_EQ(row.files, 4) << "one less than the five files the scan met, the marker among them";
    EXPECT_GE(row.date, before);
    EXPECT_LE(row.date, NowLocalStoredSeconds());

    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), QStringLiteral("Mendor.cat")),
              QStringLiteral("<no row>"));
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), QStringLiteral("c.txt")),
              QStringLiteral("<null>"));

    const QString finalStatus = QStringLiteral("Last disk was 58,593.8MB, cataloged in 0:00");
    EXPECT_EQ(LastCatalogRunStatus(), finalStatus);
    const QStringList statuses = view.only(QStringLiteral("status:"));
    const QStringList expectedOrder{
        QStringLiteral("Waiting for drive ready..."),       QStringLiteral("Identifying volume..."),
        QStringLiteral("Analyzing Directory Structure..."), QStringLiteral("Saving existing descriptions..."),
        QStringLiteral("Refreshing databases..."),          finalStatus};
    qsizetype at = 0;
    for (const QString& expected : expectedOrder) {
        at = statuses.indexOf(expected, at);
        EXPECT_GE(at, 0) << expected.toStdString();
    }
    EXPECT_EQ(statuses.last(), finalStatus);
    EXPECT_EQ(view.only(QStringLiteral("volume:")),
              (QStringList{QStringLiteral("Scanning: Backup"), QStringLiteral("Last disk: Backup")}));
    EXPECT_EQ(view.only(QStringLiteral("commands:")),
              (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
    EXPECT_EQ(view.only(QStringLiteral("abort:")), (QStringList{QStringLiteral("1"), QStringLiteral("0")}));
    EXPECT_EQ(view.only(QStringLiteral("emphasis:")),
              (QStringList{QStringLiteral("1"), QStringLiteral("0")}));
    EXPECT_EQ(view.only(QStringLiteral("max:")), QStringList{QStringLiteral("3")});
    EXPECT_EQ(view.events.count(QStringLiteral("refresh")), 1);
    EXPECT_EQ(medium.ejects, 0);
    EXPECT_FALSE(isBusy());
}

TEST_F(CatalogRunTest, KnownVolumeKeepsNameAndDescriptionsWithoutAPrompt) {
    MakeSmallTree(volume.path());
    WriteBytes(QDir(volume.path()).filePath(QStringLiteral("docs/B.txt")), "B");
    ASSERT_EQ(RunNew(QStringLiteral("Backup")), CatalogRunOutcome::Completed);
    const QString first = t;
    Execute(database,
            QStringLiteral("UPDATE \"index\" SET thedescription = 'Weekly backups';"
                           "UPDATE \"%1_files\" SET description = 'first letter' WHERE name = 'a.txt';"
                           "UPDATE \"%1_files\" SET description = name WHERE name IN ('b.txt', 'B.txt');"
                           "UPDATE \"%1_dirs\" SET description = 'archive' WHERE name = 'old';")
                .arg(first));
    QDir docs(QDir(volume.path()).filePath(QStringLiteral("docs")));
    WriteBytes(docs.filePath(QStringLiteral("new.txt")), "new");
    // Renamed in letter case only: still the same items to the catalog.
    ASSERT_TRUE(docs.rename(QStringLiteral("a.txt"), QStringLiteral("A.txt")));
    ASSERT_TRUE(docs.rename(QStringLiteral("old"), QStringLiteral("OLD")));

    ASSERT_EQ(RunKnown(), CatalogRunOutcome::Completed) << "a prompt would have failed the test";
    EXPECT_EQ(t, first);
    auto rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].name, QStringLiteral("Backup"));
    EXPECT_EQ(rows[0].description, QStringLiteral("Weekly backups"));
    EXPECT_EQ(rows[0].files, 6);
    for (const QString& name : {QStringLiteral("b.txt"), QStringLiteral("B.txt")})
        EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), name), name)
            << "the exact name first";
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), QStringLiteral("A.txt")),
              QStringLiteral("first letter"));
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_dirs"), QStringLiteral("OLD")),
              QStringLiteral("archive"));
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), QStringLiteral("new.txt")),
              QStringLiteral("<null>"));

    CatalogRunOptions clearing;
    clearing.clearDescriptions = true;
    clearing.eject = true;
    ASSERT_EQ(RunKnown(clearing), CatalogRunOutcome::Completed);
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_files"), QStringLiteral("A.txt")),
              QStringLiteral("<null>"));
    EXPECT_EQ(DescriptionOf(database, t + QStringLiteral("_dirs"), QStringLiteral("OLD")),
              QStringLiteral("<null>"));
    EXPECT_EQ(medium.ejects, 1);

    // A known volume without a description of its own keeps a single blank.
    Execute(database, QStringLiteral("UPDATE \"index\" SET thedescription = NULL"));
    ASSERT_EQ(RunKnown(), CatalogRunOutcome::Completed);
    rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].description, QStringLiteral(" "));
}

TEST_F(CatalogRunTest, TakenNamesAreAskedAgainAndAnEmptyNameStopsTheRun) {
    FixtureVolume music(QStringLiteral("0002ffff"), QStringLiteral("Music CD"), kVolumeCdRom);
    data.addVolume(QStringLiteral("Disks"), music);
    MakeSmallTree(volume.path());
    const QStringList before = DumpDatabase(database);

    {
        ScriptedPrompter prompter;
        prompter.answerInput(QStringLiteral("MUSIC cd"), kNamePrompt, kNameTitle)
            .answerInput(QStringLiteral("music CD"), kTakenPrompt, kNameTitle)
            .answerInput(QString(), kTakenPrompt, kNameTitle)
            .expectMessage(kNoName);
        RecordingView view;
        EXPECT_EQ(Run(prompter, view), CatalogRunOutcome::Stopped);
        EXPECT_EQ(prompter.prompts().at(1).defaultText, QStringLiteral("BACKUP DISK"));
        EXPECT_EQ(view.only(QStringLiteral("status:")).last(),
                  QStringLiteral("Last Attempt: User failed to enter a volume description"));
        EXPECT_TRUE(view.only(QStringLiteral("volume:")).isEmpty());
        EXPECT_EQ(DumpDatabase(database), before);
    }

    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("Music CD"), kNamePrompt, kNameTitle)
        .answerInput(QStringLiteral("Music CD 2"), kTakenPrompt, kNameTitle);
    RecordingView view;
    ASSERT_EQ(Run(prompter, view), CatalogRunOutcome::Completed);
    const auto rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].name, QStringLiteral("Music CD 2"));
}

TEST_F(CatalogRunTest, AbortDuringTheScanLeavesTheDatabaseExactlyAsItWas) {
    QDir root(volume.path());
    for (int folder = 0; folder < 30; ++folder) {
        const QString name = QStringLiteral("f%1").arg(folder, 2, 10, QLatin1Char('0'));
        root.mkpath(name);
        WriteBytes(root.filePath(name + QStringLiteral("/x.txt")), "x");
    }
    ASSERT_EQ(RunNew(QStringLiteral("Backup")), CatalogRunOutcome::Completed);
    Execute(database, QStringLiteral("UPDATE \"%1_files\" SET description = 'kept' WHERE rowid = 3;"
                                     "CREATE TABLE temp_dirs (x); CREATE TABLE temp_files (x);")
                          .arg(t));
    const QStringList before = DumpDatabase(database);
    root.mkpath(QStringLiteral("f99"));

    ScriptedPrompter prompter;
    RecordingView view;
    view.abortAtFolder = 5;
    CatalogRunOptions options;
    options.eject = true;
    ASSERT_EQ(Run(prompter, view, options), CatalogRunOutcome::Aborted);
    EXPECT_EQ(view.foldersSeen, 5) << "the scan stopped at the abort";
    EXPECT_EQ(DumpDatabase(database), before);
    EXPECT_EQ(mendor::test::IntegrityCheck(database), QStringLiteral("ok"));
    EXPECT_EQ(medium.ejects, 1) << "the medium is ejected also after an abort";
    EXPECT_TRUE(
        view.only(QStringLiteral("status:")).contains(QStringLiteral("Aborting... cleaning up database")));
    EXPECT_EQ(view.only(QStringLiteral("status:")).last(),
              QStringLiteral("Last catalog action was aborted..."));
    EXPECT_EQ(LastCatalogRunStatus(), QStringLiteral("Last catalog action was aborted..."));
    EXPECT_FALSE(isAbortRequested());
    EXPECT_FALSE(isBusy());

    // A new volume aborted midway leaves neither tables nor an index row.
    QTemporaryDir otherRoot;
    for (int folder = 0; folder < 10; ++folder)
        QDir(otherRoot.path()).mkpath(QStringLiteral("g%1").arg(folder));
    TestDriveMedium other(otherRoot.path());
    ScriptedPrompter naming;
    naming.answerInput(QStringLiteral("Other"), kNamePrompt, kNameTitle);
    RecordingView aborting;
    aborting.abortAtFolder = 3;
    CatalogRun run(QStringLiteral("Disks"), other, {}, naming, aborting);
    EXPECT_EQ(run.run(), CatalogRunOutcome::Aborted);
    EXPECT_EQ(DumpDatabase(database), before);

    // An abort that comes once the new catalog is saved undoes nothing: the run says it completed.
    RecordingView late;
    late.abortAtRefresh = true;
    ASSERT_EQ(Run(prompter, late, {}), CatalogRunOutcome::Completed);
    EXPECT_TRUE(LastCatalogRunStatus().startsWith(QStringLiteral("Last disk was ")))
        << LastCatalogRunStatus().toStdString();
    EXPECT_NE(DumpDatabase(database), before);
}

TEST_F(CatalogRunTest, MediaMarkedInQuickSuccessionStayApart) {
    MakeSmallTree(volume.path());
    QTemporaryDir otherRoot;
    MakeSmallTree(otherRoot.path());
    TestDriveMedium other(otherRoot.path());
    ASSERT_EQ(RunNew(QStringLiteral("First")), CatalogRunOutcome::Completed);
    const QString first = t;
    // The same number as the first medium's marker, as a run within the same second would get.
    WriteBytes(QDir(otherRoot.path()).filePath(QStringLiteral("Mendor.cat")), "\r\n");
    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("Second"), kNamePrompt, kNameTitle);
    RecordingView view;
    CatalogRun run(QStringLiteral("Disks"), other, {}, prompter, view);
    ASSERT_EQ(run.run(), CatalogRunOutcome::Completed);
    EXPECT_NE(run.tableName(), first);
    const auto rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QStringLiteral("First"));
    EXPECT_EQ(rows[1].name, QStringLiteral("Second"));
}

TEST_F(CatalogRunTest, LeftoversOfOlderFilesAreClearedWithTheNextRun) {
    MakeSmallTree(volume.path());
    WriteBytes(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")), "Orphan.VOL\r\n");
    Execute(database, QStringLiteral("CREATE TABLE temp_dirs (x); CREATE TABLE temp_files (x);"
                                     "CREATE TABLE orphan_dirs (x); CREATE TABLE orphan_files (x);"));
    ASSERT_EQ(RunNew(QStringLiteral("Backup")), CatalogRunOutcome::Completed);
    EXPECT_EQ(t, QStringLiteral("orphan"));
    Database db = Database::openReadOnly(database);
    EXPECT_FALSE(db.hasTable(QStringLiteral("temp_dirs")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("temp_files")));
    Statement rows = db.prepare(QStringLiteral("SELECT count(*) FROM orphan_files"));
    ASSERT_TRUE(rows.step());
    EXPECT_EQ(rows.columnInt(0), 4);
}

TEST_F(CatalogRunTest, VolumeTypeComesFromTheDriveTypeAndCapacity) {
    MakeSmallTree(volume.path());
    const struct {
        DriveType type;
        std::int64_t capacity;
        int code;
    } cases[] = {
        {DriveType::Removable, 1'457'664, kVolumeFloppy},
        {DriveType::Removable, 100'431'872, kVolumeZipDisk},
        {DriveType::CdRom, 650'000'000, kVolumeCdRom},
    };
    int run = 0;
    for (const auto& row : cases) {
        QFile::remove(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")));
        medium.driveType = row.type;
        medium.diskSpace = {row.capacity, row.capacity / 4};
        medium.serialAnswers = {305419896u};
        // Marker numbers count seconds: each medium gets a name of its own.
        if (row.type != DriveType::CdRom)
            WriteBytes(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")),
                       QByteArray::number(1000 + run) + "\r\n");
        ASSERT_EQ(RunNew(QStringLiteral("Disk %1").arg(run)), CatalogRunOutcome::Completed) << run;
        const auto rows = IndexRows(database);
        ASSERT_EQ(rows.size(), run + 1);
        EXPECT_EQ(rows.last().volumetype, row.code) << run;
        EXPECT_EQ(rows.last().size, row.capacity);
        ++run;
    }
    EXPECT_EQ(t, QStringLiteral("12345678")) << "the CD is known by its serial";
    EXPECT_FALSE(QFile::exists(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat"))));
}

TEST_F(CatalogRunTest, RunsThatCannotStartChangeNothing) {
    MakeSmallTree(volume.path());
    const QStringList before = DumpDatabase(database);

    // Not ready: the root cannot be listed, whatever size the drive reports.
    const QString away = volume.path() + QStringLiteral(".away");
    ASSERT_TRUE(QDir().rename(volume.path(), away));
    ScriptedPrompter prompter;
    prompter.expectMessage(kNotReady);
    RecordingView view;
    EXPECT_EQ(Run(prompter, view), CatalogRunOutcome::Stopped);
    EXPECT_EQ(view.only(QStringLiteral("volume:")), QStringList{QStringLiteral("Last disk: ")});
    ASSERT_TRUE(QDir().rename(away, volume.path()));
    EXPECT_FALSE(QFile::exists(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat"))));

    medium.diskSpace = {1'457'664, 0};
    medium.driveType = DriveType::CdRom;
    ScriptedPrompter cancelling;
    cancelling.cancelInput({}, QStringLiteral(" Identify This Disk"))
        .expectMessage(
            QStringLiteral("Error:  Cannot establish a marker file on volume, OR retrieve a serial "
                           "number... Cannot catalog this volume!"));
    RecordingView identifying;
    EXPECT_EQ(Run(cancelling, identifying), CatalogRunOutcome::Stopped);
    EXPECT_EQ(LastCatalogRunStatus(),
              QStringLiteral("Last Attempt: Failed to determine/create unique media name"));
    EXPECT_EQ(identifying.only(QStringLiteral("status:")).last(), LastCatalogRunStatus());

    gBusy = kFlagSet;
    ScriptedPrompter silent;
    RecordingView busy;
    EXPECT_EQ(Run(silent, busy), CatalogRunOutcome::Stopped);
    EXPECT_TRUE(isAbortRequested()) << "a click while busy is an abort request";
    EXPECT_TRUE(busy.events.isEmpty());
    gBusy = kFlagClear;
    gAbort = kFlagClear;
    EXPECT_EQ(DumpDatabase(database), before);
}

// Some FUSE mounts report no size: a root that can be listed is ready all the same.
TEST_F(CatalogRunTest, AListableVolumeWithoutASizeIsCatalogued) {
    MakeSmallTree(volume.path());
    medium.diskSpace = {0, 0};
    ASSERT_EQ(RunNew(QStringLiteral("Fuse")), CatalogRunOutcome::Completed);
    const auto rows = IndexRows(database);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.last().size, 0);
    EXPECT_GT(rows.last().files, 0);
}

TEST_F(CatalogRunTest, EngineErrorIsReportedAndRolledBack) {
    MakeSmallTree(volume.path());
    WriteBytes(QDir(volume.path()).filePath(QStringLiteral("Mendor.cat")), "42\r\n");
    // A view where the new folders table belongs makes creating it fail midway.
    Execute(database, QStringLiteral("CREATE TABLE temp_dirs (x); CREATE VIEW \"42_dirs\" AS SELECT 1"));
    const QStringList before = DumpDatabase(database);

    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("Backup"), kNamePrompt, kNameTitle).expectMessage();
    RecordingView view;
    EXPECT_EQ(Run(prompter, view), CatalogRunOutcome::Failed);
    EXPECT_EQ(DumpDatabase(database), before);
    EXPECT_EQ(LastCatalogRunStatus(), QStringLiteral("Last attempt was NOT completed"));
    EXPECT_EQ(view.events.count(QStringLiteral("refresh")), 0);
    EXPECT_FALSE(isBusy());
}
