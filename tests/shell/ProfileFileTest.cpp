#include "shell/ProfileFile.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class ProfileFileTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("MNP3.ini")); }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(ProfileFileTest, ReadsValuesByNameWithoutRegardToCase) {
    writeBytes(path(), "orphan=before any section\n"
                       "; comment=not a key\n"
                       "[Options]\n"
                       "  oEject  =   1  \n"
                       "Path = C:\\a=b\n"
                       "Quoted=\"  padded  \"\n"
                       "Single='x'\n"
                       "Lonely=\"\n"
                       "Bare\n"
                       "[ window ]\n"
                       "Width=9000\n"
                       "[options]\n"
                       "Second=hidden by the first Options section\n");
    const ProfileFile ini(path());
    EXPECT_EQ(ini.readString(s("OPTIONS"), s("oeject"), s("d")), s("1"));
    EXPECT_EQ(ini.readString(s("options"), s("path"), s("d")), s("C:\\a=b"));
    EXPECT_EQ(ini.readString(s("Options"), s("Quoted"), s("d")), s("  padded  "));
    EXPECT_EQ(ini.readString(s("Options"), s("Single"), s("d")), s("x"));
    EXPECT_EQ(ini.readString(s("Options"), s("Lonely"), s("d")), s("\""));
    EXPECT_EQ(ini.readString(s("Options"), s("Bare"), s("d")), QString());
    EXPECT_EQ(ini.readString(s("Window"), s("WIDTH"), s("d")), s("9000"));

    EXPECT_EQ(ini.readString(s("Options"), s("orphan"), s("d")), s("d"));
    EXPECT_EQ(ini.readString(s("Options"), s("; comment"), s("d")), s("d"));
    EXPECT_EQ(ini.readString(s("Options"), s("Width"), s("d")), s("d"));
    EXPECT_EQ(ini.readString(s("Options"), s("Second"), s("d")), s("d"));
    EXPECT_EQ(ini.readString(s("Missing"), s("oEject"), s("fallback")), s("fallback"));
    EXPECT_EQ(ProfileFile(dir_.filePath(s("absent.ini"))).readString(s("Options"), s("oEject"), s("7")),
              s("7"));
}

TEST_F(ProfileFileTest, ValuesAndDefaultsAreCutTo127Characters) {
    const QString longValue(200, QLatin1Char('v'));
    writeBytes(path(), "[S]\nkey=" + longValue.toUtf8() + "\n");
    const ProfileFile ini(path());
    EXPECT_EQ(ini.readString(s("S"), s("key"), QString()), QString(127, QLatin1Char('v')));
    EXPECT_EQ(ini.readString(s("S"), s("other"), QString(130, QLatin1Char('d'))),
              QString(127, QLatin1Char('d')));
    EXPECT_EQ(ini.readString(s("S"), s("other"), QString(127, QLatin1Char('d'))).size(), 127);
}

TEST_F(ProfileFileTest, WritingAKeyChangesOnlyItsOwnLine) {
    const QByteArray before = "; settings\r\n"
                              "[Drives]\r\n"
                              "E:=/media/cdrom\r\n"
                              "\r\n"
                              "[Options]\r\n"
                              "oEject=1\r\n"
                              "  ; keep me\r\n"
                              "unknown = stays\r\n"
                              "[Extra]\n"
                              "mixed=endings\n";
    writeBytes(path(), before);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString(s("OPTIONS"), s("OEJECT"), s("0")));
    QByteArray expected = before;
    expected.replace("oEject=1\r\n", "oEject=0\r\n");
    EXPECT_EQ(readBytes(path()), expected);

    ASSERT_TRUE(ini.writeString(s("options"), s("Unknown"), s("changed value")));
    expected.replace("unknown = stays\r\n", "unknown=changed value\r\n");
    EXPECT_EQ(readBytes(path()), expected);
    EXPECT_EQ(ini.readString(s("Options"), s("unknown"), QString()), s("changed value"));
}

TEST_F(ProfileFileTest, NewKeysGoAfterTheirSectionAndNewSectionsAtTheEnd) {
    writeBytes(path(), "[Options]\r\n"
                       "oEject=1\r\n"
                       "; about the window\r\n"
                       "\r\n"
                       "[Window]\r\n"
                       "Width=1");
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString(s("Options"), s("oUseAppPath"), s("0")));
    ASSERT_TRUE(ini.writeString(s("Window"), s("Height"), s("2")));
    ASSERT_TRUE(ini.writeString(s("FilePane"), s("Column1-1"), s("100")));
    ASSERT_TRUE(ini.writeString(s("FilePane"), s("Column1-2"), s("line\nbreak")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Options]\r\n"
                                            "oEject=1\r\n"
                                            "oUseAppPath=0\r\n"
                                            "; about the window\r\n"
                                            "\r\n"
                                            "[Window]\r\n"
                                            "Width=1\r\n"
                                            "Height=2\r\n"
                                            "\r\n"
                                            "[FilePane]\r\n"
                                            "Column1-1=100\r\n"
                                            "Column1-2=line break\r\n"));
}

TEST_F(ProfileFileTest, WritingCreatesTheFileAndFailsWithoutItsFolder) {
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString(s("Options"), s("oDefaultDrive"), s("D:")));
    ASSERT_TRUE(ini.writeString(s("Options"), s("gDataPath"), s("/data")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Options]\noDefaultDrive=D:\ngDataPath=/data\n"));

    ProfileFile nowhere(dir_.filePath(s("missing/MNP3.ini")));
    EXPECT_FALSE(nowhere.writeString(s("Options"), s("oEject"), s("1")));
    EXPECT_FALSE(QFile::exists(nowhere.path()));
}

TEST_F(ProfileFileTest, SnapshotReadsIgnoreLaterChangesButSeeItsOwnWrites) {
    writeBytes(path(), "[S]\na=1\n");
    ProfileFile snapshot = ProfileFile::snapshotOf(path());
    const ProfileFile live(path());
    writeBytes(path(), "[S]\na=2\n");
    EXPECT_EQ(snapshot.readString(s("S"), s("a"), QString()), s("1"));
    EXPECT_EQ(live.readString(s("S"), s("a"), QString()), s("2"));

    ASSERT_TRUE(snapshot.writeString(s("S"), s("b"), s("3")));
    EXPECT_EQ(snapshot.readString(s("S"), s("a"), QString()), s("2"));
    EXPECT_EQ(snapshot.readString(s("S"), s("b"), QString()), s("3"));
}
