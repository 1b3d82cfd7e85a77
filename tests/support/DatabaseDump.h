#pragma once
// A database file read back as text: its whole content, for tests that check that an operation
// left a database exactly as it was, or the values of one query.
#include <QString>
#include <QStringList>

namespace mendor::test {

/// One line per schema object (type, name, SQL) and one per row of every table, tables by name
/// and rows by rowid, every value as text and NULL set apart.
QStringList DumpDatabase(const QString& path);

/// The result of PRAGMA integrity_check ("ok" for a sound file).
QString IntegrityCheck(const QString& path);

/// The first column of every row of a query, as text ("<null>" for NULL).
QStringList Column(const QString& path, const QString& sql);

/// The volume tables of a database, sorted.
QStringList VolumeTables(const QString& path);

} // namespace mendor::test
