#include "catalog/DescriptIon.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;

TEST(DescriptIon, QuotedAndPlainNamesMatchWithoutRegardToCase) {
    const DescriptIon d = DescriptIon::parse("\"My File.txt\" Holiday notes\r\n"
                                             "readme.txt Read this first\r\n"
                                             "\"my file.txt\" a later line for the same file\r\n"
                                             "README.TXT also later\r\n");
    EXPECT_EQ(d.descriptionOf(QStringLiteral("My File.txt")), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("MY FILE.TXT")), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("ReadMe.txt")), QStringLiteral("Read this first"));
    EXPECT_TRUE(d.descriptionOf(QStringLiteral("other.txt")).isNull());
    EXPECT_EQ(d.size(), 2);
}

TEST(DescriptIon, LinesThatCannotBeSplitAreSkippedAndTheRestStillRead) {
    const DescriptIon d = DescriptIon::parse("nodescription\n"
                                             "\"unclosed quote and text\n"
                                             "\n"
                                             "\"a b\"xrest after one separator\n"
                                             "\"ends.txt\"\n"
                                             "tail.txt  two blanks\n");
    EXPECT_EQ(d.size(), 3);
    EXPECT_TRUE(d.descriptionOf(QStringLiteral("nodescription")).isNull());
    // The character right after the closing quote is the separator, whatever it is.
    EXPECT_EQ(d.descriptionOf(QStringLiteral("a b")), QStringLiteral("rest after one separator"));
    const QString empty = d.descriptionOf(QStringLiteral("ends.txt"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(d.descriptionOf(QStringLiteral("tail.txt")), QStringLiteral(" two blanks"));
}

TEST(DescriptIon, Utf8LinesAndLegacyLinesInOneFile) {
    QByteArray content;
    content += "caf\xC3\xA9.txt Men\xC3\xBC f\xC3\xBCr heute\n"; // UTF-8
    content += "old.txt \x93Quoted\x94 r\xE9sum\xE9 \x80 5\n";   // Windows-1252
    content += "\xEF\xBB\xBF"
               "bom.txt mark\n"; // a stray byte-order mark
    const DescriptIon d = DescriptIon::parse(content);
    EXPECT_EQ(d.descriptionOf(QString::fromUtf8("CAF\xC3\x89.TXT")),
              QString::fromUtf8("Men\xC3\xBC f\xC3\xBCr heute"));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("old.txt")),
              QString::fromUtf8("\xE2\x80\x9CQuoted\xE2\x80\x9D r\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC 5"));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("bom.txt")), QStringLiteral("mark"));
}

TEST(DescriptIon, Windows1252KeepsLatin1AndUndefinedBytes) {
    EXPECT_EQ(DecodeWindows1252("\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    EXPECT_EQ(DecodeWindows1252("\x9F\xA0\xFF"), QString::fromUtf16(u"\u0178\u00A0\u00FF"));
}

TEST(DescriptIon, LoadReadsAFileAndAMissingFileGivesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("descript.ion"));
    test::WriteBytes(path, "\"My File.txt\" Holiday notes\nlast.txt no line break at the end");
    const DescriptIon d = DescriptIon::load(QFile::encodeName(path));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("my file.txt")), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf(QStringLiteral("last.txt")), QStringLiteral("no line break at the end"));

    EXPECT_TRUE(DescriptIon::load(QFile::encodeName(dir.filePath(QStringLiteral("absent")))).isEmpty());
    EXPECT_TRUE(DescriptIon::load(QFile::encodeName(dir.path())).isEmpty());
}
