#include "catalog/FileChecksum.h"

#include "shell/Flags.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace mendor;
using namespace mendor::test;

namespace {

QByteArray pattern(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

class FolderFd {
public:
    explicit FolderFd(const QString& path) : fd_(::open(QFile::encodeName(path), O_RDONLY | O_DIRECTORY)) {}
    ~FolderFd() { ::close(fd_); }
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

TEST(FileChecksum, MatchesXxh128sumAcrossBlocksAndCountsTheBytesRead) {
    QTemporaryDir dir;
    // What xxh128sum prints for these files.
    const struct {
        const char* name;
        QByteArray content;
        const char* expected;
    } cases[] = {
        {"empty", {}, "99aa06d3014798d86001c324468d497f"},
        {"abc", "abc", "06b05ab6733a618578af5f94892f3950"},
        {"blocks", pattern(3 * int(ChecksumReader::kBlockSize) + 5), "c332ebfad87e107ae53601747942ac9b"},
    };
    std::atomic<std::uint64_t> bytesRead = 0;
    ChecksumReader reader(&bytesRead);
    const FolderFd folder(dir.path());
    std::uint64_t total = 0;
    for (const auto& c : cases) {
        WriteBytes(dir.filePath(c.name), c.content);
        Checksum checksum{};
        ASSERT_EQ(reader.checksumOf(folder.get(), c.name, checksum), ChecksumOutcome::Computed) << c.name;
        EXPECT_EQ(ChecksumText(checksum), c.expected) << c.name;
        Checksum back{};
        ASSERT_TRUE(ChecksumFromBytes(ChecksumBytes(checksum), back));
        EXPECT_EQ(back, checksum);
        total += std::uint64_t(c.content.size());
    }
    EXPECT_EQ(bytesRead.load(), total);
}

TEST(FileChecksum, ReadsOnlyRegularFilesAndStopsBetweenBlocks) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("big"), pattern(2 * int(ChecksumReader::kBlockSize)));
    ASSERT_TRUE(QFile::link(dir.filePath("big"), dir.filePath("link")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const FolderFd folder(dir.path());
    Checksum checksum{};
    ChecksumReader reader;
    for (const char* name : {"link", "fifo", "folder", "missing"})
        EXPECT_EQ(reader.checksumOf(folder.get(), name, checksum), ChecksumOutcome::Unreadable) << name;

    std::atomic<std::uint64_t> bytesRead = 0;
    int asked = 0;
    ChecksumReader stopping(&bytesRead, [&] { return ++asked > 1; });
    EXPECT_EQ(stopping.checksumOf(folder.get(), "big", checksum), ChecksumOutcome::Stopped);
    EXPECT_EQ(bytesRead.load(), ChecksumReader::kBlockSize);

    gAbort.store(kFlagSet);
    EXPECT_EQ(reader.checksumOf(folder.get(), "big", checksum), ChecksumOutcome::Stopped);
    gAbort.store(kFlagClear);
}
