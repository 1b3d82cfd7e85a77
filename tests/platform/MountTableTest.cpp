#include "platform/MountTable.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

QStringList MountPoints(const QList<MountEntry>& entries) {
    QStringList points;
    for (const MountEntry& e : entries)
        points.append(e.mountPoint);
    return points;
}

TEST(MountTableTest, ParsesFieldsEscapesAndOptionalFieldsAndSkipsMalformedLines) {
    const QByteArray text =
        "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
        "garbage\n"
        "x 1 8:1 / /a rw - ext4 /dev/sda1 rw\n" // id not a number
        "30 1 8:1 / /b rw ext4 /dev/sda1 rw\n"  // no separator
        "31 1 81 / /c rw - ext4 /dev/sda1 rw\n" // no major:minor
        "32 1 8:1 / /d rw -\n"                  // nothing after "-"
        "90 26 0:50 / /tmp/m\\040space rw master:3 propagate_from:2 - tmpfs my\\040ram rw\n"
        "91 26 7:1 /sub /media/u/a\\134b\\011c rw - fuseblk /dev/loop1 rw,user_id=0\n"
        "\n"
        "92 26 0:51 / /media/u/new\\012line rw - fuse.sshfs u@host:/srv rw\n";
    QStringList fields;
    for (const MountEntry& e : ParseMountInfo(text))
        fields << QStringLiteral("%1 %2 %3:%4 [%5] [%6] %7 [%8] %9")
                      .arg(e.id)
                      .arg(e.parentId)
                      .arg(e.major)
                      .arg(e.minor)
                      .arg(e.root, e.mountPoint, e.fsType, e.source, e.superOptions);
    EXPECT_EQ(fields, QStringList({"26 1 254:0 [/] [/] ext4 [/dev/vda] rw,discard",
                                   "90 26 0:50 [/] [/tmp/m space] tmpfs [my ram] rw",
                                   "91 26 7:1 [/sub] [/media/u/a\\b\tc] fuseblk [/dev/loop1] rw,user_id=0",
                                   "92 26 0:51 [/] [/media/u/new\nline] fuse.sshfs [u@host:/srv] rw"}));
}

TEST(MountTableTest, VisibleMountsHideSystemPseudoAndDuplicateMounts) {
    const QByteArray text = "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                            "2 1 0:20 / /proc rw - proc proc rw\n"
                            "3 1 0:21 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
                            "4 1 0:22 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                            "5 1 8:17 / /run/media/u/STICK rw - vfat /dev/sdb1 rw\n"
                            "6 1 0:23 / /tmp rw - tmpfs tmpfs rw\n"
                            "7 1 0:24 / /mnt/ram rw - tmpfs ramdisk rw\n"
                            "8 1 8:2 / /home/u/data rw - ext4 /dev/sda2 rw\n"
                            "9 1 8:2 /photos /home/u/photos rw - ext4 /dev/sda2 rw\n" // bind of a folder
                            "10 1 8:2 / /srv/again rw - ext4 /dev/sda2 rw\n"          // same fs again
                            "11 1 254:0 / /mnt/rootbind rw - ext4 /dev/vda rw\n"      // C: again
                            "12 1 0:25 / /home/u/.cache/doc rw - fuse.portal portal rw\n"
                            "13 1 8:3 / /home/u/.hidden/disk rw - ext4 /dev/sda3 rw\n" // inside a dot folder
                            "14 1 7:0 / /snap/core/1 rw - squashfs /dev/loop0 rw\n"
                            "15 1 8:4 / /boot/efi rw - vfat /dev/sda4 rw\n"
                            "16 1 0:26 / /media/share rw - cifs //nas/share rw\n"
                            "17 1 11:0 / /media/cdrom rw - iso9660 /dev/sr0 ro\n"
                            "18 1 0:27 / /media/cdrom rw - fuse.fuseiso /tmp/x.iso ro\n"; // over the CD
    const QList<MountEntry> visible = VisibleMounts(ParseMountInfo(text));
    EXPECT_EQ(MountPoints(visible), (QStringList{"/run/media/u/STICK", "/mnt/ram", "/home/u/data",
                                                 "/media/share", "/media/cdrom"}));
    EXPECT_EQ(visible.last().fsType, "fuse.fuseiso");
}

TEST(MountTableTest, MountContainingTakesTheLongestMountPoint) {
    const QList<MountEntry> table = ParseMountInfo("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                                                   "2 1 8:1 / /media rw - ext4 /dev/sda1 rw\n"
                                                   "3 2 8:17 / /media/stick rw - vfat /dev/sdb1 rw\n");
    ASSERT_NE(MountContaining(table, "/media/stick/docs/a.txt"), nullptr);
    EXPECT_EQ(MountContaining(table, "/media/stick/docs/a.txt")->source, "/dev/sdb1");
    EXPECT_EQ(MountContaining(table, "/media/stick")->source, "/dev/sdb1");
    EXPECT_EQ(MountContaining(table, "/media/stickers")->source, "/dev/sda1");
    EXPECT_EQ(MountContaining(table, "/home/u")->source, "/dev/vda");
    EXPECT_EQ(MountContaining({}, "/home/u"), nullptr);
}

} // namespace
} // namespace mendor
