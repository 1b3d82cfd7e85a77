// Drive facts read from real volumes mounted for the test: tmpfs, an ext4 loop image, a FAT
// floppy image through fusefat and an ISO image through fuseiso; a UDF image read directly.
#include "platform/DriveTable.h"
#include "platform/VolumeInfo.h"
#include "platform/VolumeSuperblock.h"
#include "ScratchVolumes.h"
#include "shell/ProfileFile.h"

#include <gtest/gtest.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/xattr.h>

namespace mendor {
namespace {

using test::ScratchVolumes;

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
        sources.settingsPath = volumes->path(QStringLiteral("MNP3.ini"));
        ProfileFile settings(sources.settingsPath);
        EXPECT_TRUE(settings.writeString(QStringLiteral("Drives"), QStringLiteral("T:"), root));
        const auto drive = DriveTable::load(sources).drive(QLatin1Char('T'));
        EXPECT_TRUE(drive.has_value());
        return drive.value_or(DriveInfo{});
    }

    static QByteArray Xattr(const QString& file, const char* name) {
        char value[64] = {};
        const ssize_t n = ::getxattr(QFile::encodeName(file).constData(), name, value, sizeof value);
        return n < 0 ? QByteArray() : QByteArray(value, n);
    }

    static bool WriteFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    static inline QString skipReason;
    static inline std::unique_ptr<ScratchVolumes> volumes;
};

TEST_F(RealVolumes, TmpfsIsARamDisk) {
    const QString root = volumes->mountTmpfs(QStringLiteral("m_tmpfs"), QStringLiteral("8m"));
    ASSERT_FALSE(root.isEmpty()) << "mount -t tmpfs failed";
    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(drive.root, root);
    EXPECT_EQ(DriveTypeOf(drive), DriveType::RamDisk);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, 8 * 1024 * 1024);
    EXPECT_GT(space.free, 0);
    EXPECT_TRUE(VolumeLabelOf(drive).isEmpty());
    EXPECT_TRUE(VolumeSerialOf(drive).has_value()); // a RAM disk succeeds, with whatever it has

    const QString marker = root + QStringLiteral("/marker.cat");
    ASSERT_TRUE(WriteFile(marker, "1\n"));
    if (::setxattr(QFile::encodeName(marker).constData(), "user.probe", "x", 1, 0) != 0)
        GTEST_SKIP() << "this kernel's tmpfs keeps no user attributes";
    SetHiddenAttribute(marker);
    EXPECT_EQ(Xattr(marker, "user.DOSATTRIB"), QByteArray("0x2"));
}

TEST_F(RealVolumes, Ext4LoopImageIsAFixedDiskWithLabelAndUuidSerial) {
    const QString image = volumes->path(QStringLiteral("ext4.img"));
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("truncate"),
                                    {QStringLiteral("-s"), QStringLiteral("32M"), image}));
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("mkfs.ext4"),
                                    {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-L"),
                                     QStringLiteral("EXTVOL"), QStringLiteral("-U"),
                                     QStringLiteral("0b1a2c3d-4e5f-6071-8293-a4b5c6d7e8f9"), image}));
    const QString root = volumes->mountLoop(QStringLiteral("m_ext4"), image);
    if (root.isEmpty())
        GTEST_SKIP() << "mount -o loop failed";
    const DriveInfo drive = DriveFor(root);
    EXPECT_TRUE(drive.device.startsWith(QStringLiteral("/dev/loop"))) << drive.device.toStdString();
    EXPECT_EQ(DriveTypeOf(drive), DriveType::Fixed);
    EXPECT_EQ(VolumeLabelOf(drive), QStringLiteral("EXTVOL"));
    EXPECT_EQ(VolumeSerialOf(drive), 0x0b1a2c3du);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_GT(space.total, 20 * 1024 * 1024);
    EXPECT_LE(space.total, 32 * 1024 * 1024);
    EXPECT_GT(space.free, 0);

    // A folder of the volume reports the volume it is on.
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/sub")));
    const DriveInfo folder = DriveFor(root + QStringLiteral("/sub"));
    EXPECT_EQ(VolumeLabelOf(folder), QStringLiteral("EXTVOL"));
    EXPECT_EQ(VolumeSerialOf(folder), 0x0b1a2c3du);

    // The hidden bit joins the attributes Samba and Wine keep in user.DOSATTRIB.
    const QString marker = root + QStringLiteral("/marker.cat");
    const QString archived = root + QStringLiteral("/archived.cat");
    ASSERT_TRUE(WriteFile(marker, "1\n"));
    ASSERT_TRUE(WriteFile(archived, "2\n"));
    ASSERT_EQ(::setxattr(QFile::encodeName(archived).constData(), "user.DOSATTRIB", "0x20", 4, 0), 0);
    SetHiddenAttribute(marker);
    SetHiddenAttribute(archived);
    EXPECT_EQ(Xattr(marker, "user.DOSATTRIB"), QByteArray("0x2"));
    EXPECT_EQ(Xattr(archived, "user.DOSATTRIB"), QByteArray("0x22"));
}

TEST_F(RealVolumes, FatFloppyImageThroughFuse) {
    if (!ScratchVolumes::haveProgram(QStringLiteral("fusefat")) || !ScratchVolumes::haveProgram("mkfs.vfat"))
        GTEST_SKIP() << "fusefat or mkfs.vfat missing";
    const QString image = volumes->path(QStringLiteral("fat.img"));
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("mkfs.vfat"),
                                    {QStringLiteral("-C"), QStringLiteral("-n"), QStringLiteral("FLOPPY1"),
                                     QStringLiteral("-i"), QStringLiteral("12345678"), image,
                                     QStringLiteral("1440")}));
    const QString root =
        volumes->mountFuse(QStringLiteral("m_fat"), QStringLiteral("fusefat"),
                           {QStringLiteral("-o"), QStringLiteral("ro,fsname=%1,subtype=vfat").arg(image),
                            image, QStringLiteral("@MOUNT@")});
    if (root.isEmpty())
        GTEST_SKIP() << "fusefat could not mount";
    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(drive.device, image);
    EXPECT_EQ(drive.fsType, QStringLiteral("fuse.vfat"));
    EXPECT_EQ(VolumeSerialOf(drive), 0x12345678u);
    EXPECT_EQ(VolumeLabelOf(drive), QStringLiteral("FLOPPY1"));
    // The driver reports no size; the boot sector does.
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, 1440 * 1024);
    EXPECT_EQ(space.free, 0);
}

/// The four lane sums of the first Joliet descriptor, computed here from the ISO standard's
/// layout as an independent check.
std::uint32_t JolietSerialOf(const QByteArray& iso) {
    for (qsizetype sector = 16; (sector + 1) * 2048 <= iso.size(); ++sector) {
        const QByteArray d = iso.mid(sector * 2048, 2048);
        if (static_cast<unsigned char>(d[0]) == 255)
            break;
        if (d[0] == 2 && d.mid(88, 2) == "%/") {
            unsigned char lane[4] = {};
            for (int i = 0; i < 2048; ++i)
                lane[i % 4] += static_cast<unsigned char>(d[i]);
            return (lane[0] << 24) | (lane[1] << 16) | (lane[2] << 8) | lane[3];
        }
    }
    return 0;
}

TEST_F(RealVolumes, IsoImageThroughFuseIsACdWithItsSerial) {
    if (!ScratchVolumes::haveProgram(QStringLiteral("xorriso")) || !ScratchVolumes::haveProgram("fuseiso"))
        GTEST_SKIP() << "xorriso or fuseiso missing";
    const QString source = volumes->path(QStringLiteral("cdsrc"));
    ASSERT_TRUE(QDir().mkpath(source));
    ASSERT_TRUE(WriteFile(source + QStringLiteral("/readme.txt"), "hello\n"));
    const QString image = volumes->path(QStringLiteral("cd.iso"));
    ASSERT_TRUE(
        ScratchVolumes::run(QStringLiteral("xorriso"),
                            {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                             QStringLiteral("-V"), QStringLiteral("MYCD"), QStringLiteral("-J"),
                             QStringLiteral("-r"), QStringLiteral("-o"), image, source}));
    const QString root =
        volumes->mountFuse(QStringLiteral("m_iso"), QStringLiteral("fuseiso"),
                           {QStringLiteral("-n"), image, QStringLiteral("@MOUNT@"), QStringLiteral("-o"),
                            QStringLiteral("fsname=%1,subtype=iso9660").arg(image)});
    if (root.isEmpty())
        GTEST_SKIP() << "fuseiso could not mount";
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const DriveInfo drive = DriveFor(root);
    EXPECT_EQ(DriveTypeOf(drive), DriveType::CdRom);
    EXPECT_EQ(VolumeLabelOf(drive), QStringLiteral("MYCD"));
    const std::uint32_t expected = JolietSerialOf(bytes);
    ASSERT_NE(expected, 0u) << "xorriso wrote no Joliet descriptor";
    EXPECT_EQ(VolumeSerialOf(drive), expected);
    const DiskSpace space = DiskSpaceOf(drive);
    EXPECT_EQ(space.total, bytes.size());
    EXPECT_EQ(space.free, 0);
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/readme.txt")));
}

TEST_F(RealVolumes, UdfImageSerialMatchesUdfinfo) {
    if (!ScratchVolumes::haveProgram(QStringLiteral("mkudffs")) || !ScratchVolumes::haveProgram("udfinfo"))
        GTEST_SKIP() << "udftools missing";
    const QString image = volumes->path(QStringLiteral("udf.img"));
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("truncate"),
                                    {QStringLiteral("-s"), QStringLiteral("20M"), image}));
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("mkudffs"),
                                    {QStringLiteral("--media-type=hd"), QStringLiteral("--blocksize=2048"),
                                     QStringLiteral("--label=PUREUDF"), image}));
    QByteArray info;
    ASSERT_TRUE(ScratchVolumes::run(QStringLiteral("udfinfo"), {image}, &info));
    bool ok = false;
    std::uint32_t expected = 0;
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("winserialnum="))
            expected = line.mid(13).toUInt(&ok, 0);
    }
    ASSERT_TRUE(ok) << info.constData();

    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const VolumeReader read = [&](std::int64_t offset, std::int64_t length) {
        file.seek(offset);
        return file.read(length);
    };
    const auto facts = ReadSuperblock(read);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->kind, SuperblockKind::Udf);
    EXPECT_EQ(facts->serial, expected);
    EXPECT_EQ(facts->label, QStringLiteral("PUREUDF"));
}

} // namespace
} // namespace mendor
