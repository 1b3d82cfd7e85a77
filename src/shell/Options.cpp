#include "shell/Options.h"

namespace mendor {

std::int16_t oStartupMode = 0;
std::int16_t oSaveWindows = 1;
std::int16_t oClearDesc = 1;
std::int16_t oEject = 1;
std::int16_t oSearchFolders = 1;
std::int16_t oSearchFiles = 1;
std::int16_t oZIPasFolder = 1;
QString oDefaultDrive = QStringLiteral("C:");
QString gDataPath;
std::int16_t oCheckDesc = 1;
std::int16_t oUseAppPath = 1;
std::int16_t oChecksums = 0;
std::int16_t oOtherArchives = 0;

std::int16_t gColumnWidths[kListModeSlots][kColumnSlots] = {};
std::int16_t gSearchColumnWidths[kSearchColumnSlots] = {};
std::int16_t gListMode = 0;

void ResetOptionsToDefaults() {
    oStartupMode = 0;
    oSaveWindows = 1;
    oClearDesc = 1;
    oEject = 1;
    oSearchFolders = 1;
    oSearchFiles = 1;
    oZIPasFolder = 1;
    oDefaultDrive = QStringLiteral("C:");
    gDataPath.clear();
    oCheckDesc = 1;
    oUseAppPath = 1;
    oChecksums = 0;
    oOtherArchives = 0;
    for (auto& row : gColumnWidths)
        for (auto& width : row)
            width = 0;
    for (auto& width : gSearchColumnWidths)
        width = 0;
    gListMode = 0;
}

} // namespace mendor
