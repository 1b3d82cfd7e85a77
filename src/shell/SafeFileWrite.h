#pragma once
// Replacing a file the user keeps (the settings file, a listing) so that it is either whole or
// untouched: the complete content goes to a new file in the same folder, every write and the
// flush to the disk are checked, and only then does the new file take the old one's name. A full
// disk, a missing folder or a write error leaves the old file as it was and says why.
#include <QByteArray>
#include <QString>

namespace mendor {

/// Replaces (or creates) the file at path with content. A link is followed, so the file it names
/// is replaced and the link stays; an existing file keeps its permissions, a new one gets the
/// usual ones (0666 less the umask). False after any failure, with the reason in *error when
/// given; the file at path is then unchanged and no temporary file is left behind.
bool WriteFileSafely(const QString& path, const QByteArray& content, QString* error = nullptr);

/// Writes all of content to fd, going on after short writes and interruptions. False on the
/// first error, with errno set.
bool WriteAll(int fd, const QByteArray& content);

} // namespace mendor
