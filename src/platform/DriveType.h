#pragma once
// The raw drive types, numbered as the Windows drive-type codes the catalog logic is written
// against.
namespace mendor {

enum class DriveType {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

} // namespace mendor
