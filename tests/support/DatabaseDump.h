#pragma once
// The whole content of a database file as text, for tests that check that an operation left a
// database exactly as it was.
#include <QString>
#include <QStringList>

namespace mendor::test {

/// One line per schema object (type, name, SQL) and one per row of every table, tables by name
/// and rows by rowid, every value as text and NULL set apart.
QStringList DumpDatabase(const QString& path);

/// The result of PRAGMA integrity_check ("ok" for a sound file).
QString IntegrityCheck(const QString& path);

} // namespace mendor::test
