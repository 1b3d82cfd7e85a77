#pragma once
// The settings file MNP3.ini in the program folder, read and written key by key.
//
// Sections "Options" (the globals of shell/Options.h), "Window" (main window placement in
// twips), "FilePane" (browse list widths, keys Column<mode>-<column>) and "SearchPane" (search
// result widths, keys Column<column>). Numbers are read as the leading decimal number of the
// text rounded to a 16-bit integer; see ReadProfileNumber.
#include <cstdint>
#include <optional>
#include <QList>
#include <QString>

namespace mendor {

/// The path of the settings file: ProgramFolder() + "/MNP3.ini", or the one file of the program
/// folder whose name is that in another letter case (Mnp3.ini) when there is no MNP3.ini.
QString SettingsFilePath();

/// The leading decimal number of text (after blanks, with an optional sign and fraction),
/// rounded half away from zero; text that does not begin with a number reads as 0. A value
/// beyond the 16-bit range is clamped to -32768 or 32767.
std::int16_t ReadProfileNumber(const QString& text);

/// Reads "Options" into the globals, decides the data folder and reads the browse widths of
/// list modes 1 to 4.
void LoadSettings();

// Every save below replaces the settings file once, with all of its keys written, or leaves it
// as it was: false then, with the reason in *error when given (a full disk, a folder that cannot
// be written).

/// Writes the eleven "Options" keys in table order, then oChecksums and oOtherArchives when
/// they are on or the file already holds them.
bool SaveOptions(QString* error = nullptr);

/// Sets the browse widths of list modes 1 to 4, columns 1 to 9, to 100: the start-up step that
/// comes after LoadSettings and before LoadFilePaneWidths(4).
void SetDefaultFilePaneWidths();

/// Reads the keys of columns 1 to 9 of one list mode into gColumnWidths; non-numbers keep the
/// entry, negative widths read as 100.
void LoadFilePaneWidths(int mode);

/// Copies live browse column widths (column 1 first) into gColumnWidths[mode]. Nothing for mode 0.
void CaptureFilePaneWidths(int mode, const QList<int>& liveWidths);

/// Writes gColumnWidths[mode] for columns 1..columnCount. Nothing for mode 0 or oSaveWindows 0.
bool SaveFilePaneWidths(int mode, int columnCount, QString* error = nullptr);

/// Reads the keys of columns 1 to 10 of "SearchPane" into gSearchColumnWidths.
void LoadSearchPaneWidths();

/// Writes the ten live search widths (truncated) and stores them. Nothing when oSaveWindows is 0.
bool SaveSearchPaneWidths(const QList<double>& liveWidths, QString* error = nullptr);

/// Main window placement in twips.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// Reads "Width", "Height", "Left", "Top" with the defaults computed from the screen size (twips).
WindowPlacement LoadWindowPlacement(int screenWidthTwips, int screenHeightTwips);

/// Writes "Left", "Top", "Width", "Height". Nothing when oSaveWindows is 0 or minimized.
bool SaveWindowPlacement(const WindowPlacement& placement, bool minimized, QString* error = nullptr);

/// What the main window hands to SaveSettings: its placement and live column widths.
struct LiveLayout {
    std::optional<WindowPlacement> window;
    bool minimized = false;
    QList<int> browseWidths;    ///< live widths of the browse list's columns, column 1 first
    QList<double> searchWidths; ///< live widths of the ten search result columns
};

/// SaveOptions, then the window placement and widths of layout (in that order), in one save.
bool SaveSettings(const LiveLayout& layout, QString* error = nullptr);

/// The existing folder with every component spelled as the file system stores it (matched
/// without regard to case when no exact entry exists), without a trailing separator; the empty
/// text when a component is missing. "/" stays "/".
QString NormalizePath(const QString& path);

} // namespace mendor
