#pragma once
// The directory scanner: walks one mounted volume from its root into the volume's table pair.
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

/// The counting pass: the folders (and, as folders, archives) below localRoot that a scan
/// will visit. Polls gAbort; reports "Analyzing Directory Structure... n Dirs". Folders are
/// read on the calling thread and one helper, by name only (no file is looked at);
/// progress is reported on the calling thread only.
std::int64_t CountFolders(const QString& localRoot, const ScanOptions& options, ProgressSink& progress);

/// Writes one row per folder and file of the volume at localRoot into t_dirs and t_files (which
/// exist and are empty), the folder totals and the index on parent; the marker file gets no
/// row. driveName is the root row's name ("E:"). Runs inside the caller's transaction.
/// Polls gAbort; an aborted scan leaves its rows for the caller to discard. Folders are read
/// on helper threads; the database and progress are used on the calling thread only. The walk
/// keeps no recursion and no paths: a tree of any depth is walked in memory proportional to
/// its depth.
ScanTotals ScanVolume(Database& db, const QString& t, const QString& driveName, const QString& localRoot,
                      const ScanOptions& options, ProgressSink& progress);

} // namespace mendor
