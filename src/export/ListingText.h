#pragma once
// The text forms of a listing, appended as UTF-8 bytes: a listing runs to millions of lines, so
// they are built without QString or QDateTime. Months are English and separators fixed whatever
// the locale, so that a listing reads the same on every machine.
#include <cstdint>
#include <QByteArray>

namespace mendor {

/// A stored date (shell/StoredDate.h) as "m/d/yyyy h:mm am/pm".
void AppendListingDate(QByteArray& out, std::int64_t storedSeconds);

/// A stored date as "mmmm d, yyyy" (March 4, 2001).
void AppendLongDate(QByteArray& out, std::int64_t storedSeconds);

/// A plain number without separators.
void AppendNumber(QByteArray& out, std::int64_t value);

} // namespace mendor
