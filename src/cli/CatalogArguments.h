#pragma once
// Databases and volumes named on the command line: by database name (the file name without
// ".mdb") and volume display name. A name that names nothing is reported on standard error.
#include <optional>
#include <QString>

namespace mendor::cli {

/// The file of database name, when it exists; else reports it and returns std::nullopt.
std::optional<QString> existingDatabase(const QString& name);

/// The key of the volume called volumeName in database databaseName (exact name first, else any
/// letter case); std::nullopt after reporting a missing database or volume.
std::optional<QString> volumeKeyByName(const QString& databaseName, const QString& volumeName);

} // namespace mendor::cli
