#include "platform/DirectoryReader.h"

#include "platform/MediumFile.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace mendor;

namespace {

class DirectoryReaderTest : public ::testing::Test {
protected:
    void SetUp() override { root_ = QFile::encodeName(dir_.path()); }

    QByteArray path(const QByteArray& relative) const { return root_ + '/' + relative; }

    void file(const QByteArray& relative, std::int64_t size = 0, mode_t mode = 0644) const {
        const int fd = ::open(path(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, off_t(size)), 0);
        ::close(fd);
    }

    static std::map<QByteArray, DirectoryEntry>
    readAll(const QByteArray& folder, DirectoryReader::Detail detail = DirectoryReader::Detail::Full) {
        const FileDescriptor fd = OpenLocalFolder(folder);
        DirectoryReader reader(VolumeTraits::of(fd.get()));
        DirectoryListing listing;
        EXPECT_TRUE(reader.read(fd.get(), listing, detail));
        std::map<QByteArray, DirectoryEntry> entries;
        for (const DirectoryEntry& entry : listing.entries())
            entries[listing.nameOf(entry).toByteArray()] = entry;
        return entries;
    }

    static VolumeTraits traitsOf(const QByteArray& folder) {
        return VolumeTraits::of(OpenLocalFolder(folder).get());
    }

    QTemporaryDir dir_;
    QByteArray root_;
};

} // namespace

TEST(DirectoryReaderRules, FileTimesNormalBitAndDosAttribText) {
    EXPECT_EQ(UnixSecondsFromFileTime(116444736000000000ULL), 0);
    EXPECT_EQ(UnixSecondsFromFileTime(116444736000000000ULL + 864000000000ULL + 9999999ULL), 86400);
    EXPECT_EQ(UnixSecondsFromFileTime(0), -11644473600LL);

    EXPECT_EQ(WithNormalRule(0), std::uint32_t(kAttributeNormal));
    EXPECT_EQ(WithNormalRule(kAttributeNormal | kAttributeArchive), std::uint32_t(kAttributeArchive));
    EXPECT_EQ(WithNormalRule(0x2000), 0x2000u) << "any other bit, even one without a letter, hides NORMAL";

    EXPECT_EQ(HiddenSystemFromDosAttrib("0x22"), std::uint32_t(kAttributeHidden));
    EXPECT_EQ(HiddenSystemFromDosAttrib(QByteArray("0x6\0", 4)),
              std::uint32_t(kAttributeHidden | kAttributeSystem));
    EXPECT_EQ(HiddenSystemFromDosAttrib("0X4"), std::uint32_t(kAttributeSystem));
    EXPECT_EQ(HiddenSystemFromDosAttrib("0x21"), 0u);
    EXPECT_EQ(HiddenSystemFromDosAttrib(QByteArray("\x03\x00\x22\x00", 4)), 0u);
    EXPECT_EQ(HiddenSystemFromDosAttrib("0xzz"), 0u);

    EXPECT_EQ(DeriveAttributes(S_IFDIR | 0755, "docs", 0), std::uint32_t(kAttributeDirectory));
    EXPECT_EQ(DeriveAttributes(S_IFREG | 0644, "a.txt", 0), std::uint32_t(kAttributeArchive));
    EXPECT_EQ(DeriveAttributes(S_IFREG | 0444, "a.txt", 0),
              std::uint32_t(kAttributeArchive | kAttributeReadOnly));
    EXPECT_EQ(DeriveAttributes(S_IFREG | 0200, ".a", STATX_ATTR_COMPRESSED),
              std::uint32_t(kAttributeArchive | kAttributeHidden | kAttributeCompressed));
    EXPECT_EQ(DeriveAttributes(S_IFDIR | 0555, ".git", 0),
              std::uint32_t(kAttributeDirectory | kAttributeReadOnly | kAttributeHidden));
}

TEST_F(DirectoryReaderTest, KindsSizesTimesAndNamesOfEveryEntry) {
    file("plain.txt", 12);
    file("huge.bin", 5368709120LL);
    file("ro.txt", 1, 0444);
    ASSERT_EQ(mkdir(path("sub").constData(), 0755), 0);
    ASSERT_EQ(symlink("sub", path("link").constData()), 0);
    ASSERT_EQ(mkfifo(path("fifo").constData(), 0644), 0);
    file("caf\xE9", 3);
    const timespec times[2] = {{1000000000, 999999999}, {900000000, 5}};
    ASSERT_EQ(utimensat(AT_FDCWD, path("plain.txt").constData(), times, 0), 0);

    auto entries = readAll(root_);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_FALSE(entries.count(".") || entries.count(".."));

    const DirectoryEntry& plain = entries["plain.txt"];
    EXPECT_EQ(plain.kind, EntryKind::RegularFile);
    EXPECT_EQ(plain.size, 12);
    EXPECT_EQ(plain.accessed, 1000000000);
    EXPECT_EQ(plain.modified, 900000000);
    EXPECT_NE(plain.created, 0);
    EXPECT_EQ(plain.attributes, std::uint32_t(kAttributeArchive));

    EXPECT_EQ(entries["huge.bin"].size, 5368709120LL);
    EXPECT_EQ(entries["ro.txt"].attributes, std::uint32_t(kAttributeArchive | kAttributeReadOnly));
    EXPECT_EQ(entries["sub"].kind, EntryKind::Folder);
    EXPECT_EQ(entries["sub"].size, 0) << "folders report no size";
    EXPECT_EQ(entries["sub"].attributes, std::uint32_t(kAttributeDirectory));
    EXPECT_EQ(entries["link"].kind, EntryKind::Other);
    EXPECT_EQ(entries["link"].size, 3) << "a link is a file holding its target";
    EXPECT_EQ(entries["fifo"].kind, EntryKind::Other);
    EXPECT_EQ(entries["fifo"].size, 0);
    EXPECT_EQ(entries["caf\xE9"].size, 3);
    EXPECT_EQ(entries["sub"].device, plain.device);

    // A sub-folder opens through its parent; a link to one does not.
    const FileDescriptor root = OpenLocalFolder(root_);
    EXPECT_TRUE(OpenFolderAt(root.get(), "sub").isOpen());
    EXPECT_FALSE(OpenFolderAt(root.get(), "link").isOpen());
    EXPECT_FALSE(OpenFolderAt(root.get(), "absent").isOpen());
}

TEST_F(DirectoryReaderTest, FoldersOnlyDetailStillTellsKinds) {
    file("a.zip", 10);
    ASSERT_EQ(mkdir(path("sub").constData(), 0755), 0);
    ASSERT_EQ(symlink("sub", path("link").constData()), 0);
    auto light = readAll(root_, DirectoryReader::Detail::FoldersOnly);
    ASSERT_EQ(light.size(), 3u);
    EXPECT_EQ(light["a.zip"].kind, EntryKind::RegularFile);
    EXPECT_EQ(light["link"].kind, EntryKind::Other);
    EXPECT_EQ(light["sub"].kind, EntryKind::Folder);
}

TEST_F(DirectoryReaderTest, SambaDosAttribIsReadWhenTheVolumeCarriesIt) {
    file("system.dat");
    file("plain.dat");
    if (setxattr(path("system.dat").constData(), "user.DOSATTRIB", "0x24", 4, 0) != 0)
        GTEST_SKIP() << "user xattrs are not supported here";
    setxattr(path("plain.dat").constData(), "user.DOSATTRIB", "\x03\x00\x04", 3, 0);

    // Without the attribute on the root folder, the volume is not asked for it at all.
    EXPECT_EQ(traitsOf(root_).source, VolumeTraits::AttributeSource::Derived);
    EXPECT_EQ(readAll(root_)["system.dat"].attributes, std::uint32_t(kAttributeArchive));

    ASSERT_EQ(setxattr(root_.constData(), "user.DOSATTRIB", "0x10", 4, 0), 0);
    EXPECT_EQ(traitsOf(root_).source, VolumeTraits::AttributeSource::DerivedWithDosAttrib);
    auto entries = readAll(root_);
    EXPECT_EQ(entries["system.dat"].attributes, std::uint32_t(kAttributeArchive | kAttributeSystem));
    EXPECT_EQ(entries["plain.dat"].attributes, std::uint32_t(kAttributeArchive));
}

namespace {

int run(const QByteArray& command) {
    return std::system((command + " >/dev/null 2>&1").constData());
}

QByteArray output(const QByteArray& command) {
    QByteArray text;
    if (FILE* pipe = popen((command + " 2>/dev/null").constData(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
    }
    return text.trimmed();
}

} // namespace

// An NTFS image mounted with ntfs-3g (as CI can, running as root): attributes and creation times
// come from the file system, not from the POSIX mode.
TEST_F(DirectoryReaderTest, NtfsAttributesAndCreationTimesComeFromTheVolume) {
    if (geteuid() != 0 || run("command -v mkntfs && command -v ntfs-3g && command -v setfattr") != 0)
        GTEST_SKIP() << "needs root, mkntfs, ntfs-3g and setfattr";
    const QByteArray image = path("ntfs.img");
    const QByteArray mountPoint = path("m");
    ASSERT_EQ(mkdir(mountPoint.constData(), 0755), 0);
    ASSERT_EQ(run("truncate -s 16M " + image + " && mkntfs -F -Q " + image), 0);
    const QByteArray device = output("losetup -f --show " + image);
    if (device.isEmpty())
        GTEST_SKIP() << "no loop device";
    struct Cleanup {
        QByteArray mountPoint, device;
        ~Cleanup() { run("umount " + mountPoint + "; losetup -d " + device); }
    } cleanup{mountPoint, device};
    if (run("ntfs-3g " + device + " " + mountPoint) != 0)
        GTEST_SKIP() << "ntfs-3g cannot mount here";

    const std::int64_t before = std::int64_t(std::time(nullptr));
    const std::map<QByteArray, const char*> files = {
        {"hidden.txt", "0x00000022"}, {"normal.txt", "0x00000080"}, {"temp.sys", "0x00000124"}};
    for (const auto& [name, bits] : files) {
        // ntfs-3g takes tiny SYSTEM files for Interix special files: give them some length.
        file("m/" + name, 64);
        ASSERT_EQ(run("setfattr -n system.ntfs_attrib_be -v " + QByteArray(bits) + " " + path("m/" + name)),
                  0);
    }
    ASSERT_EQ(mkdir(path("m/folder").constData(), 0755), 0);
    const timespec old[2] = {{800000000, 0}, {800000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path("m/normal.txt").constData(), old, 0), 0);

    EXPECT_EQ(traitsOf(mountPoint).source, VolumeTraits::AttributeSource::NtfsXattr);
    auto entries = readAll(mountPoint);
    EXPECT_EQ(entries["hidden.txt"].attributes, std::uint32_t(kAttributeArchive | kAttributeHidden));
    EXPECT_EQ(entries["normal.txt"].attributes, std::uint32_t(kAttributeNormal));
    EXPECT_EQ(entries["temp.sys"].attributes,
              std::uint32_t(kAttributeArchive | kAttributeSystem | kAttributeTemporary));
    EXPECT_EQ(entries["folder"].attributes & kAttributeDirectory, std::uint32_t(kAttributeDirectory));
    // ntfs-3g reports no birth time; the creation time comes from the volume, not the write time.
    EXPECT_EQ(entries["normal.txt"].modified, 800000000);
    EXPECT_GE(entries["normal.txt"].created, before - 1);
    EXPECT_LE(entries["normal.txt"].created, std::int64_t(std::time(nullptr)) + 1);
}
