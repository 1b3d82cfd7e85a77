#pragma once
// Node keys of the catalog tree beyond the key functions of store/Keys.h.
//
// root "mendor"; database: the file name, e.g. Music.mdb; volume: database key + "_" + t;
// folder (also a ZIP archive catalogued as a folder): database key + "_" + t + "_d" + ID.
// A folder key never names its parent, so a folder can be found from its key alone.
#include <cstdint>
#include <QString>

namespace mendor {

inline const QString kRootKey = QStringLiteral("mendor");

enum class NodeKind { Root, Database, Volume, Folder };

/// The kind as the key alone tells it: "mendor" (any case) is the root, a key ending in ".mdb"
/// (any case) a database, a key with exactly one "_" a volume, anything else a folder.
NodeKind NodeKindOfKey(const QString& key);

/// The folder ID a volume or folder key denotes, as text: the trailing run of decimal digits,
/// but "1" (the volume's root folder) when the run is empty, is "0", or the key holds exactly one
/// "_" (a volume key, whose table name may itself end in digits).
QString FolderIdFromKey(const QString& key);

/// The numeric value of the text after the last "_d" of a folder key; 0 when there is none.
std::int64_t FolderIdAfterMarker(const QString& key);

/// database file + "_" + t + "_d" + id.
QString FolderKey(const QString& databaseFile, const QString& tableName, std::int64_t id);

} // namespace mendor
