#pragma once
// The settings globals: the option flags of the "Options" section, the default drive, the data
// folder and the column width tables. Read once at start-up (LoadSettings), written back at exit
// and when the Options dialog saves. Flags hold -1 or 1 for on and 0 for off; readers treat any
// nonzero value as on.
#include <cstdint>
#include <QString>

namespace mendor {

extern std::int16_t oStartupMode;
extern std::int16_t oSaveWindows;
extern std::int16_t oClearDesc;
extern std::int16_t oEject;
extern std::int16_t oSearchFolders;
extern std::int16_t oSearchFiles;
extern std::int16_t oZIPasFolder;
extern QString oDefaultDrive;
extern QString gDataPath;
extern std::int16_t oCheckDesc;
extern std::int16_t oUseAppPath;

/// Options beyond the eleven, off unless the settings file says otherwise: the catalog dialog's
/// defaults for computing content checksums and for cataloguing archives other than ZIP (tar,
/// 7z, rar, ISO, cpio) as folders.
extern std::int16_t oChecksums;
extern std::int16_t oOtherArchives;

/// Browse list column widths, indexed by list mode (0..5; 1..4 used) and column (0..11; 1..11 used).
inline constexpr int kListModeSlots = 6;
inline constexpr int kColumnSlots = 12;
extern std::int16_t gColumnWidths[kListModeSlots][kColumnSlots];

/// Search result column widths, indexed by column (0..12; 1..10 used).
inline constexpr int kSearchColumnSlots = 13;
extern std::int16_t gSearchColumnWidths[kSearchColumnSlots];

/// The browse list's current mode: 0 before any list was shown, else 1..4.
extern std::int16_t gListMode;

/// Puts every global above back to its value before any settings were read.
void ResetOptionsToDefaults();

} // namespace mendor
