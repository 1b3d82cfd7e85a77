#include "catalog/ui/DriveSource.h"

namespace mendor {

DriveSource DriveSource::system() {
    return DriveSource{[] { return DriveTable::load(); },
                       [](const DriveInfo& drive) { return std::make_unique<DriveMedium>(drive); }};
}

} // namespace mendor
