#pragma once
// Where the drive dialogs get their drives from: the drive table, read again each time the
// drives are listed (a medium may have been mounted since), and the medium behind each drive,
// which answers the drive's type and label and is what a catalog run reads and ejects. Tests
// give a table of folders and media whose type, label and sizes they choose.
#include "catalog/DriveMedium.h"
#include "platform/DriveTable.h"

#include <functional>
#include <memory>

namespace mendor {

struct DriveSource {
    std::function<DriveTable()> loadDrives;
    std::function<std::unique_ptr<DriveMedium>(const DriveInfo&)> mediumOf;

    /// The drive table of this machine and its real media.
    static DriveSource system();
};

} // namespace mendor
