#include "catalog/VolumeIdentification.h"

#include "catalog/VolumeTypes.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDriveMedium.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace mendor;
using mendor::test::ReadBytes;
using mendor::test::ScriptedPrompter;
using mendor::test::TestDriveMedium;
using mendor::test::WriteBytes;

namespace {

const QString kPromptStart = QStringLiteral(
    "Mendor Pro normally uses the disk's unique, built-in serial number to identify it.  If that can't be "
    "retrieved, it will try to write a unique marker file onto the disk.  Neither can be done to this disk, "
    "so the last thing Mendor Pro can do is use the name of the disk.  The current name is below.  If it's "
    "not unique among your disks, change it to something else.  ");
const QString kReadOnlyPrompt =
    kPromptStart +
    QStringLiteral(
        "Since it's a read-only disk, you likely won't catalog it again anyway.  If you do, you'll have to "
        "type the same name in again!");
const QString kMarkerPrompt =
    kPromptStart + QStringLiteral("If you do, you'll have to type the same name in again!");
const QString kTitle = QStringLiteral(" Identify This Disk");

class RecordingSink : public NullProgressSink {
public:
    void status(const QString& text) override { texts.append(text); }
    QStringList texts;
};

QString Identify(const TestDriveMedium& medium, int type, ScriptedPrompter& prompter) {
    RecordingSink sink;
    return IdentifyVolume(medium, type, prompter, sink);
}

} // namespace

TEST(SerialIdentity, HalvesAreHexPaddedOnlyWhenTheyReadAsNumbers) {
    const struct {
        std::uint32_t serial;
        const char* identity;
    } cases[] = {
        {305419896u, "12345678"},  // 0x12345678: upper 4660 = 1234, lower 5678
        {131071u, "0002FFFF"},     // divided by 65535, not 65536: upper half 2
        {11206485u, "ABFF55"},     // upper half AB stays unpadded
        {1179630u, "0012FFEE"},    // upper half 12 reads as a number
        {0u, "00000000"},          //
        {0xE5u, "0000E5"},         // a lower half with a letter stays short
        {0x1E5u, "00001000"},      // 1E5 reads as 100000: first four characters
        {0x1D2u, "00000100"},      // D is an exponent letter too: 1D2 is 100
        {0x9E12u, "00009000"},     // negative lower half 9E12 reads as 9 * 10^12
        {0xFFFFFFFFu, "FFFFFFFF"}, // -1: upper 0 less one, lower -1
        {0x80008001u, "80008001"}, // the most negative upper half inside 16 bits
        {0x7FFF7FFFu, "7FFF7FFF"}, // the largest upper half inside 16 bits
        // Beyond 16 bits the upper half stays apart from every other serial: wrapped, 7FFF9000
        // and 80000000 would have read like 80009000 and 7FFF0000.
        {0x7FFF8000u, "180008000"},
        {0x7FFFFFFFu, "18000FFFF"},
        {0x80000000u, "17FFF0000"},
        {0x7FFF9000u, "180009000"},
        {0x80009000u, "80009000"},
        {0x7FFF0000u, "7FFF0000"},
    };
    for (const auto& row : cases)
        EXPECT_EQ(SerialIdentity(row.serial), QLatin1String(row.identity)) << std::hex << row.serial;
}

TEST(TypedIdentity, EveryCharacterButDigitsAndLatinLettersBecomesOne) {
    EXPECT_EQ(TypedIdentity(QStringLiteral("My Disk!")), QStringLiteral("1My1Disk11"));
    EXPECT_EQ(TypedIdentity(QString()), QStringLiteral("11"));
    EXPECT_EQ(TypedIdentity(QStringLiteral("Ünïcode_9")), QStringLiteral("11n1code191"));
    // A character outside the basic plane is one character, not two.
    EXPECT_EQ(TypedIdentity(QStringLiteral("a\U0001F600b")), QStringLiteral("1a1b1"));
}

TEST(NewMarkerNumber, CountsSecondsFrom1996WithFixedMonthLengths) {
    EXPECT_EQ(NewMarkerNumber(QDateTime(QDate(1996, 1, 1), QTime(0, 0, 0))), QStringLiteral("2764800"));
    EXPECT_EQ(NewMarkerNumber(QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30))), QStringLiteral("891253230"));
    // February counts 28 days even in a leap year, so its 29th and 1 March are three days apart.
    EXPECT_EQ(NewMarkerNumber(QDateTime(QDate(2024, 2, 29), QTime(0, 0))), QStringLiteral("890611200"));
    EXPECT_EQ(NewMarkerNumber(QDateTime(QDate(2024, 3, 1), QTime(0, 0))), QStringLiteral("890870400"));
}

TEST(IdentifyVolume, SameFloppyTwiceGivesTheSameIdentityFromItsHiddenMarker) {
    QTemporaryDir root;
    TestDriveMedium floppy(root.path());
    ScriptedPrompter prompter;
    const QString before = NewMarkerNumber();
    RecordingSink sink;
    const QString first = IdentifyVolume(floppy, kVolumeFloppy, prompter, sink);
    const QString after = NewMarkerNumber();

    const QString marker = root.filePath(QStringLiteral("Mendor.cat"));
    EXPECT_EQ(ReadBytes(marker), first.toLatin1() + "\r\n");
    EXPECT_GE(first.toLongLong(), before.toLongLong());
    EXPECT_LE(first.toLongLong(), after.toLongLong());
    EXPECT_EQ(floppy.hiddenFiles, QStringList{marker});
    EXPECT_TRUE(sink.texts.contains(QStringLiteral("Identifying volume...")));

    EXPECT_EQ(Identify(floppy, kVolumeFloppy, prompter), first);
    EXPECT_EQ(floppy.hiddenFiles.size(), 1) << "the second run reads the marker without writing it";
    EXPECT_EQ(floppy.serialCalls, 0);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(IdentifyVolume, NewMarkerSkipsNumbersThatAlreadyNameAVolume) {
    QTemporaryDir root;
    TestDriveMedium floppy(root.path());
    ScriptedPrompter prompter;
    RecordingSink sink;
    const qint64 firstFree = NewMarkerNumber().toLongLong() + 3;
    QStringList asked;
    const QString identity =
        IdentifyVolume(floppy, kVolumeFloppy, prompter, sink, [&](const QString& candidate) {
            asked.append(candidate);
            return candidate.toLongLong() < firstFree;
        });
    EXPECT_GE(identity.toLongLong(), firstFree);
    EXPECT_LE(identity.toLongLong(), NewMarkerNumber().toLongLong() + 3);
    EXPECT_EQ(asked.last(), identity);
    EXPECT_GE(asked.size(), 1);
    EXPECT_EQ(ReadBytes(root.filePath(QStringLiteral("Mendor.cat"))), identity.toLatin1() + "\r\n");
}

TEST(IdentifyVolume, MarkerLinesAreLowerCasedWithoutVolSuffix) {
    QTemporaryDir root;
    TestDriveMedium zip(root.path());
    ScriptedPrompter prompter;
    const QString marker = root.filePath(QStringLiteral("Mendor.cat"));

    WriteBytes(marker, "1234.VOL\r\n");
    EXPECT_EQ(Identify(zip, kVolumeZipDisk, prompter), QStringLiteral("1234"));
    WriteBytes(marker, "Backup.Vol.VOL\nsecond line\n");
    EXPECT_EQ(Identify(zip, kVolumeRemovable, prompter), QStringLiteral("backup.vol"));
    WriteBytes(marker, "  Spaced  ");
    EXPECT_EQ(Identify(zip, kVolumeFixed, prompter), QStringLiteral("  spaced  "));
    EXPECT_TRUE(zip.hiddenFiles.isEmpty());

    // An empty first line is no identity: the marker is replaced by a new number.
    WriteBytes(marker, "\r\n1234\r\n");
    const QString fresh = Identify(zip, kVolumeFixed, prompter);
    EXPECT_FALSE(fresh.isEmpty());
    EXPECT_NE(fresh, QStringLiteral("1234"));
    EXPECT_EQ(ReadBytes(marker), fresh.toLatin1() + "\r\n");
}

TEST(IdentifyVolume, UnwritableMediumAsksForANameWithTheShorterPrompt) {
    QTemporaryDir root;
    // A folder in the marker's place can be neither read nor replaced, also for root.
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Mendor.cat")));
    TestDriveMedium medium(root.path());
    medium.volumeLabel = QStringLiteral("OLD DISK");

    {
        ScriptedPrompter prompter;
        prompter.answerInput(QStringLiteral("My Disk!"), kMarkerPrompt, kTitle);
        EXPECT_EQ(Identify(medium, kVolumeRemovable, prompter), QStringLiteral("1My1Disk11"));
        EXPECT_EQ(prompter.prompts().at(0).defaultText, QStringLiteral("OLD DISK"));
    }
    {
        ScriptedPrompter prompter;
        prompter.answerInput(QString(), kMarkerPrompt, kTitle)
            .expectMessage(QStringLiteral("Can't catalog this volume.  Can't write marker file."));
        EXPECT_TRUE(Identify(medium, kVolumeRemovable, prompter).isEmpty());
    }
    {
        ScriptedPrompter prompter;
        prompter.cancelInput(kMarkerPrompt, kTitle)
            .expectMessage(QStringLiteral("Can't catalog this volume.  Can't write marker file."));
        EXPECT_TRUE(Identify(medium, kVolumeRemovable, prompter).isEmpty());
    }
    EXPECT_TRUE(medium.hiddenFiles.isEmpty());

    TestDriveMedium noDisc{QString()};
    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("x"), kMarkerPrompt, kTitle);
    EXPECT_EQ(Identify(noDisc, kVolumeFixed, prompter), QStringLiteral("1x1"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("Mendor.cat")));
}

TEST(IdentifyVolume, CdRomsUseTheSerialWithUpToThreeTriesAndNeverWriteAMarker) {
    QTemporaryDir root;
    TestDriveMedium cd(root.path());
    ScriptedPrompter prompter;

    cd.serialAnswers = {305419896u};
    EXPECT_EQ(Identify(cd, kVolumeCdRom, prompter), QStringLiteral("12345678"));
    EXPECT_EQ(cd.serialCalls, 1);

    cd.serialCalls = 0;
    cd.serialAnswers = {std::nullopt, std::nullopt, 131071u};
    EXPECT_EQ(Identify(cd, kVolumeCdRom, prompter), QStringLiteral("0002FFFF"));
    EXPECT_EQ(cd.serialCalls, 3);
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("Mendor.cat"))));
}

TEST(IdentifyVolume, CdRomWithoutSerialAsksWithTheLongerPromptAndStaysSilentOnCancel) {
    QTemporaryDir root;
    TestDriveMedium cd(root.path());
    cd.volumeLabel = QStringLiteral("MYCDLABEL");
    cd.serialAnswers = {std::nullopt, std::nullopt, std::nullopt, 305419896u};

    ScriptedPrompter prompter;
    prompter.cancelInput(kReadOnlyPrompt, kTitle);
    EXPECT_TRUE(Identify(cd, kVolumeCdRom, prompter).isEmpty());
    EXPECT_EQ(cd.serialCalls, 3) << "a fourth try would have succeeded";
    EXPECT_EQ(prompter.prompts().at(0).defaultText, QStringLiteral("MYCDLABEL"));
    EXPECT_TRUE(prompter.messages().isEmpty());

    cd.serialAnswers.clear();
    ScriptedPrompter typing;
    typing.answerInput(QStringLiteral("Holiday 2024"), kReadOnlyPrompt, kTitle);
    EXPECT_EQ(Identify(cd, kVolumeCdRom, typing), QStringLiteral("1Holiday120241"));
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("Mendor.cat"))));
}

TEST(IdentifyVolume, HostileMarkersAreNeitherFollowedNorBlockingNorReplaced) {
    QTemporaryDir outside;
    const QString victim = outside.filePath(QStringLiteral("victim"));
    const QString unborn = outside.filePath(QStringLiteral("unborn"));
    WriteBytes(victim, "\r\nprecious");
    const struct {
        const char* what;
        std::function<void(const QString& marker)> make;
        bool refused; // the line is reported as unusable; otherwise a name is asked for
    } cases[] = {
        {"link to a file", [&](const QString& m) { QFile::link(victim, m); }, false},
        {"dangling link", [&](const QString& m) { QFile::link(unborn, m); }, false},
        {"link to a device", [](const QString& m) { QFile::link(QStringLiteral("/dev/zero"), m); }, false},
        {"FIFO", [](const QString& m) { ASSERT_EQ(mkfifo(QFile::encodeName(m).constData(), 0644), 0); },
         false},
        {"hard link",
         [&](const QString& m) { ASSERT_EQ(::link(QFile::encodeName(victim), QFile::encodeName(m)), 0); },
         false},
        {"no line break", [](const QString& m) { WriteBytes(m, QByteArray(1 << 20, '7')); }, true},
        {"key separator", [](const QString& m) { WriteBytes(m, "abc_def\r\n"); }, true},
        {"control character", [](const QString& m) { WriteBytes(m, "ab\tc\r\n"); }, true},
        {"not UTF-8", [](const QString& m) { WriteBytes(m, "caf\xE9\r\n"); }, true},
        {"blank", [](const QString& m) { WriteBytes(m, "   \r\n"); }, true},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        const QString marker = root.filePath(QStringLiteral("Mendor.cat"));
        c.make(marker);
        const QByteArray before = QFileInfo(marker).isFile() ? ReadBytes(marker) : QByteArray();
        TestDriveMedium medium(root.path());
        ScriptedPrompter prompter;
        if (c.refused)
            prompter.expectMessage();
        else
            prompter.answerInput(QStringLiteral("typed"), kMarkerPrompt, kTitle);
        EXPECT_EQ(Identify(medium, kVolumeRemovable, prompter),
                  c.refused ? QString() : QStringLiteral("1typed1"))
            << c.what;
        if (c.refused) {
            EXPECT_TRUE(prompter.messages().at(0).contains(QStringLiteral("Mendor.cat"))) << c.what;
            EXPECT_EQ(ReadBytes(marker), before) << c.what;
        }
        EXPECT_TRUE(medium.hiddenFiles.isEmpty()) << c.what;
        EXPECT_EQ(ReadBytes(victim), QByteArray("\r\nprecious")) << c.what;
        EXPECT_FALSE(QFile::exists(unborn)) << c.what;
    }
}

TEST(MarkerIdentity, KeepsEveryLineThatCanNameAVolume) {
    EXPECT_EQ(MarkerIdentity("891253230"), QStringLiteral("891253230"));
    EXPECT_EQ(MarkerIdentity("Disk.Vol"), QStringLiteral("disk"));
    EXPECT_EQ(MarkerIdentity("\xC3\x84rger \xE2\x82\xAC"), QString::fromUtf8("\xC3\xA4rger \xE2\x82\xAC"));
    EXPECT_FALSE(MarkerIdentity("a_b").has_value());
}
