#include "catalog/Scanner.h"

#include "catalog/AttributeLetters.h"
#include "platform/DirectoryReader.h"
#include "platform/NameMapping.h"
#include "shell/Flags.h"
#include "shell/StoredDate.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "support/TestZipArchive.h"
#include "support/WithoutPermissionOverride.h"

#include <ctime>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <optional>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace mendor;

namespace {

const QString kT = QStringLiteral("0002ffff"); // table names may begin with a digit

struct Row {
    bool folderTable = false;
    std::int64_t id = 0;
    std::int64_t parent = 0;
    QString name;
    std::optional<std::int64_t> size;
    QString description;
    QString attrib;
    std::int64_t created = 0;
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    int depth = 0;
    bool operator==(const Row&) const = default;
};

// Records what the scanner reports. Waiting a little in each status call makes every folder's
// report due, so a test can act after a given number of folders.
class RecordingSink : public ProgressSink {
public:
    std::function<void(const QString&)> onStatus;
    bool slow = false;
    QStringList statuses;
    std::vector<int> values;

    void status(const QString& text) override {
        statuses << text;
        if (onStatus)
            onStatus(text);
        if (slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(35));
    }
    void setProgressMaximum(int) override {}
    void setProgressValue(int value) override { values.push_back(value); }
};

class Scanner : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        ASSERT_TRUE(dir_.isValid());
        volume_ = dir_.filePath(QStringLiteral("vol"));
        ASSERT_TRUE(QDir().mkpath(volume_));
        dbPath_ = dir_.filePath(QStringLiteral("Test.mdb"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), dbPath_));
        QFile(dbPath_).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    void TearDown() override { gAbort = kFlagClear; }

    QByteArray local(const QByteArray& relative) const { return QFile::encodeName(volume_) + '/' + relative; }

    void folder(const QByteArray& relative) const {
        ASSERT_EQ(mkdir(local(relative).constData(), 0755), 0) << relative.constData();
    }

    void file(const QByteArray& relative, const QByteArray& content = {}) const {
        const int fd = ::open(local(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << relative.constData();
        ASSERT_EQ(::write(fd, content.constData(), std::size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }

    void sparse(const QByteArray& relative, std::int64_t size) const {
        const int fd = ::open(local(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, off_t(size)), 0);
        ::close(fd);
    }

    void times(const QByteArray& relative, std::int64_t accessed, std::int64_t modified) const {
        const timespec both[2] = {{time_t(accessed), 0}, {time_t(modified), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, local(relative).constData(), both, AT_SYMLINK_NOFOLLOW), 0);
    }

    void link(const char* target, const QByteArray& relative) const {
        ASSERT_EQ(symlink(target, local(relative).constData()), 0);
    }

    ScanTotals scan(const ScanOptions& options = {}, ProgressSink* sink = nullptr,
                    const std::function<void()>& afterCount = {}) {
        Database db = Database::open(dbPath_);
        Transaction transaction(db);
        DropVolumeTables(db, kT);
        CreateVolumeTables(db, kT);
        NullProgressSink quiet;
        // As a catalog run does it: the scan reads the folders by the names counted.
        CountedVolume volume(volume_, nameBudget_);
        CountFolders(volume, options, quiet);
        if (afterCount)
            afterCount();
        const ScanTotals totals =
            ScanVolume(db, kT, QStringLiteral("E:"), volume, options, sink ? *sink : quiet);
        transaction.commit();
        rows_ = readRows(db);
        return totals;
    }

    static std::vector<Row> readRows(Database& db) {
        std::vector<Row> rows;
        const QString columns =
            QStringLiteral("ID, parent, name, size, description, attrib, createdate, lastdate, "
                           "moddate, depth");
        Statement query =
            db.prepare(QStringLiteral("SELECT 1, %1 FROM %2 UNION ALL SELECT 0, %1 FROM %3 ORDER BY 2")
                           .arg(columns, quoteIdentifier(DirsTable(kT)), quoteIdentifier(FilesTable(kT))));
        while (query.step()) {
            Row r;
            r.folderTable = query.columnInt(0) != 0;
            r.id = query.columnInt(1);
            r.parent = query.columnInt(2);
            r.name = query.columnText(3);
            if (!query.isNull(4))
                r.size = query.columnInt(4);
            r.description = query.columnText(5);
            r.attrib = query.columnText(6);
            r.created = query.columnInt(7);
            r.accessed = query.columnInt(8);
            r.modified = query.columnInt(9);
            r.depth = int(query.columnInt(10));
            rows.push_back(r);
        }
        return rows;
    }

    /// The one row called name (fails the test when there is not exactly one).
    const Row& row(const QString& name) const {
        const Row* found = nullptr;
        int count = 0;
        for (const Row& r : rows_) {
            if (r.name == name) {
                found = &r;
                ++count;
            }
        }
        EXPECT_EQ(count, 1) << name.toStdString();
        static const Row none;
        return found ? *found : none;
    }

    int countNamed(const QString& name) const {
        return int(std::count_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.name == name; }));
    }

    std::vector<const Row*> childrenOf(std::int64_t id) const {
        std::vector<const Row*> children;
        for (const Row& r : rows_) {
            if (r.parent == id && r.id != 1)
                children.push_back(&r);
        }
        return children;
    }

    std::int32_t countFolders(const ScanOptions& options = {}) const {
        NullProgressSink quiet;
        CountedVolume volume(volume_);
        return CountFolders(volume, options, quiet);
    }

    QTemporaryDir dir_;
    QString volume_;
    QString dbPath_;
    std::vector<Row> rows_;
    std::size_t nameBudget_ = CountedVolume::kNameBudget;
};

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::int64_t utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm t = test::DateFields(year, month, day, hour, minute, second);
    return std::int64_t(timegm(&t));
}

} // namespace

TEST_F(Scanner, EmptyVolumeAndMissingRootGiveTheRootRowAlone) {
    const std::int64_t before = NowLocalStoredSeconds();
    ScanTotals totals = scan();
    const std::int64_t after = NowLocalStoredSeconds();
    ASSERT_EQ(rows_.size(), 1u);
    const Row& root = rows_[0];
    EXPECT_TRUE(root.folderTable);
    EXPECT_EQ(root.id, 1);
    EXPECT_EQ(root.parent, 0);
    EXPECT_EQ(root.name, s("E:"));
    EXPECT_EQ(root.attrib, s("D"));
    EXPECT_EQ(root.depth, 0);
    EXPECT_EQ(root.size, 0);
    for (std::int64_t date : {root.created, root.accessed, root.modified}) {
        EXPECT_GE(date, before);
        EXPECT_LE(date, after);
    }
    EXPECT_EQ(totals.fileCount, 0);
    EXPECT_EQ(totals.folderCount, 0);
    EXPECT_FALSE(totals.aborted);
    EXPECT_EQ(countFolders(), 0);

    volume_ = dir_.filePath(QStringLiteral("no such folder"));
    totals = scan();
    ASSERT_EQ(rows_.size(), 1u);
    EXPECT_EQ(rows_[0].size, 0);
    EXPECT_EQ(totals.fileCount + totals.folderCount, 0);
    EXPECT_EQ(countFolders(), 0);
}

TEST_F(Scanner, RowsArePreOrderWithFilesFirstDepthsAndFolderTotals) {
    file("a.txt", QByteArray(10, 'a'));
    folder("b");
    file("b/c.txt", QByteArray(20, 'c'));
    folder("b/d");
    file("b/d/e.txt", QByteArray(30, 'e'));
    folder("b/d/f");
    folder("g");
    file("g/h.txt", QByteArray(5, 'h'));
    folder("g/i");
    file("g/i/j.txt", QByteArray(7, 'j'));
    file("g/i/k.txt");
    folder("k");

    const ScanTotals totals = scan();
    EXPECT_EQ(totals.fileCount, 6);
    EXPECT_EQ(totals.folderCount, 6);
    EXPECT_EQ(countFolders(), 6);
    ASSERT_EQ(rows_.size(), 13u);

    // One counter for both tables: IDs 1..n without a gap.
    for (std::size_t i = 0; i < rows_.size(); ++i)
        EXPECT_EQ(rows_[i].id, std::int64_t(i + 1));

    const std::map<QString, std::int64_t> expectedTotals = {
        {s("E:"), 72}, {s("b"), 50}, {s("d"), 30}, {s("f"), 0}, {s("g"), 12}, {s("i"), 7}, {s("k"), 0}};
    std::map<std::int64_t, int> level = {{1, 0}};
    std::map<std::int64_t, std::int64_t> parentOf;
    for (const Row& r : rows_) {
        if (r.id == 1)
            continue;
        ASSERT_TRUE(level.count(r.parent)) << "parent row comes first: " << r.name.toStdString();
        EXPECT_EQ(r.depth, level[r.parent]) << r.name.toStdString();
        parentOf[r.id] = r.parent;
        if (r.folderTable)
            level[r.id] = level[r.parent] + 1;
    }
    for (const Row& r : rows_) {
        if (!r.folderTable)
            continue;
        EXPECT_EQ(r.size, expectedTotals.at(r.name)) << r.name.toStdString();
        EXPECT_TRUE(r.attrib.startsWith(QLatin1Char('D')));
        // The folder's files come before its sub-folders, and its whole subtree follows its row
        // without interruption.
        std::int64_t lastFile = 0;
        std::int64_t firstFolder = std::numeric_limits<std::int64_t>::max();
        for (const Row* child : childrenOf(r.id)) {
            if (child->folderTable)
                firstFolder = std::min(firstFolder, child->id);
            else
                lastFile = std::max(lastFile, child->id);
        }
        EXPECT_LT(lastFile, firstFolder) << r.name.toStdString();
        std::set<std::int64_t> subtree;
        for (const Row& candidate : rows_) {
            for (std::int64_t up = candidate.id; parentOf.count(up); up = parentOf[up]) {
                if (parentOf[up] == r.id) {
                    subtree.insert(candidate.id);
                    break;
                }
            }
        }
        if (!subtree.empty()) {
            EXPECT_EQ(*subtree.begin(), r.id + 1) << r.name.toStdString();
            EXPECT_EQ(*subtree.rbegin(), r.id + std::int64_t(subtree.size())) << r.name.toStdString();
        }
    }
    EXPECT_EQ(row(s("k.txt")).size, 0);
    EXPECT_EQ(row(s("e.txt")).depth, 2);
}

TEST_F(Scanner, SizesAboveFourGibibytesAreExact) {
    folder("big");
    sparse("big/video.mkv", 5368709121LL);
    sparse("big/three.iso", 3000000000LL);
    file("small.txt", "12345");
    scan();
    EXPECT_EQ(row(s("video.mkv")).size, 5368709121LL);
    EXPECT_EQ(row(s("three.iso")).size, 3000000000LL);
    EXPECT_EQ(row(s("big")).size, 8368709121LL);
    EXPECT_EQ(row(s("E:")).size, 8368709126LL);
}

TEST_F(Scanner, AttributeLettersAndUtcDates) {
    // File times come from the kernel's coarse clock, which may still show the second before.
    const std::int64_t before = std::int64_t(std::time(nullptr)) - 1;
    file("plain.txt", "x");
    file("readonly.txt", "x");
    ASSERT_EQ(chmod(local("readonly.txt").constData(), 0444), 0);
    file(".profile", "x");
    folder("sub");
    folder("locked");
    const std::int64_t after = std::int64_t(std::time(nullptr));
    const std::int64_t accessed = utc(2001, 2, 3, 4, 5, 6);
    const std::int64_t modified = utc(1999, 12, 31, 23, 59, 58);
    times("plain.txt", accessed, modified);
    times("sub", modified, accessed);
    ASSERT_EQ(chmod(local("locked").constData(), 0555), 0);
    scan();

    EXPECT_EQ(row(s("plain.txt")).attrib, s("A"));
    EXPECT_EQ(row(s("readonly.txt")).attrib, s("AR"));
    EXPECT_EQ(row(s(".profile")).attrib, s("AH"));
    EXPECT_EQ(row(s("sub")).attrib, s("D"));
    EXPECT_EQ(row(s("locked")).attrib, s("DR"));

    const Row& plain = row(s("plain.txt"));
    EXPECT_EQ(plain.accessed, accessed);
    EXPECT_EQ(plain.modified, modified);
    // The creation time is the birth time where the file system keeps one, else the write time.
    EXPECT_TRUE((plain.created >= before && plain.created <= after) || plain.created == modified)
        << plain.created;
    EXPECT_EQ(row(s("sub")).accessed, modified);
    EXPECT_EQ(row(s("sub")).modified, accessed);
}

TEST(AttributeLetters, FixedOrderAndCaseForFoldersAndFiles) {
    const std::uint32_t all = kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeDirectory |
                              kAttributeArchive | kAttributeNormal | kAttributeTemporary |
                              kAttributeCompressed;
    EXPECT_EQ(AttributeLetters(all, true), s("DARHSCt"));
    EXPECT_EQ(AttributeLetters(all, false), s("ARHSNct"));
    EXPECT_EQ(AttributeLetters(kAttributeNormal, false), s("N"));
    EXPECT_EQ(AttributeLetters(kAttributeNormal, true), s(""));
    EXPECT_EQ(AttributeLetters(kAttributeHidden | kAttributeSystem | kAttributeCompressed, false), s("HSc"));
    EXPECT_EQ(AttributeLetters(0x400 /* reparse point: no letter */, false), s(""));
}

TEST_F(Scanner, DescriptIonGivesFilesAndFoldersTheirDescriptions) {
    file("My File.txt", "x");
    file("plain.txt", "x");
    file("descript.ion", "\"my file.txt\" Holiday notes\r\n"
                         "\"MY FILE.TXT\" a later line loses\r\n"
                         "photos Folder of pictures\r\n"
                         "plain.txt Plain one\r\n"
                         "nosplit\r\n");
    folder("Photos");
    file("Photos/inner.jpg", "x");
    file("Photos/other.jpg", "x");
    file("Photos/DESCRIPT.ION", "INNER.JPG Beach\n");

    scan();
    EXPECT_EQ(row(s("My File.txt")).description, s("Holiday notes"));
    EXPECT_EQ(row(s("plain.txt")).description, s("Plain one"));
    EXPECT_EQ(row(s("Photos")).description, s("Folder of pictures"));
    EXPECT_EQ(row(s("inner.jpg")).description, s("Beach"));
    EXPECT_TRUE(row(s("other.jpg")).description.isNull());
    EXPECT_TRUE(row(s("descript.ion")).description.isNull());

    ScanOptions without;
    without.readDescriptIon = false;
    scan(without);
    for (const Row& r : rows_)
        EXPECT_TRUE(r.description.isNull()) << r.name.toStdString();
}

TEST_F(Scanner, ZipArchivesAsFoldersWithTheirMembersAsFiles) {
    test::WriteZipArchive(
        QFile::decodeName(local("a.zip")),
        {{"docs/", {}}, {"docs/readme.txt", QByteArray(100, 'r')}, {"top.txt", QByteArray(30, 't')}},
        test::DateFields(2004, 6, 7, 8, 9, 10));
    const std::int64_t archiveLength = QFileInfo(QFile::decodeName(local("a.zip"))).size();
    const std::int64_t old = utc(1980, 1, 1, 0, 0, 0);
    const std::int64_t modified = utc(2005, 5, 5, 5, 5, 4);
    times("a.zip", old, modified);
    file("old.txt", "x");
    times("old.txt", old, modified);
    file("corrupt.zip", QByteArray(4096, '\0'));
    ASSERT_EQ(mkfifo(local("pipe.zip").constData(), 0644), 0);
    folder("sub");
    folder("sub/x.zip");
    file("sub/x.zip/y.txt", QByteArray(7, 'y'));
    folder("sub/z");
    file("sub/z/z.txt", QByteArray(11, 'z'));
    folder("sub/z/w.zip");

    ScanTotals totals = scan();
    const Row& archive = row(s("a.zip"));
    EXPECT_TRUE(archive.folderTable);
    EXPECT_EQ(archive.parent, 1);
    EXPECT_EQ(archive.depth, 0);
    EXPECT_EQ(archive.attrib, s("A"));
    EXPECT_EQ(archive.size, archiveLength);
    EXPECT_EQ(archive.modified, modified);
    EXPECT_EQ(archive.accessed, modified) << "an access date before 1985 shows the write date";
    EXPECT_EQ(row(s("old.txt")).accessed, old) << "only archive rows replace an old access date";

    const Row& readme = row(s("readme.txt"));
    const Row& top = row(s("top.txt"));
    EXPECT_EQ(countNamed(s("docs")), 0);
    for (const Row* member : {&readme, &top}) {
        EXPECT_FALSE(member->folderTable);
        EXPECT_EQ(member->parent, archive.id);
        EXPECT_EQ(member->depth, archive.depth);
        const std::int64_t stored = utc(2004, 6, 7, 8, 9, 10);
        EXPECT_EQ(member->created, stored);
        EXPECT_EQ(member->accessed, stored);
        EXPECT_EQ(member->modified, stored);
        EXPECT_GT(member->id, archive.id);
        EXPECT_LE(member->id, archive.id + 2);
    }
    EXPECT_EQ(readme.description, s("\\docs\\"));
    EXPECT_EQ(readme.size, 100);
    EXPECT_EQ(top.description, s("\\"));
    EXPECT_EQ(top.size, 30);

    // A damaged archive is a file; a FIFO is never opened.
    EXPECT_FALSE(row(s("corrupt.zip")).folderTable);
    EXPECT_EQ(row(s("corrupt.zip")).size, 4096);
    EXPECT_FALSE(row(s("pipe.zip")).folderTable);
    EXPECT_EQ(row(s("pipe.zip")).size, 0);

    // Totals are keyed by folder: real folders named *.zip keep theirs and shift nobody's.
    EXPECT_EQ(row(s("x.zip")).size, 7);
    EXPECT_EQ(row(s("z")).size, 11);
    EXPECT_EQ(row(s("w.zip")).size, 0);
    EXPECT_EQ(row(s("sub")).size, 18);
    EXPECT_EQ(row(s("E:")).size, 100 + 30 + 1 + 4096 + 18) << "members count, not the archive's length";

    EXPECT_EQ(totals.fileCount, 6) << "members are not counted as files";
    EXPECT_EQ(totals.folderCount, 6);
    EXPECT_EQ(countFolders(), 6);

    ScanOptions plain;
    plain.zipAsFolders = false;
    totals = scan(plain);
    EXPECT_FALSE(row(s("a.zip")).folderTable);
    EXPECT_EQ(row(s("a.zip")).size, archiveLength);
    EXPECT_EQ(row(s("a.zip")).accessed, old);
    EXPECT_EQ(countNamed(s("readme.txt")), 0);
    EXPECT_EQ(row(s("E:")).size, archiveLength + 1 + 4096 + 18);
    EXPECT_EQ(totals.folderCount, 4);
    EXPECT_EQ(countFolders(plain), 4);
}

TEST_F(Scanner, MarkerRowsDotFoldersAndSymbolicLinks) {
    file("Mendor.cat", "123");
    folder("sub");
    file("sub/MENDOR.CAT", "456");
    file("sub/keep.txt", "k");
    folder(".git");
    file(".git/config", "c");
    folder(".git/objects");
    file(".bashrc", "b");
    link(".", "loop");
    link("..", "sub/up");
    link("nowhere/x", "dangling");
    link("sub", "sublink");

    const ScanTotals totals = scan();
    EXPECT_EQ(countNamed(s("Mendor.cat")) + countNamed(s("MENDOR.CAT")), 0);
    EXPECT_EQ(totals.fileCount, 8) << "the marker files are seen, then their rows removed";
    EXPECT_EQ(countNamed(s(".git")) + countNamed(s("config")) + countNamed(s("objects")), 0);
    EXPECT_EQ(row(s(".bashrc")).attrib, s("AH"));
    EXPECT_EQ(totals.folderCount, 1);
    EXPECT_EQ(countFolders(), 1);

    // Links are files of their own, never followed.
    for (const auto& [name, length] :
         std::map<QString, int>{{s("loop"), 1}, {s("up"), 2}, {s("dangling"), 9}, {s("sublink"), 3}}) {
        EXPECT_FALSE(row(name).folderTable) << name.toStdString();
        EXPECT_EQ(row(name).size, length) << name.toStdString();
    }
    EXPECT_EQ(countNamed(s("keep.txt")), 1);
}

TEST_F(Scanner, NamesThatAreNotPlainTextComeBackToTheirBytes) {
    const QByteArray names[] = {"new\nline.txt", "caf\xE9.txt", "back\\slash.txt",
                                "\xE6\x97\xA5\xE6\x9C\xAC.txt"};
    for (const QByteArray& name : names)
        file(name, "x");
    folder("Latin\xE9");
    file("Latin\xE9/inner.txt", "x");
    RecordingSink sink;
    sink.slow = true;
    scan({}, &sink);
    ASSERT_EQ(rows_.size(), 7u);
    std::set<QByteArray> seen;
    for (const Row& r : rows_)
        seen.insert(LocalNameFromCatalog(r.name));
    for (const QByteArray& name : names)
        EXPECT_TRUE(seen.count(name)) << name.toHex().constData();
    EXPECT_EQ(row(s("new\nline.txt")).size, 1);
    EXPECT_EQ(row(s("\xE6\x97\xA5\xE6\x9C\xAC.txt")).size, 1);
    const QString latin = CatalogNameFromLocal(QByteArray("Latin\xE9"));
    EXPECT_TRUE(sink.statuses.contains(s("E:\\") + latin + QLatin1Char('\\')))
        << sink.statuses.join(u'|').toStdString();
}

TEST_F(Scanner, AFolderThatCannotBeReadHasNoContentAndSizeZero) {
    folder("gone");
    file("gone/lost.txt", QByteArray(50, 'l'));
    folder("after");
    file("after/found.txt", QByteArray(5, 'f'));
    // Listed in its parent, but it cannot be opened.
    ASSERT_EQ(chmod(local("gone").constData(), 0), 0);
    const test::WithoutPermissionOverride permissionsBind;
    const ScanTotals totals = scan();
    chmod(local("gone").constData(), 0755);
    EXPECT_EQ(row(s("gone")).size, 0);
    EXPECT_TRUE(childrenOf(row(s("gone")).id).empty());
    EXPECT_EQ(row(s("found.txt")).size, 5);
    EXPECT_EQ(row(s("E:")).size, 5);
    EXPECT_EQ(totals.folderCount, 2);
    EXPECT_FALSE(totals.aborted);
}

TEST_F(Scanner, AFolderOnAnotherFileSystemIsNotEntered) {
    folder("mnt");
    file("here.txt", "x");
    if (mount("mendor-test", local("mnt").constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    struct Unmount {
        QByteArray path;
        ~Unmount() { umount2(path.constData(), MNT_DETACH); }
    } unmount{local("mnt")};
    file("mnt/other.txt", "other volume");
    folder("mnt/deeper");

    const ScanTotals totals = scan();
    EXPECT_EQ(countNamed(s("mnt")) + countNamed(s("other.txt")) + countNamed(s("deeper")), 0);
    EXPECT_EQ(totals.folderCount, 0);
    EXPECT_EQ(countFolders(), 0);
    EXPECT_EQ(row(s("E:")).size, 1);
}

TEST_F(Scanner, ProgressNamesEachFolderInCatalogForm) {
    folder("b");
    folder("b/d");
    file("b/d/e.txt", "e");
    RecordingSink sink;
    sink.slow = true;
    scan({}, &sink);
    for (const char* path : {"E:\\", "E:\\b\\", "E:\\b\\d\\"})
        EXPECT_TRUE(sink.statuses.contains(s(path))) << path;
    ASSERT_FALSE(sink.values.empty());
    EXPECT_TRUE(std::is_sorted(sink.values.begin(), sink.values.end()));
    EXPECT_LE(sink.values.back(), 2);

    RecordingSink counting;
    CountedVolume volume(volume_);
    EXPECT_EQ(CountFolders(volume, {}, counting), 2);
    EXPECT_EQ(counting.statuses.last(), s("Analyzing Directory Structure... 2 Dirs"));
}

// The scan looks up the entries the counting pass listed: what changed in between is written as
// it is at the scan.
TEST_F(Scanner, EntriesChangedAfterTheCountAreWrittenAsTheyAreNow) {
    folder("a");
    file("a/gone.txt", "x");
    file("a/kept.txt", "x");
    folder("b");
    file("b/inner.txt", "x");
    file("d", "x");
    scan({}, nullptr, [&] {
        ASSERT_EQ(unlink(local("a/gone.txt").constData()), 0);
        ASSERT_EQ(unlink(local("b/inner.txt").constData()), 0);
        ASSERT_EQ(rmdir(local("b").constData()), 0);
        file("b", "now a file");
        ASSERT_EQ(unlink(local("d").constData()), 0);
        folder("d");
        file("d/new.txt", "x");
    });
    EXPECT_EQ(countNamed(s("gone.txt")), 0);
    EXPECT_EQ(row(s("kept.txt")).parent, row(s("a")).id);
    EXPECT_FALSE(row(s("b")).folderTable);
    EXPECT_EQ(countNamed(s("inner.txt")), 0);
    EXPECT_TRUE(row(s("d")).folderTable);
    EXPECT_EQ(row(s("new.txt")).parent, row(s("d")).id);
}

// Past the budget for the names counted, the scan lists the folders itself, to the same rows.
TEST_F(Scanner, FoldersBeyondTheNameBudgetAreListedByTheScan) {
    for (const char* name : {"a", "a/b", "c"})
        folder(name);
    for (const char* name : {"top.txt", "a/one.txt", "a/b/two.txt", "c/three.txt"})
        file(name, "x");
    // The root row carries the time of the scan: the rows below it are compared.
    const auto below = [&] { return std::vector<Row>(rows_.begin() + 1, rows_.end()); };
    scan();
    const std::vector<Row> counted = below();
    nameBudget_ = 20;
    scan();
    EXPECT_EQ(below(), counted);
    EXPECT_EQ(counted.size(), 7u);
}

TEST_F(Scanner, AbortStopsTheWalkAndWritesNoTotals) {
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = "f" + QByteArray::number(i);
        folder(name);
        folder(name + "/inner");
        file(name + "/inner/x.txt", "x");
    }
    RecordingSink sink;
    sink.slow = true;
    sink.onStatus = [&](const QString&) {
        if (sink.statuses.size() == 4)
            gAbort = kFlagSet;
    };
    const ScanTotals totals = scan({}, &sink);
    EXPECT_TRUE(totals.aborted);
    EXPECT_EQ(sink.statuses.last(), s("Aborting..."));
    const auto folders =
        std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.folderTable; });
    EXPECT_GT(folders, 1);
    EXPECT_LT(folders, 17);
    for (const Row& r : rows_)
        EXPECT_FALSE(r.folderTable && r.size.has_value()) << r.name.toStdString();

    // Set before the scan starts: nothing is written.
    scan();
    EXPECT_TRUE(rows_.empty());

    // The counting pass too. (Its second thread may count every folder of so small a tree
    // before a status call comes, so the flag is set before it starts.)
    RecordingSink counting;
    CountedVolume volume(volume_);
    EXPECT_EQ(CountFolders(volume, {}, counting), 0);
    EXPECT_EQ(counting.statuses.last(), s("Aborting..."));
}

namespace {

/// The peak memory of the process since the last reset, in kilobytes; -1 when unknown.
std::int64_t PeakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

// A chain of folders 100,000 deep, each named by a byte that is not UTF-8: no recursion may
// overflow the stack and no path grow with the depth. At the bottom, far past any path length
// the system takes, descript.ion and a ZIP archive are still read through their folder.
TEST_F(Scanner, AHundredThousandLevelsDeepTreeIsCataloguedInBoundedMemory) {
    constexpr int kDepth = 100000;
    const QString zipPath = dir_.filePath(QStringLiteral("a.zip"));
    test::WriteZipArchive(zipPath, {{"in/member.txt", QByteArray(40, 'm')}},
                          test::DateFields(2004, 6, 7, 8, 9, 10));
    QFile zipFile(zipPath);
    ASSERT_TRUE(zipFile.open(QIODevice::ReadOnly));
    const QByteArray zip = zipFile.readAll();

    // Folders are made and removed far faster in memory than on a disk's journal.
    QTemporaryDir inMemory(QStringLiteral("/dev/shm/mendor-deep-XXXXXX"));
    if (inMemory.isValid())
        volume_ = inMemory.path();
    int fd = ::open(QFile::encodeName(volume_).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < kDepth; ++level) {
        ASSERT_EQ(mkdirat(fd, "\xE9", 0755), 0) << level;
        const int next = openat(fd, "\xE9", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    const auto put = [&](const char* name, const QByteArray& content) {
        const int file = openat(fd, name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(::write(file, content.constData(), std::size_t(content.size())), ssize_t(content.size()));
        ::close(file);
    };
    const QByteArray descriptions = "caf\xE9.txt Latin-1 name\r\n";
    put("caf\xE9.txt", "12345");
    put("descript.ion", descriptions);
    put("a.zip", zip);

    ResetPeakMemory();
    [[maybe_unused]] const std::int64_t before = PeakKilobytes();
    EXPECT_EQ(countFolders(), kDepth + 1);
    const ScanTotals totals = scan();
#if !defined(__SANITIZE_ADDRESS__)
    // Copying the growing path on every level needs gigabytes here. (The address sanitizer
    // keeps freed memory aside, so its builds cannot tell.)
    if (before > 0) {
        EXPECT_LT(PeakKilobytes() - before, 200 * 1024) << "kilobytes";
    }
#endif
    EXPECT_EQ(totals.folderCount, kDepth + 1);
    const Row& file = row(CatalogNameFromLocal(QByteArray("caf\xE9.txt")));
    EXPECT_EQ(file.description, s("Latin-1 name"));
    EXPECT_EQ(file.depth, kDepth);
    EXPECT_EQ(row(s("member.txt")).description, s("\\in\\"));
    EXPECT_EQ(row(s("E:")).size, 5 + descriptions.size() + 40);

    for (const char* name : {"caf\xE9.txt", "descript.ion", "a.zip"})
        unlinkat(fd, name, 0);
    for (int level = 0; level < kDepth; ++level) {
        const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = parent;
        ASSERT_EQ(unlinkat(fd, "\xE9", AT_REMOVEDIR), 0) << level;
    }
    ::close(fd);
}

// Sizes an archive declares beyond any signed total (ZIP64 members of 2^64-1 and 2^62 bytes)
// are held at the largest size, and so are the totals: no negative size reaches a table.
TEST_F(Scanner, AbsurdArchiveMemberSizesSaturateInsteadOfWrapping) {
    QFile::copy(QStringLiteral(MENDOR_TEST_SOURCE_DIR "/../fuzz/corpus/zip/zip64-absurd-sizes.zip"),
                QFile::decodeName(local("huge.zip")));
    scan();
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(row(s("huge.bin")).size, kLargest);
    EXPECT_EQ(countNamed(s("big.bin")), 2);
    for (const Row& r : rows_)
        EXPECT_GE(r.size.value_or(0), 0) << r.name.toStdString();
    EXPECT_EQ(row(s("E:")).size, kLargest);
}
