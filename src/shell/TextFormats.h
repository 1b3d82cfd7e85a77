#pragma once
// The text forms in which sizes, dates, counts, names, file types and file icons appear in the
// lists, the search results, the report and the export. Plain functions without state.
#include <cstdint>
#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

namespace mendor {

/// "0KB" below 1 byte, "1KB" up to 1023 bytes, else bytes/1024 as "#,##0KB" (half away from
/// zero); padded on the left with blanks to 16 characters.
QString FormatSizeKB(std::int64_t bytes);
/// FormatSizeKB appended to out (ASCII), for output of many rows.
void AppendSizeKB(QByteArray& out, std::int64_t bytes);
/// The room that WriteSizeKB and WriteDate need at most.
inline constexpr int kMaxSizeText = 32;
inline constexpr int kMaxDateText = 48;
/// FormatSizeKB written at out, which has kMaxSizeText bytes of room; returns the end.
char* WriteSizeKB(char* out, std::int64_t bytes);

/// bytes/1,024,000 as "#,##0.0MB", padded on the left with blanks to 16 characters.
QString FormatSizeMB(std::int64_t bytes);

/// "m/d/yyyy h:mm:ss am/pm" of a stored date (store/StoredDate.h).
QString FormatDate(std::int64_t storedSeconds);
/// FormatDate appended to out (ASCII), for output of many rows.
void AppendDate(QByteArray& out, std::int64_t storedSeconds);
/// FormatDate written at out, which has kMaxDateText bytes of room; returns the end.
char* WriteDate(char* out, std::int64_t storedSeconds);
QString FormatDate(const QDateTime& dateTime);

/// "#,##0".
QString FormatCount(std::int64_t count);

/// The last-access date as text; the modification date when access is before 1/1/1972.
QString LastAccessText(std::int64_t accessedStored, std::int64_t modifiedStored);

/// Display form of a stored name: null gives empty, one character is upper-cased, longer
/// texts unchanged.
QString ShowName(const QString& text);

/// The drive list's form: lower case with the first character and every character after one
/// that is not a letter A-Z or a digit upper-cased (MY DATA -> My Data, DISK_2B -> Disk_2b).
/// One character is upper-cased; null gives empty.
QString ProperCaseName(const QString& text);

/// A member's folder path in an archive: lower case, first character and every character
/// after "\" or a blank upper-cased.
QString ZipPathCase(const QString& path);

/// "leaf" without a dot, else "k" + lower-cased trimmed extension when imageKeys holds it,
/// else "leaf".
QString FileIconKey(const QString& name, const QSet<QString>& imageKeys);

/// "<unknown file>" without a dot; the description of the extension's file type; for an
/// unknown extension "<ext> file" (lower case).
QString FileTypeName(const QString& name);

} // namespace mendor
