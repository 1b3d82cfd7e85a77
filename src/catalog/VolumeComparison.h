#pragma once
// Comparing a volume's catalog with a fresh scan of its medium, file by file: which catalogued
// files are missing, which files are new, and which changed their size, their modification date
// or (where both sides have a checksum) their content.
//
// Files are matched by their path below the volume's root, compared exactly. An archive that
// was catalogued as a folder counts as the file it is (its own length and date); the members
// listed inside it are not compared. Folders themselves are not compared: a missing folder shows
// as its missing files.
#include <cstdint>
#include <QString>
#include <vector>

namespace mendor {

class Database;

struct FileDifference {
    enum class Kind : std::uint8_t { Missing, New, Changed };
    Kind kind = Kind::Changed;
    QString path; ///< below the root, "\" between folders: docs\a.txt
    bool sizeChanged = false;
    bool dateChanged = false;
    bool contentChanged = false; ///< only for files whose size did not change
    std::int64_t catalogSize = 0;
    std::int64_t mediumSize = 0;
    std::int64_t catalogModified = 0; ///< stored seconds
    std::int64_t mediumModified = 0;
};

struct VolumeComparison {
    std::vector<FileDifference> differences; ///< by path
    std::int64_t catalogFiles = 0;           ///< files of the catalog that were compared
    std::int64_t mediumFiles = 0;
    std::int64_t contentsCompared = 0; ///< files found on both sides with a checksum on both
};

/// Compares the files of volume t in the catalog database with those of volume scannedT in the
/// scanned one (which may be the same database). A volume without checksums compares no
/// content. Raises SqlError when a table cannot be read.
VolumeComparison CompareVolumeFiles(const Database& catalog, const QString& t, const Database& scanned,
                                    const QString& scannedT);

} // namespace mendor
