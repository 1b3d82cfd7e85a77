#pragma once
// The medium in one drive, as the catalog run and volume identification see it: its sizes,
// type, label and serial number, hiding a file on it and ejecting it.
//
// Every question goes through a virtual member that asks the platform layer, so that tests can
// stand in a medium the machine does not have (a CD-ROM with a given serial, a ZIP disk of a
// given size) while the files themselves are real folders.
#include "platform/DriveTable.h"
#include "platform/VolumeInfo.h"

#include <cstdint>
#include <optional>
#include <QString>

namespace mendor {

class DriveMedium {
public:
    explicit DriveMedium(DriveInfo drive) : drive_(std::move(drive)) {}
    virtual ~DriveMedium() = default;
    DriveMedium(const DriveMedium&) = delete;
    DriveMedium& operator=(const DriveMedium&) = delete;

    const DriveInfo& drive() const { return drive_; }
    /// The local folder of the drive's root now (a drive that follows its device is wherever the
    /// device is mounted at this moment); empty for an optical drive with no disc.
    QString rootFolder() const { return CurrentRootOf(drive_); }

    virtual DiskSpace space() const;
    /// The root can be opened and listed: the medium is ready.
    virtual bool rootListable() const;
    virtual DriveType type() const;
    virtual QString label() const;
    virtual std::optional<std::uint32_t> serialNumber() const;
    /// Gives the open file fd on the medium the hidden attribute.
    virtual void hideFile(int fd) const;
    virtual EjectResult eject() const;

private:
    DriveInfo drive_;
};

} // namespace mendor
