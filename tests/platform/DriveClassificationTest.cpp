#include "platform/DriveClassification.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace mendor {
namespace {

MountEntry Mount(const QString& fsType, const QString& source, unsigned major = 0, unsigned minor = 0) {
    MountEntry entry;
    entry.mountPoint = "/media/x";
    entry.root = "/";
    entry.fsType = fsType;
    entry.source = source;
    entry.major = major;
    entry.minor = minor;
    return entry;
}

/// A small fake of /sys and /run/udev/data with the devices the tests classify.
class FakeSystem {
public:
    FakeSystem() {
        roots.sys = dir.path() + "/sys";
        roots.udevData = dir.path() + "/udev";
        QDir().mkpath(roots.udevData);
        disk("sda", "0", "0", "8:0");
        partition("sda", "sda1", "8:1");
        disk("sdb", "1", "0", "8:16"); // USB stick
        partition("sdb", "sdb1", "8:17");
        disk("sr0", "1", "5", "11:0");
        disk("loop0", "0", "", "7:0");
        write("devices/virtual/block/loop0/loop/backing_file", "/home/u/disc.iso\n");
        disk("loop1", "0", "", "7:1");
        write("devices/virtual/block/loop1/loop/backing_file", "/home/u/disk.img\n");
        disk("zram0", "0", "", "252:0");
        disk("mmcblk0", "0", "SD", "179:0");
        partition("mmcblk0", "mmcblk0p1", "179:1");
        disk("sdc", "0", "0", "8:32"); // a card reader udev marks as SD
        write("../udev/b8:32", "S:disk/by-id/x\nE:ID_DRIVE_FLASH_SD=1\nE:ID_FS_TYPE=vfat\n");
        disk("sdd", "0", "0", "8:48"); // an optical drive that only udev knows as one
        write("../udev/b8:48", "E:ID_CDROM=1\n");
        disk("fd0", "1", "", "2:0");
    }

    SystemRoots roots;

private:
    void write(const QString& relative, const QByteArray& content) {
        const QString path = roots.sys + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void link(const QString& target, const QString& linkPath) {
        QDir().mkpath(QFileInfo(linkPath).absolutePath());
        ASSERT_TRUE(QFile::link(target, linkPath));
    }
    void disk(const QString& name, const QByteArray& removable, const QByteArray& type,
              const QByteArray& number) {
        const QString relative =
            (name.startsWith("loop") || name.startsWith("zram") ? "devices/virtual/block/"
                                                                : "devices/pci0/block/") +
            name;
        write(relative + "/removable", removable + "\n");
        write(relative + "/dev", number + "\n");
        if (!type.isEmpty())
            write(relative + "/device/type", type + "\n");
        link(roots.sys + "/" + relative, roots.sys + "/class/block/" + name);
        link(roots.sys + "/" + relative, roots.sys + "/block/" + name);
        link(roots.sys + "/" + relative, roots.sys + "/dev/block/" + number);
        diskDirs_.insert(name, relative);
    }
    void partition(const QString& diskName, const QString& name, const QByteArray& number) {
        const QString relative = diskDirs_.value(diskName) + "/" + name;
        write(relative + "/partition", "1\n");
        write(relative + "/dev", number + "\n");
        link(roots.sys + "/" + relative, roots.sys + "/class/block/" + name);
        link(roots.sys + "/" + relative, roots.sys + "/dev/block/" + number);
    }

    QTemporaryDir dir;
    QMap<QString, QString> diskDirs_;
};

TEST(DriveClassificationTest, FollowsTheRulesInOrder) {
    FakeSystem fake;
    const auto type = [&](const MountEntry& m) { return ClassifyMount(m, fake.roots); };

    EXPECT_EQ(type(Mount("iso9660", "/dev/sr0", 11, 0)), DriveType::CdRom);
    EXPECT_EQ(type(Mount("udf", "/dev/sdd", 8, 48)), DriveType::CdRom);      // udev ID_CDROM
    EXPECT_EQ(type(Mount("iso9660", "/dev/loop0", 7, 0)), DriveType::CdRom); // a mounted ISO image
    EXPECT_EQ(type(Mount("fuse.fuseiso", "/home/u/disc.iso")), DriveType::CdRom);
    EXPECT_EQ(type(Mount("fuse.iso9660", "/home/u/disc.iso")), DriveType::CdRom);

    EXPECT_EQ(type(Mount("nfs4", "server:/export")), DriveType::Remote);
    EXPECT_EQ(type(Mount("cifs", "//nas/share")), DriveType::Remote);
    EXPECT_EQ(type(Mount("fuse.sshfs", "u@host:/srv")), DriveType::Remote);
    EXPECT_EQ(type(Mount("fuse.unknown", "//nas/share")), DriveType::Remote); // by the source's form

    EXPECT_EQ(type(Mount("tmpfs", "tmpfs")), DriveType::RamDisk);
    EXPECT_EQ(type(Mount("ext4", "/dev/zram0", 252, 0)), DriveType::RamDisk);

    EXPECT_EQ(type(Mount("vfat", "/dev/sdb1", 8, 17)), DriveType::Removable);    // a removable disk's part
    EXPECT_EQ(type(Mount("fuseblk", "/dev/sdb1", 0, 60)), DriveType::Removable); // ntfs-3g on the stick
    EXPECT_EQ(type(Mount("vfat", "/dev/mmcblk0p1", 179, 1)), DriveType::Removable);
    EXPECT_EQ(type(Mount("exfat", "/dev/sdc", 8, 32)), DriveType::Removable); // udev: SD card
    EXPECT_EQ(type(Mount("vfat", "/dev/fd0", 2, 0)), DriveType::Removable);

    EXPECT_EQ(type(Mount("ext4", "/dev/sda1", 8, 1)), DriveType::Fixed);
    EXPECT_EQ(type(Mount("ext4", "/dev/loop1", 7, 1)), DriveType::Fixed); // a disk image
    EXPECT_EQ(type(Mount("fuseblk", "/dev/sda1", 0, 61)), DriveType::Fixed);
    // A source that no device stands for but the device number does.
    EXPECT_EQ(type(Mount("btrfs", "/dev/mapper/gone", 8, 17)), DriveType::Removable);
}

TEST(DriveClassificationTest, FindsTheWholeDiskAndItsFacts) {
    FakeSystem fake;
    const BlockDevice partition = BlockDeviceOf("/dev/sdb1", 0, 0, fake.roots);
    ASSERT_TRUE(partition.exists());
    EXPECT_EQ(partition.name, "sdb1");
    EXPECT_EQ(QFileInfo(partition.wholeDiskDir).fileName(), "sdb");
    EXPECT_TRUE(partition.removable);

    const BlockDevice loop = BlockDeviceOf("/dev/loop0", 7, 0, fake.roots);
    EXPECT_EQ(loop.backingFile, "/home/u/disc.iso");
    EXPECT_FALSE(loop.removable);

    const BlockDevice card = BlockDeviceOf("/dev/sdc", 8, 32, fake.roots);
    EXPECT_EQ(card.udev.value("ID_FS_TYPE"), "vfat");
    EXPECT_FALSE(card.udev.contains("S:disk/by-id/x"));

    EXPECT_FALSE(BlockDeviceOf("/dev/nothing", 0, 0, fake.roots).exists());
    EXPECT_FALSE(BlockDeviceOf("tmpfs", 0, 33, fake.roots).exists());
}

TEST(DriveClassificationTest, ListsOpticalAndFloppyDrivesInNumberOrder) {
    FakeSystem fake;
    EXPECT_EQ(OpticalDriveNames(fake.roots), QStringList{"sr0"});
    EXPECT_EQ(FloppyDriveNames(fake.roots), QStringList{"fd0"});

    QTemporaryDir many;
    SystemRoots roots;
    roots.sys = many.path();
    for (const char* name : {"sr10", "sr2", "sr0", "sda", "srx"})
        QDir().mkpath(many.path() + "/block/" + name);
    EXPECT_EQ(OpticalDriveNames(roots), (QStringList{"sr0", "sr2", "sr10"}));
    EXPECT_TRUE(FloppyDriveNames(roots).isEmpty());
}

} // namespace
} // namespace mendor
