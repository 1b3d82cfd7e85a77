// Drive facts read from real volumes mounted for the test: tmpfs, an ext4 loop image, a FAT
// floppy image through fusefat and an ISO image through fuseiso; a UDF image read directly.
#include "platform/DriveTable.h"
#include "platform/MediumFile.h"
#include "platform/VolumeInfo.h"
#include "platform/VolumeSuperblock.h"
#include "ScratchVolumes.h"
#include "shell/ProfileFile.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <QDir>
#include <QFileInfo>
#include <sys/xattr.h>

namespace mendor {
namespace {

using test::ScratchVolumes;

void Hide(const QString& file) {
    const FileDescriptor fd(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC));
    SetHiddenAttribute(fd.get());
}

QByteArray Xattr(const QString& file, const char* name) {
    char value[64] = {};
    const ssize_t n = ::getxattr(QFile::encodeName(file).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, n);
}

class RealVolumes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        skipReason = ScratchVolumes::unavailableReason();
        if (skipReason.isEmpty())
            volumes = std::make_unique<ScratchVolumes>();
    }
    static void TearDownTestSuite() { volumes.reset(); }

    void SetUp() override {
        if (!skipReason.isEmpty())
            GTEST_SKIP() << skipReason.toStdString();
    }

    /// The drive the table gives a letter mapped to a folder, as the user would map it.
    static DriveInfo DriveFor(const QString& root) {
        DriveTableSources sources = DriveTable::systemSources();
        sources.settingsPath = volumes->path("MNP3.ini");
        EXPECT_TRUE(ProfileFile(sources.settingsPath).writeString("Drives", "T:", root));
        const auto drive = DriveTable::load(sources).drive('T');
        EXPECT_TRUE(drive.has_value());
        return drive.value_or(DriveInfo{});
    }

    static inline QString skipReason;
    static inline std::unique_ptr<ScratchVolumes> volumes;
};

TEST_F(RealVolumes, TmpfsIsARamDisk) {
    const QString root = volumes->mountTmpfs("m_tmpfs", "8m");
    ASSERT_FALSE(root.isEmpty()) << "mount -t tmpfs failed";
    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(drive.root, root);
    EXPECT_EQ(DriveTypeOf(drive), DriveType::RamDisk);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, 8 * 1024 * 1024);
    EXPECT_GT(space.free, 0);
    EXPECT_TRUE(VolumeLabelOf(drive).isEmpty());
    EXPECT_TRUE(VolumeSerialOf(drive).has_value()); // a RAM disk succeeds, with whatever it has
}

TEST_F(RealVolumes, Ext4LoopImageIsAFixedDiskWithLabelAndUuidSerial) {
    const QString image = volumes->path("ext4.img");
    ASSERT_TRUE(ScratchVolumes::run("truncate -s 32M " + image));
    ASSERT_TRUE(
        ScratchVolumes::run("mkfs.ext4 -q -F -L EXTVOL -U 0b1a2c3d-4e5f-6071-8293-a4b5c6d7e8f9 " + image));
    const QString root = volumes->mountLoop("m_ext4", image);
    if (root.isEmpty())
        GTEST_SKIP() << "mount -o loop failed";
    const DriveInfo drive = DriveFor(root);
    EXPECT_TRUE(drive.device.startsWith("/dev/loop")) << drive.device.toStdString();
    EXPECT_EQ(DriveTypeOf(drive), DriveType::Fixed);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_GT(space.total, 20 * 1024 * 1024);
    EXPECT_LE(space.total, 32 * 1024 * 1024);
    EXPECT_GT(space.free, 0);

    // The volume itself and a folder of it report the same label and serial.
    ASSERT_TRUE(QDir().mkpath(root + "/sub"));
    for (const DriveInfo& on : {drive, DriveFor(root + "/sub")}) {
        EXPECT_EQ(VolumeLabelOf(on), "EXTVOL");
        EXPECT_EQ(VolumeSerialOf(on), 0x0b1a2c3du);
    }

    // The hidden bit joins the attributes Samba and Wine keep in user.DOSATTRIB.
    const QString marker = root + "/marker.cat";
    const QString archived = root + "/archived.cat";
    test::WriteBytes(marker, "1\n");
    test::WriteBytes(archived, "2\n");
    ASSERT_EQ(::setxattr(QFile::encodeName(archived).constData(), "user.DOSATTRIB", "0x20", 4, 0), 0);
    Hide(marker);
    Hide(archived);
    EXPECT_EQ(Xattr(marker, "user.DOSATTRIB"), "0x2");
    EXPECT_EQ(Xattr(archived, "user.DOSATTRIB"), "0x22");
}

TEST_F(RealVolumes, FatFloppyImageThroughFuse) {
    if (!ScratchVolumes::havePrograms({"fusefat", "mkfs.vfat"}))
        GTEST_SKIP() << "fusefat or mkfs.vfat missing";
    const QString image = volumes->path("fat.img");
    ASSERT_TRUE(ScratchVolumes::run("mkfs.vfat -C -n FLOPPY1 -i 12345678 " + image + " 1440"));
    const QString root =
        volumes->mountFuse("m_fat", "fusefat -o ro,fsname=" + image + ",subtype=vfat " + image + " @MOUNT@");
    if (root.isEmpty())
        GTEST_SKIP() << "fusefat could not mount";
    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(drive.device, image);
    EXPECT_EQ(drive.fsType, "fuse.vfat");
    EXPECT_EQ(VolumeSerialOf(drive), 0x12345678u);
    EXPECT_EQ(VolumeLabelOf(drive), "FLOPPY1");
    // The driver reports no size; the boot sector does.
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, 1440 * 1024);
    EXPECT_EQ(space.free, 0);
}

/// The lane sums of the first Joliet descriptor, found here from the ISO standard's layout.
std::uint32_t JolietSerialOf(const QByteArray& iso) {
    for (qsizetype at = 16 * 2048; at + 2048 <= iso.size() && iso[at] != '\xFF'; at += 2048) {
        if (iso[at] == 2 && iso.mid(at + 88, 2) == "%/")
            return LaneSumSerial(iso.mid(at, 2048));
    }
    return 0;
}

TEST_F(RealVolumes, IsoImageThroughFuseIsACdWithItsSerial) {
    if (!ScratchVolumes::havePrograms({"xorriso", "fuseiso"}))
        GTEST_SKIP() << "xorriso or fuseiso missing";
    const QString source = volumes->path("cdsrc");
    ASSERT_TRUE(QDir().mkpath(source));
    test::WriteBytes(source + "/readme.txt", "hello\n");
    const QString image = volumes->path("cd.iso");
    ASSERT_TRUE(ScratchVolumes::run("xorriso -as mkisofs -quiet -V MYCD -J -r -o " + image + " " + source));
    const QString root = volumes->mountFuse("m_iso", "fuseiso -n " + image + " @MOUNT@ -o fsname=" + image +
                                                         ",subtype=iso9660");
    if (root.isEmpty())
        GTEST_SKIP() << "fuseiso could not mount";
    const QByteArray bytes = test::ReadBytes(image);

    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(DriveTypeOf(drive), DriveType::CdRom);
    EXPECT_EQ(VolumeLabelOf(drive), "MYCD");
    const std::uint32_t expected = JolietSerialOf(bytes);
    ASSERT_NE(expected, 0u) << "xorriso wrote no Joliet descriptor";
    EXPECT_EQ(VolumeSerialOf(drive), expected);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, bytes.size());
    EXPECT_EQ(space.free, 0);
    EXPECT_TRUE(QFileInfo::exists(root + "/readme.txt"));
}

TEST_F(RealVolumes, UdfImageSerialMatchesUdfinfo) {
    if (!ScratchVolumes::havePrograms({"mkudffs", "udfinfo"}))
        GTEST_SKIP() << "udftools missing";
    const QString image = volumes->path("udf.img");
    ASSERT_TRUE(ScratchVolumes::run("truncate -s 20M " + image));
    ASSERT_TRUE(ScratchVolumes::run("mkudffs --media-type=hd --blocksize=2048 --label=PUREUDF " + image));
    QByteArray info;
    ASSERT_TRUE(ScratchVolumes::run("udfinfo " + image, &info));
    bool ok = false;
    std::uint32_t expected = 0;
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("winserialnum="))
            expected = line.mid(13).toUInt(&ok, 0);
    }
    ASSERT_TRUE(ok) << info.constData();

    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto facts = ReadSuperblock([&](std::int64_t offset, std::int64_t length) {
        file.seek(offset);
        return file.read(length);
    });
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->kind, SuperblockKind::Udf);
    EXPECT_EQ(facts->serial, expected);
    EXPECT_EQ(facts->label, "PUREUDF");
}

} // namespace
} // namespace mendor
