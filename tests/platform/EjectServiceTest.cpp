#include "platform/EjectService.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

/// Records every call and answers from its settings.
class FakeEjectService : public EjectService {
public:
    QString blockObjectOf(const QString& device) override {
        return record("block " + device, known) ? "/block/" + device.section('/', -1) : QString();
    }
    QString driveObjectOf(const QString& block) override {
        return record("drive " + block, hasDrive) ? "/drive/1" : QString();
    }
    QStringList mountedFileSystemsOf(const QString& drive) override {
        record("mounted " + drive, true);
        return mounted;
    }
    bool unmount(const QString& block) override { return record("unmount " + block, unmountWorks); }
    bool eject(const QString& drive) override { return record("eject " + drive, ejectWorks); }
    bool powerOff(const QString& drive) override { return record("poweroff " + drive, true); }
    bool openTray(const QString& device) override { return record("tray " + device, true); }

    bool known = true;
    bool hasDrive = true;
    bool unmountWorks = true;
    bool ejectWorks = true;
    QStringList mounted{"/block/sdb1", "/block/sdb2"};
    QStringList calls;

private:
    bool record(const QString& call, bool answer) {
        calls << call;
        return answer;
    }
};

DriveInfo Drive(DriveType type, const QString& device) {
    DriveInfo drive;
    drive.letter = 'E';
    drive.type = type;
    drive.device = device;
    return drive;
}

TEST(EjectServiceTest, UnmountsEveryFileSystemThenEjects) {
    FakeEjectService service;
    EXPECT_EQ(EjectDrive(Drive(DriveType::Removable, "/dev/sdb1"), service), EjectResult::Ejected);
    EXPECT_EQ(service.calls, (QStringList{"block /dev/sdb1", "drive /block/sdb1", "mounted /drive/1",
                                          "unmount /block/sdb1", "unmount /block/sdb2", "eject /drive/1"}));
}

TEST(EjectServiceTest, FallsBackToPowerOffAndToTheTray) {
    FakeEjectService stick;
    stick.ejectWorks = false;
    EjectDrive(Drive(DriveType::Removable, "/dev/sdb1"), stick);
    EXPECT_EQ(stick.calls.last(), "poweroff /drive/1");

    FakeEjectService noService; // no disk service on the bus
    noService.known = false;
    EjectDrive(Drive(DriveType::CdRom, "/dev/sr0"), noService);
    EXPECT_EQ(noService.calls, (QStringList{"block /dev/sr0", "tray /dev/sr0"}));

    FakeEjectService busy; // a file system that stays mounted: no eject under it
    busy.unmountWorks = false;
    EjectDrive(Drive(DriveType::CdRom, "/dev/sr0"), busy);
    EXPECT_FALSE(busy.calls.contains("eject /drive/1"));
    EXPECT_EQ(busy.calls.last(), "tray /dev/sr0");

    FakeEjectService loop; // a block device without a drive: unmount only
    loop.hasDrive = false;
    EXPECT_EQ(EjectDrive(Drive(DriveType::CdRom, "/dev/loop3"), loop), EjectResult::Ejected);
    EXPECT_EQ(loop.calls, (QStringList{"block /dev/loop3", "drive /block/loop3", "unmount /block/loop3"}));
}

TEST(EjectServiceTest, LeavesOtherDrivesAloneAndSaysWhy) {
    for (DriveType type : {DriveType::Fixed, DriveType::Remote, DriveType::RamDisk, DriveType::NoRootDir}) {
        FakeEjectService service;
        EXPECT_EQ(EjectDrive(Drive(type, "/dev/sda1"), service), EjectResult::NotRemovable);
        EXPECT_TRUE(service.calls.isEmpty()) << static_cast<int>(type);
    }
    FakeEjectService image;
    EXPECT_EQ(EjectDrive(Drive(DriveType::CdRom, "/home/u/disc.iso"), image), EjectResult::NotRemovable);
    FakeEjectService folder; // a folder of a USB stick mapped to a letter: the stick stays
    DriveInfo mapped = Drive(DriveType::Removable, "/dev/sdb1");
    mapped.isFolder = true;
    EXPECT_EQ(EjectDrive(mapped, folder), EjectResult::FolderOnly);
    EXPECT_TRUE(image.calls.isEmpty() && folder.calls.isEmpty());
}

} // namespace
} // namespace mendor
