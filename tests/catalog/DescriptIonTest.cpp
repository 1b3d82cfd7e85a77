#include "catalog/DescriptIon.h"

#include "support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace mendor;

TEST(DescriptIon, QuotedAndPlainNamesMatchWithoutRegardToCase) {
    const DescriptIon d = DescriptIon::parse("\"My File.txt\" Holiday notes\r\n"
                                             "readme.txt Read this first\r\n"
                                             "\"my file.txt\" a later line for the same file\r\n"
                                             "README.TXT also later\r\n");
    EXPECT_EQ(d.descriptionOf("My File.txt"), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf("MY FILE.TXT"), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf("ReadMe.txt"), QStringLiteral("Read this first"));
    EXPECT_TRUE(d.descriptionOf("other.txt").isNull());
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
    EXPECT_TRUE(d.descriptionOf("nodescription").isNull());
    // The character right after the closing quote is the separator, whatever it is.
    EXPECT_EQ(d.descriptionOf("a b"), QStringLiteral("rest after one separator"));
    const QString empty = d.descriptionOf("ends.txt");
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(d.descriptionOf("tail.txt"), QStringLiteral(" two blanks"));
}

TEST(DescriptIon, Utf8LinesAndLegacyLinesInOneFile) {
    QByteArray content;
    content += "caf\xC3\xA9.txt Men\xC3\xBC f\xC3\xBCr heute\n"; // UTF-8
    content += "old.txt \x93Quoted\x94 r\xE9sum\xE9 \x80 5\n";   // Windows-1252
    content += "\xEF\xBB\xBF"
               "bom.txt mark\n"; // a stray byte-order mark
    const DescriptIon d = DescriptIon::parse(content);
    EXPECT_EQ(d.descriptionOf("CAF\xC3\x89.TXT"), QString::fromUtf8("Men\xC3\xBC f\xC3\xBCr heute"));
    EXPECT_EQ(d.descriptionOf("old.txt"),
              QString::fromUtf8("\xE2\x80\x9CQuoted\xE2\x80\x9D r\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC 5"));
    EXPECT_EQ(d.descriptionOf("bom.txt"), QStringLiteral("mark"));
}

TEST(DescriptIon, Windows1252KeepsLatin1AndUndefinedBytes) {
    EXPECT_EQ(DecodeWindows1252("\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    EXPECT_EQ(DecodeWindows1252("\x9F\xA0\xFF"), QString::fromUtf16(u"\u0178\u00A0\u00FF"));
}

TEST(DescriptIon, NamesMatchByTheirBytesAndOldFilesReadInTheirCodePage) {
    // CR-only line ends; a DOS file (code page 437) naming a file by its DOS bytes and, for a
    // volume that shows names as UTF-8, by their meaning.
    const DescriptIon dos = DescriptIon::parse("gr\x81\xE1"
                                               "e.txt F\x81r Gr\x94\xE1"
                                               "e\r"
                                               "\"caf\x82 au lait\" Men\x81\rlast.txt end");
    EXPECT_EQ(dos.descriptionOf("GR\x81\xE1"
                                "E.TXT"),
              QString::fromUtf8("F\xC3\xBCr Gr\xC3\xB6\xC3\x9F"
                                "e"));
    EXPECT_EQ(dos.descriptionOf("Gr\xC3\xBC\xC3\x9F"
                                "e.txt"),
              QString::fromUtf8("F\xC3\xBCr Gr\xC3\xB6\xC3\x9F"
                                "e"));
    EXPECT_EQ(dos.descriptionOf("CAF\xC3\x89 au lait"), QString::fromUtf8("Men\xC3\xBC"));
    EXPECT_EQ(dos.descriptionOf("last.txt"), QStringLiteral("end"));
    // The same words written by Windows read as Windows-1252; a name that is not UTF-8 still
    // matches the same bytes.
    const DescriptIon windows = DescriptIon::parse("gr\xFC\xDF"
                                                   "e.txt F\xFCr Gr\xF6\xDF"
                                                   "e\n");
    EXPECT_EQ(windows.descriptionOf("gr\xFC\xDF"
                                    "e.txt"),
              QString::fromUtf8("F\xC3\xBCr Gr\xC3\xB6\xC3\x9F"
                                "e"));
}

TEST(DescriptIon, LoadReadsOnlyRegularFilesUpToTheLimit) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("descript.ion"));
    QByteArray content = "\"My File.txt\" Holiday notes\nlast.txt no line break at the end";
    test::WriteBytes(path, content);
    const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    DescriptIon d = DescriptIon::load(folder, "descript.ion");
    EXPECT_EQ(d.descriptionOf("my file.txt"), QStringLiteral("Holiday notes"));
    EXPECT_EQ(d.descriptionOf("last.txt"), QStringLiteral("no line break at the end"));

    // The line the limit cuts is left out.
    content = "first.txt kept\n" + QByteArray(DescriptIon::kReadLimit, 'x') + " cut\n";
    test::WriteBytes(path, content);
    d = DescriptIon::load(folder, "descript.ion");
    EXPECT_EQ(d.size(), 1);

    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0644), 0);
    QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("device")));
    for (const char* name : {"absent", "fifo", "device", "."})
        EXPECT_TRUE(DescriptIon::load(folder, name).isEmpty()) << name;
    ::close(folder);
}
