#include "retrieve/ItemOpener.h"

#include <fcntl.h>
#include <QFile>
#include <unistd.h>

namespace mendor {

namespace {

bool HasProgramExtension(const QString& name) {
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".exe")) || lower.endsWith(QLatin1String(".com"));
}

/// An item inside an archive catalogued as a folder: the archive itself, in the folder above.
void OpenArchiveInstead(QString& folderPath, QString& name) {
    if (!folderPath.toLower().endsWith(QLatin1String(".zip\\")))
        return;
    const QString archivePath = folderPath.left(folderPath.size() - 1);
    const qsizetype separator = archivePath.lastIndexOf(QLatin1Char('\\'));
    name = archivePath.mid(separator + 1);
    folderPath = archivePath.left(separator + 1);
}

} // namespace

bool IsNativeProgram(const MediumPath& path) {
    const FileDescriptor folder = OpenContainingFolder(path);
    if (!folder.isOpen())
        return false;
    const QByteArray name = path.name();
    if (EntryKindAt(folder.get(), name) != MediumEntryKind::RegularFile ||
        ::faccessat(folder.get(), name.constData(), X_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const FileDescriptor file = OpenRegularFileAt(folder.get(), name.constData());
    char start[4] = {};
    if (!file.isOpen() || ::read(file.get(), start, sizeof start) < 2)
        return false;
    return QByteArray(start, 4) == "\x7f"
                                   "ELF" ||
           (start[0] == '#' && start[1] == '!');
}

bool OpenItem(QString folderPath, QString name, ItemFinder& finder, ItemLauncher& launcher) {
    OpenArchiveInstead(folderPath, name);
    const std::optional<FoundItem> found = finder.find(folderPath + name, false);
    if (!found)
        return false;
    const FileDescriptor folder = OpenContainingFolder(found->medium);
    const MediumEntryKind kind =
        folder.isOpen() ? EntryKindAt(folder.get(), found->medium.name()) : MediumEntryKind::Missing;
    const QString localPath = found->medium.displayPath();
    if (kind == MediumEntryKind::RegularFile && HasProgramExtension(name) && IsNativeProgram(found->medium)) {
        MediumPath folderOnly = found->medium;
        folderOnly.names.removeLast();
        launcher.startProgram(localPath, folderOnly.displayPath());
    } else if (kind == MediumEntryKind::RegularFile || kind == MediumEntryKind::Folder) {
        launcher.openWithDesktop(localPath);
    }
    return true;
}

} // namespace mendor
