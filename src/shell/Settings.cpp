#include "shell/Settings.h"

#include "shell/DataFolder.h"
#include "shell/Options.h"
#include "shell/ProfileFile.h"
#include "shell/ProgramFolder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace mendor {

namespace {

const QString kSettingsFileName = QStringLiteral("MNP3.ini");
const QString kOptionsSection = QStringLiteral("Options");
const QString kWindowSection = QStringLiteral("Window");
const QString kFilePaneSection = QStringLiteral("FilePane");
const QString kSearchPaneSection = QStringLiteral("SearchPane");
// A read's default that no stored value can equal: a value is always one line.
const QString kAbsent = QStringLiteral("\n");

constexpr std::int16_t kDefaultColumnWidth = 100;
constexpr int kFilePaneReadColumns = 9;
constexpr int kSearchColumns = 10;
constexpr int kLastListMode = 4;

/// The leading decimal number of a text: blanks, an optional sign, digits with an optional
/// fraction. Parsed by hand so that the user's locale (a decimal comma) plays no part.
struct LeadingNumber {
    bool found = false; ///< the text begins with a number
    bool whole = false; ///< nothing but blanks follows it
    double value = 0;
};

LeadingNumber scanNumber(const QString& text) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && text.at(i).isSpace())
        ++i;
    double sign = 1;
    if (i < size && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        sign = text.at(i) == QLatin1Char('-') ? -1 : 1;
        ++i;
    }
    const auto digitAt = [&text, size](qsizetype at) {
        return at < size && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9');
    };
    int digits = 0;
    double value = 0;
    for (; digitAt(i); ++i, ++digits)
        value = value * 10 + (text.at(i).unicode() - u'0');
    if (i < size && text.at(i) == QLatin1Char('.')) {
        ++i;
        double scale = 0.1;
        for (; digitAt(i); ++i, ++digits, scale /= 10)
            value += (text.at(i).unicode() - u'0') * scale;
    }
    if (digits == 0)
        return {};
    while (i < size && text.at(i).isSpace())
        ++i;
    return {true, i == size, sign * value};
}

template <typename Integer>
Integer roundClamped(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value);
    if (rounded <= std::numeric_limits<Integer>::min())
        return std::numeric_limits<Integer>::min();
    if (rounded >= std::numeric_limits<Integer>::max())
        return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(rounded);
}

QString fileColumnKey(const char* prefix, int mode, int column) {
    return QStringLiteral("%1%2-%3").arg(QLatin1String(prefix)).arg(mode).arg(column);
}

QString searchColumnKey(const char* prefix, int column) {
    return QLatin1String(prefix) + QString::number(column);
}

bool isListMode(int mode) {
    return mode >= 1 && mode < kListModeSlots;
}

void readFilePaneWidths(const ProfileFile& ini, int mode) {
    for (int column = 1; column <= kFilePaneReadColumns; ++column) {
        const LeadingNumber number = scanNumber(ini.readString(
            kFilePaneSection, fileColumnKey("column", mode, column), QString::number(kDefaultColumnWidth)));
        if (!number.whole)
            continue;
        const auto width = roundClamped<std::int16_t>(number.value);
        gColumnWidths[mode][column] = width < 0 ? kDefaultColumnWidth : width;
    }
}

/// A "Window" value; text that is not a number gives the default. Twips of a large screen exceed
/// the 16-bit range, so these are read as 32-bit numbers.
int readWindowValue(const ProfileFile& ini, const QString& key, int defaultValue) {
    const LeadingNumber number =
        scanNumber(ini.readString(kWindowSection, key, QString::number(defaultValue)));
    return number.whole ? roundClamped<int>(number.value) : defaultValue;
}

/// The folder's entry named name, as the file system spells it: the exact name when it is a
/// folder, else the first folder (in byte order) whose name matches without regard to case.
QString folderEntrySpelling(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isDir())
        return name;
    QStringList entries =
        dir.entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(entries.begin(), entries.end());
    const auto match = std::find_if(entries.begin(), entries.end(), [&name](const QString& entry) {
        return entry.compare(name, Qt::CaseInsensitive) == 0;
    });
    return match == entries.end() ? QString() : *match;
}

void writeOptions(ProfileFile& ini) {
    const auto flag = [&ini](const char* key, std::int16_t value) {
        ini.writeString(kOptionsSection, QLatin1String(key), QString::number(value));
    };
    flag("oStartupMode", oStartupMode);
    flag("oSaveWindows", oSaveWindows);
    flag("oClearDesc", oClearDesc);
    flag("oEject", oEject);
    flag("oSearchFolders", oSearchFolders);
    flag("oSearchFiles", oSearchFiles);
    flag("oZIPasFolder", oZIPasFolder);
    ini.writeString(kOptionsSection, QStringLiteral("oDefaultDrive"), oDefaultDrive.trimmed());
    ini.writeString(kOptionsSection, QStringLiteral("gDataPath"), gDataPath.trimmed());
    flag("oCheckDesc", oCheckDesc);
    flag("oUseAppPath", oUseAppPath);
    // The later options are written once they are on or the file already has them, so that a
    // file of default settings holds the eleven keys alone.
    for (const auto& [key, value] :
         {std::pair{"oChecksums", oChecksums}, {"oOtherArchives", oOtherArchives}}) {
        if (value != 0 || ini.readString(kOptionsSection, QLatin1String(key), kAbsent) != kAbsent)
            flag(key, value);
    }
}

void writeFilePaneWidths(ProfileFile& ini, int mode, int columnCount) {
    if (!isListMode(mode) || oSaveWindows == 0)
        return;
    const int columns = std::min(columnCount, kColumnSlots - 1);
    for (int column = 1; column <= columns; ++column)
        ini.writeString(kFilePaneSection, fileColumnKey("Column", mode, column),
                        QString::number(gColumnWidths[mode][column]));
}

void writeSearchPaneWidths(ProfileFile& ini, const QList<double>& liveWidths) {
    if (oSaveWindows == 0)
        return;
    const int columns = std::min<int>(liveWidths.size(), kSearchColumns);
    for (int column = 1; column <= columns; ++column) {
        const auto width = roundClamped<std::int16_t>(std::trunc(liveWidths.at(column - 1)));
        ini.writeString(kSearchPaneSection, searchColumnKey("Column", column), QString::number(width));
        gSearchColumnWidths[column] = width;
    }
}

void writeWindowPlacement(ProfileFile& ini, const WindowPlacement& placement, bool minimized) {
    if (oSaveWindows == 0 || minimized)
        return;
    ini.writeString(kWindowSection, QStringLiteral("Left"), QString::number(placement.left));
    ini.writeString(kWindowSection, QStringLiteral("Top"), QString::number(placement.top));
    ini.writeString(kWindowSection, QStringLiteral("Width"), QString::number(placement.width));
    ini.writeString(kWindowSection, QStringLiteral("Height"), QString::number(placement.height));
}

/// Collects the writes of one save in memory and replaces the file once with all of them.
bool saveEdited(const std::function<void(ProfileFile&)>& write, QString* error) {
    ProfileFile ini = ProfileFile::editOf(SettingsFilePath());
    write(ini);
    if (ini.commit())
        return true;
    if (error != nullptr)
        *error = ini.errorString();
    return false;
}

} // namespace

QString SettingsFilePath() {
    const QString folder = ProgramFolder();
    const QString exact = folder + QLatin1Char('/') + kSettingsFileName;
    if (QFileInfo::exists(exact))
        return exact;
    // The file in another letter case (Mnp3.ini) is the same file to the user, as it is where
    // names are compared without regard to case; with several, none of them is the one.
    const QStringList others =
        QDir(folder).entryList({kSettingsFileName}, QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    return others.size() == 1 ? folder + QLatin1Char('/') + others.first() : exact;
}

std::int16_t ReadProfileNumber(const QString& text) {
    const LeadingNumber number = scanNumber(text);
    return number.found ? roundClamped<std::int16_t>(number.value) : 0;
}

void LoadSettings() {
    const ProfileFile ini = ProfileFile::snapshotOf(SettingsFilePath());
    const auto flag = [&ini](const char* key, std::int16_t defaultValue) {
        return ReadProfileNumber(
            ini.readString(kOptionsSection, QLatin1String(key), QString::number(defaultValue)));
    };
    oStartupMode = flag("oStartupMode", 0);
    oSaveWindows = flag("oSaveWindows", 1);
    oClearDesc = flag("oClearDesc", 1);
    oEject = flag("oEject", 1);
    oSearchFolders = flag("oSearchFolders", 1);
    oSearchFiles = flag("oSearchFiles", 1);
    oZIPasFolder = flag("oZIPasFolder", 1);
    oDefaultDrive =
        ini.readString(kOptionsSection, QStringLiteral("oDefaultDrive"), QStringLiteral("C:")).trimmed();
    const QString storedDataPath =
        ini.readString(kOptionsSection, QStringLiteral("gDataPath"), ProgramFolder());
    oCheckDesc = flag("oCheckDesc", 1);
    oUseAppPath = flag("oUseAppPath", 1);
    oChecksums = flag("oChecksums", 0);
    oOtherArchives = flag("oOtherArchives", 0);

    // A data folder that holds no database is most likely a stale setting (a removed disk, a
    // renamed folder): the program folder is used instead, and the next save stores it.
    gDataPath = NormalizePath(storedDataPath.trimmed());
    if (oUseAppPath != 0 || gDataPath.isEmpty() || DatabaseFileNames(gDataPath).isEmpty())
        gDataPath = ProgramFolder();

    for (int mode = 1; mode <= kLastListMode; ++mode)
        readFilePaneWidths(ini, mode);
}

bool SaveOptions(QString* error) {
    return saveEdited(writeOptions, error);
}

void SetDefaultFilePaneWidths() {
    for (int mode = 1; mode <= kLastListMode; ++mode)
        for (int column = 1; column <= kFilePaneReadColumns; ++column)
            gColumnWidths[mode][column] = kDefaultColumnWidth;
}

void LoadFilePaneWidths(int mode) {
    if (isListMode(mode))
        readFilePaneWidths(ProfileFile::snapshotOf(SettingsFilePath()), mode);
}

void CaptureFilePaneWidths(int mode, const QList<int>& liveWidths) {
    if (!isListMode(mode))
        return;
    const int columns = std::min<int>(liveWidths.size(), kColumnSlots - 1);
    for (int column = 1; column <= columns; ++column)
        gColumnWidths[mode][column] = roundClamped<std::int16_t>(liveWidths.at(column - 1));
}

bool SaveFilePaneWidths(int mode, int columnCount, QString* error) {
    return saveEdited([&](ProfileFile& ini) { writeFilePaneWidths(ini, mode, columnCount); }, error);
}

void LoadSearchPaneWidths() {
    const ProfileFile ini = ProfileFile::snapshotOf(SettingsFilePath());
    for (int column = 1; column <= kSearchColumns; ++column) {
        const LeadingNumber number = scanNumber(ini.readString(
            kSearchPaneSection, searchColumnKey("column", column), QString::number(kDefaultColumnWidth)));
        if (number.whole)
            gSearchColumnWidths[column] = roundClamped<std::int16_t>(number.value);
    }
}

bool SaveSearchPaneWidths(const QList<double>& liveWidths, QString* error) {
    return saveEdited([&](ProfileFile& ini) { writeSearchPaneWidths(ini, liveWidths); }, error);
}

WindowPlacement LoadWindowPlacement(int screenWidthTwips, int screenHeightTwips) {
    const ProfileFile ini = ProfileFile::snapshotOf(SettingsFilePath());
    WindowPlacement placement;
    placement.width = readWindowValue(ini, QStringLiteral("Width"), screenWidthTwips - 500);
    placement.height = readWindowValue(ini, QStringLiteral("Height"), screenHeightTwips - 500);
    placement.left = readWindowValue(ini, QStringLiteral("Left"), (screenWidthTwips - placement.width) / 2);
    placement.top = readWindowValue(ini, QStringLiteral("Top"), (screenHeightTwips - placement.height) / 2);
    return placement;
}

bool SaveWindowPlacement(const WindowPlacement& placement, bool minimized, QString* error) {
    return saveEdited([&](ProfileFile& ini) { writeWindowPlacement(ini, placement, minimized); }, error);
}

bool SaveSettings(const LiveLayout& layout, QString* error) {
    CaptureFilePaneWidths(gListMode, layout.browseWidths);
    return saveEdited(
        [&](ProfileFile& ini) {
            writeOptions(ini);
            if (layout.window)
                writeWindowPlacement(ini, *layout.window, layout.minimized);
            writeFilePaneWidths(ini, gListMode, static_cast<int>(layout.browseWidths.size()));
            writeSearchPaneWidths(ini, layout.searchWidths);
        },
        error);
}

QString NormalizePath(const QString& path) {
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QString result;
    for (const QString& component : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QString spelling =
            folderEntrySpelling(result.isEmpty() ? QStringLiteral("/") : result, component);
        if (spelling.isEmpty())
            return {};
        result += QLatin1Char('/') + spelling;
    }
    return result.isEmpty() ? QStringLiteral("/") : result;
}

} // namespace mendor
