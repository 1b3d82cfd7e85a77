#include "catalog/ArchiveLister.h"

#include "support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace mendor;
using namespace mendor::test;

namespace {

// 2003-07-05 06:07:08 UTC
constexpr std::int64_t kEntryDate = 1057385228;

/// Archives of one small tree (docs/readme.txt of 1234 bytes, top.txt of 3), each made by the
/// system's own tool, in a temporary folder.
class ArchiveListerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString content = dir_.filePath("content");
        ASSERT_TRUE(QDir().mkpath(content + "/docs"));
        WriteBytes(content + "/docs/readme.txt", QByteArray(1234, 'r'));
        WriteBytes(content + "/top.txt", "top");
        for (const char* file : {"/docs/readme.txt", "/top.txt"}) {
            QFile f(content + file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(kEntryDate, Qt::UTC),
                                      QFileDevice::FileModificationTime));
        }
        folderFd_ = ::open(QFile::encodeName(dir_.path()), O_RDONLY | O_DIRECTORY);
    }
    void TearDown() override { ::close(folderFd_); }

    void make(const QString& program, const QStringList& arguments) {
        ASSERT_TRUE(RunTool(dir_.filePath("content"), program, arguments));
    }

    ArchiveListOutcome list(const char* name, const std::function<bool()>& stop = {},
                            const ArchiveLimits& limits = {}) {
        return ListOtherArchive(folderFd_, name, members_, error_, stop, limits);
    }

    QTemporaryDir dir_;
    int folderFd_ = -1;
    std::vector<ZipMember> members_;
    QString error_;
};

} // namespace

TEST(OtherArchiveNames, AreKnownBySuffixInAnyLetterCase) {
    for (const char* name : {"a.tar", "a.TAR.GZ", "b.tgz", "c.tar.zst", "d.7z", "e.Rar", "f.iso", "g.cpio"})
        EXPECT_TRUE(IsOtherArchiveName(name)) << name;
    for (const char* name : {"a.zip", "b.gz", "c.tar.txt", ".tar", "tar", "isofile"})
        EXPECT_FALSE(IsOtherArchiveName(name)) << name;
}

TEST_F(ArchiveListerTest, ListsTarCompressedTar7zAndIsoEntriesWithTheirSizesAndDates) {
    make("tar", {"-cf", "../a.tar", "docs", "top.txt"});
    make("tar", {"-czf", "../a.tar.gz", "./docs", "./top.txt"});
    make("7z", {"a", "-bd", "-bso0", "../a.7z", "docs", "top.txt"});
    make("xorriso", {"-as", "mkisofs", "-quiet", "-R", "-J", "-o", "../a.iso", "."});
    for (const char* name : {"a.tar", "a.tar.gz", "a.7z", "a.iso"}) {
        ASSERT_EQ(list(name), ArchiveListOutcome::Listed) << name << ": " << error_.toStdString();
        std::map<QString, std::pair<std::int64_t, std::int64_t>> files;
        bool folder = false;
        for (const ZipMember& m : members_) {
            if (m.path.endsWith('\\'))
                folder = folder || m.path == "docs\\";
            else
                files[m.path] = {m.size, m.modified};
        }
        EXPECT_TRUE(folder) << name;
        const decltype(files) expected{{"docs\\readme.txt", {1234, kEntryDate}},
                                       {"top.txt", {3, kEntryDate}}};
        EXPECT_EQ(files, expected) << name;
    }
}

TEST_F(ArchiveListerTest, DamagedEncryptedOversizedSlowAndNonRegularArchivesAreNoArchives) {
    make("tar", {"-czf", "../a.tar.gz", "docs", "top.txt"});
    make("7z", {"a", "-bd", "-bso0", "-psecret", "-mhe=on", "../hidden.7z", "docs"});
    make("7z", {"a", "-bd", "-bso0", "-psecret", "../locked.7z", "top.txt"});
    const QByteArray whole = ReadBytes(dir_.filePath("a.tar.gz"));
    WriteBytes(dir_.filePath("cut.tar.gz"), whole.left(whole.size() / 2));
    WriteBytes(dir_.filePath("junk.7z"), QByteArray(5000, '\x37'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.filePath("fifo.tar")), 0600), 0);
    ASSERT_TRUE(QFile::link(dir_.filePath("a.tar.gz"), dir_.filePath("link.tar")));
    for (const char* name :
         {"cut.tar.gz", "junk.7z", "hidden.7z", "locked.7z", "fifo.tar", "link.tar", "none.tar"}) {
        EXPECT_EQ(list(name), ArchiveListOutcome::Failed) << name;
        EXPECT_TRUE(members_.empty()) << name;
        EXPECT_FALSE(error_.isEmpty()) << name;
    }

    ArchiveLimits fewEntries;
    fewEntries.maxEntries = 2;
    EXPECT_EQ(list("a.tar.gz", {}, fewEntries), ArchiveListOutcome::Failed);
    ArchiveLimits noTime;
    noTime.timeLimit = std::chrono::milliseconds(-1);
    EXPECT_EQ(list("a.tar.gz", {}, noTime), ArchiveListOutcome::Failed);
    EXPECT_EQ(list("a.tar.gz", [] { return true; }), ArchiveListOutcome::Stopped);
    EXPECT_EQ(list("a.tar.gz"), ArchiveListOutcome::Listed);
}
