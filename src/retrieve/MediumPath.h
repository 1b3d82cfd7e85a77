#pragma once
// Catalogued items on an inserted medium. Everything below a drive's root is reached one name at
// a time, relative to the open folder above it and never through a symbolic link, so a medium
// cannot lead a look-up or a copy anywhere else. The root folder itself is the drive table's
// mapping, the user's own choice, and is taken as it stands.
#include "platform/DriveTable.h"
#include "platform/MediumFile.h"

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <sys/stat.h>

namespace mendor {

struct MediumPath {
    QByteArray root;         ///< local folder of the drive's root
    QList<QByteArray> names; ///< the local names below it, each a single real name (never empty,
                             ///< "." or "..", no "/" or NUL)

    /// root/name/name..., for showing and for handing to other programs.
    QByteArray localPath() const;
    QString displayPath() const;
    /// The last name; empty for the root itself.
    QByteArray name() const { return names.isEmpty() ? QByteArray() : names.last(); }
};

/// The local form of a catalogued path (E:\docs\a.txt) through the drive table; nothing when the
/// drive is not mapped to a folder, or a name of the path could not be a name on disk.
std::optional<MediumPath> MediumPathOf(const DriveTable& drives, const QString& cataloguedPath);

/// Opens the folder that holds the item; invalid (errno set) when a folder on the way is missing,
/// unreadable, not a folder or a symbolic link, or the path is the root itself.
FileDescriptor OpenContainingFolder(const MediumPath& path);

enum class MediumEntryKind { Missing, Folder, RegularFile, Link, Other };

/// What the entry name of an open folder is, without following it; its status when wanted.
MediumEntryKind EntryKindAt(int folderFd, const QByteArray& name, struct stat* status = nullptr);

/// True when the entry is a real folder holding at least one entry.
bool FolderHasEntries(int folderFd, const QByteArray& name);

} // namespace mendor
