#pragma once
// The export of the checked volumes into one listing file, each after the other with its own
// section (export/ExportVolume.h).
//
// The listing is written beside its destination and put in its place at the end (ListingFile),
// so a failed run leaves no file behind and an existing file as it was. An aborted run keeps the
// volumes it completed: the volume that was being written is cut off, and the listing holds the
// completed ones when there are any. The user sees them as the unchecked rows of the export
// dialog, and the rows still checked are exactly the volumes missing from the listing, ready to be
// exported on their own.
#include "export/ExportVolume.h"

#include <QList>
#include <QString>

namespace mendor {

/// A volume chosen for export: its database file and display name.
struct ExportItem {
    QString databasePath;
    QString volumeName;
};

/// What the run reports besides the progress through each volume's folders.
class ExportRunView : public ProgressSink {
public:
    /// The item at this index of the list is complete in the listing.
    virtual void volumeExported(int index) = 0;
};

enum class ExportOutcome { Completed, Aborted, Failed };

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Completed;
    int volumesWritten = 0;
    QString error; ///< why the listing could not be written (Failed)
};

/// The file name of a listing: the name as typed, with ".txt" added unless its last four
/// characters are ".txt" in any letter case.
QString ListingFileName(const QString& typed);

/// Writes the items in order into the listing file at path, replacing any file of that name.
/// Stops after the folder being written when gAbort is set. A volume that is no longer in its
/// database contributes no lines.
ExportResult RunExport(const QString& path, const ExportSettings& settings, const QList<ExportItem>& items,
                       ExportRunView& view);

} // namespace mendor
