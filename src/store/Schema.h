#pragma once
// The fixed tables of a catalog database and the table pair of each volume.
#include <QSet>
#include <QString>
#include <QStringList>

namespace mendor {

class Database;

inline constexpr int kCatalogVersion = 3;

/// The fields of the "index" table, one row per volume, as every reader addresses them.
inline const QStringList kIndexFields = {QStringLiteral("name"),           QStringLiteral("tablename"),
                                         QStringLiteral("volumetype"),     QStringLiteral("thedate"),
                                         QStringLiteral("thedescription"), QStringLiteral("size"),
                                         QStringLiteral("used"),           QStringLiteral("free"),
                                         QStringLiteral("dirs"),           QStringLiteral("files")};

/// t & "_dirs" and t & "_files".
QString DirsTable(const QString& t);
QString FilesTable(const QString& t);

/// t & "_sums": the content checksums of a volume's files, one row per file that was read
/// (ID of its files row, 16-byte checksum). Only a volume catalogued with checksums has it; it
/// lives and dies with the table pair.
QString SumsTable(const QString& t);

/// True for the engine's own tables and the four fixed ones: the lower-case name begins with
/// "msys", "sqlite_" or "~", or is index, dir_template, file_template or version.
bool IsReservedTable(const QString& name);

/// Whether a table belongs to one of the volumes whose table names t are given (lower case,
/// trimmed): its name is such a t, an underscore and a suffix, compared without regard to case.
/// Every "_" of the name is tried, so a volume whose t itself holds one keeps its tables.
bool IsTableOfVolume(const QString& tableName, const QSet<QString>& tableNames);

/// Creates t_dirs and t_files with the column layout of the template tables (empty).
void CreateVolumeTables(Database& db, const QString& t);

/// Creates t_sums (empty).
void CreateSumsTable(Database& db, const QString& t);

/// True when the database of schema (main or an attached one) holds t_sums.
bool HasSumsTable(const Database& db, const QString& t, const QString& schema = QStringLiteral("main"));

/// Drops t_dirs, t_files and t_sums, ignoring tables that do not exist.
void DropVolumeTables(Database& db, const QString& t);

/// Creates the index on parent of both volume tables; done after the rows are written.
void CreateVolumeIndexes(Database& db, const QString& t);

/// The value of the version table, or -1 when it cannot be read.
int CatalogVersionOf(Database& db);

} // namespace mendor
