// The normal and the duplicate search over a data folder of real catalog databases.
#include "search/SearchRun.h"

#include "search/FolderPaths.h"
#include "search/ScanPipeline.h"
#include "search/SearchReport.h"
#include "shell/Flags.h"
#include "shell/TextFormats.h"
#include "store/ConnectionPool.h"
#include "store/Database.h"
#include "support/CatalogFixture.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace mendor {
namespace {

class RecordingObserver : public SearchObserver {
public:
    void rowsFound(QList<ResultRow>& rows) override {
        for (const ResultRow& row : rows)
            found.append(row.volume + ':' + row.name);
        all.append(rows);
    }
    void status(const QString& text) override { statuses.append(text); }
    void pause() override {
        ++pauses;
        if (onPause)
            onPause(pauses);
    }

    QStringList found;
    QList<ResultRow> all;
    QStringList statuses;
    int pauses = 0;
    std::function<void(int)> onPause;
};

// Takes the rows as lines, as an observer that only prints them does.
class LineObserver : public SearchObserver {
public:
    void rowsFound(QList<ResultRow>&) override { ADD_FAILURE() << "rows for an observer of lines"; }
    void status(const QString&) override {}
    bool takesLines() const override { return true; }
    void linesFound(QByteArrayView text, std::int64_t count) override {
        lines += text;
        counted += count;
    }
    QByteArray lines;
    std::int64_t counted = 0;
};

QByteArray linesOf(const QList<ResultRow>& rows) {
    QByteArray lines;
    for (const ResultRow& row : rows)
        AppendResultLine(lines, row);
    return lines;
}

class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        FixtureVolume music(QStringLiteral("0002ffff"), QStringLiteral("Music CD"));
        const auto docs = music.addFolder(1, QStringLiteral("Docs"));
        music.addFile(docs, QStringLiteral("readme.txt"), 100);
        music.addFile(docs, QStringLiteral("a.txt"), 1536);
        music.addZipArchive(docs, QStringLiteral("Old.ZIP"), 4000);
        music.addFile(1, QStringLiteral("readme.txt"), 200);
        FixtureVolume backup(QStringLiteral("5a5a0001"), QStringLiteral("Backup"), 1, QStringLiteral("F:"));
        backup.addFile(1, QStringLiteral("README.txt"), 100);
        data_.addDatabase(QStringLiteral("Music"), {music, backup});

        FixtureVolume docsVolume(QStringLiteral("77"), QStringLiteral("Docs"));
        const auto many = docsVolume.addFolder(1, QStringLiteral("many"));
        for (int i = 0; i < 100; ++i)
            docsVolume.addFile(many, QStringLiteral("f%1.dat").arg(i, 3, 10, QLatin1Char('0')));
        data_.addDatabase(QStringLiteral("Work"), {docsVolume});
    }
    void TearDown() override { gAbort = kFlagClear; }

    SearchRequest request(const QString& condition, const QString& scope = QStringLiteral("ALL")) const {
        const QList<ChooserDatabase> chooser = ReadChooserDatabases(data_.dataPath());
        SearchRequest request;
        request.condition = condition;
        request.targets = SearchTargets(chooser, ScopeFromText(chooser, scope).value());
        request.dataPath = data_.dataPath();
        return request;
    }

    DuplicateRequest duplicates(const QString& condition, bool bySize) const {
        DuplicateRequest request;
        request.condition = condition;
        request.bySize = bySize;
        request.databaseFile = QStringLiteral("Music.mdb");
        request.dataPath = data_.dataPath();
        return request;
    }

    QString viewSql(const QString& view) const {
        const Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Music")));
        Statement sql =
            db.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?1"));
        sql.bind(1, view);
        return sql.step() ? sql.columnText(0) : QString();
    }

    CatalogFixture data_;
};

TEST_F(SearchRunTest, ScopeAndKindsDecideWhatIsListedInTheChoosersOrder) {
    struct Case {
        const char* scope;
        bool folders;
        bool files;
        QStringList found;
        const char* status;
    };
    const Case cases[] = {
        {"music/music cd",
         true,
         true,
         {"Music CD:Docs", "Music CD:Old.ZIP", "Music CD:readme.txt", "Music CD:a.txt",
          "Music CD:readme.txt"},
         " Found 2 folders, and 3 files, Done "},
        {"Music",
         false,
         true,
         {"Backup:README.txt", "Music CD:readme.txt", "Music CD:a.txt", "Music CD:readme.txt"},
         " Found 0 folders, and 4 files, Done "},
        {"ALL",
         true,
         false,
         {"Music CD:Docs", "Music CD:Old.ZIP", "Docs:many"},
         " Found 3 folders, and 0 files, Done "},
    };
    for (const Case& c : cases) {
        SearchRequest search = request(QStringLiteral("name like \"*\""), QString::fromUtf8(c.scope));
        search.searchFolders = c.folders;
        search.searchFiles = c.files;
        RecordingObserver observer;
        const SearchOutcome outcome = RunSearch(search, observer);
        EXPECT_EQ(observer.found, c.found) << c.scope;
        EXPECT_EQ(outcome.status, c.status) << c.scope;
    }
    EXPECT_FALSE(ScopeFromText(ReadChooserDatabases(data_.dataPath()), QStringLiteral("Music/Nope")));
}

TEST_F(SearchRunTest, RowsCarryTheirColumnsAndTheReportIsWrittenByteForByte) {
    RecordingObserver observer;
    SearchOutcome outcome =
        RunSearch(request(QStringLiteral("name like \"*o*\""), QStringLiteral("Music/Music CD")), observer);
    ASSERT_EQ(observer.all.size(), 2);
    const ResultRow& zip = observer.all[1];
    EXPECT_EQ(zip.location, "E:\\Docs\\");
    const QStringList zipTexts = {"Old.ZIP",
                                  FormatSizeKB(4000),
                                  "E:\\Docs\\",
                                  "Music CD",
                                  "ZIP file",
                                  "3/4/2001 5:06:07 pm",
                                  "3/4/2001 5:06:07 pm",
                                  "3/4/2001 5:06:07 pm",
                                  "A",
                                  ""};
    for (int column = 0; column < kResultColumnCount; ++column)
        EXPECT_EQ(ResultText(zip, column), zipTexts[column]) << column;
    EXPECT_EQ(ResultText(observer.all[0], 4), "(folder)");
    EXPECT_EQ(observer.all[0].location, "E:\\");

    const QString header = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\uc1 "
        "\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{"
        "\\*\\panose "
        "02020603050405020304}Arial;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0"
        "\\green255\\blue255;\\red0\\green255\\blue0; "
        "\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255"
        "\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;"
        "\\red0"
        "\\green128\\blue0;\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red128\\green128\\blue0;"
        "\\red128"
        "\\green128\\blue128;\\red192\\green192\\blue192;}{\\fs20 {\\b\\fs30 MENDOR PRO 3 SEARCH RESULTS...} "
        "{\\par} {\\par}");
    outcome = RunSearch(request(QStringLiteral("name like \"a.txt\"")), observer);
    EXPECT_EQ(QString::fromUtf8(outcome.report),
              header + "File {\\b a.txt} (2kb) on {\\b Music CD} in E:\\\\Docs\\\\ {\\par} {\\par}} } }");
    outcome = RunSearch(request(QStringLiteral("name like \"nothing\"")), observer);
    EXPECT_EQ(QString::fromUtf8(outcome.report), header + "} } }");
    EXPECT_EQ(RtfFileBytes("{\\b Été ∑}"), "{\\b \xC9t\xE9 \\u8721?}");
}

TEST_F(SearchRunTest, AnAbortStopsWithinTwentySixRowsAndKeepsWhatWasFound) {
    SearchRequest search = request(QStringLiteral("name like \"f*\""), QStringLiteral("Work"));
    search.searchFolders = false;
    RecordingObserver observer;
    // The first pause comes before the table is read; the click arrives during the second.
    observer.onPause = [](int pause) {
        if (pause == 2)
            gAbort = kFlagSet;
    };
    SearchOutcome outcome = RunSearch(search, observer);
    EXPECT_EQ(observer.found.size(), kRowsBetweenChecks);
    EXPECT_EQ(outcome.status, " ABORTED, but found 0 folders, and 26 files ");
    EXPECT_TRUE(outcome.report.isEmpty());

    RecordingObserver early;
    outcome = RunSearch(search, early);
    EXPECT_TRUE(early.found.isEmpty());
    EXPECT_EQ(outcome.status, "ABORTED, but found 0 folders, and 0 files");
}

TEST_F(SearchRunTest, ALargeVolumeReadInRangesKeepsTheOrderOfItsIDs) {
    FixtureVolume big(QStringLiteral("b16"), QStringLiteral("Big"));
    const auto folder = big.addFolder(1, QStringLiteral("all"));
    for (int i = 0; i < 70000; ++i)
        big.addFile(folder, QStringLiteral("n%1").arg(i % 40000));
    data_.addDatabase(QStringLiteral("Big"), {big});
    SearchRequest search = request(QStringLiteral("name like \"*7*\""), QStringLiteral("Big"));
    search.searchFolders = false;
    RecordingObserver observer;
    const SearchOutcome outcome = RunSearch(search, observer);
    std::int64_t expected = 0;
    for (int i = 0; i < 70000; ++i)
        expected += QString::number(i % 40000).contains('7') ? 1 : 0;
    ASSERT_EQ(observer.all.size(), expected);
    EXPECT_TRUE(std::is_sorted(observer.all.begin(), observer.all.end(),
                               [](const ResultRow& a, const ResultRow& b) { return a.id < b.id; }));
    EXPECT_EQ(observer.all.back().location, "E:\\all\\");
    EXPECT_EQ(outcome.files, expected);

    // Names below n30000 twice, the second time beyond the first range of IDs: each pair comes
    // together, in the order of the folded names, the first read first.
    DuplicateRequest twice = duplicates(QStringLiteral("name like \"n*7\""), false);
    twice.databaseFile = QStringLiteral("Big.mdb");
    RecordingObserver pairs;
    RunDuplicateSearch(twice, pairs);
    ASSERT_EQ(pairs.all.size(), 2 * 3000);
    for (qsizetype k = 0; k < pairs.all.size(); k += 2) {
        EXPECT_EQ(pairs.all[k].name, pairs.all[k + 1].name);
        EXPECT_LT(pairs.all[k].id, pairs.all[k + 1].id);
        if (k > 0) {
            EXPECT_LT(pairs.all[k - 1].name, pairs.all[k].name);
        }
    }
    // Some sixty thousand lines, handed out in several blocks, as the rows give them.
    twice.condition = QStringLiteral("name like \"*\"");
    RecordingObserver rows;
    LineObserver lines;
    RunDuplicateSearch(twice, rows);
    RunDuplicateSearch(twice, lines);
    ASSERT_EQ(rows.all.size(), 2 * 30000);
    EXPECT_EQ(lines.lines, linesOf(rows.all));
}

TEST_F(SearchRunTest, DuplicatesComeInTheOrderOfTheStoredQuery) {
    // Names alike in their first eight bytes, one the start of another, in either case; one name
    // in two sizes, the larger read first.
    FixtureVolume near(QStringLiteral("ea"), QStringLiteral("Near"));
    const std::pair<const char*, std::int64_t> files[] = {
        {"LongName_b", 5},  {"longname_A", 20}, {"longname", 7},   {"LONGNAME_a", 3},
        {"longname_a1", 1}, {"longnamE", 7},    {"LongName_B", 5}, {"longname_a1", 1},
        {"longname_a", 20}, {"Longname_A", 3},  {"x", 1},          {"X", 2}};
    for (const auto& [name, size] : files)
        near.addFile(1, QString::fromLatin1(name), size);
    data_.addDatabase(QStringLiteral("Near"), {near});
    for (const bool bySize : {false, true}) {
        DuplicateRequest request = duplicates(QStringLiteral("name like \"*\""), bySize);
        request.databaseFile = QStringLiteral("Near.mdb");
        RecordingObserver found;
        RunDuplicateSearch(request, found);
        QStringList keys;
        for (const ResultRow& row : found.all)
            keys.append(row.name.toCaseFolded() + (bySize ? ' ' + QString::number(row.size) : QString()));
        const Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Near")));
        Statement query =
            db.prepare(QStringLiteral("SELECT jet_fold(\"name\") || %1 FROM \"DuplicatesQuery\"")
                           .arg(bySize ? QStringLiteral("' ' || \"size\"") : QStringLiteral("''")));
        QStringList stored;
        while (query.step())
            stored.append(query.columnText(0));
        EXPECT_EQ(keys, stored) << bySize;
        EXPECT_FALSE(keys.isEmpty());
    }
}

TEST_F(SearchRunTest, ManySmallVolumesOfSeveralDatabasesComeInTheChoosersOrder) {
    // More tables than the threads may read ahead, spread over databases that the threads take
    // apart: the rows still come volume by volume, in the chooser's order.
    QStringList expected;
    for (const QString& database : {QStringLiteral("Set1"), QStringLiteral("Set2"), QStringLiteral("Set3")}) {
        QList<FixtureVolume> volumes;
        for (int v = 0; v < 12; ++v) {
            const QString name = database + QStringLiteral("v%1").arg(v, 2, 10, QLatin1Char('0'));
            volumes.emplace_back(name.toLower(), name);
            volumes.back().addFile(1, QStringLiteral("x.dat"));
            volumes.back().addFile(1, QStringLiteral("y.dat"));
            expected << name + QStringLiteral(":x.dat") << name + QStringLiteral(":y.dat");
        }
        data_.addDatabase(database, volumes);
    }
    ConnectionPool connections;
    const QList<ChooserDatabase> chooser = ReadChooserDatabases(data_.dataPath(), &connections);
    SearchRequest search = request(QStringLiteral("name like \"*.dat\""));
    search.targets = SearchTargets(chooser, SearchScope());
    search.connections = &connections;
    search.searchFolders = false;
    RecordingObserver observer;
    RunSearch(search, observer);
    EXPECT_EQ(observer.found.mid(0, expected.size()), expected);
    EXPECT_EQ(observer.found.size(), expected.size() + 100); // and then the files of Work
}

TEST_F(SearchRunTest, LinesForOutputAreTheRowsAsTheListShowsThem) {
    FixtureVolume odd(QStringLiteral("0dd"), QStringLiteral("Odd"));
    const auto folder = odd.addFolder(1, QStringLiteral("Ünï\tcode"));
    odd.addFile(folder, QStringLiteral("Été.txt"), 100, QStringLiteral("one\ttwo\nthree"));
    odd.addFile(1, QStringLiteral("éTÉ.TXT"), 2048);
    odd.addFile(1, QStringLiteral("bad.txt"), 100);
    data_.addDatabase(QStringLiteral("Odd"), {odd});
    {
        Database db = Database::open(data_.databasePath(QStringLiteral("Odd")));
        db.exec("UPDATE \"0dd_files\" SET \"name\" = CAST(x'6261C0642E747874' AS TEXT), \"lastdate\" = NULL "
                "WHERE \"name\" = 'bad.txt'");
    }
    RecordingObserver rows;
    LineObserver lines;
    SearchRequest all = request(QStringLiteral("name like \"*\""));
    all.writeReport = false; // a report needs the rows
    RunSearch(all, rows);
    RunSearch(all, lines);
    EXPECT_EQ(lines.lines, linesOf(rows.all));
    EXPECT_EQ(lines.counted, rows.all.size());
    for (const bool bySize : {false, true}) {
        DuplicateRequest odds = duplicates(QStringLiteral("name like \"*\""), bySize);
        odds.databaseFile = QStringLiteral("Odd.mdb");
        RecordingObserver duplicateRows;
        LineObserver duplicateLines;
        RunDuplicateSearch(odds, duplicateRows);
        RunDuplicateSearch(odds, duplicateLines);
        EXPECT_EQ(duplicateRows.found.size(), bySize ? 0 : 2);
        EXPECT_EQ(duplicateLines.lines, linesOf(duplicateRows.all));
    }
}

TEST_F(SearchRunTest, RowsReadWhileAnotherThreadLoadsTheFoldersGetTheirLocationsAfter) {
    // A tab in a folder's name is a blank in the lines, whichever way the location comes in.
    FixtureVolume tabs(QStringLiteral("7ab"), QStringLiteral("Tabs"));
    tabs.addFile(tabs.addFolder(1, QStringLiteral("a\tb")), QStringLiteral("c.txt"));
    data_.addDatabase(QStringLiteral("Tabs"), {tabs});
    const ScanRange range{"Tabs.mdb", "7ab", "Tabs", false, 0, std::nullopt};
    ConnectionPool connections;
    for (const bool asLines : {false, true}) {
        SharedFolderTables ready;
        const ScannedRange expected =
            ScanSession(connections, data_.dataPath(), ready).read(range, "1", asLines);
        SharedFolderTables loading;
        std::promise<void> started;
        std::thread loader([&] {
            loading.get("Tabs.mdb/7ab", [&] {
                started.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                const Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Tabs")));
                return FolderMap::loadTable(db, "7ab_dirs");
            });
        });
        started.get_future().wait();
        ScanSession session(connections, data_.dataPath(), loading);
        ScannedRange deferred = session.read(range, "1", asLines);
        EXPECT_FALSE(session.completeLocations(deferred, range, false));
        EXPECT_TRUE(session.completeLocations(deferred, range, true));
        loader.join();
        EXPECT_EQ(deferred.lines, expected.lines);
        EXPECT_EQ(linesOf(deferred.rows), linesOf(expected.rows));
        EXPECT_TRUE((asLines ? expected.lines : linesOf(expected.rows)).contains("E:\\a b\\"));
    }
}

TEST_F(SearchRunTest, FolderPathsFromTheMapMatchTheQueryPerLevel) {
    const Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Music")));
    FolderMap map = FolderMap::load(db, QStringLiteral("0002ffff_dirs"));
    for (std::int64_t id : {1, 2, 5, 99})
        EXPECT_EQ(map.path(id), GetFolderPath(id, "0002ffff_dirs", "Music.mdb", data_.dataPath())) << id;
    EXPECT_EQ(map.path(5), "E:\\Docs\\Old.ZIP\\");
}

TEST_F(SearchRunTest, DuplicatesByNameAndByNameAndSizeAcrossVolumes) {
    RecordingObserver byName;
    SearchOutcome outcome =
        RunDuplicateSearch(duplicates(QStringLiteral("name like \"*.txt\""), false), byName);
    ASSERT_EQ(byName.all.size(), 3);
    QStringList places;
    for (const ResultRow& row : byName.all)
        places.append(row.volume + ' ' + row.location + row.name);
    places.sort(); // rows of one name come together, in no fixed order among themselves
    EXPECT_EQ(places, QStringList({"Backup F:\\README.txt", "Music CD E:\\Docs\\readme.txt",
                                   "Music CD E:\\readme.txt"}));
    EXPECT_EQ(outcome.status, "Found 0 folder(s) and 3 file(s) -- DONE");
    EXPECT_TRUE(byName.statuses.contains("  Searching Duplicate Files/Folders  "));
    const QString byNameQuery = viewSql("DuplicatesQuery");
    EXPECT_FALSE(byNameQuery.isEmpty());

    RecordingObserver bySize;
    RunDuplicateSearch(duplicates(QStringLiteral("name like \"*.txt\""), true), bySize);
    QStringList sized;
    for (const ResultRow& row : bySize.all)
        sized.append(row.volume + ':' + QString::number(row.size));
    sized.sort();
    EXPECT_EQ(sized, QStringList({"Backup:100", "Music CD:100"}));
    EXPECT_NE(viewSql("DuplicatesQuery"), byNameQuery);
    EXPECT_TRUE(viewSql("AllTables").contains("5a5a0001_files"));

    // One volume alone holds no duplicate; a condition that does not translate leaves the queries.
    DuplicateRequest oneVolume = duplicates(QStringLiteral("name like \"*\""), false);
    oneVolume.volumeName = QStringLiteral("backup");
    RecordingObserver none;
    EXPECT_EQ(RunDuplicateSearch(oneVolume, none).status, "Found 0 folder(s) and 0 file(s) -- DONE");
    EXPECT_FALSE(viewSql("AllTables").contains("0002ffff"));
    const QString stored = viewSql("AllTables");
    RunDuplicateSearch(duplicates(QStringLiteral("name like \"*x\"y*\""), false), none);
    EXPECT_TRUE(none.found.isEmpty());
    EXPECT_EQ(viewSql("AllTables"), stored);

    // The passes store their queries in turn: an abort in the first leaves the folders' queries.
    FixtureVolume first(QStringLiteral("aa"), QStringLiteral("First"));
    FixtureVolume second(QStringLiteral("bb"), QStringLiteral("Second"));
    for (FixtureVolume* volume : {&first, &second})
        volume->addFile(volume->addFolder(1, QStringLiteral("Docs")), QStringLiteral("a.txt"));
    data_.addDatabase(QStringLiteral("Twice"), {first, second});
    DuplicateRequest twice = duplicates(QStringLiteral("name like \"*\""), false);
    twice.databaseFile = QStringLiteral("Twice.mdb");
    const auto storedTables = [&] {
        const Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Twice")));
        Statement sql = db.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'AllTables'"));
        return sql.step() ? sql.columnText(0) : QString();
    };
    RecordingObserver aborted;
    gAbort = kFlagSet;
    EXPECT_EQ(RunDuplicateSearch(twice, aborted).status, "ABORTED, but found 0 folder(s) and 0 file(s)");
    EXPECT_TRUE(storedTables().contains("FROM \"bb_dirs\""));
    EXPECT_FALSE(storedTables().contains("_files"));
    gAbort = kFlagClear;
    RecordingObserver completed;
    EXPECT_EQ(RunDuplicateSearch(twice, completed).status, "Found 4 folder(s) and 2 file(s) -- DONE");
    EXPECT_TRUE(storedTables().contains("FROM \"bb_files\""));
    // Counts in a damaged index row that no integer can add up find the same rows.
    {
        Database db = Database::open(data_.databasePath(QStringLiteral("Twice")));
        db.exec("UPDATE \"index\" SET \"dirs\" = -9223372036854775808, \"files\" = -1");
    }
    RecordingObserver damaged;
    EXPECT_EQ(RunDuplicateSearch(twice, damaged).status, "Found 4 folder(s) and 2 file(s) -- DONE");

    EXPECT_TRUE(IsWholeCatalogueCondition("name like \"*.*\""));
    EXPECT_FALSE(IsWholeCatalogueCondition("name like \"*a*\""));
}

} // namespace
} // namespace mendor
