#include "shell/Settings.h"

#include "shell/Options.h"
#include "shell/ProfileFile.h"
#include "shell/ProgramFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRect>
#include <QTemporaryDir>

using namespace mendor;
using mendor::test::ReadBytes;
using mendor::test::WriteBytes;

namespace {

/// A program folder of its own for every test, with the globals as before any settings were read.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        programFolder_ = dir_.filePath("Program");
        ASSERT_TRUE(QDir().mkpath(programFolder_));
        SetProgramFolderOverride(programFolder_);
        ResetOptionsToDefaults();
    }
    void TearDown() override {
        SetProgramFolderOverride(QString());
        ResetOptionsToDefaults();
    }

    void writeIni(const QByteArray& text) { WriteBytes(SettingsFilePath(), text); }
    /// Writes the settings file and reads it as at start-up.
    void load(const QByteArray& text) {
        writeIni(text);
        LoadSettings();
    }
    QString stored(const char* section, const char* key) const {
        return ProfileFile(SettingsFilePath()).readString(section, key, "<missing>");
    }
    /// A data folder that holds one database file.
    QString makeDataFolder(const char* relative) const {
        const QString folder = dir_.filePath(relative);
        QDir().mkpath(folder);
        WriteBytes(folder + "/Music.mdb", "any content");
        return folder;
    }

    QTemporaryDir dir_;
    QString programFolder_;
};

} // namespace

TEST(ReadProfileNumber, TakesTheLeadingNumberRoundedAndClampedTo16Bits) {
    const struct {
        QString text;
        int expected;
    } cases[] = {{"1.6", 2},
                 {"2.5", 3},
                 {"-1.5", -2},
                 {"1.4", 1},
                 {".5", 1},
                 {"  +7 ", 7},
                 {"42 columns", 42},
                 {"1,9", 1},
                 {"-1", -1},
                 {"yes", 0},
                 {"", 0},
                 {"-", 0},
                 {".", 0},
                 {"x12", 0},
                 {"32767", 32767},
                 {"32767.5", 32767},
                 {"70000", 32767},
                 {"-32768", -32768},
                 {"-99999", -32768},
                 {QString(400, '9'), 32767}};
    for (const auto& c : cases)
        EXPECT_EQ(ReadProfileNumber(c.text), c.expected) << c.text.left(20).toStdString();
}

TEST_F(SettingsTest, WithoutASettingsFileEverythingTakesItsDefault) {
    // The option flags themselves are checked through mendor-cli settings.
    LoadSettings();
    EXPECT_EQ(gDataPath, programFolder_);
    for (int mode = 1; mode <= 4; ++mode)
        for (int column = 1; column <= 9; ++column)
            EXPECT_EQ(gColumnWidths[mode][column], 100) << mode << '-' << column;
    EXPECT_EQ(gColumnWidths[1][10], 0);

    LoadSearchPaneWidths();
    for (int column = 1; column <= 10; ++column)
        EXPECT_EQ(gSearchColumnWidths[column], 100) << column;

    const WindowPlacement placement = LoadWindowPlacement(28800, 16200);
    EXPECT_EQ(QRect(placement.left, placement.top, placement.width, placement.height),
              QRect(250, 250, 28300, 15700));
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
}

TEST_F(SettingsTest, OptionsAreReadAsNumbersAndTrimmedStrings) {
    load("[OPTIONS]\nostartupmode=-1\noSaveWindows=0\noClearDesc=1.6\noEject=yes\noSearchFolders=\n"
         "oZIPasFolder=70000\noDefaultDrive=   D:   \noCheckDesc=0\n");
    EXPECT_EQ(oStartupMode, -1);
    EXPECT_EQ(oSaveWindows, 0);
    EXPECT_EQ(oClearDesc, 2);
    EXPECT_EQ(oEject, 0);
    EXPECT_EQ(oSearchFolders, 0);
    EXPECT_EQ(oSearchFiles, 1);
    EXPECT_EQ(oZIPasFolder, 32767);
    EXPECT_EQ(oDefaultDrive, "D:");
    EXPECT_EQ(oCheckDesc, 0);
    EXPECT_EQ(oUseAppPath, 1);
}

TEST_F(SettingsTest, TheDataFolderFallsBackToTheProgramFolder) {
    const QString data = makeDataFolder("Catalogs/Disks");
    // Neither a folder named like a database nor a backup copy counts as a database file.
    const QString empty = dir_.filePath("Empty");
    QDir().mkpath(empty + "/folder.mdb");
    WriteBytes(empty + "/old.mdb.bak", "x");
    WriteBytes(empty + "/.hidden.mdb", "x");

    const struct {
        QByteArray options;
        QString expected;
    } cases[] = {
        // Stored in another letter case and with blanks: the folder comes back as the disk spells it.
        {"oUseAppPath=0\ngDataPath=  " + (dir_.path() + "/catalogs/DISKS/").toUtf8() + "  ", data},
        {"oUseAppPath=1\ngDataPath=" + data.toUtf8(), programFolder_},
        {"oUseAppPath=0\ngDataPath=" + (dir_.path() + "/Gone").toUtf8(), programFolder_},
        {"oUseAppPath=0\ngDataPath=" + empty.toUtf8(), programFolder_},
        // The program folder itself may hold no database: it is still the data folder.
        {"oUseAppPath=0", programFolder_}};
    for (const auto& c : cases) {
        load("[Options]\n" + c.options + "\n");
        EXPECT_EQ(gDataPath, c.expected) << c.options.constData();
    }
    SaveOptions();
    EXPECT_EQ(stored("Options", "gDataPath"), programFolder_);
}

TEST_F(SettingsTest, NormalizePathSpellsEachFolderAsTheDiskDoes) {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("Top/.Hidden/Leaf")));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("data")));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("Data")));
    WriteBytes(dir_.filePath("Top/file.txt"), "x");
    const QString base = dir_.path();
    const struct {
        QString path;
        QString expected;
    } cases[] = {{base + "/top/.hidden/LEAF", base + "/Top/.Hidden/Leaf"},
                 {base + "/Top//.Hidden/Leaf/", base + "/Top/.Hidden/Leaf"},
                 {base + "/TOP/./.hidden/../.HIDDEN", base + "/Top/.Hidden"},
                 {"/", "/"},
                 {"", ""},
                 {base + "/Top/Missing/Leaf", ""},
                 {base + "/Top/file.txt", ""},
                 {base + "/Top/FILE.TXT", ""},
                 // Two folders differing only in case: the exact spelling wins.
                 {base + "/data", base + "/data"},
                 {base + "/Data", base + "/Data"},
                 {base + "/DATA", base + "/Data"}};
    for (const auto& c : cases)
        EXPECT_EQ(NormalizePath(c.path), c.expected) << c.path.toStdString();

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(base + "/Top"));
    EXPECT_EQ(NormalizePath(".hidden/leaf"), base + "/Top/.Hidden/Leaf");
    QDir::setCurrent(previous);
}

TEST_F(SettingsTest, WidthsSkipNonNumbersAndBrowseWidthsReplaceNegativeOnes) {
    writeIni("[FilePane]\ncolumn2-1=250\nCOLUMN2-2=-40\nColumn2-3=wide\nColumn2-4=\nColumn2-5=80.6\n"
             "Column2-6=12px\nColumn2-10=999\n"
             "[SearchPane]\ncolumn1=300\nColumn2=abc\nColumn10=1.6\nColumn11=7\n"
             "[Window]\nWidth=40000\nHeight=tall\nLeft=-2000\nTop=\n");
    for (int column = 1; column <= 10; ++column)
        gColumnWidths[2][column] = 55;
    LoadFilePaneWidths(2);
    const int browse[] = {250, 100, 55, 55, 81, 55, 100, 100, 100, 55};
    for (int column = 1; column <= 10; ++column)
        EXPECT_EQ(gColumnWidths[2][column], browse[column - 1]) << column;
    EXPECT_EQ(gColumnWidths[1][1], 0);

    gSearchColumnWidths[2] = 66;
    LoadSearchPaneWidths();
    EXPECT_EQ(gSearchColumnWidths[1], 300);
    EXPECT_EQ(gSearchColumnWidths[2], 66);
    EXPECT_EQ(gSearchColumnWidths[3], 100);
    EXPECT_EQ(gSearchColumnWidths[10], 2);
    EXPECT_EQ(gSearchColumnWidths[11], 0);

    // Window values that are not numbers take their default.
    const WindowPlacement placement = LoadWindowPlacement(20000, 15000);
    EXPECT_EQ(QRect(placement.left, placement.top, placement.width, placement.height),
              QRect(-2000, 250, 40000, 14500));

    // The start-up order: LoadSettings, every width to 100, then mode 4 alone is read again.
    load("[FilePane]\nColumn1-1=11\nColumn4-1=44\n");
    EXPECT_EQ(gColumnWidths[1][1], 11);
    SetDefaultFilePaneWidths();
    EXPECT_EQ(gColumnWidths[1][1], 100);
    LoadFilePaneWidths(4);
    EXPECT_EQ(gColumnWidths[4][1], 44);
}

TEST_F(SettingsTest, SavingWritesOptionsInOrderThenPlacementAndWidths) {
    const QString data = makeDataFolder("Data");
    oStartupMode = -1;
    oEject = 0;
    oDefaultDrive = "  E:  ";
    gDataPath = data;
    oUseAppPath = 0;
    gListMode = 3;
    LiveLayout layout;
    layout.window = WindowPlacement{100, 200, 9000, 7000};
    layout.browseWidths = {120, 80, 33};
    layout.searchWidths = {10.9, -3.7, 5, 6, 7, 8, 9, 10, 11, 12.5};
    SaveSettings(layout);

    EXPECT_EQ(ReadBytes(SettingsFilePath()),
              "[Options]\noStartupMode=-1\noSaveWindows=1\noClearDesc=1\noEject=0\noSearchFolders=1\n"
              "oSearchFiles=1\noZIPasFolder=1\noDefaultDrive=E:\ngDataPath=" +
                  data.toUtf8() +
                  "\noCheckDesc=1\noUseAppPath=0\n\n"
                  "[Window]\nLeft=100\nTop=200\nWidth=9000\nHeight=7000\n\n"
                  "[FilePane]\nColumn3-1=120\nColumn3-2=80\nColumn3-3=33\n\n"
                  "[SearchPane]\nColumn1=10\nColumn2=-3\nColumn3=5\nColumn4=6\nColumn5=7\nColumn6=8\n"
                  "Column7=9\nColumn8=10\nColumn9=11\nColumn10=12\n");
    EXPECT_EQ(gColumnWidths[3][2], 80);
    EXPECT_EQ(gSearchColumnWidths[2], -3);
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

    EXPECT_EQ(stored("Options", "oSaveWindows"), "0");
    EXPECT_EQ(stored("Window", "Left"), "<missing>");
    EXPECT_EQ(stored("FilePane", "Column1-2"), "<missing>");
    EXPECT_EQ(stored("SearchPane", "Column2"), "<missing>");

    // What was stored earlier stays for the next start-up.
    EXPECT_EQ(stored("Window", "Width"), "1234");
    EXPECT_EQ(stored("FilePane", "Column1-1"), "77");
    EXPECT_EQ(stored("SearchPane", "Column1"), "88");
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
    EXPECT_EQ(QRect(placement.left, placement.top, placement.width, placement.height), QRect(5, 6, 7, 8));
    EXPECT_EQ(gColumnWidths[0][1], 9);
    EXPECT_FALSE(ReadBytes(SettingsFilePath()).contains("FilePane"));
    EXPECT_EQ(stored("Options", "oUseAppPath"), "1");
}

TEST_F(SettingsTest, TheFileInAnotherLetterCaseServesWhenItIsTheOnlyOne) {
    WriteBytes(programFolder_ + "/Mnp3.ini", "[Options]\noEject=0\n");
    LoadSettings();
    EXPECT_EQ(oEject, 0);
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(QDir(programFolder_).entryList(QDir::Files), QStringList{"Mnp3.ini"});

    WriteBytes(programFolder_ + "/mnp3.INI", "[Options]\noEject=0\n");
    LoadSettings();
    EXPECT_EQ(oEject, 1);
    EXPECT_EQ(SettingsFilePath(), programFolder_ + "/MNP3.ini");
}

TEST_F(SettingsTest, LaterOptionsAreOffByDefaultAndWrittenOnceOnOrPresent) {
    load("[Options]\noOtherArchives=1\n");
    EXPECT_EQ(oChecksums, 0);
    EXPECT_EQ(oOtherArchives, 1);

    oOtherArchives = 0;
    SaveOptions();
    EXPECT_EQ(stored("Options", "oChecksums"), "<missing>");
    EXPECT_EQ(stored("Options", "oOtherArchives"), "0");
    oChecksums = -1;
    SaveOptions();
    LoadSettings();
    EXPECT_EQ(oChecksums, -1);
}
