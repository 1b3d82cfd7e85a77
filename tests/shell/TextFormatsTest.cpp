#include "shell/TextFormats.h"

#include "shell/StoredDate.h"

#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <QTimeZone>
#include <thread>
#include <vector>

using namespace mendor;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::int64_t stored(int year, int month, int day, int hour, int minute, int second) {
    return ToStoredSeconds(QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc()));
}

/// Size texts are right-aligned in 16 characters and never cut.
QString padded(const char* text) {
    return QString::fromLatin1(text).rightJustified(16, ' ');
}

struct SizeCase {
    std::int64_t bytes;
    const char* expected;
};

} // namespace

TEST(FormatSizeKB, RoundsHalfAwayFromZeroAndGroupsThousands) {
    const SizeCase cases[] = {
        {0, "0KB"},
        {-5, "0KB"},
        {1, "1KB"},
        {1535, "1KB"},
        {1536, "2KB"},
        {999 * 1024, "999KB"},
        {1000 * 1024, "1,000KB"},
        {99'999'999'999LL * 1024, "99,999,999,999KB"},   // exactly 16 characters
        {999'999'999'999LL * 1024, "999,999,999,999KB"}, // one more than the padding width
        {kMax, "9,007,199,254,740,992KB"}};
    for (const SizeCase& c : cases)
        EXPECT_EQ(FormatSizeKB(c.bytes), padded(c.expected)) << c.bytes;
}

TEST(FormatSizeMB, DividesByOneMillionTwentyFourThousandRoundingTheTenthHalfAwayFromZero) {
    const SizeCase cases[] = {{0, "0.0MB"},
                              {10'240'000, "10.0MB"},
                              {8LL * 1024 * 1024 * 1024, "8,388.6MB"},
                              // 0.05 MB is exactly 51,200 bytes.
                              {51'199, "0.0MB"},
                              {51'200, "0.1MB"},
                              {10'240'000 - 51'201, "9.9MB"},
                              {-51'200, "-0.1MB"},
                              {-51'199, "0.0MB"},
                              {kMax, "9,007,199,254,741.0MB"},
                              {kMin, "-9,007,199,254,741.0MB"}};
    for (const SizeCase& c : cases)
        EXPECT_EQ(FormatSizeMB(c.bytes), padded(c.expected)) << c.bytes;
}

TEST(FormatCount, GroupsThousandsWithCommas) {
    EXPECT_EQ(FormatCount(999), "999");
    EXPECT_EQ(FormatCount(1000), "1,000");
    EXPECT_EQ(FormatCount(123456789), "123,456,789");
    EXPECT_EQ(FormatCount(-1234), "-1,234");
    EXPECT_EQ(FormatCount(kMin), "-9,223,372,036,854,775,808");
}

TEST(FormatDate, TwelveHourClockWithoutLeadingZerosWhateverTheTimeZone) {
    const struct {
        std::int64_t seconds;
        const char* expected;
    } cases[] = {{stored(2001, 3, 4, 0, 0, 0), "3/4/2001 12:00:00 am"},
                 {stored(2001, 3, 4, 0, 5, 9), "3/4/2001 12:05:09 am"},
                 {stored(2001, 3, 4, 11, 59, 59), "3/4/2001 11:59:59 am"},
                 {stored(2001, 3, 4, 12, 0, 0), "3/4/2001 12:00:00 pm"},
                 {stored(2001, 3, 4, 13, 7, 0), "3/4/2001 1:07:00 pm"},
                 {stored(1999, 12, 31, 23, 59, 59), "12/31/1999 11:59:59 pm"},
                 {0, "1/1/1970 12:00:00 am"},
                 {stored(1601, 1, 1, 9, 0, 0), "1/1/1601 9:00:00 am"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatDate(c.seconds), c.expected) << c.seconds;
    // The digit-by-digit path agrees with the calendar's own on every kind of day and year.
    for (std::int64_t s = stored(1, 1, 1, 0, 0, 0) - 86400; s < stored(9999, 12, 31, 0, 0, 0) + 172800;
         s += 86400 * 97 + 3671)
        ASSERT_EQ(FormatDate(s), FormatDate(FromStoredSeconds(s))) << s;
    for (std::int64_t s :
         {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(FormatDate(s), FormatDate(FromStoredSeconds(s)));

    // The wall-clock fields are shown, not the instant converted to this machine's zone.
    const QDate day(2020, 7, 15);
    EXPECT_EQ(FormatDate(QDateTime(day, QTime(18, 30), QTimeZone::utc())), "7/15/2020 6:30:00 pm");
    EXPECT_EQ(FormatDate(QDateTime(day, QTime(18, 30), QTimeZone(5 * 3600))), "7/15/2020 6:30:00 pm");
    EXPECT_EQ(FormatDate(QDateTime()), QString());
}

TEST(LastAccessText, FallsBackToTheModificationDateBefore1972) {
    const std::int64_t modified = stored(2003, 5, 6, 7, 8, 9);
    const std::int64_t firstTrusted = stored(1972, 1, 1, 0, 0, 0);
    for (std::int64_t early : {firstTrusted - 1, std::int64_t(0), stored(1601, 1, 1, 0, 0, 0)})
        EXPECT_EQ(LastAccessText(early, modified), "5/6/2003 7:08:09 am") << early;
    EXPECT_EQ(LastAccessText(firstTrusted, modified), "1/1/1972 12:00:00 am");
    EXPECT_EQ(LastAccessText(stored(2010, 10, 1, 15, 0, 0), modified), "10/1/2010 3:00:00 pm");
}

TEST(NameCase, ShowProperAndZipPathCase) {
    const struct {
        QString (*function)(const QString&);
        QString name;
        QString expected;
    } cases[] = {// Only a single character is upper-cased.
                 {ShowName, "a", "A"},
                 {ShowName, "readme.txt", "readme.txt"},
                 {ShowName, "MY data", "MY data"},
                 // A word starts after anything but an ASCII letter or digit.
                 {ProperCaseName, "MY DATA", "My Data"},
                 {ProperCaseName, "DISK_2B", "Disk_2b"},
                 {ProperCaseName, "WIN98SE", "Win98se"},
                 {ProperCaseName, "backup-disk.old", "Backup-Disk.Old"},
                 {ProperCaseName, "x", "X"},
                 {ProperCaseName, QString::fromUtf8("CAF\u00c9S DISK"), QString::fromUtf8("Caf\u00e9S Disk")},
                 // Inside archives only a backslash or a blank starts a word.
                 {ZipPathCase, "SRC\\MAIN FILES\\old-code", "Src\\Main Files\\Old-code"},
                 {ZipPathCase, "\\docs", "\\Docs"},
                 {ZipPathCase, "a_b.c", "A_b.c"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.function(c.name), c.expected) << c.name.toStdString();
    for (const auto function : {ShowName, ProperCaseName, ZipPathCase}) {
        EXPECT_TRUE(function(QString()).isEmpty());
        EXPECT_FALSE(function(QString()).isNull());
    }
}

TEST(FileIconKey, UsesAnExtensionImageOnlyWhenOneIsRegistered) {
    const QSet<QString> withText{"ktxt", "leaf"};
    EXPECT_EQ(FileIconKey("noext", withText), "leaf");
    EXPECT_EQ(FileIconKey("a.txt", {}), "leaf");
    EXPECT_EQ(FileIconKey("A.TXT ", withText), "ktxt");
    EXPECT_EQ(FileIconKey("a.txt.doc", withText), "leaf");
    EXPECT_EQ(FileIconKey("a.doc.txt", withText), "ktxt");
}

TEST(FileTypeName, NamesKnownTypesByTheLastExtensionAndFallsBackToIt) {
    const QString gzip = FileTypeName("b.gz");
    EXPECT_NE(gzip, "gz file");
    const struct {
        const char* name;
        QString expected;
    } cases[] = {{"a.txt", "plain text document"},
                 {"A.TXT", "plain text document"},
                 {"X.XYZ", "xyz file"},
                 {"noext", "<unknown file>"},
                 {"KERNEL32.DLL", "dll file"},
                 {"descript.ion", "ion file"},
                 {"a.tar.gz", gzip},
                 {"notes.txt.xyz", "xyz file"},
                 // A whole-name pattern of the MIME database must not apply either.
                 {"Makefile", "<unknown file>"}};
    for (const auto& c : cases)
        EXPECT_EQ(FileTypeName(c.name), c.expected) << c.name;
}

TEST(FileTypeName, ConcurrentCallersGetTheSameNames) {
    const QStringList names{"a.txt", "b.jpg", "c.qqq", "d.zip", "e.tar.gz"};
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
