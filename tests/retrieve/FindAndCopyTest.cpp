// Finding catalogued items on folder-mapped drives, the copy commands and the copy itself.
#include "retrieve/CopyCommands.h"
#include "retrieve/ItemCopy.h"
#include "support/MappedDrives.h"
#include "support/ScriptedPrompter.h"
#include "support/WithoutPermissionOverride.h"

#include <csignal>
#include <deque>
#include <fcntl.h>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {
namespace {

using test::MappedDrives;
using test::ScriptedDriveChooser;

void Put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    test::WriteBytes(path, bytes);
}

/// Every entry below folder, as relative paths, sorted.
QStringList Tree(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(QDir(folder).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

/// Answers overwrite questions from a script and cancels once enough bytes are done.
class TestObserver : public CopyObserver {
public:
    void progress(const CopyProgress& progress) override { last = progress; }
    OverwriteAnswer confirmOverwrite(const QString& destinationPath) override {
        asked.append(QFileInfo(destinationPath).fileName());
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected overwrite question";
            return OverwriteAnswer::Cancel;
        }
        const OverwriteAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool cancelRequested() override { return cancelAfterBytes >= 0 && last.doneBytes > cancelAfterBytes; }

    CopyProgress last;
    std::deque<OverwriteAnswer> answers;
    QStringList asked;
    std::int64_t cancelAfterBytes = -1;
};

class DirectRunner : public CopyRunner {
public:
    CopyReport copy(const MediumPath& source, const QString& destinationFolder) override {
        return CopyItem(source, QFile::encodeName(destinationFolder), observer);
    }
    TestObserver observer;
};

class RetrieveTest : public ::testing::Test {
protected:
    void SetUp() override {
        e_ = drives_.map(QLatin1Char('E'));
        f_ = drives_.map(QLatin1Char('F'));
        Put(e_ + "/docs/a.txt", "alpha");
        Put(e_ + "/docs/sub/c.txt", "gamma");
        Put(e_ + "/a/old.zip", "PK\x05\x06");
        QDir().mkpath(e_ + "/empty");
        ASSERT_EQ(::symlink("docs", QFile::encodeName(e_ + "/linked").constData()), 0);
        Put(f_ + "/moved/b.txt", "beta");
        Put(f_ + "/moved/d.txt", "delta");
    }

    MediumPath medium(const QString& cataloguedPath) const {
        return *MediumPathOf(drives_.table(), cataloguedPath);
    }
    CopyReport copy(const QString& cataloguedPath, const QString& destination) {
        return CopyItem(medium(cataloguedPath), QFile::encodeName(destination), observer_);
    }

    MappedDrives drives_;
    QString e_;
    QString f_;
    TestObserver observer_;
};

TEST_F(RetrieveTest, FindsItemsWhereTheyAreAndAsksForTheDriveOtherwise) {
    struct Case {
        const char* path;
        bool isFolder;
        QStringList answers;
        const char* found; ///< nullptr: the command ends
    };
    const Case cases[] = {
        {"E:\\docs\\a.txt", false, {}, "E:\\docs\\a.txt"},
        {"E:\\docs", true, {}, "E:\\docs"},
        {"E:\\a\\old.zip", false, {}, "E:\\a\\old.zip"},
        // The medium sits in F: now: the rest of the path is kept.
        {"E:\\moved\\b.txt", false, {"F:"}, "F:\\moved\\b.txt"},
        // Inside an archive nothing is ever found, whatever drive is chosen.
        {"E:\\a\\old.zip\\readme.txt", false, {"E:", "F:", ""}, nullptr},
        {"E:\\empty", true, {""}, nullptr},
        // Neither a symbolic link nor ".." leads anywhere on a medium.
        {"E:\\linked\\a.txt", false, {""}, nullptr},
        {"E:\\docs\\..\\docs\\a.txt", false, {""}, nullptr},
        {"G:\\docs\\a.txt", false, {"F:", "E:"}, "E:\\docs\\a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ScriptedDriveChooser chooser(c.answers);
        ItemFinder finder([this] { return drives_.table(); }, chooser);
        const auto found = finder.find(QString::fromUtf8(c.path), c.isFolder);
        ASSERT_EQ(found.has_value(), c.found != nullptr);
        if (found) {
            EXPECT_EQ(found->sourcePath, QString::fromUtf8(c.found));
        }
        EXPECT_EQ(chooser.asked.size(), c.answers.size());
    }
}

TEST_F(RetrieveTest, ACancelledPromptEndsTheCommandAndEachItemGetsItsOwnPrompt) {
    const QString target = drives_.folder(QStringLiteral("target"));
    DirectRunner runner;
    test::ScriptedPrompter prompter;
    {
        // Three items, the prompt cancelled at the second: only the first is copied.
        ScriptedDriveChooser chooser({""});
        ItemFinder finder([this] { return drives_.table(); }, chooser);
        const auto result = CopyItemsTo(
            {{"E:\\docs\\a.txt", false}, {"E:\\moved\\b.txt", false}, {"E:\\docs\\sub\\c.txt", false}},
            target + "/", finder, runner, prompter);
        EXPECT_TRUE(result.promptCancelled);
        EXPECT_EQ(result.copied, 1);
        EXPECT_EQ(Tree(target), QStringList{"a.txt"});
    }
    // Both items of a medium that moved to F: ask once each.
    ScriptedDriveChooser chooser({"F:", "F:"});
    ItemFinder finder([this] { return drives_.table(); }, chooser);
    const auto result = CopyItemsTo({{"E:\\moved\\b.txt", false}, {"E:\\moved\\d.txt", false}}, target,
                                    finder, runner, prompter);
    EXPECT_EQ(result.copied, 2);
    EXPECT_EQ(chooser.asked, (QStringList{"E:\\moved\\b.txt", "E:\\moved\\d.txt"}));
    EXPECT_EQ(Tree(target), (QStringList{"a.txt", "b.txt", "d.txt"}));
}

TEST_F(RetrieveTest, CopiesAFolderWithTimesAndPermissionsAndNeverFollowsLinks) {
    const QString old = e_ + "/docs/a.txt";
    ASSERT_EQ(::chmod(QFile::encodeName(old).constData(), 0640), 0);
    const struct timespec times[2] = {{1'000'000'000, 0}, {1'100'000'000, 123}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(old).constData(), times, 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(e_ + "/docs/sub/c.txt").constData(), 0444), 0);
    ASSERT_EQ(::symlink("/etc/passwd", QFile::encodeName(e_ + "/docs/passwd").constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(e_ + "/docs/pipe").constData(), 0644), 0);
    QDir().mkpath(e_ + "/docs/hollow");

    const QString target = drives_.folder(QStringLiteral("target"));
    const CopyReport report = copy(QStringLiteral("E:\\docs"), target);

    // The FIFO is not copied, everything else is.
    EXPECT_EQ(report.outcome, CopyOutcome::Failed);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_TRUE(report.failures[0].path.endsWith(QLatin1String("/docs/pipe")));
    EXPECT_EQ(Tree(target), (QStringList{"docs", "docs/a.txt", "docs/hollow", "docs/passwd", "docs/sub",
                                         "docs/sub/c.txt"}));
    EXPECT_EQ(test::ReadBytes(target + "/docs/sub/c.txt"), "gamma");
    struct stat copied {};
    ASSERT_EQ(::stat(QFile::encodeName(target + "/docs/a.txt").constData(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    EXPECT_EQ(copied.st_mtim.tv_sec, 1'100'000'000);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 123);
    // A file from a read-only medium can be edited once copied.
    ASSERT_EQ(::stat(QFile::encodeName(target + "/docs/sub/c.txt").constData(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0644u);
    EXPECT_EQ(QFileInfo(target + "/docs/passwd").symLinkTarget(), QStringLiteral("/etc/passwd"));
    EXPECT_EQ(report.copiedFiles, 3);
    EXPECT_EQ(observer_.last.doneItems, observer_.last.totalItems);
    EXPECT_EQ(observer_.last.doneBytes, 10);
}

TEST_F(RetrieveTest, AsksBeforeReplacingAFile) {
    struct Case {
        std::deque<OverwriteAnswer> answers;
        QStringList asked;
        const char* a;
        const char* c;
        CopyOutcome outcome;
    };
    const Case cases[] = {
        {{OverwriteAnswer::No, OverwriteAnswer::No},
         {"a.txt", "c.txt"},
         "old a",
         "old c",
         CopyOutcome::Completed},
        {{OverwriteAnswer::YesToAll}, {"a.txt"}, "alpha", "gamma", CopyOutcome::Completed},
        {{OverwriteAnswer::Yes, OverwriteAnswer::No},
         {"a.txt", "c.txt"},
         "alpha",
         "old c",
         CopyOutcome::Completed},
        {{OverwriteAnswer::Cancel}, {"a.txt"}, "old a", "old c", CopyOutcome::Aborted},
    };
    Put(e_ + "/docs/c.txt", "gamma");
    ::unlink(QFile::encodeName(e_ + "/docs/sub/c.txt").constData());
    for (const Case& c : cases) {
        const QString target = drives_.folder(QStringLiteral("target"));
        Put(target + "/docs/a.txt", "old a");
        Put(target + "/docs/c.txt", "old c");
        observer_.answers = c.answers;
        observer_.asked.clear();
        const CopyReport report = copy(QStringLiteral("E:\\docs"), target);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(observer_.asked, c.asked);
        EXPECT_EQ(test::ReadBytes(target + "/docs/a.txt"), c.a);
        EXPECT_EQ(test::ReadBytes(target + "/docs/c.txt"), c.c);
        EXPECT_TRUE(QDir(target).removeRecursively());
    }
}

TEST_F(RetrieveTest, ACancelledOrFailedFileLeavesNothingBehind) {
    Put(e_ + "/big/huge.bin", QByteArray(9 << 20, 'x'));
    const QString target = drives_.folder(QStringLiteral("target"));
    observer_.cancelAfterBytes = 1;
    EXPECT_EQ(copy(QStringLiteral("E:\\big\\huge.bin"), target).outcome, CopyOutcome::Aborted);
    EXPECT_EQ(Tree(target), QStringList());
    observer_.cancelAfterBytes = -1;

    // An unreadable file and a file too large for the space left fail; the rest is copied.
    Put(e_ + "/big/ok.txt", "ok");
    Put(e_ + "/big/secret.txt", "secret");
    ASSERT_EQ(::chmod(QFile::encodeName(e_ + "/big/secret.txt").constData(), 0), 0);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const struct rlimit small = {1 << 20, saved.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    CopyReport report;
    {
        test::WithoutPermissionOverride unprivileged;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        report = copy(QStringLiteral("E:\\big"), target);
        ::setrlimit(RLIMIT_FSIZE, &saved);
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(report.outcome, CopyOutcome::Failed);
    EXPECT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(Tree(target), (QStringList{"big", "big/ok.txt"}));
}

TEST_F(RetrieveTest, RefusesToCopyAFolderIntoItself) {
    const CopyReport report = copy(QStringLiteral("E:\\docs"), e_ + "/docs/sub");
    EXPECT_EQ(report.outcome, CopyOutcome::Failed);
    EXPECT_EQ(Tree(e_ + "/docs/sub"), QStringList{"c.txt"});
}

} // namespace
} // namespace mendor
