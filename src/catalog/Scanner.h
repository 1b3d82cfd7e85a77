#pragma once
// The directory scanner: walks one mounted volume from its root into the volume's table pair.
#include "catalog/CountedVolume.h"
#include "shell/ProgressSink.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <QString>

namespace mendor {

class Database;

struct ScanOptions {
    bool zipAsFolders = true;    ///< ZIP archives are catalogued as folders with their members
    bool readDescriptIon = true; ///< descript.ion files give items their descriptions
    /// Every regular file is read for its content checksum, kept in t_sums.
    bool checksums = false;
    /// tar, 7z, rar, ISO and cpio archives are catalogued as folders like ZIP archives.
    bool otherArchives = false;
};

struct ScanTotals {
    std::int64_t folderCount = 0;    ///< folders seen (real folders and, as folders, archives)
    std::int64_t fileCount = 0;      ///< files seen (archives included)
    bool aborted = false;            ///< gAbort was set during the walk
    std::int32_t elapsedSeconds = 0; ///< whole seconds the scan took
};

/// A count as a progress bar's value, which holds no more than an int.
inline int ProgressValueOf(std::int64_t count) {
    return int(std::clamp<std::int64_t>(count, 0, INT_MAX));
}

/// The counting pass: the folders (and, as folders, archives) of volume that a scan will visit.
/// Polls gAbort; reports "Analyzing Directory Structure... n Dirs". Folders are read on the
/// calling thread and one helper, by name only (no file is looked at), and their names are kept
/// in volume for the scan; progress is reported on the calling thread only.
std::int64_t CountFolders(CountedVolume& volume, const ScanOptions& options, ProgressSink& progress);

/// Writes one row per folder and file of volume into t_dirs and t_files (which
/// exist and are empty), the folder totals and the index on parent; the marker file gets no
/// row. With checksums it creates t_sums and writes a row there for every file read to its end
/// (a file that cannot be read has none; archive members never do), and the status text says
/// how much has been read and how fast. driveName is the root row's name ("E:"). Runs inside the caller's
/// transaction. Polls gAbort; an aborted scan leaves its rows for the caller to discard. Folders are read on
/// helper threads; the database and progress are used on the calling thread only. A folder the counting pass
/// read is not listed again: its entries are looked up by the names kept (a name gone since is skipped, a
/// folder that was none when counted is listed). The walk keeps no recursion and no paths: besides the
/// names kept (within CountedVolume::kNameBudget), a tree of any depth takes memory in proportion to its
/// depth.
ScanTotals ScanVolume(Database& db, const QString& t, const QString& driveName, CountedVolume& volume,
                      const ScanOptions& options, ProgressSink& progress);

} // namespace mendor
