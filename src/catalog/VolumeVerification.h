#pragma once
// Verifying a medium against its catalog: the medium in a drive is identified as a catalog run
// would identify it (without writing a marker), walked into a temporary database and compared,
// file by file, with the volume's catalog (catalog/VolumeComparison.h). Nothing is written to
// the medium or to the catalog: the catalog database is opened read-only, and the walk goes into
// a database of its own in a temporary folder, removed afterwards.
#include "catalog/DriveMedium.h"
#include "catalog/VolumeComparison.h"
#include "shell/ProgressSink.h"
#include "shell/Prompter.h"

#include <QString>

namespace mendor {

enum class VerifyEnd {
    Compared,      ///< comparison holds the differences (none: the medium matches)
    NotReady,      ///< the drive holds no readable medium
    NoIdentity,    ///< the medium could not be identified
    NotCatalogued, ///< no volume of the database has the medium's identity
    Aborted,
    Failed, ///< a database could not be read or written (message says why)
};

struct VerifyOutcome {
    VerifyEnd end = VerifyEnd::Failed;
    QString message;          ///< why it ended, for every end but Compared
    QString volumeName;       ///< the catalogued volume, once found
    bool withContent = false; ///< the catalog has checksums, so content was compared too
    VolumeComparison comparison;
};

/// Verifies the medium in the drive against the catalog in the database databaseName (without
/// ".mdb") of the data folder. Polls gAbort while walking; the files are read for their checksums
/// only when the catalog has them.
VerifyOutcome VerifyVolume(const QString& databaseName, const DriveMedium& medium, Prompter& prompter,
                           ProgressSink& progress);

/// One line for a difference: "missing", "new" or "changed" and the path, then for a changed
/// file what changed (size, modified date, content) with the catalogued and the present value.
QString DifferenceText(const FileDifference& difference);

/// The summary: how many files were compared and how many differ, of what kind.
QString ComparisonSummary(const VerifyOutcome& outcome);

} // namespace mendor
