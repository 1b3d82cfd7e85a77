#pragma once
// One volume's section of a text listing, in one of four formats:
//
//   Tree       folders and files indented by a tab per level
//   List       names only, a folder's with a trailing "\"
//   FullPaths  every folder and file with its full path from the volume root
//   Itemized   tab-separated columns: name, size, type, dates, attributes, description
//
// Folders come in ID order, which is the order the scan visited them (a folder right after its
// parent's files), each followed by its own files by name. Lines end with CR LF; names and
// descriptions are written as the catalog holds them, in UTF-8.
#include "export/ListingFile.h"
#include "shell/ProgressSink.h"

#include <QString>

namespace mendor {

enum class ExportFormat { Tree = 0, List = 1, FullPaths = 2, Itemized = 3 };
inline constexpr int kExportFormatCount = 4;

/// The depth slider's highest value, which means no limit.
inline constexpr int kUnlimitedDepth = 10;

struct ExportSettings {
    ExportFormat format = ExportFormat::Itemized;
    /// Folders and files down to this depth (0: the root, the folders in it and its files);
    /// kUnlimitedDepth for all.
    int depth = kUnlimitedDepth;
    bool folders = true;
    bool files = true;
    /// The volume information block, and in the itemized format the column heading.
    bool volumeInfo = true;
};

/// Appends the section of volume t of the database to the listing and reports each folder
/// written to progress (maximum: the number of folders). A database or table that cannot be
/// read ends the section early: the listing lacks the lines that could not be read. Writing
/// errors raise ListingWriteError. Returns false when gAbort stopped it after a folder.
bool ExportVolume(ListingFile& listing, const ExportSettings& settings, const QString& databasePath,
                  const QString& tableName, ProgressSink& progress);

} // namespace mendor
