#include "shell/ProfileFile.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace mendor;
using mendor::test::ReadBytes;
using mendor::test::WriteBytes;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath("MNP3.ini"); }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(ProfileFileTest, ReadsValuesByNameWithoutRegardToCase) {
    WriteBytes(path(), "orphan=before any section\n; comment=not a key\n[Options]\n  oEject  =   1  \n"
                       "Path = C:\\a=b\nQuoted=\"  padded  \"\nSingle='x'\nLonely=\"\nBare\n[ window ]\n"
                       "Width=9000\n[options]\nSecond=hidden by the first Options section\n");
    const ProfileFile ini(path());
    const struct {
        const char* section;
        const char* key;
        QString expected;
    } cases[] = {
        {"OPTIONS", "oeject", "1"},  {"options", "path", "C:\\a=b"}, {"Options", "Quoted", "  padded  "},
        {"Options", "Single", "x"},  {"Options", "Lonely", "\""},    {"Options", "Bare", ""},
        {"Window", "WIDTH", "9000"}, {"Options", "orphan", "d"},     {"Options", "; comment", "d"},
        {"Options", "Width", "d"},   {"Options", "Second", "d"},     {"Missing", "oEject", "d"}};
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, "d"), c.expected) << c.section << '/' << c.key;
    EXPECT_EQ(ProfileFile(dir_.filePath("absent.ini")).readString("Options", "oEject", "7"), "7");
}

TEST_F(ProfileFileTest, ValuesAndDefaultsAreCutTo127Characters) {
    WriteBytes(path(), "[S]\nkey=" + QByteArray(200, 'v') + "\n");
    const ProfileFile ini(path());
    EXPECT_EQ(ini.readString("S", "key", QString()), QString(127, 'v'));
    EXPECT_EQ(ini.readString("S", "other", QString(130, 'd')), QString(127, 'd'));
    EXPECT_EQ(ini.readString("S", "other", QString(127, 'd')).size(), 127);
}

TEST_F(ProfileFileTest, WritingAKeyChangesOnlyItsOwnLine) {
    const QByteArray before = "; settings\r\n[Drives]\r\nE:=/media/cdrom\r\n\r\n[Options]\r\noEject=1\r\n"
                              "  ; keep me\r\nunknown = stays\r\n[Extra]\nmixed=endings\n";
    WriteBytes(path(), before);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString("OPTIONS", "OEJECT", "0"));
    QByteArray expected = before;
    expected.replace("oEject=1\r\n", "oEject=0\r\n");
    EXPECT_EQ(ReadBytes(path()), expected);

    ASSERT_TRUE(ini.writeString("options", "Unknown", "changed value"));
    expected.replace("unknown = stays\r\n", "unknown=changed value\r\n");
    EXPECT_EQ(ReadBytes(path()), expected);
    EXPECT_EQ(ini.readString("Options", "unknown", QString()), "changed value");
}

TEST_F(ProfileFileTest, NewKeysGoAfterTheirSectionAndNewSectionsAtTheEnd) {
    WriteBytes(path(), "[Options]\r\noEject=1\r\n; about the window\r\n\r\n[Window]\r\nWidth=1");
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString("Options", "oUseAppPath", "0"));
    ASSERT_TRUE(ini.writeString("Window", "Height", "2"));
    ASSERT_TRUE(ini.writeString("FilePane", "Column1-1", "100"));
    ASSERT_TRUE(ini.writeString("FilePane", "Column1-2", "line\nbreak"));
    EXPECT_EQ(ReadBytes(path()), "[Options]\r\noEject=1\r\noUseAppPath=0\r\n; about the window\r\n\r\n"
                                 "[Window]\r\nWidth=1\r\nHeight=2\r\n\r\n"
                                 "[FilePane]\r\nColumn1-1=100\r\nColumn1-2=line break\r\n");
}

TEST_F(ProfileFileTest, WritingCreatesTheFileAndFailsWithoutItsFolder) {
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString("Options", "oDefaultDrive", "D:"));
    ASSERT_TRUE(ini.writeString("Options", "gDataPath", "/data"));
    EXPECT_EQ(ReadBytes(path()), "[Options]\noDefaultDrive=D:\ngDataPath=/data\n");

    // Through a link the file it names is replaced, keeping its permissions, and the link stays.
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link(path(), dir_.filePath("link.ini")));
    ASSERT_TRUE(ProfileFile(dir_.filePath("link.ini")).writeString("Options", "oEject", "0"));
    EXPECT_TRUE(QFileInfo(dir_.filePath("link.ini")).isSymLink());
    EXPECT_EQ(ReadBytes(path()), "[Options]\noDefaultDrive=D:\ngDataPath=/data\noEject=0\n");
    EXPECT_EQ(QFile::permissions(path()),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);

    ProfileFile nowhere(dir_.filePath("missing/MNP3.ini"));
    EXPECT_FALSE(nowhere.writeString("Options", "oEject", "1"));
    EXPECT_FALSE(QFile::exists(nowhere.path()));
}

TEST_F(ProfileFileTest, SnapshotReadsIgnoreLaterChangesButSeeItsOwnWrites) {
    WriteBytes(path(), "[S]\na=1\n");
    ProfileFile snapshot = ProfileFile::snapshotOf(path());
    const ProfileFile live(path());
    WriteBytes(path(), "[S]\na=2\n");
    EXPECT_EQ(snapshot.readString("S", "a", QString()), "1");
    EXPECT_EQ(live.readString("S", "a", QString()), "2");

    ASSERT_TRUE(snapshot.writeString("S", "b", "3"));
    EXPECT_EQ(snapshot.readString("S", "a", QString()), "2");
    EXPECT_EQ(snapshot.readString("S", "b", QString()), "3");
}

TEST_F(ProfileFileTest, AWriteThatCannotCompleteLeavesTheFileAsItWas) {
    const QString folder = dir_.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(folder));
    const test::SmallTmpfs disk(folder);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    const QString ini = folder + "/MNP3.ini";
    const QByteArray before = "[Options]\noEject=1\n" + QByteArray(2000, ';') + "\n";
    WriteBytes(ini, before);
    disk.fill();

    ProfileFile file(ini);
    EXPECT_FALSE(file.writeString("Options", "oEject", "0"));
    EXPECT_TRUE(file.errorString().contains("No space left")) << file.errorString().toStdString();
    ProfileFile edit = ProfileFile::editOf(ini);
    EXPECT_TRUE(edit.writeString("Window", "Width", "9000"));
    EXPECT_FALSE(edit.commit());
    EXPECT_EQ(ReadBytes(ini), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "MNP3.ini"}));
}
