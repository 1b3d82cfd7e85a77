#pragma once
// Opening a catalogued item from its inserted volume: with the program the desktop associates
// with it or, for a program file, by starting it.
#include "retrieve/ItemFinder.h"

#include <QString>

namespace mendor {

/// How items are opened: the desktop program through the desktop's services, tests by
/// recording the calls.
class ItemLauncher {
public:
    virtual ~ItemLauncher() = default;
    /// Opens a file or folder with the program the desktop associates with it.
    virtual void openWithDesktop(const QString& localPath) = 0;
    /// Starts a program file in workingFolder.
    virtual void startProgram(const QString& localPath, const QString& workingFolder) = 0;
};

/// OpenItem(folderPath, name): folderPath is the catalogued folder, ending in "\" (E:\docs\).
///
/// An item inside a ZIP archive catalogued as a folder (the folder path ends in ".zip\", in any
/// case) opens the archive itself. The item is found as a copy finds a file, asking for drives
/// while it is not there. A name ending in ".exe" or ".com" (any case) is started as a program
/// when it is one this system can run (an executable ELF binary or "#!" script that we may
/// execute); otherwise it opens like any other file, with whatever the desktop associates with
/// it (Windows programs with Wine, when that is installed). No other file is ever started as a
/// program. Only regular files and folders are opened: a symbolic link or a device on the medium
/// is left alone, as a failed open, which is not reported.
///
/// Names keep their letter case (file names here are case-sensitive); only the ".zip", ".exe"
/// and ".com" tests ignore it. False when the drive prompt was cancelled.
bool OpenItem(QString folderPath, QString name, ItemFinder& finder, ItemLauncher& launcher);

/// The item is a program this system can start: a regular file we may execute that begins like
/// an ELF binary or a "#!" script.
bool IsNativeProgram(const MediumPath& path);

} // namespace mendor
