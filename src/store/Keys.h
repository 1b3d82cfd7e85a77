#pragma once
// Tree node keys and list item keys all begin with the database file name including ".mdb"; a
// volume's key continues with "_" and its table name t; an item's key with "_", a kind letter
// ("d" folder, "f" file) and the item's ID. Example: Music.mdb_3a1f0c22_f117.
#include <cstdint>
#include <QString>

namespace mendor {

/// The data folder, a separator, and the key up to and including its first ".mdb" (any case).
/// Uses gDataPath unless a data folder is given.
QString DbPathFromKey(const QString& key, const QString& dataPath);
QString DbPathFromKey(const QString& key);

/// The file name part of DbPathFromKey (for example Music.mdb).
QString DbFileNameFromKey(const QString& key);

/// The text from just behind ".mdb_" to the next "_", or to the end of the key.
QString TableNameFromKey(const QString& key);

/// The text after the last "_" without its first character (the kind letter), as a number;
/// 0 when it is not one.
std::int64_t ItemIdFromKey(const QString& key);

/// True when the character after the last "_" is "f" (case-sensitive); false without "_".
bool IsFileKey(const QString& key);

/// Keys as the tree and the lists build them.
QString DatabaseKey(const QString& databaseName);
QString VolumeKey(const QString& databaseName, const QString& tableName);
QString ItemKey(const QString& databaseName, const QString& tableName, bool isFile, std::int64_t id);

} // namespace mendor
