#include "browse/TextFormats.h"

#include "store/StoredDate.h"

#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <QTimeZone>
#include <thread>
#include <vector>

using namespace mendor;

namespace {

std::int64_t stored(int year, int month, int day, int hour, int minute, int second) {
    return ToStoredSeconds(QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc()));
}

QString padded(const char* text) {
    return QString::fromLatin1(text).rightJustified(16, QLatin1Char(' '));
}

} // namespace

TEST(FormatSizeKB, SmallSizesShowZeroOrOneKilobyte) {
    EXPECT_EQ(FormatSizeKB(0), padded("0KB"));
    EXPECT_EQ(FormatSizeKB(-5), padded("0KB"));
    EXPECT_EQ(FormatSizeKB(1), padded("1KB"));
    EXPECT_EQ(FormatSizeKB(1023), padded("1KB"));
    EXPECT_EQ(FormatSizeKB(1024), padded("1KB"));
}

TEST(FormatSizeKB, RoundsHalfAwayFromZero) {
    EXPECT_EQ(FormatSizeKB(1535), padded("1KB"));
    EXPECT_EQ(FormatSizeKB(1536), padded("2KB"));
    EXPECT_EQ(FormatSizeKB(2559), padded("2KB"));
    EXPECT_EQ(FormatSizeKB(2560), padded("3KB"));
}

TEST(FormatSizeKB, GroupsThousandsAndHandlesSizesBeyond32Bits) {
    EXPECT_EQ(FormatSizeKB(999 * 1024), padded("999KB"));
    EXPECT_EQ(FormatSizeKB(1000 * 1024), padded("1,000KB"));
    // 5 GiB: beyond any 32-bit count.
    EXPECT_EQ(FormatSizeKB(5LL * 1024 * 1024 * 1024), padded("5,242,880KB"));
    EXPECT_EQ(FormatSizeKB(1234567LL * 1024 + 512), padded("1,234,568KB"));
}

TEST(FormatSizeKB, LongTextsAreNotCutToSixteenCharacters) {
    const QString largest = FormatSizeKB(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(largest, QStringLiteral("9,007,199,254,740,992KB"));
    // 12 digits with separators make exactly 17 characters, one more than the padding width.
    EXPECT_EQ(FormatSizeKB(999'999'999'999LL * 1024), QStringLiteral("999,999,999,999KB"));
    EXPECT_EQ(FormatSizeKB(99'999'999'999LL * 1024).size(), 16);
    EXPECT_EQ(FormatSizeKB(99'999'999'999LL * 1024), QStringLiteral("99,999,999,999KB"));
}

TEST(FormatSizeMB, DividesByOneMillionTwentyFourThousandWithOneDecimal) {
    EXPECT_EQ(FormatSizeMB(10'240'000), padded("10.0MB"));
    EXPECT_EQ(FormatSizeMB(0), padded("0.0MB"));
    EXPECT_EQ(FormatSizeMB(1'457'664), padded("1.4MB"));
    EXPECT_EQ(FormatSizeMB(1'024'000'000), padded("1,000.0MB"));
    EXPECT_EQ(FormatSizeMB(8LL * 1024 * 1024 * 1024), padded("8,388.6MB"));
}

TEST(FormatSizeMB, RoundsTheTenthHalfAwayFromZero) {
    // 0.05 MB is exactly 51,200 bytes.
    EXPECT_EQ(FormatSizeMB(51'199), padded("0.0MB"));
    EXPECT_EQ(FormatSizeMB(51'200), padded("0.1MB"));
    EXPECT_EQ(FormatSizeMB(10'240'000 - 51'200), padded("10.0MB"));
    EXPECT_EQ(FormatSizeMB(10'240'000 - 51'201), padded("9.9MB"));
    EXPECT_EQ(FormatSizeMB(-51'200), padded("-0.1MB"));
    EXPECT_EQ(FormatSizeMB(-51'199), padded("0.0MB"));
}

TEST(FormatSizeMB, HugeValuesKeepEveryDigit) {
    EXPECT_EQ(FormatSizeMB(std::numeric_limits<std::int64_t>::max()),
              QStringLiteral("9,007,199,254,741.0MB"));
    EXPECT_EQ(FormatSizeMB(std::numeric_limits<std::int64_t>::min()),
              QStringLiteral("-9,007,199,254,741.0MB"));
}

TEST(FormatDate, TwelveHourClockWithoutLeadingZeros) {
    EXPECT_EQ(FormatDate(stored(2001, 3, 4, 0, 0, 0)), QStringLiteral("3/4/2001 12:00:00 am"));
    EXPECT_EQ(FormatDate(stored(2001, 3, 4, 0, 5, 9)), QStringLiteral("3/4/2001 12:05:09 am"));
    EXPECT_EQ(FormatDate(stored(2001, 3, 4, 11, 59, 59)), QStringLiteral("3/4/2001 11:59:59 am"));
    EXPECT_EQ(FormatDate(stored(2001, 3, 4, 12, 0, 0)), QStringLiteral("3/4/2001 12:00:00 pm"));
    EXPECT_EQ(FormatDate(stored(2001, 3, 4, 13, 7, 0)), QStringLiteral("3/4/2001 1:07:00 pm"));
    EXPECT_EQ(FormatDate(stored(1999, 12, 31, 23, 59, 59)), QStringLiteral("12/31/1999 11:59:59 pm"));
    EXPECT_EQ(FormatDate(0), QStringLiteral("1/1/1970 12:00:00 am"));
    EXPECT_EQ(FormatDate(stored(1601, 1, 1, 9, 0, 0)), QStringLiteral("1/1/1601 9:00:00 am"));
}

TEST(FormatDate, ShowsTheWallClockFieldsWhateverTheTimeZone) {
    const QDateTime utc(QDate(2020, 7, 15), QTime(18, 30, 0), QTimeZone::utc());
    const QDateTime offset(QDate(2020, 7, 15), QTime(18, 30, 0), QTimeZone(5 * 3600));
    EXPECT_EQ(FormatDate(utc), QStringLiteral("7/15/2020 6:30:00 pm"));
    EXPECT_EQ(FormatDate(offset), QStringLiteral("7/15/2020 6:30:00 pm"));
    EXPECT_EQ(FormatDate(QDateTime()), QString());
}

TEST(FormatCount, GroupsThousandsWithCommas) {
    EXPECT_EQ(FormatCount(0), QStringLiteral("0"));
    EXPECT_EQ(FormatCount(999), QStringLiteral("999"));
    EXPECT_EQ(FormatCount(1000), QStringLiteral("1,000"));
    EXPECT_EQ(FormatCount(123456789), QStringLiteral("123,456,789"));
    EXPECT_EQ(FormatCount(-1234), QStringLiteral("-1,234"));
    EXPECT_EQ(FormatCount(std::numeric_limits<std::int64_t>::min()),
              QStringLiteral("-9,223,372,036,854,775,808"));
}

TEST(LastAccessText, FallsBackToTheModificationDateBefore1972) {
    const std::int64_t modified = stored(2003, 5, 6, 7, 8, 9);
    const std::int64_t firstTrusted = stored(1972, 1, 1, 0, 0, 0);
    EXPECT_EQ(LastAccessText(firstTrusted - 1, modified), QStringLiteral("5/6/2003 7:08:09 am"));
    EXPECT_EQ(LastAccessText(0, modified), QStringLiteral("5/6/2003 7:08:09 am"));
    EXPECT_EQ(LastAccessText(stored(1601, 1, 1, 0, 0, 0), modified), QStringLiteral("5/6/2003 7:08:09 am"));
    EXPECT_EQ(LastAccessText(firstTrusted, modified), QStringLiteral("1/1/1972 12:00:00 am"));
    EXPECT_EQ(LastAccessText(stored(2010, 10, 1, 15, 0, 0), modified),
              QStringLiteral("10/1/2010 3:00:00 pm"));
}

TEST(NameCase, ShowNameUpperCasesOnlySingleCharacters) {
    EXPECT_EQ(ShowName(QStringLiteral("a")), QStringLiteral("A"));
    EXPECT_EQ(ShowName(QStringLiteral("readme.txt")), QStringLiteral("readme.txt"));
    EXPECT_EQ(ShowName(QStringLiteral("MY data")), QStringLiteral("MY data"));
    EXPECT_TRUE(ShowName(QString()).isEmpty());
    EXPECT_FALSE(ShowName(QString()).isNull());
    EXPECT_EQ(ShowName(QString(300, QLatin1Char('x'))), QString(300, QLatin1Char('x')));
}

TEST(NameCase, ProperCaseStartsAWordAfterAnythingButAsciiLettersAndDigits) {
    EXPECT_EQ(ProperCaseName(QStringLiteral("MY DATA")), QStringLiteral("My Data"));
    EXPECT_EQ(ProperCaseName(QStringLiteral("DISK_2B")), QStringLiteral("Disk_2b"));
    EXPECT_EQ(ProperCaseName(QStringLiteral("WIN98SE")), QStringLiteral("Win98se"));
    EXPECT_EQ(ProperCaseName(QStringLiteral("backup-disk.old")), QStringLiteral("Backup-Disk.Old"));
    EXPECT_EQ(ProperCaseName(QStringLiteral("x")), QStringLiteral("X"));
    EXPECT_TRUE(ProperCaseName(QString()).isEmpty());
    EXPECT_FALSE(ProperCaseName(QString()).isNull());
    // A letter outside A to Z does not continue a word.
    EXPECT_EQ(ProperCaseName(QString::fromUtf8("CAF\u00c9S DISK")), QString::fromUtf8("Caf\u00e9S Disk"));
}

TEST(NameCase, ZipPathCaseStartsAWordAfterBackslashOrBlank) {
    EXPECT_EQ(ZipPathCase(QStringLiteral("SRC\\MAIN FILES\\old-code")),
              QStringLiteral("Src\\Main Files\\Old-code"));
    EXPECT_EQ(ZipPathCase(QStringLiteral("\\docs")), QStringLiteral("\\Docs"));
    EXPECT_EQ(ZipPathCase(QStringLiteral("a_b.c")), QStringLiteral("A_b.c"));
    EXPECT_TRUE(ZipPathCase(QString()).isEmpty());
}

TEST(FileIconKey, UsesAnExtensionImageOnlyWhenOneIsRegistered) {
    const QSet<QString> none;
    const QSet<QString> withText{QStringLiteral("ktxt"), QStringLiteral("leaf")};
    EXPECT_EQ(FileIconKey(QStringLiteral("noext"), withText), QStringLiteral("leaf"));
    EXPECT_EQ(FileIconKey(QStringLiteral("a.txt"), none), QStringLiteral("leaf"));
    EXPECT_EQ(FileIconKey(QStringLiteral("a.txt"), withText), QStringLiteral("ktxt"));
    EXPECT_EQ(FileIconKey(QStringLiteral("A.TXT "), withText), QStringLiteral("ktxt"));
    EXPECT_EQ(FileIconKey(QStringLiteral("a.txt.doc"), withText), QStringLiteral("leaf"));
    EXPECT_EQ(FileIconKey(QStringLiteral("a.doc.txt"), withText), QStringLiteral("ktxt"));
}

TEST(FileTypeName, NamesKnownTypesAndFallsBackToTheExtension) {
    EXPECT_EQ(FileTypeName(QStringLiteral("a.txt")), QStringLiteral("plain text document"));
    EXPECT_EQ(FileTypeName(QStringLiteral("A.TXT")), QStringLiteral("plain text document"));
    EXPECT_EQ(FileTypeName(QStringLiteral("x.xyz")), QStringLiteral("xyz file"));
    EXPECT_EQ(FileTypeName(QStringLiteral("X.XYZ")), QStringLiteral("xyz file"));
    EXPECT_EQ(FileTypeName(QStringLiteral("noext")), QStringLiteral("<unknown file>"));
    EXPECT_EQ(FileTypeName(QStringLiteral("KERNEL32.DLL")), QStringLiteral("dll file"));
    EXPECT_EQ(FileTypeName(QStringLiteral("win.ini")), QStringLiteral("ini file"));
    EXPECT_EQ(FileTypeName(QStringLiteral("descript.ion")), QStringLiteral("ion file"));
}

TEST(FileTypeName, LooksUpOnlyTheLastExtension) {
    const QString gzip = FileTypeName(QStringLiteral("b.gz"));
    EXPECT_NE(gzip, QStringLiteral("gz file"));
    EXPECT_EQ(FileTypeName(QStringLiteral("a.tar.gz")), gzip);
    EXPECT_EQ(FileTypeName(QStringLiteral("notes.txt.xyz")), QStringLiteral("xyz file"));
    // A whole-name pattern of the MIME database must not apply either.
    EXPECT_EQ(FileTypeName(QStringLiteral("Makefile")), QStringLiteral("<unknown file>"));
}

TEST(FileTypeName, ConcurrentCallersGetTheSameNames) {
    const QStringList names{QStringLiteral("a.txt"), QStringLiteral("b.jpg"), QStringLiteral("c.qqq"),
                            QStringLiteral("d.zip"), QStringLiteral("e.tar.gz")};
    QStringList expected;
    for (const QString& name : names)
        expected << FileTypeName(name);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                const int i = (round + t) % names.size();
                // A fresh extension per call also exercises inserting while others read.
                FileTypeName(QStringLiteral("f.t%1x%2").arg(t).arg(round));
                if (FileTypeName(names.at(i)) != expected.at(i))
                    ++mismatches;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}
