#pragma once
// Where the program's files are.
//
// The install folder holds template.qvt, the help page and the clips: the folder of the executable
// as the build stages it, or <prefix>/share/mendor-pro when the executable is in <prefix>/bin. The program
// folder is where MNP3.ini lives and the default data folder: the install folder when it is writable, else
// the per-user folder $XDG_DATA_HOME/mendor-pro (default ~/.local/share/mendor-pro), created on first use.
// Both can be overridden (the command-line tool's --home, tests).
#include <QString>

namespace mendor {

QString InstallFolder();
QString ProgramFolder();

/// An empty text removes the override.
void SetInstallFolderOverride(const QString& folder);
void SetProgramFolderOverride(const QString& folder);

/// A data file of the install folder, for example "template.qvt" or "help/default.htm".
QString InstallFile(const QString& relativePath);

} // namespace mendor
