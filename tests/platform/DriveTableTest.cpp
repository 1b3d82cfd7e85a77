#include "platform/DriveTable.h"

#include "shell/ProfileFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace mendor {
namespace {

/// A fake system with one floppy drive, two optical drives and a settings file.
class DriveTableLoad : public ::testing::Test {
protected:
    void SetUp() override {
        sources.roots.sys = dir.path() + "/sys";
        sources.roots.udevData = dir.path() + "/udev";
        sources.settingsPath = dir.path() + "/MNP3.ini";
        for (const char* name : {"fd0", "sr0", "sr1"})
            QDir().mkpath(sources.roots.sys + "/block/" + name);
    }

    void setMounts(const QByteArray& lines) {
        sources.mountInfo = "1 0 254:0 / / rw - ext4 /dev/vda rw\n" + lines;
    }

    QString rootOf(const DriveTable& table, char letter) const {
        const auto drive = table.drive(QLatin1Char(letter));
        return drive ? drive->root : "<none>";
    }

    QTemporaryDir dir;
    DriveTableSources sources;
};

TEST_F(DriveTableLoad, AssignsFixedFloppyOpticalAndMountLetters) {
    setMounts("2 1 11:1 / /media/dvd ro - iso9660 /dev/sr1 ro\n"
              "3 1 0:40 / /mnt/ram rw - tmpfs ram rw\n"
              "4 1 0:41 / /media/share rw - cifs //nas/share rw\n");
    const DriveTable table = DriveTable::load(sources);

    QString letters;
    for (const DriveInfo& d : table.drives())
        letters += d.letter;
    EXPECT_EQ(letters, "ACDEFG");

    EXPECT_EQ(rootOf(table, 'C'), "/");
    EXPECT_EQ(table.drive('A')->device, "/dev/fd0");
    EXPECT_EQ(table.drive('A')->type, DriveType::Removable);
    // Optical drives keep their letters with or without a disc.
    EXPECT_EQ(table.drive('D')->device, "/dev/sr0");
    EXPECT_TRUE(table.drive('D')->root.isEmpty());
    EXPECT_EQ(table.drive('D')->type, DriveType::CdRom);
    EXPECT_EQ(table.drive('E')->device, "/dev/sr1");
    EXPECT_EQ(rootOf(table, 'E'), "/media/dvd");
    EXPECT_EQ(table.drive('F')->type, DriveType::RamDisk);
    EXPECT_EQ(rootOf(table, 'F'), "/mnt/ram");
    EXPECT_EQ(table.drive('G')->type, DriveType::Remote);
    EXPECT_EQ(table.drive('g')->name(), "G:");
}

TEST_F(DriveTableLoad, RemembersLettersAcrossChangesOfTheMountTable) {
    setMounts("2 1 0:40 / /mnt/first rw - tmpfs a rw\n"
              "3 1 0:41 / /mnt/second rw - tmpfs b rw\n");
    DriveTable::load(sources);
    // F: and G: after the optical drives D: and E:
    ProfileFile settings(sources.settingsPath);
    EXPECT_EQ(settings.readString("DriveLetters", "F", ""), "mount:/mnt/first");
    EXPECT_EQ(settings.readString("DriveLetters", "G", ""), "mount:/mnt/second");

    // The first volume is gone and a new one arrives: the second keeps G:, and the newcomer does
    // not take F:, which the absent volume is remembered under.
    setMounts("3 1 0:41 / /mnt/second rw - tmpfs b rw\n"
              "4 1 0:42 / /mnt/third rw - tmpfs c rw\n");
    DriveTable table = DriveTable::load(sources);
    EXPECT_EQ(rootOf(table, 'G'), "/mnt/second");
    EXPECT_EQ(rootOf(table, 'H'), "/mnt/third");
    EXPECT_EQ(rootOf(table, 'F'), "<none>");

    // Back again, in the other order: every volume keeps its letter.
    setMounts("4 1 0:42 / /mnt/third rw - tmpfs c rw\n"
              "3 1 0:41 / /mnt/second rw - tmpfs b rw\n"
              "2 1 0:40 / /mnt/first rw - tmpfs a rw\n");
    table = DriveTable::load(sources);
    EXPECT_EQ(rootOf(table, 'F'), "/mnt/first");
    EXPECT_EQ(rootOf(table, 'G'), "/mnt/second");
    EXPECT_EQ(rootOf(table, 'H'), "/mnt/third");
}

TEST_F(DriveTableLoad, UserMappingsOverrideTheAutomaticChoice) {
    ProfileFile settings(sources.settingsPath);
    ASSERT_TRUE(settings.writeString("Drives", "E:", dir.path() + "/folder/"));
    ASSERT_TRUE(settings.writeString("Drives", "R", "device:/dev/sr0"));
    ASSERT_TRUE(settings.writeString("Drives", "C:", "")); // an empty value maps nothing
    setMounts("2 1 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
              "3 1 0:40 / /mnt/ram rw - tmpfs ram rw\n");
    const DriveTable table = DriveTable::load(sources);

    EXPECT_EQ(rootOf(table, 'C'), "/");
    EXPECT_EQ(rootOf(table, 'E'), dir.path() + "/folder");
    EXPECT_EQ(table.drive('E')->device, "/dev/vda"); // the volume holding the folder
    EXPECT_TRUE(table.drive('E')->isFolder);
    // sr0 follows its R: mapping and gets no automatic letter; sr1 takes D:, the RAM disk F:.
    EXPECT_EQ(rootOf(table, 'R'), "/media/cd");
    EXPECT_TRUE(table.drive('R')->followsDevice);
    EXPECT_FALSE(table.drive('R')->isFolder);
    EXPECT_EQ(table.drive('R')->type, DriveType::CdRom);
    EXPECT_EQ(table.drive('D')->device, "/dev/sr1");
    EXPECT_EQ(rootOf(table, 'F'), "/mnt/ram");
    EXPECT_EQ(table.drives().size(), 6); // with A: for the floppy drive
}

/// F: is mounted inside E:; D: is an optical drive without a disc.
DriveTable SampleTable() {
    return DriveTable({{'F', "/media/u/disc/inner", {}, {}},
                       {'C', "/", {}, {}},
                       {'E', "/media/u/disc", {}, {}},
                       {'D', {}, {}, {}}});
}

TEST(DriveTablePaths, ConvertBothWaysByTheLongestRoot) {
    const DriveTable table = SampleTable();
    EXPECT_EQ(table.localPath("E:\\docs\\a.txt"), "/media/u/disc/docs/a.txt");
    EXPECT_EQ(table.localPath("e:\\docs\\"), "/media/u/disc/docs");
    EXPECT_EQ(table.localPath("E:\\"), "/media/u/disc");
    EXPECT_EQ(table.localPath("C:\\home\\u"), "/home/u");
    EXPECT_EQ(table.localPath("C:\\"), "/");
    EXPECT_TRUE(table.localPath("D:\\x").isEmpty()); // no disc
    EXPECT_TRUE(table.localPath("Q:\\x").isEmpty());
    EXPECT_TRUE(table.localPath("docs\\a.txt").isEmpty());

    EXPECT_EQ(table.cataloguedPath("/media/u/disc/inner/x"), "F:\\x");
    EXPECT_EQ(table.cataloguedPath("/media/u/disc/innerx"), "E:\\innerx");
    EXPECT_EQ(table.cataloguedPath("/media/u/disc"), "E:\\");
    EXPECT_EQ(table.cataloguedPath("/home/u/Desktop"), "C:\\home\\u\\Desktop");
    EXPECT_EQ(table.cataloguedPath("/media/u/disc/a/./b/../c"), "E:\\a\\c");
    EXPECT_TRUE(table.cataloguedPath("relative/path").isEmpty());
    EXPECT_TRUE(DriveTable().cataloguedPath("/x").isEmpty());
}

TEST(DriveTablePaths, OddNamesSurviveTheRoundTrip) {
    const DriveTable table = SampleTable();
    QByteArray local = "/media/u/disc/back\\slash/caf";
    local.append('\xE9'); // Latin-1, not UTF-8
    local.append(".txt");
    const QString catalogued = table.cataloguedPathFromBytes(local);
    EXPECT_EQ(catalogued.count(QLatin1Char('\\')), 2); // E:\ and one separator
    EXPECT_EQ(table.localPathBytes(catalogued), local);

    const QString text = table.cataloguedPath("/media/u/disc/a\\b");
    EXPECT_EQ(table.localPath(text), "/media/u/disc/a\\b");
}

} // namespace
} // namespace mendor
