#include "shell/Settings.h"

#include "platform/ProgramFolder.h"
#include "shell/Options.h"
#include "shell/ProfileFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QByteArray readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A program folder of its own for every test, with the globals as before any settings were read.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        programFolder_ = dir_.filePath(s("Program"));
        ASSERT_TRUE(QDir().mkpath(programFolder_));
        SetProgramFolderOverride(programFolder_);
        ResetOptionsToDefaults();
    }
    void TearDown() override {
        SetProgramFolderOverride(QString());
        ResetOptionsToDefaults();
    }

    void writeIni(const QByteArray& text) { writeText(SettingsFilePath(), text); }
    QString stored(const char* section, const char* key) const {
        return ProfileFile(SettingsFilePath()).readString(s(section), s(key), s("<missing>"));
    }
    /// A data folder that holds one database file.
    QString makeDataFolder(const char* relative) const {
        const QString folder = dir_.filePath(s(relative));
        QDir().mkpath(folder);
        writeText(folder + s("/Music.mdb"), "any content");
        return folder;
    }

    QTemporaryDir dir_;
    QString programFolder_;
};

} // namespace

TEST(ReadProfileNumber, TakesTheLeadingNumberRoundedAndClampedTo16Bits) {
    EXPECT_EQ(ReadProfileNumber(s("1.6")), 2);
    EXPECT_EQ(ReadProfileNumber(s("2.5")), 3);
    EXPECT_EQ(ReadProfileNumber(s("-1.5")), -2);
    EXPECT_EQ(ReadProfileNumber(s("1.4")), 1);
    EXPECT_EQ(ReadProfileNumber(s(".5")), 1);
    EXPECT_EQ(ReadProfileNumber(s("  +7 ")), 7);
    EXPECT_EQ(ReadProfileNumber(s("42 columns")), 42);
    EXPECT_EQ(ReadProfileNumber(s("1,9")), 1);
    EXPECT_EQ(ReadProfileNumber(s("-1")), -1);

    EXPECT_EQ(ReadProfileNumber(s("yes")), 0);
    EXPECT_EQ(ReadProfileNumber(s("")), 0);
    EXPECT_EQ(ReadProfileNumber(s("-")), 0);
    EXPECT_EQ(ReadProfileNumber(s(".")), 0);
    EXPECT_EQ(ReadProfileNumber(s("x12")), 0);

    EXPECT_EQ(ReadProfileNumber(s("32767")), 32767);
    EXPECT_EQ(ReadProfileNumber(s("32767.5")), 32767);
    EXPECT_EQ(ReadProfileNumber(s("70000")), 32767);
    EXPECT_EQ(ReadProfileNumber(s("-32768")), -32768);
    EXPECT_EQ(ReadProfileNumber(s("-99999")), -32768);
    EXPECT_EQ(ReadProfileNumber(QString(400, QLatin1Char('9'))), 32767);
}

TEST_F(SettingsTest, WithoutASettingsFileEverythingTakesItsDefault) {
    LoadSettings();
    EXPECT_EQ(oStartupMode, 0);
    EXPECT_EQ(oSaveWindows, 1);
    EXPECT_EQ(oClearDesc, 1);
    EXPECT_EQ(oEject, 1);
    EXPECT_EQ(oSearchFolders, 1);
    EXPECT_EQ(oSearchFiles, 1);
    EXPECT_EQ(oZIPasFolder, 1);
    EXPECT_EQ(oDefaultDrive, s("C:"));
    EXPECT_EQ(gDataPath, programFolder_);
    EXPECT_EQ(oCheckDesc, 1);
    EXPECT_EQ(oUseAppPath, 1);
    for (int mode = 1; mode <= 4; ++mode)
        for (int column = 1; column <= 9; ++column)
            EXPECT_EQ(gColumnWidths[mode][column], 100) << mode << '-' << column;
    EXPECT_EQ(gColumnWidths[1][10], 0);

    LoadSearchPaneWidths();
    for (int column = 1; column <= 10; ++column)
        EXPECT_EQ(gSearchColumnWidths[column], 100) << column;

    const WindowPlacement placement = LoadWindowPlacement(28800, 16200);
    EXPECT_EQ(placement.width, 28300);
    EXPECT_EQ(placement.height, 15700);
    EXPECT_EQ(placement.left, 250);
    EXPECT_EQ(placement.top, 250);
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
}

TEST_F(SettingsTest, OptionsAreReadAsNumbersAndTrimmedStrings) {
    writeIni("[OPTIONS]\n"
             "ostartupmode=-1\n"
             "oSaveWindows=0\n"
             "oClearDesc=1.6\n"
             "oEject=yes\n"
             "oSearchFolders=\n"
             "oZIPasFolder=70000\n"
             "oDefaultDrive=   D:   \n"
             "oCheckDesc=0\n");
    LoadSettings();
    EXPECT_EQ(oStartupMode, -1);
    EXPECT_EQ(oSaveWindows, 0);
    EXPECT_EQ(oClearDesc, 2);
    EXPECT_EQ(oEject, 0);
    EXPECT_EQ(oSearchFolders, 0);
    EXPECT_EQ(oSearchFiles, 1);
    EXPECT_EQ(oZIPasFolder, 32767);
    EXPECT_EQ(oDefaultDrive, s("D:"));
    EXPECT_EQ(oCheckDesc, 0);
    EXPECT_EQ(oUseAppPath, 1);
}

TEST_F(SettingsTest, TheDataFolderFallsBackToTheProgramFolder) {
    const QString data = makeDataFolder("Catalogs/Disks");

    // Stored in another letter case and with blanks: the folder comes back as the disk spells it.
    writeIni("[Options]\noUseAppPath=0\ngDataPath=  " + (dir_.path() + s("/catalogs/DISKS/")).toUtf8() +
             "  \n");
    LoadSettings();
    EXPECT_EQ(gDataPath, data);

    writeIni("[Options]\noUseAppPath=1\ngDataPath=" + data.toUtf8() + "\n");
    LoadSettings();
    EXPECT_EQ(gDataPath, programFolder_);

    writeIni("[Options]\noUseAppPath=0\ngDataPath=" + (dir_.path() + s("/Gone")).toUtf8() + "\n");
    LoadSettings();
    EXPECT_EQ(gDataPath, programFolder_);

    // Neither a folder named like a database nor a backup copy counts as a database file.
    const QString empty = dir_.filePath(s("Empty"));
    QDir().mkpath(empty + s("/folder.mdb"));
    writeText(empty + s("/old.mdb.bak"), "x");
    writeText(empty + s("/.hidden.mdb"), "x");
    writeIni("[Options]\noUseAppPath=0\ngDataPath=" + empty.toUtf8() + "\n");
    LoadSettings();
    EXPECT_EQ(gDataPath, programFolder_);
    SaveOptions();
    EXPECT_EQ(stored("Options", "gDataPath"), programFolder_);

    // The program folder itself may hold no database: it is still the data folder.
    writeIni("[Options]\noUseAppPath=0\n");
    LoadSettings();
    EXPECT_EQ(gDataPath, programFolder_);
}

TEST_F(SettingsTest, NormalizePathSpellsEachFolderAsTheDiskDoes) {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(s("Top/.Hidden/Leaf"))));
    writeText(dir_.filePath(s("Top/file.txt")), "x");
    const QString base = dir_.path();

    EXPECT_EQ(NormalizePath(base + s("/top/.hidden/LEAF")), base + s("/Top/.Hidden/Leaf"));
    EXPECT_EQ(NormalizePath(base + s("/Top//.Hidden/Leaf/")), base + s("/Top/.Hidden/Leaf"));
    EXPECT_EQ(NormalizePath(base + s("/TOP/./.hidden/../.HIDDEN")), base + s("/Top/.Hidden"));
    EXPECT_EQ(NormalizePath(s("/")), s("/"));
    EXPECT_EQ(NormalizePath(QString()), QString());

    EXPECT_EQ(NormalizePath(base + s("/Top/Missing/Leaf")), QString());
    EXPECT_EQ(NormalizePath(base + s("/Top/file.txt")), QString());
    EXPECT_EQ(NormalizePath(base + s("/Top/FILE.TXT")), QString());

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(base + s("/Top")));
    EXPECT_EQ(NormalizePath(s(".hidden/leaf")), base + s("/Top/.Hidden/Leaf"));
    QDir::setCurrent(previous);
}

TEST_F(SettingsTest, TwoFoldersDifferingOnlyInCasePreferTheExactSpelling) {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(s("data"))));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(s("Data"))));
    EXPECT_EQ(NormalizePath(dir_.filePath(s("data"))), dir_.filePath(s("data")));
    EXPECT_EQ(NormalizePath(dir_.filePath(s("Data"))), dir_.filePath(s("Data")));
    EXPECT_EQ(NormalizePath(dir_.filePath(s("DATA"))), dir_.filePath(s("Data")));
}

TEST_F(SettingsTest, BrowseWidthsSkipNonNumbersAndReplaceNegativeOnes) {
    writeIni("[FilePane]\n"
             "column2-1=250\n"
             "COLUMN2-2=-40\n"
             "Column2-3=wide\n"
             "Column2-4=\n"
             "Column2-5=80.6\n"
             "Column2-6=12px\n"
             "Column2-10=999\n");
    for (int column = 1; column <= 10; ++column)
        gColumnWidths[2][column] = 55;
    LoadFilePaneWidths(2);
    EXPECT_EQ(gColumnWidths[2][1], 250);
    EXPECT_EQ(gColumnWidths[2][2], 100);
    EXPECT_EQ(gColumnWidths[2][3], 55);
    EXPECT_EQ(gColumnWidths[2][4], 55);
    EXPECT_EQ(gColumnWidths[2][5], 81);
    EXPECT_EQ(gColumnWidths[2][6], 55);
    EXPECT_EQ(gColumnWidths[2][7], 100);
    EXPECT_EQ(gColumnWidths[2][10], 55);
    EXPECT_EQ(gColumnWidths[1][1], 0);

    // The start-up order: LoadSettings, every width to 100, then mode 4 alone is read again.
    writeIni("[FilePane]\nColumn1-1=11\nColumn4-1=44\n");
    LoadSettings();
    EXPECT_EQ(gColumnWidths[1][1], 11);
    SetDefaultFilePaneWidths();
    EXPECT_EQ(gColumnWidths[1][1], 100);
    LoadFilePaneWidths(4);
    EXPECT_EQ(gColumnWidths[4][1], 44);
}

TEST_F(SettingsTest, SearchWidthsSkipNonNumbers) {
    writeIni("[SearchPane]\ncolumn1=300\nColumn2=abc\nColumn10=1.6\nColumn11=7\n");
    gSearchColumnWidths[2] = 66;
    LoadSearchPaneWidths();
    EXPECT_EQ(gSearchColumnWidths[1], 300);
    EXPECT_EQ(gSearchColumnWidths[2], 66);
    EXPECT_EQ(gSearchColumnWidths[3], 100);
    EXPECT_EQ(gSearchColumnWidths[10], 2);
    EXPECT_EQ(gSearchColumnWidths[11], 0);
}

TEST_F(SettingsTest, WindowValuesThatAreNotNumbersTakeTheirDefault) {
    writeIni("[Window]\nWidth=40000\nHeight=tall\nLeft=-2000\nTop=\n");
    const WindowPlacement placement = LoadWindowPlacement(20000, 15000);
    EXPECT_EQ(placement.width, 40000);
    EXPECT_EQ(placement.height, 14500);
    EXPECT_EQ(placement.left, -2000);
    EXPECT_EQ(placement.top, 250);
}

TEST_F(SettingsTest, SavingWritesOptionsInOrderThenPlacementAndWidths) {
    const QString data = makeDataFolder("Data");
    oStartupMode = -1;
    oEject = 0;
    oDefaultDrive = s("  E:  ");
    gDataPath = data;
    oUseAppPath = 0;
    gListMode = 3;
    LiveLayout layout;
    layout.window = WindowPlacement{100, 200, 9000, 7000};
    layout.browseWidths = {120, 80, 33};
    layout.searchWidths = {10.9, -3.7, 5, 6, 7, 8, 9, 10, 11, 12.5};
    SaveSettings(layout);

    EXPECT_EQ(readText(SettingsFilePath()), "[Options]\n"
                                            "oStartupMode=-1\n"
                                            "oSaveWindows=1\n"
                                            "oClearDesc=1\n"
                                            "oEject=0\n"
                                            "oSearchFolders=1\n"
                                            "oSearchFiles=1\n"
                                            "oZIPasFolder=1\n"
                                            "oDefaultDrive=E:\n"
                                            "gDataPath=" +
                                                data.toUtf8() +
                                                "\n"
                                                "oCheckDesc=1\n"
                                                "oUseAppPath=0\n"
                                                "\n"
                                                "[Window]\n"
                                                "Left=100\n"
                                                "Top=200\n"
                                                "Width=9000\n"
                                                "Height=7000\n"
                                                "\n"
                                                "[FilePane]\n"
                                                "Column3-1=120\n"
                                                "Column3-2=80\n"
                                                "Column3-3=33\n"
                                                "\n"
                                                "[SearchPane]\n"
                                                "Column1=10\n"
                                                "Column2=-3\n"
                                                "Column3=5\n"
                                                "Column4=6\n"
                                                "Column5=7\n"
                                                "Column6=8\n"
                                                "Column7=9\n"
                                                "Column8=10\n"
                                                "Column9=11\n"
                                                "Column10=12\n");
    EXPECT_EQ(gColumnWidths[3][2], 80);
    EXPECT_EQ(gSearchColumnWidths[2], -3);

    // What was saved reads back the same.
    ResetOptionsToDefaults();
    LoadSettings();
    EXPECT_EQ(oStartupMode, -1);
    EXPECT_EQ(oEject, 0);
    EXPECT_EQ(oDefaultDrive, s("E:"));
    EXPECT_EQ(gDataPath, data);
    EXPECT_EQ(oUseAppPath, 0);
    EXPECT_EQ(gColumnWidths[3][3], 33);
    const WindowPlacement placement = LoadWindowPlacement(1, 1);
    EXPECT_EQ(placement.left, 100);
    EXPECT_EQ(placement.height, 7000);
}

TEST_F(SettingsTest, WithoutSaveWindowsOnlyTheOptionsAreWritten) {
    writeIni("[Window]\nWidth=1234\n[FilePane]\nColumn1-1=77\n[SearchPane]\nColumn1=88\n");
    oSaveWindows = 0;
    gListMode = 1;
    LiveLayout layout;
    layout.window = WindowPlacement{1, 2, 3, 4};
    layout.browseWidths = {10, 20};
    layout.searchWidths = QList<double>(10, 50.0);
    SaveSettings(layout);

    EXPECT_EQ(stored("Options", "oSaveWindows"), s("0"));
    EXPECT_EQ(stored("Window", "Width"), s("1234"));
    EXPECT_EQ(stored("Window", "Left"), s("<missing>"));
    EXPECT_EQ(stored("FilePane", "Column1-1"), s("77"));
    EXPECT_EQ(stored("FilePane", "Column1-2"), s("<missing>"));
    EXPECT_EQ(stored("SearchPane", "Column1"), s("88"));
    EXPECT_EQ(stored("SearchPane", "Column2"), s("<missing>"));

    // The widths stored earlier are still what the next start-up reads.
    LoadSettings();
    EXPECT_EQ(oSaveWindows, 0);
    EXPECT_EQ(gColumnWidths[1][1], 77);
    LoadSearchPaneWidths();
    EXPECT_EQ(gSearchColumnWidths[1], 88);
    EXPECT_EQ(LoadWindowPlacement(20000, 15000).width, 1234);
}

TEST_F(SettingsTest, AMinimisedWindowAndListModeZeroLeaveTheirKeysAlone) {
    writeIni("[Window]\nLeft=5\nTop=6\nWidth=7\nHeight=8\n");
    gListMode = 0;
    gColumnWidths[0][1] = 9;
    LiveLayout layout;
    layout.window = WindowPlacement{100, 200, 300, 400};
    layout.minimized = true;
    layout.browseWidths = {42};
    SaveSettings(layout);

    const WindowPlacement placement = LoadWindowPlacement(20000, 15000);
    EXPECT_EQ(placement.left, 5);
    EXPECT_EQ(placement.top, 6);
    EXPECT_EQ(placement.width, 7);
    EXPECT_EQ(placement.height, 8);
    EXPECT_EQ(gColumnWidths[0][1], 9);
    EXPECT_FALSE(readText(SettingsFilePath()).contains("FilePane"));
    EXPECT_EQ(stored("Options", "oUseAppPath"), s("1"));

    SaveWindowPlacement(WindowPlacement{100, 200, 300, 400}, false);
    EXPECT_EQ(LoadWindowPlacement(20000, 15000).left, 100);
}
