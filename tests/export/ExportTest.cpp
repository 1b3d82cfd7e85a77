// Listings compared whole, byte for byte, over a small catalogued volume.
#include "export/ExportRun.h"
#include "shell/Flags.h"
#include "support/CatalogFixture.h"
#include "support/RecordingExportView.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace mendor {
namespace {

using test::ReadBytes;
using test::WriteBytes;

QByteArray Lines(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
    return text;
}

const QStringList kInformation = {
    "",
    "Volume Name: Work Disk",
    "Description: Backups",
    "Cataloged on: March 4, 2001",
    "Capacity: 10,240,000 bytes",
    "Used Space: 4,096,000 bytes",
    "Free Space: 6,144,000 bytes",
    "Number of Folders: 3",
    "Number of Files: 5",
    "",
};
const QString kHeading = "FILE/FOLDER NAME\tSIZE\tTYPE\tCREATED\tMODIFIED\tACCESSED\tATTRIBUTES\tDESCRIPTION";
const QString kDates = "3/4/2001 5:06 pm\t3/4/2001 5:06 pm\t3/4/2001 5:06 pm";

// E:\ holds Alpha and zeta.kqz (listed by name without regard to case), Docs\ with a.kqz and
// Sub\deep.kqz, and a folder and file named in other scripts.
FixtureVolume WorkDisk() {
    FixtureVolume disk("1234", "Work Disk");
    disk.description = "Backups";
    disk.addFile(1, "zeta.kqz", 1536, "Notes");
    disk.addFile(1, "Alpha", 7);
    const auto docs = disk.addFolder(1, "Docs");
    disk.addFile(docs, "a.kqz", 10);
    const auto sub = disk.addFolder(docs, "Sub");
    const auto deep = disk.addFile(sub, "deep.kqz", 20);
    disk.row(deep).accessed = 0;
    disk.row(deep).attrib = "RHSA";
    const auto music = disk.addFolder(1, "Музыка");
    disk.addFile(music, "歌.kqz", 30);
    return disk;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        FixtureVolume other("77", "Other", 1, "F:");
        other.addFile(1, "one", 1);
        database_ = data_.addDatabase("Main", {WorkDisk(), other});
    }
    void TearDown() override { gAbort = kFlagClear; }

    QString out(const QString& name = "list.txt") const { return QDir(folder_.path()).filePath(name); }

    ExportResult run(const ExportSettings& settings, const QStringList& volumes) {
        QList<ExportItem> items;
        for (const QString& volume : volumes)
            items.append({database_, volume});
        return RunExport(out(), settings, items, view_);
    }

    QByteArray exportWorkDisk(const ExportSettings& settings) {
        EXPECT_EQ(run(settings, {"Work Disk"}).outcome, ExportOutcome::Completed);
        return ReadBytes(out());
    }

    CatalogFixture data_;
    QString database_;
    QTemporaryDir folder_;
    test::RecordingExportView view_;
};

TEST_F(ExportTest, FormatsAndTheirSwitches) {
    using F = ExportFormat;
    struct Case {
        const char* what;
        ExportSettings settings;
        QStringList lines;
    };
    const QStringList tree = {"",        "E:\\", "",        "Alpha", "zeta.kqz",     "", "Docs\\",   "",
                              "\ta.kqz", "",     "\tSub\\", "",      "\t\tdeep.kqz", "", "Музыка\\", "",
                              "\t歌.kqz"};
    const QStringList paths = {"E:\\Alpha",       "E:\\zeta.kqz",      "E:\\Docs\\",
                               "E:\\Docs\\a.kqz", "E:\\Docs\\Sub\\",   "E:\\Docs\\Sub\\deep.kqz",
                               "E:\\Музыка\\",    "E:\\Музыка\\歌.kqz"};
    const QStringList items = {
        "Alpha\t7\t<unknown file>\t" + kDates + "\tA\t",
        "zeta.kqz\t1536\tkqz file\t" + kDates + "\tA\tNotes",
        "Docs\t30\t(folder)\t" + kDates + "\tD\t",
        "a.kqz\t10\tkqz file\t" + kDates + "\tA\t",
        "Sub\t20\t(folder)\t" + kDates + "\tD\t",
        "deep.kqz\t20\tkqz file\t3/4/2001 5:06 pm\t3/4/2001 5:06 pm\t1/1/1970 12:00 am\tRHSA\t",
        "Музыка\t30\t(folder)\t" + kDates + "\tD\t",
        "歌.kqz\t30\tkqz file\t" + kDates + "\tA\t",
    };
    const Case cases[] = {
        {"tree", {F::Tree}, kInformation + tree},
        {"tree, files only",
         {.format = F::Tree, .folders = false},
         kInformation + QStringList{"Alpha", "zeta.kqz", "\ta.kqz", "\t\tdeep.kqz", "\t歌.kqz"}},
        {"tree, folders only",
         {.format = F::Tree, .files = false},
         kInformation + QStringList{"E:\\", "Docs\\", "\tSub\\", "Музыка\\"}},
        {"list",
         {F::List},
         kInformation + QStringList{"E:\\", "Alpha", "zeta.kqz", "Docs\\", "a.kqz", "Sub\\", "deep.kqz",
                                    "Музыка\\", "歌.kqz"}},
        {"paths", {F::FullPaths}, kInformation + paths},
        {"paths, no information", {.format = F::FullPaths, .volumeInfo = false}, paths},
        {"paths, files only",
         {.format = F::FullPaths, .folders = false, .volumeInfo = false},
         {"E:\\Alpha", "E:\\zeta.kqz", "E:\\Docs\\a.kqz", "E:\\Docs\\Sub\\deep.kqz", "E:\\Музыка\\歌.kqz"}},
        {"paths, depth 0",
         {.format = F::FullPaths, .depth = 0, .volumeInfo = false},
         {"E:\\Alpha", "E:\\zeta.kqz", "E:\\Docs\\", "E:\\Музыка\\"}},
        {"paths, depth 1",
         {.format = F::FullPaths, .depth = 1, .volumeInfo = false},
         {"E:\\Alpha", "E:\\zeta.kqz", "E:\\Docs\\", "E:\\Docs\\a.kqz", "E:\\Docs\\Sub\\", "E:\\Музыка\\",
          "E:\\Музыка\\歌.kqz"}},
        {"itemized", {F::Itemized}, kInformation + QStringList{kHeading} + items},
        {"itemized, no information", {.format = F::Itemized, .volumeInfo = false}, items},
        {"nothing but information",
         {.format = F::Itemized, .folders = false, .files = false},
         kInformation + QStringList{kHeading}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(exportWorkDisk(c.settings).toStdString(), Lines(c.lines).toStdString());
    }
}

// Names in the database's order without regard to case (only A-Z folded, equal names by ID), in
// a small folder sorted in memory and in one too large for that, which the database sorts.
TEST_F(ExportTest, FilesByNameWithoutRegardToCase) {
    FixtureVolume disk("55", "Names");
    const QStringList small = {"b",  "Z",  "aB", "ä", "longname_2",  "A",
                               "_x", "B~", "ab", "a", "LONGNAME_10", "abc"};
    const auto folder = disk.addFolder(1, "small");
    for (const QString& name : small)
        disk.addFile(folder, name);
    const auto large = disk.addFolder(1, "large");
    QStringList numbered;
    for (int i = 0; i <= 8192; ++i)
        numbered.append(QStringLiteral("%1%2").arg(i % 2 ? 'F' : 'f').arg(i, 5, 10, QLatin1Char('0')));
    for (auto name = numbered.crbegin(); name != numbered.crend(); ++name)
        disk.addFile(large, *name);
    data_.addVolume("Main", disk);

    const ExportSettings settings{.format = ExportFormat::List, .volumeInfo = false};
    ASSERT_EQ(run(settings, {"Names"}).outcome, ExportOutcome::Completed);
    const QStringList expected =
        QStringList{"E:\\", "small\\", "_x",          "A",          "a", "aB", "ab",     "abc",
                    "b",    "B~",      "LONGNAME_10", "longname_2", "Z", "ä",  "large\\"} +
        numbered;
    EXPECT_EQ(ReadBytes(out()), Lines(expected));
}

TEST_F(ExportTest, VolumesFollowEachOtherAndReplaceAnOldFile) {
    WriteBytes(out(), QByteArray(100000, 'x'));
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    QFile::setPermissions(out(), ownerOnly);
    const ExportSettings settings{.format = ExportFormat::List, .files = false};
    const ExportResult result = run(settings, {"work disk", "Other"});
    EXPECT_EQ(result.outcome, ExportOutcome::Completed);
    EXPECT_EQ(view_.exported, (QList<int>{0, 1}));
    const QStringList other = {"",
                               "Volume Name: Other",
                               "Description: ",
                               "Cataloged on: March 4, 2001",
                               "Capacity: 10,240,000 bytes",
                               "Used Space: 4,096,000 bytes",
                               "Free Space: 6,144,000 bytes",
                               "Number of Folders: 0",
                               "Number of Files: 1",
                               "",
                               "F:\\"};
    EXPECT_EQ(ReadBytes(out()),
              Lines(kInformation + QStringList{"E:\\", "Docs\\", "Sub\\", "Музыка\\"} + other));
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});
    EXPECT_EQ(QFile::permissions(out()) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

TEST_F(ExportTest, AbortKeepsTheCompletedVolumesOnly) {
    const ExportSettings settings{.format = ExportFormat::List};
    WriteBytes(out(), "old listing");
    // Aborted in the first volume: nothing is complete, and the old file stays as it was.
    view_.onFolder = [](int) { gAbort = kFlagSet; };
    ExportResult result = run(settings, {"Work Disk", "Other"});
    EXPECT_EQ(result.outcome, ExportOutcome::Aborted);
    EXPECT_EQ(result.volumesWritten, 0);
    EXPECT_EQ(ReadBytes(out()), "old listing");

    // Aborted in the second volume: the first is in the listing, the second is cut off.
    gAbort = kFlagClear;
    view_.onFolder = nullptr;
    const QByteArray first = exportWorkDisk(settings);
    view_.exported.clear();
    view_.onFolder = [this](int) {
        if (view_.exported.size() == 1)
            gAbort = kFlagSet;
    };
    result = run(settings, {"Work Disk", "Other"});
    EXPECT_EQ(result.outcome, ExportOutcome::Aborted);
    EXPECT_EQ(view_.exported, QList<int>{0});
    EXPECT_EQ(ReadBytes(out()), first);
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});
}

TEST_F(ExportTest, UnwritableDestinationFails) {
    const QString missing = QDir(folder_.path()).filePath("gone/list.txt");
    const ExportResult result = RunExport(missing, {}, {{database_, "Other"}}, view_);
    EXPECT_EQ(result.outcome, ExportOutcome::Failed);
    EXPECT_TRUE(result.error.contains("gone")) << result.error.toStdString();
    EXPECT_TRUE(view_.exported.isEmpty());
}

TEST(ListingFileNameTest, TxtIsAddedUnlessThere) {
    EXPECT_EQ(ListingFileName("list"), "list.txt");
    EXPECT_EQ(ListingFileName("list.TXT"), "list.TXT");
    EXPECT_EQ(ListingFileName("list.txt.bak"), "list.txt.bak.txt");
}

} // namespace
} // namespace mendor
